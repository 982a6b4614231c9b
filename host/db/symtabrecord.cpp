#include <cstdlib>
#include <cstring>
#include "db/database.h"
#include "db/hostinternal.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject, "", ACRX_NO_CONS)

using namespace cadhost::db;

namespace cadhost::db {
bool isRequiredRecord(const AcDbDatabase* db, AcDbObjectId id) {
    if (!db || id.isNull()) return false;
    const AcDbObjectId tables[] = {db->blockTableId(),    db->layerTableId(),    db->linetypeTableId(),
                                   db->textStyleTableId(), db->viewTableId(),     db->UCSTableId(),
                                   db->viewportTableId(),  db->regAppTableId(),   db->dimStyleTableId()};
    for (const AcDbObjectId& t : tables)
        if (t == id) return true;
    // Only records can be required ones: other objects are told apart without looking any up.
    if (!AcDbSymbolTableRecord::cast(peek(id))) return false;
    return id == db->layerZero() || id == db->modelSpaceId() || id == db->paperSpaceId() ||
           id == db->byLayerLinetype() || id == db->byBlockLinetype() || id == db->continuousLinetype() ||
           id == db->clayer() || id == db->celtype() || id == db->textstyle();
}
}  // namespace cadhost::db

AcDbSymbolTableRecord::AcDbSymbolTableRecord() = default;
AcDbSymbolTableRecord::~AcDbSymbolTableRecord() = default;

Acad::ErrorStatus AcDbSymbolTableRecord::getName(char*& name) const {
    assertReadEnabled();
    name = strdup(m_name.c_str());
    return name ? Acad::eOk : Acad::eOutOfMemory;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const char*& name) const {
    assertReadEnabled();
    name = m_name.c_str();
    return Acad::eOk;
}

// A record in a table keeps its name unique there; the standard records keep their names.
Acad::ErrorStatus AcDbSymbolTableRecord::setName(const char* name) {
    if (!isValidSymbolName(name)) return Acad::eInvalidSymbolTableName;
    if (!isWriteEnabled()) {
        assertWriteEnabled();
        return Acad::eNotOpenForWrite;
    }
    std::string newName = name;
    if (auto* table = peekAs<AcDbSymbolTable>(ownerId()); table && isDatabaseResident()) {
        bool sameKey = symbolKey(newName.c_str()) == symbolKey(m_name.c_str());
        if (!sameKey) {
            AcDbObjectId other = table->internalLookup(name);
            if (!other.isNull() && other != objectId()) return Acad::eDuplicateKey;
            AcDbDatabase* db = database();
            if (db && (objectId() == db->layerZero() || objectId() == db->modelSpaceId() ||
                       objectId() == db->paperSpaceId() || objectId() == db->byLayerLinetype() ||
                       objectId() == db->byBlockLinetype()))
                return Acad::eInvalidInput;
        }
        assertWriteEnabled();
        std::string oldName = m_name;
        m_name = newName;
        table->internalRename(oldName, newName, objectId());
        recordRenamed(database(), this, oldName, newName);
        return Acad::eOk;
    }
    assertWriteEnabled();
    m_name = newName;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeString(m_name.c_str());
    filer->writeInt16(m_flags);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbObject::dwgInFields(filer); es != Acad::eOk) return es;
    char* name = nullptr;
    Adesk::Int16 flags = 0;
    filer->readString(&name);
    filer->readInt16(&flags);
    if (filer->filerStatus() == Acad::eOk) {
        std::string oldName = m_name;
        m_name = name ? name : "";
        m_flags = flags;
        auto* table = peekAs<AcDbSymbolTable>(ownerId());
        if (table && isDatabaseResident() && oldName != m_name) table->internalRename(oldName, m_name, objectId());
    }
    std::free(name);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::subErase(bool erasing) {
    if (!erasing) {
        auto* table = peekAs<AcDbSymbolTable>(ownerId());
        AcDbObjectId other = table ? table->internalLookup(m_name.c_str()) : AcDbObjectId::kNull;
        if (!other.isNull() && other != objectId()) return Acad::eDuplicateKey;
    }
    return AcDbObject::subErase(erasing);
}
