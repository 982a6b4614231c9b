#pragma once
#include <cstdint>
#include <vector>
#include "db/objectid.h"

class AcDbDatabase;

// One entry of an id mapping: the source id, the clone id and how far cloning got.
class CADHOST_API AcDbIdPair {
public:
    AcDbIdPair() = default;
    AcDbIdPair(AcDbObjectId key, AcDbObjectId value, bool isCloned, bool isPrimary = false,
               bool isOwnerXlated = true)
        : m_key(key), m_value(value), m_cloned(isCloned), m_primary(isPrimary), m_ownerXlated(isOwnerXlated) {}
    AcDbObjectId key() const { return m_key; }
    AcDbObjectId value() const { return m_value; }
    bool isCloned() const { return m_cloned; }
    bool isPrimary() const { return m_primary; }
    bool isOwnerXlated() const { return m_ownerXlated; }
    void setKey(AcDbObjectId id) { m_key = id; }
    void setValue(AcDbObjectId id) { m_value = id; }
    void setIsCloned(bool v) { m_cloned = v; }
    void setIsPrimary(bool v) { m_primary = v; }
    void setIsOwnerXlated(bool v) { m_ownerXlated = v; }

private:
    AcDbObjectId m_key, m_value;
    bool m_cloned = false, m_primary = false, m_ownerXlated = true;
};

// Source-to-clone map of one deep clone or wblock clone operation.
class CADHOST_API AcDbIdMapping {
public:
    AcDbIdMapping() = default;
    Acad::ErrorStatus assign(const AcDbIdPair& pair);
    bool compute(AcDbIdPair& pair) const;  // looks up pair.key(); fills the rest
    bool change(const AcDbIdPair& pair);
    bool del(AcDbObjectId key);
    AcDb::DeepCloneType deepCloneContext() const { return m_context; }
    AcDb::DuplicateRecordCloning duplicateRecordCloning() const { return m_drc; }
    void setDeepCloneContext(AcDb::DeepCloneType context) { m_context = context; }
    void setDuplicateRecordCloning(AcDb::DuplicateRecordCloning drc) { m_drc = drc; }
    Acad::ErrorStatus destDb(AcDbDatabase*& db) const { db = m_dest; return Acad::eOk; }
    Acad::ErrorStatus setDestDb(AcDbDatabase* db) { m_dest = db; return Acad::eOk; }
    Acad::ErrorStatus origDb(AcDbDatabase*& db) const { db = m_orig; return Acad::eOk; }
    void setOrigDb(AcDbDatabase* db) { m_orig = db; }
    const std::vector<AcDbIdPair>& pairs() const { return m_pairs; }
    // Host-internal: room for n more pairs without growing.
    void internalReserve(size_t n);

private:
    // Open addressing over the key's stub: each slot holds a pair's index plus one, 0 when free.
    size_t slotOf(AcDbObjectId key) const;
    void rebuildIndex(size_t slots);

    std::vector<AcDbIdPair> m_pairs;
    std::vector<uint32_t> m_slots;
    unsigned m_shift = 64;
    AcDb::DeepCloneType m_context = AcDb::kDcCopy;
    AcDb::DuplicateRecordCloning m_drc = AcDb::kDrcIgnore;
    AcDbDatabase* m_dest = nullptr;
    AcDbDatabase* m_orig = nullptr;
};

class CADHOST_API AcDbIdMappingIter {
public:
    explicit AcDbIdMappingIter(const AcDbIdMapping& map) : m_map(map) {}
    void start() { m_i = 0; }
    bool done() const { return m_i >= m_map.pairs().size(); }
    void next() { ++m_i; }
    bool getMap(AcDbIdPair& pair) const {
        if (done()) return false;
        pair = m_map.pairs()[m_i];
        return true;
    }

private:
    const AcDbIdMapping& m_map;
    size_t m_i = 0;
};
