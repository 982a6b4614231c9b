#pragma once
// Collects the ids an object files, by kind (host-internal, not exported).
#include <vector>
#include "db/filer.h"

namespace cadhost::db {

class ReferenceFiler : public AcDbDwgFiler {
public:
    explicit ReferenceFiler(AcDbDatabase* db, AcDb::FilerType type = AcDb::kIdFiler) : m_db(db), m_type(type) {}

    std::vector<AcDbObjectId> hardPointers, softPointers, hardOwned, softOwned;

    Acad::ErrorStatus filerStatus() const override { return m_status; }
    AcDb::FilerType filerType() const override { return m_type; }
    void setFilerStatus(Acad::ErrorStatus s) override { m_status = s; }
    void resetFilerStatus() override { m_status = Acad::eOk; }
    AcDbDatabase* database() const override { return m_db; }

    Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override { return keep(hardOwned, id); }
    Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override { return keep(softOwned, id); }
    Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override { return keep(hardPointers, id); }
    Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override { return keep(softPointers, id); }
    Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId*) override { return refuse(); }
    Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId*) override { return refuse(); }
    Acad::ErrorStatus readHardPointerId(AcDbHardPointerId*) override { return refuse(); }
    Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId*) override { return refuse(); }

    Acad::ErrorStatus readString(char**) override { return refuse(); }
    Acad::ErrorStatus writeString(const char*) override { return m_status; }
    Acad::ErrorStatus readBytes(void*, uint32_t) override { return refuse(); }
    Acad::ErrorStatus writeBytes(const void*, uint32_t) override { return m_status; }
    Acad::ErrorStatus readBinaryChunk(void**, uint32_t*) override { return refuse(); }
    Acad::ErrorStatus writeBinaryChunk(const void*, uint32_t) override { return m_status; }
    Acad::ErrorStatus readAcDbHandle(AcDbHandle*) override { return refuse(); }
    Acad::ErrorStatus writeAcDbHandle(const AcDbHandle&) override { return m_status; }
    Acad::ErrorStatus readInt8(Adesk::Int8*) override { return refuse(); }
    Acad::ErrorStatus writeInt8(Adesk::Int8) override { return m_status; }
    Acad::ErrorStatus readUInt8(Adesk::UInt8*) override { return refuse(); }
    Acad::ErrorStatus writeUInt8(Adesk::UInt8) override { return m_status; }
    Acad::ErrorStatus readInt16(Adesk::Int16*) override { return refuse(); }
    Acad::ErrorStatus writeInt16(Adesk::Int16) override { return m_status; }
    Acad::ErrorStatus readUInt16(Adesk::UInt16*) override { return refuse(); }
    Acad::ErrorStatus writeUInt16(Adesk::UInt16) override { return m_status; }
    Acad::ErrorStatus readInt32(Adesk::Int32*) override { return refuse(); }
    Acad::ErrorStatus writeInt32(Adesk::Int32) override { return m_status; }
    Acad::ErrorStatus readUInt32(Adesk::UInt32*) override { return refuse(); }
    Acad::ErrorStatus writeUInt32(Adesk::UInt32) override { return m_status; }
    Acad::ErrorStatus readBoolean(Adesk::Boolean*) override { return refuse(); }
    Acad::ErrorStatus writeBoolean(Adesk::Boolean) override { return m_status; }
    Acad::ErrorStatus readBool(bool*) override { return refuse(); }
    Acad::ErrorStatus writeBool(bool) override { return m_status; }
    Acad::ErrorStatus readDouble(double*) override { return refuse(); }
    Acad::ErrorStatus writeDouble(double) override { return m_status; }
    Acad::ErrorStatus readPoint2d(AcGePoint2d*) override { return refuse(); }
    Acad::ErrorStatus writePoint2d(const AcGePoint2d&) override { return m_status; }
    Acad::ErrorStatus readPoint3d(AcGePoint3d*) override { return refuse(); }
    Acad::ErrorStatus writePoint3d(const AcGePoint3d&) override { return m_status; }
    Acad::ErrorStatus readVector2d(AcGeVector2d*) override { return refuse(); }
    Acad::ErrorStatus writeVector2d(const AcGeVector2d&) override { return m_status; }
    Acad::ErrorStatus readVector3d(AcGeVector3d*) override { return refuse(); }
    Acad::ErrorStatus writeVector3d(const AcGeVector3d&) override { return m_status; }
    Acad::ErrorStatus seek(int64_t, int) override { return Acad::eOk; }
    int64_t tell() const override { return 0; }

private:
    Acad::ErrorStatus keep(std::vector<AcDbObjectId>& ids, const AcDbObjectId& id) {
        if (!id.isNull()) ids.push_back(id);
        return m_status;
    }
    Acad::ErrorStatus refuse() {
        m_status = Acad::eNotApplicable;
        return m_status;
    }
    AcDbDatabase* m_db;
    AcDb::FilerType m_type;
    Acad::ErrorStatus m_status = Acad::eOk;
};

// Files the object (opening it for read when it is not open) and answers what it refers to.
bool collectReferences(AcDbObjectId id, ReferenceFiler& filer);

}  // namespace cadhost::db
