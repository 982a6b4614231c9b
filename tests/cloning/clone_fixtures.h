#pragma once
// Test-only objects for the cloning tests and helpers that build small drawings.
#include <string>
#include <vector>
#include "db/database.h"

// An entity with a soft pointer (peer), a hard ownership (part) and a hard pointer (style).
// As a part of another link it is not in a block, and its peer points back at the owner.
class CloneLink : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(CloneLink);
    explicit CloneLink(int tag = 0) : tag(tag) {}
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    int tag;
    AcDbObjectId peer, part, style;
};

namespace clonetest {

// Opens for read (or write), runs fn, closes; answers fn's result or a default.
template <class T, class Fn>
auto withOpen(AcDbObjectId id, Fn fn, AcDb::OpenMode mode = AcDb::kForRead) -> decltype(fn(static_cast<T*>(nullptr))) {
    T* obj = nullptr;
    if (acdbOpenObject(obj, id, mode) != Acad::eOk) return {};
    auto result = fn(obj);
    obj->close();
    return result;
}

AcDbObjectId append(AcDbObjectId block, AcDbEntity* entity);
AcDbObjectId makeBlock(AcDbDatabase& db, const char* name, const AcGePoint3d& origin = AcGePoint3d());
AcDbObjectId makeLayer(AcDbDatabase& db, const char* name, int color);
// A part owned by the link, pointing back at it.
AcDbObjectId attachPart(AcDbObjectId link, int tag);
// Sets one field of a link: 'p' peer, 's' style; 'l' sets the entity's layer.
void set(AcDbObjectId link, char field, AcDbObjectId value);

// A copy of a link's fields as they are now (tag -1 when it cannot be opened).
struct LinkState {
    int tag = -1;
    AcDbObjectId peer, part, style, owner, layer;
    bool inFlux = false;
};
LinkState link(AcDbObjectId id);
AcDbObjectId ownerOf(AcDbObjectId id);
std::vector<AcDbObjectId> entitiesOf(AcDbObjectId block);
AcDbObjectId recordNamed(AcDbObjectId table, const char* name);
int layerColor(AcDbObjectId layer);
std::string nameOf(AcDbObjectId record);
AcDbObjectId cloneOf(const AcDbIdMapping& map, AcDbObjectId source);

}  // namespace clonetest
