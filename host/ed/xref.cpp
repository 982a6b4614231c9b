#include "ed/xref.h"
#include <filesystem>
#include <memory>
#include <string>
#include "db/blockpreview.h"
#include "db/blockref.h"
#include "ed/drawingfiles.h"
#include "rx/print.h"
#include "win/drives.h"

namespace fs = std::filesystem;

namespace {
AcDbObjectId blockNamed(AcDbDatabase* db, const std::string& name) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
    table->getAt(name.c_str(), id);
    table->close();
    return id;
}

// The block's external reference path, or "" (and false) when it is no external reference.
bool xrefPathOf(AcDbObjectId id, std::string& path) {
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool xref = block->isFromExternalReference();
    path = block->pathName();
    block->close();
    return xref;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::string la, lb;
    if (!cadhostLinuxPath(a.c_str(), la) || !cadhostLinuxPath(b.c_str(), lb)) return false;
    std::error_code ec;
    return fs::equivalent(la, lb, ec);
}

// Erases a block definition made here, its entities first.
void eraseDefinition(AcDbObjectId id) {
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, id, AcDb::kForWrite) != Acad::eOk) return;
    for (const AcDbObjectId& member : block->entityIds()) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, member, AcDb::kForWrite) != Acad::eOk) continue;
        entity->erase();
        entity->close();
    }
    block->erase();
    block->close();
}

// The block of the file's drawing; the path is kept as the caller gave it.
Acad::ErrorStatus defineXref(AcDbDatabase* db, const std::string& path, const std::string& name, AcDbObjectId& id,
                             std::string& error) {
    AcDbDatabase drawing(false, true);
    Acad::ErrorStatus es = acedHostReadDrawing(drawing, path.c_str(), error);
    if (es != Acad::eOk) return es;
    if ((es = db->insert(id, name.c_str(), &drawing)) != Acad::eOk) {
        error = "The drawing cannot be loaded as block \"" + name + "\".";
        return es;
    }
    AcDbBlockTableRecord* block = nullptr;
    if ((es = acdbOpenObject(block, id, AcDb::kForWrite)) != Acad::eOk) {
        eraseDefinition(id);
        error = "The new block \"" + name + "\" cannot be opened.";
        return es;
    }
    block->setPathName(path.c_str());
    block->setFlags(static_cast<Adesk::Int16>(block->flags() | 32));  // resolved: its entities are loaded
    const bool hasIcon = block->hasPreviewIcon();
    block->close();
    if (!hasIcon) acdbHostStoreBlockIcon(db, id);
    return Acad::eOk;
}

Acad::ErrorStatus addReference(AcDbDatabase* db, AcDbObjectId blockId, const AcGePoint3d& at, const AcGeScale3d& scale,
                               double rotation, AcDbObjectId& refId) {
    auto* ref = new AcDbBlockReference(at, blockId);
    ref->setDatabaseDefaults(db);
    Acad::ErrorStatus es = ref->setScaleFactors(scale);
    if (es == Acad::eOk) es = ref->setRotation(rotation);
    AcDbBlockTableRecord* space = nullptr;
    if (es == Acad::eOk) es = acdbOpenObject(space, db->currentSpaceId(), AcDb::kForWrite);
    if (es == Acad::eOk) {
        es = space->appendAcDbEntity(refId, ref);
        space->close();
    }
    if (es != Acad::eOk) {
        delete ref;
        return es;
    }
    ref->close();
    return Acad::eOk;
}

Acad::ErrorStatus refuse(bool quiet, Acad::ErrorStatus es, const std::string& why) {
    if (!quiet) acutPrintf("\n%s", why.c_str());
    return es;
}
}  // namespace

Acad::ErrorStatus acedXrefAttach(const char* path, const char* blockName, AcDbObjectIdArray* requestedIds,
                                 AcDbObjectIdArray* resultIds, AcGePoint3d* insertionPoint, AcGeScale3d* scale,
                                 double* rotation, const bool quiet, AcDbDatabase* hostDb, const wchar_t* password) {
    (void)password;
    AcDbDatabase* db = hostDb ? hostDb : acdbHostApplicationServices()->workingDatabase();
    if (!db) return refuse(quiet, Acad::eNoDatabase, "No drawing to attach to.");
    if (!path || !*path) return refuse(quiet, Acad::eInvalidInput, "No file name for the external reference.");
    if (requestedIds && !requestedIds->isEmpty())
        return refuse(quiet, Acad::eNotApplicable, "Attaching selected objects of a drawing is not supported.");
    const std::string file = path;
    std::string name = blockName && *blockName ? blockName : "";
    if (name.empty()) {
        std::string mapped;
        cadhostLinuxPath(path, mapped);
        name = fs::path(mapped).stem().string();
    }
    if (!quiet) acutPrintf("\nAttach Xref \"%s\": %s", name.c_str(), file.c_str());
    if (*db->filename() && sameFile(file, db->filename()))
        return refuse(quiet, Acad::eInvalidInput, "A drawing cannot be attached to itself.");

    AcDbObjectId blockId = blockNamed(db, name);
    bool made = false;
    if (!blockId.isNull()) {
        std::string existing;
        if (!xrefPathOf(blockId, existing) || !sameFile(existing, file))
            return refuse(quiet, Acad::eDuplicateKey,
                          "Block \"" + name + "\" already exists and is no external reference to this file.");
        if (!quiet) acutPrintf("\nXref \"%s\" is already loaded; its definition is used.", name.c_str());
    } else {
        std::string error;
        Acad::ErrorStatus es = defineXref(db, file, name, blockId, error);
        if (es != Acad::eOk) return refuse(quiet, es, error);
        made = true;
    }
    if (insertionPoint) {
        AcDbObjectId refId;
        Acad::ErrorStatus es = addReference(db, blockId, *insertionPoint, scale ? *scale : AcGeScale3d(1.0),
                                            rotation ? *rotation : 0.0, refId);
        if (es != Acad::eOk) {
            if (made) eraseDefinition(blockId);
            return refuse(quiet, es, "The reference to \"" + name + "\" cannot be added.");
        }
        if (resultIds) resultIds->append(refId);
    }
    if (!quiet && made) acutPrintf("\n\"%s\" loaded.", name.c_str());
    return Acad::eOk;
}
