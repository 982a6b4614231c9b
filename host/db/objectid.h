#pragma once
#include <functional>
#include "db/handle.h"

class AcDbDatabase;
class AcDbObject;
class AcRxClass;
struct AcDbStub;

// Identifies an object of a database for as long as the database lives.
class CADHOST_API AcDbObjectId {
public:
    AcDbObjectId() = default;
    explicit AcDbObjectId(AcDbStub* stub) : m_stub(stub) {}
    static const AcDbObjectId kNull;

    bool isNull() const { return m_stub == nullptr; }
    // Not null, and there is (or was) an object behind it.
    bool isValid() const;
    bool isErased() const;
    bool isEffectivelyErased() const { return isErased(); }
    AcDbDatabase* database() const;
    AcDbHandle handle() const;
    AcRxClass* objectClass() const;
    // The 32-bit form that identifies the object within its database (its handle's low part).
    int32_t asOldId() const;
    // Resolves a 32-bit form within a database; an unknown value leaves the id null.
    AcDbObjectId& setFromOldId(int32_t oldId, AcDbDatabase* database);
    AcDbStub* stub() const { return m_stub; }

    bool operator==(const AcDbObjectId& o) const { return m_stub == o.m_stub; }
    bool operator!=(const AcDbObjectId& o) const { return m_stub != o.m_stub; }
    bool operator<(const AcDbObjectId& o) const { return std::less<AcDbStub*>()(m_stub, o.m_stub); }
    explicit operator bool() const = delete;

protected:
    AcDbStub* m_stub = nullptr;
};

// Reference kinds; the kind matters to filing and cloning only.
class CADHOST_API AcDbSoftPointerId : public AcDbObjectId {
public:
    AcDbSoftPointerId() = default;
    AcDbSoftPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class CADHOST_API AcDbHardPointerId : public AcDbObjectId {
public:
    AcDbHardPointerId() = default;
    AcDbHardPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class CADHOST_API AcDbSoftOwnershipId : public AcDbObjectId {
public:
    AcDbSoftOwnershipId() = default;
    AcDbSoftOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class CADHOST_API AcDbHardOwnershipId : public AcDbObjectId {
public:
    AcDbHardOwnershipId() = default;
    AcDbHardOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;

template <>
struct std::hash<AcDbObjectId> {
    size_t operator()(const AcDbObjectId& id) const noexcept { return std::hash<AcDbStub*>()(id.stub()); }
};
