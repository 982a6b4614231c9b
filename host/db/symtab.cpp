#include "db/symtab.h"
#include <cctype>
#include <cstring>
#include "db/database.h"
#include "db/hostinternal.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject, "TABLE", ACRX_NO_CONS)

#define CADHOST_DEFINE_TABLE(TABLE, RECORD)                              \
    ACRX_HOST_DEFINE_MEMBERS(TABLE, AcDbSymbolTable, "TABLE", ACRX_HOST_CONS(TABLE)) \
    TABLE::TABLE() = default;                                            \
    TABLE::~TABLE() = default;                                           \
    AcRxClass* TABLE::recordClass() const { return RECORD::desc(); }

CADHOST_DEFINE_TABLE(AcDbBlockTable, AcDbBlockTableRecord)
CADHOST_DEFINE_TABLE(AcDbLayerTable, AcDbLayerTableRecord)
CADHOST_DEFINE_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord)
CADHOST_DEFINE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord)
CADHOST_DEFINE_TABLE(AcDbViewTable, AcDbViewTableRecord)
CADHOST_DEFINE_TABLE(AcDbUCSTable, AcDbUCSTableRecord)
CADHOST_DEFINE_TABLE(AcDbViewportTable, AcDbViewportTableRecord)
CADHOST_DEFINE_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord)
CADHOST_DEFINE_TABLE(AcDbDimStyleTable, AcDbDimStyleTableRecord)

using namespace cadhost::db;

namespace cadhost::db {
std::string symbolKey(const char* name) {
    std::string k = name ? name : "";
    for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return k;
}

// Not empty, at most 255 characters, no blanks at either end, no control characters and none of
// < > / \ " : ; ? , = `; '*' only in front (anonymous blocks, *Active), '|' for dependent names.
bool isValidSymbolName(const char* name) {
    if (!name || !*name) return false;
    size_t n = std::strlen(name);
    if (n > 255 || name[0] == ' ' || name[n - 1] == ' ') return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || c == 127 || std::strchr("<>/\\\":;?,=`", c)) return false;
        if (c == '*' && i != 0) return false;
    }
    return !(n == 1 && name[0] == '*');
}
}  // namespace cadhost::db

AcDbSymbolTable::AcDbSymbolTable() = default;
AcDbSymbolTable::~AcDbSymbolTable() = default;

std::string AcDbSymbolTable::key(const std::string& name) { return symbolKey(name.c_str()); }

AcDbObjectId AcDbSymbolTable::internalLookup(const char* name, bool getErased) const {
    if (!name) return AcDbObjectId::kNull;
    std::string k = key(name);
    auto it = m_byName.find(k);
    if (it == m_byName.end()) return AcDbObjectId::kNull;
    if (getErased || !it->second.isErased()) return it->second;
    // The name may have been taken again by a record added after this one was erased.
    for (const AcDbObjectId& id : m_order) {
        auto* r = peekAs<AcDbSymbolTableRecord>(id);
        if (r && !id.isErased() && key(r->name()) == k) return id;
    }
    return AcDbObjectId::kNull;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* name, AcDbObjectId& id, bool getErased) const {
    assertReadEnabled();
    id = internalLookup(name, getErased);
    return id.isNull() ? Acad::eKeyNotFound : Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                         bool openErased) const {
    AcDbObjectId id;
    record = nullptr;
    Acad::ErrorStatus es = getAt(name, id, openErased);
    return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
}

bool AcDbSymbolTable::has(const char* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    assertReadEnabled();
    for (const AcDbObjectId& r : m_order)
        if (r == id) return !id.isErased();
    return false;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* record) {
    AcDbObjectId id;
    return add(id, record);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* record) {
    id = AcDbObjectId::kNull;
    if (!record) return Acad::eNullObjectPointer;
    AcDbDatabase* db = database();
    if (!isDatabaseResident() || !db) return Acad::eNotInDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (record->isDatabaseResident()) return Acad::eAlreadyInDb;
    if (!record->isKindOf(recordClass())) return Acad::eWrongObjectType;
    const char* name = record->name();
    if (!isValidSymbolName(name)) return Acad::eInvalidSymbolTableName;
    if (!internalLookup(name).isNull()) return Acad::eDuplicateKey;
    assertWriteEnabled();
    record->internalSetOwner(objectId());
    Acad::ErrorStatus es = db->addAcDbObject(id, record);
    if (es != Acad::eOk) return es;
    internalAppend(id, name);
    return Acad::eOk;
}

void AcDbSymbolTable::internalAppend(AcDbObjectId id, const std::string& name) {
    if (id.isNull()) return;
    bool present = false;
    for (const AcDbObjectId& r : m_order)
        if (r == id) present = true;
    if (!present) m_order.push_back(id);
    std::string k = key(name);
    auto it = m_byName.find(k);
    if (it == m_byName.end() || it->second.isErased() || !it->second.isValid()) m_byName[k] = id;
}

void AcDbSymbolTable::internalRename(const std::string& oldName, const std::string& newName, AcDbObjectId id) {
    auto it = m_byName.find(key(oldName));
    if (it != m_byName.end() && it->second == id) m_byName.erase(it);
    m_byName[key(newName)] = id;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning,
                                               bool skipDeleted) const {
    assertReadEnabled();
    iterator = new AcDbSymbolTableIterator(this, atBeginning, skipDeleted);
    return Acad::eOk;
}

int AcDbSymbolTable::numRecords(bool countErased) const {
    assertReadEnabled();
    int n = 0;
    for (const AcDbObjectId& id : m_order)
        if (countErased || !id.isErased()) ++n;
    return n;
}

// The record ids in order, each with its name (the records may be read after the table).
Acad::ErrorStatus AcDbSymbolTable::dwgOutFields(AcDbDwgFiler* filer) const {
    if (Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer); es != Acad::eOk) return es;
    filer->writeInt32(static_cast<Adesk::Int32>(m_order.size()));
    for (const AcDbObjectId& id : m_order) {
        filer->writeHardOwnershipId(AcDbHardOwnershipId(id));
        auto* r = peekAs<AcDbSymbolTableRecord>(id);
        filer->writeString(r ? r->name() : "");
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTable::dwgInFields(AcDbDwgFiler* filer) {
    if (Acad::ErrorStatus es = AcDbObject::dwgInFields(filer); es != Acad::eOk) return es;
    Adesk::Int32 n = 0;
    filer->readInt32(&n);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (n < 0) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    std::vector<AcDbObjectId> order;
    std::map<std::string, AcDbObjectId> byName;
    for (Adesk::Int32 i = 0; i < n && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbHardOwnershipId id;
        char* name = nullptr;
        filer->readHardOwnershipId(&id);
        filer->readString(&name);
        if (!id.isNull()) {
            order.push_back(id);
            if (name && *name) byName.emplace(key(name), id);
        }
        std::free(name);
    }
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    m_order = std::move(order);
    m_byName = std::move(byName);
    return Acad::eOk;
}

// Iteration over the table's records in the order they were added.
AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool atBeginning, bool skipDeleted)
    : m_table(table) {
    start(atBeginning, skipDeleted);
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    long n = m_table ? static_cast<long>(m_table->recordIds().size()) : 0;
    m_pos = atBeginning ? 0 : n - 1;
    skip(atBeginning, skipDeleted);
}

bool AcDbSymbolTableIterator::done() const {
    return !m_table || m_pos < 0 || m_pos >= static_cast<long>(m_table->recordIds().size());
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    if (done()) return;
    m_pos += forward ? 1 : -1;
    skip(forward, skipDeleted);
}

void AcDbSymbolTableIterator::skip(bool forward, bool skipDeleted) {
    if (!skipDeleted) return;
    while (!done() && m_table->recordIds()[static_cast<size_t>(m_pos)].isErased()) m_pos += forward ? 1 : -1;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    id = AcDbObjectId::kNull;
    if (done()) return Acad::eInvalidIndex;
    id = m_table->recordIds()[static_cast<size_t>(m_pos)];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                                     bool openErased) const {
    AcDbObjectId id;
    record = nullptr;
    Acad::ErrorStatus es = getRecordId(id);
    return es == Acad::eOk ? acdbOpenObject(record, id, mode, openErased) : es;
}

Acad::ErrorStatus AcDbSymbolTableIterator::seek(AcDbObjectId id) {
    if (!m_table) return Acad::eInvalidInput;
    const auto& ids = m_table->recordIds();
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i] == id) {
            m_pos = static_cast<long>(i);
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}
