#include "db/dxfsubents.h"

#include <cstring>
#include <map>
#include "db/aligneddim.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/hostinternal.h"
#include "db/minsert.h"
#include "db/objectiterator.h"
#include "db/polyline2d.h"
#include "db/vertex2d.h"
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "db/rotateddim.h"
#include "db/seqend.h"

namespace cadhost::dxf {

bool classNeedsGroups(const std::string& dxfName) {
    return dxfName == "INSERT" || dxfName == "POLYLINE" || dxfName == "DIMENSION";
}

AcRxClass* adjustedClass(const std::string& dxfName, AcRxClass* cls, const AcDbDxfMemoryFiler* mem) {
    if (dxfName == "DIMENSION" && mem && cls == AcDbDimension::desc()) {
        // Group 70 & 7 names the kind: 0 rotated, 1 aligned; other kinds have no class here.
        for (const AcDbDxfGroup& g : mem->groups())
            if (g.code == 70 && g.type == AcDbDxfGroup::kInt) {
                int kind = static_cast<int>(g.integer & 7);
                return kind == 0 ? AcDbRotatedDimension::desc() : kind == 1 ? AcDbAlignedDimension::desc() : nullptr;
            }
        return AcDbRotatedDimension::desc();
    }
    if (dxfName == "POLYLINE" && mem && cls == AcDb2dPolyline::desc()) {
        // 3-D polylines, polygon and polyface meshes have no class here: they stay proxies.
        for (const AcDbDxfGroup& g : mem->groups())
            if (g.code == 70 && g.type == AcDbDxfGroup::kInt && (g.integer & (8 | 16 | 64))) return nullptr;
        return cls;
    }
    if (dxfName != "INSERT" || !mem || !cls || !cls->isDerivedFrom(AcDbBlockReference::desc())) return cls;
    if (cls != AcDbBlockReference::desc()) return cls;  // a module's own class of that name
    int columns = 1, rows = 1;
    for (const AcDbDxfGroup& g : mem->groups()) {
        if (g.code == 100 && g.text == "AcDbMInsertBlock") return AcDbMInsertBlock::desc();
        if (g.code == 70 && g.type == AcDbDxfGroup::kInt) columns = static_cast<int>(g.integer);
        if (g.code == 71 && g.type == AcDbDxfGroup::kInt) rows = static_cast<int>(g.integer);
    }
    return columns > 1 || rows > 1 ? AcDbMInsertBlock::desc() : cls;
}

bool isSubEntityName(const AcDbObject* parent, const std::string& dxfName) {
    if (AcDbBlockReference::cast(parent)) return dxfName == "ATTRIB" || dxfName == "SEQEND";
    if (AcDb2dPolyline::cast(parent)) return dxfName == "VERTEX" || dxfName == "SEQEND";
    return false;
}

bool subEntityJoinsFirst(const std::string& dxfName) { return dxfName == "SEQEND" || dxfName == "VERTEX"; }

Acad::ErrorStatus attachSubEntity(AcDbObject* parent, AcDbObject* child) {
    if (auto* ref = AcDbBlockReference::cast(parent)) {
        if (auto* end = AcDbSequenceEnd::cast(child)) return ref->internalSetSequenceEnd(end->objectId());
        AcDbObjectId id;
        if (auto* att = AcDbAttribute::cast(child)) return ref->internalAppendAttribute(id, att);
    }
    if (auto* pline = AcDb2dPolyline::cast(parent)) {
        if (auto* end = AcDbSequenceEnd::cast(child)) return pline->internalSetSequenceEnd(end->objectId());
        if (auto* vertex = AcDb2dVertex::cast(child)) return pline->appendVertex(vertex);
    }
    return Acad::eWrongObjectType;
}

void finishSubEntities(AcDbObject* parent) {
    if (auto* ref = AcDbBlockReference::cast(parent)) ref->internalEnsureSequenceEnd();
}

bool mayHaveSubEntities(const AcRxClass* cls) {
    return cls && (cls->isDerivedFrom(AcDbBlockReference::desc()) || cls->isDerivedFrom(AcDb2dPolyline::desc()));
}

bool subEntitiesOf(const AcDbObject* entity, std::vector<AcDbObjectId>& followers, AcDbObjectId& sequenceEnd) {
    followers.clear();
    sequenceEnd = AcDbObjectId::kNull;
    if (auto* ref = AcDbBlockReference::cast(entity)) {
        for (AcDbObjectId id : ref->internalAttributeIds())
            if (!id.isErased()) followers.push_back(id);
        if (followers.empty()) return false;
        sequenceEnd = ref->sequenceEndId();
        if (sequenceEnd.isErased()) sequenceEnd = AcDbObjectId::kNull;
        return true;
    }
    if (auto* pline = AcDb2dPolyline::cast(entity)) {
        for (AcDbObjectId id : pline->internalVertexIds())
            if (!id.isErased()) followers.push_back(id);
        sequenceEnd = pline->sequenceEndId();
        if (sequenceEnd.isErased()) sequenceEnd = AcDbObjectId::kNull;
        return true;  // a POLYLINE always ends with SEQEND
    }
    return false;
}

AcDbObject* newProxy(bool entity, const std::string& dxfName, const std::string* className, const std::string* appName,
                     int proxyFlags) {
    const char* cls = className ? className->c_str() : "";
    const char* app = appName ? appName->c_str() : "";
    if (!entity) {
        auto* proxy = new AcDbProxyObject;
        proxy->setOriginalNames(cls, dxfName.c_str(), app);
        proxy->setProxyFlags(proxyFlags);
        return proxy;
    }
    auto* proxy = new AcDbProxyEntity;
    proxy->setOriginalNames(cls, dxfName.c_str(), app);
    proxy->setProxyFlags(proxyFlags);
    return proxy;
}

const char* proxyDxfName(const AcDbObject* object) {
    const char* name = nullptr;
    if (auto* proxy = AcDbProxyEntity::cast(object)) name = proxy->originalDxfName();
    else if (auto* other = AcDbProxyObject::cast(object)) name = other->originalDxfName();
    return name && *name ? name : nullptr;
}

// One CLASS entry per class of the proxies (entities and objects) that came with one (native DXF names have none).
void writeProxyClasses(TokenWriter& writer, AcDbDatabase* db, std::set<std::string>& written) {
    struct Entry {
        std::string cls, app;
        int flags = 0, count = 0;
        bool entity = false;
    };
    std::map<std::string, Entry> entries;
    for (AcDbObjectId id : db->allIds()) {
        AcDbObject* peeked = id.isErased() ? nullptr : cadhost::db::peek(id);
        if (!AcDbProxyEntity::cast(peeked) && !AcDbProxyObject::cast(peeked)) continue;
        AcDbObject* obj = nullptr;
        if (acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) continue;
        const auto* pe = AcDbProxyEntity::cast(obj);
        const auto* po = AcDbProxyObject::cast(obj);
        const char* cls = pe ? pe->originalClassName() : po->originalClassName();
        const char* dxf = pe ? pe->originalDxfName() : po->originalDxfName();
        if (*cls && *dxf) {
            Entry& e = entries[dxf];
            e.cls = cls;
            e.app = pe ? pe->applicationDescription() : po->applicationDescription();
            e.flags = pe ? pe->proxyFlags() : po->proxyFlags();
            e.entity = pe != nullptr;
            ++e.count;
        }
        obj->close();
    }
    for (const auto& [dxf, e] : entries) {
        if (!written.insert(dxf).second) continue;
        writer.write(0, "CLASS");
        writer.write(1, dxf);
        writer.write(2, e.cls);
        writer.write(3, e.app);
        writer.writeInt(90, e.flags);
        writer.writeInt(91, e.count);
        writer.writeInt(280, 1);
        writer.writeInt(281, e.entity ? 1 : 0);
    }
}

}  // namespace cadhost::dxf
