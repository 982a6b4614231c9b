#pragma once
#include "db/objectid.h"
#include "ge/vector.h"
#include "rx/ads.h"
#include "rx/object.h"

// Binary filer of objects: drawing files, undo, copy and cloning all go through it.
class CADHOST_API AcDbDwgFiler : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDwgFiler);
    ~AcDbDwgFiler() override;

    virtual Acad::ErrorStatus filerStatus() const = 0;
    virtual AcDb::FilerType filerType() const = 0;
    virtual void setFilerStatus(Acad::ErrorStatus status) = 0;
    virtual void resetFilerStatus() = 0;
    virtual AcDbDatabase* database() const = 0;

    virtual Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) = 0;
    virtual Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) = 0;
    virtual Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) = 0;
    virtual Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) = 0;
    virtual Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) = 0;
    virtual Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) = 0;
    virtual Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) = 0;
    virtual Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) = 0;

    // Strings: the reader receives a heap copy (free with free()).
    virtual Acad::ErrorStatus readString(char** value) = 0;
    virtual Acad::ErrorStatus writeString(const char* value) = 0;
    virtual Acad::ErrorStatus readBytes(void* buffer, uint32_t length) = 0;
    virtual Acad::ErrorStatus writeBytes(const void* buffer, uint32_t length) = 0;
    virtual Acad::ErrorStatus readBinaryChunk(void** buffer, uint32_t* length) = 0;  // malloc'd
    virtual Acad::ErrorStatus writeBinaryChunk(const void* buffer, uint32_t length) = 0;
    virtual Acad::ErrorStatus readAcDbHandle(AcDbHandle* value) = 0;
    virtual Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& value) = 0;

    virtual Acad::ErrorStatus readInt8(Adesk::Int8* value) = 0;
    virtual Acad::ErrorStatus writeInt8(Adesk::Int8 value) = 0;
    virtual Acad::ErrorStatus readUInt8(Adesk::UInt8* value) = 0;
    virtual Acad::ErrorStatus writeUInt8(Adesk::UInt8 value) = 0;
    virtual Acad::ErrorStatus readInt16(Adesk::Int16* value) = 0;
    virtual Acad::ErrorStatus writeInt16(Adesk::Int16 value) = 0;
    virtual Acad::ErrorStatus readUInt16(Adesk::UInt16* value) = 0;
    virtual Acad::ErrorStatus writeUInt16(Adesk::UInt16 value) = 0;
    virtual Acad::ErrorStatus readInt32(Adesk::Int32* value) = 0;
    virtual Acad::ErrorStatus writeInt32(Adesk::Int32 value) = 0;
    virtual Acad::ErrorStatus readUInt32(Adesk::UInt32* value) = 0;
    virtual Acad::ErrorStatus writeUInt32(Adesk::UInt32 value) = 0;
    virtual Acad::ErrorStatus readBoolean(Adesk::Boolean* value) = 0;
    virtual Acad::ErrorStatus writeBoolean(Adesk::Boolean value) = 0;
    virtual Acad::ErrorStatus readBool(bool* value) = 0;
    virtual Acad::ErrorStatus writeBool(bool value) = 0;
    virtual Acad::ErrorStatus readDouble(double* value) = 0;
    virtual Acad::ErrorStatus writeDouble(double value) = 0;
    virtual Acad::ErrorStatus readPoint2d(AcGePoint2d* value) = 0;
    virtual Acad::ErrorStatus writePoint2d(const AcGePoint2d& value) = 0;
    virtual Acad::ErrorStatus readPoint3d(AcGePoint3d* value) = 0;
    virtual Acad::ErrorStatus writePoint3d(const AcGePoint3d& value) = 0;
    virtual Acad::ErrorStatus readVector2d(AcGeVector2d* value) = 0;
    virtual Acad::ErrorStatus writeVector2d(const AcGeVector2d& value) = 0;
    virtual Acad::ErrorStatus readVector3d(AcGeVector3d* value) = 0;
    virtual Acad::ErrorStatus writeVector3d(const AcGeVector3d& value) = 0;
    virtual Acad::ErrorStatus readScale3d(AcGeVector3d* value) { return readVector3d(value); }
    virtual Acad::ErrorStatus writeScale3d(const AcGeVector3d& value) { return writeVector3d(value); }

    // Cloning filers hand out the objects an object owns (deep clone) or refers to hard
    // (wblock clone), in the order the object wrote them.
    virtual bool getNextOwnedObject(AcDbObjectId& id) { (void)id; return false; }
    virtual bool getNextHardObject(AcDbObjectId& id) { (void)id; return false; }

    virtual Acad::ErrorStatus seek(int64_t offset, int method) = 0;
    virtual int64_t tell() const = 0;

protected:
    AcDbDwgFiler() = default;
};

// Tagged filer of objects: DXF files, list output, and the DXF copy paths.
class CADHOST_API AcDbDxfFiler : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDxfFiler);
    ~AcDbDxfFiler() override;

    virtual Acad::ErrorStatus filerStatus() const = 0;
    virtual AcDb::FilerType filerType() const = 0;
    virtual void setFilerStatus(Acad::ErrorStatus status) = 0;
    virtual void resetFilerStatus() = 0;
    virtual AcDbDatabase* database() const = 0;
    // Sets the filer's error status and message (printf format).
    virtual Acad::ErrorStatus setError(Acad::ErrorStatus status, const char* format, ...) = 0;
    virtual Acad::ErrorStatus setError(const char* format, ...) = 0;
    virtual const char* errorMessage() const = 0;

    // Reading: one group at a time; restype is the group code, resval holds the value by the
    // code's type (strings are owned by the filer until the next read).
    virtual Acad::ErrorStatus readItem(resbuf* item) = 0;
    virtual Acad::ErrorStatus readResBuf(resbuf* item) { return readItem(item); }
    virtual Acad::ErrorStatus pushBackItem() = 0;
    virtual bool atEOF() = 0;
    virtual bool atSubclassData(const char* subclassName) = 0;
    virtual bool atExtendedData() = 0;
    virtual bool atEndOfObject() = 0;
    virtual bool atEmbeddedObjectStart() { return false; }
    // The value of the item read last as a real, whatever its group code's kind: records may
    // file reals under integer codes. False when that item has no number.
    virtual bool lastItemAsReal(double& value) const { (void)value; return false; }

    // Writing.
    virtual Acad::ErrorStatus writeItem(const resbuf& item) = 0;
    virtual Acad::ErrorStatus writeResBuf(const resbuf& item) { return writeItem(item); }
    virtual Acad::ErrorStatus writeObjectId(int groupCode, const AcDbObjectId& id) = 0;
    virtual Acad::ErrorStatus writeString(int groupCode, const char* value) = 0;
    virtual Acad::ErrorStatus writeInt8(int groupCode, Adesk::Int8 value) = 0;
    virtual Acad::ErrorStatus writeInt16(int groupCode, Adesk::Int16 value) = 0;
    virtual Acad::ErrorStatus writeUInt16(int groupCode, Adesk::UInt16 value) = 0;
    virtual Acad::ErrorStatus writeInt32(int groupCode, Adesk::Int32 value) = 0;
    virtual Acad::ErrorStatus writeUInt32(int groupCode, Adesk::UInt32 value) = 0;
    virtual Acad::ErrorStatus writeBoolean(int groupCode, Adesk::Boolean value) = 0;
    virtual Acad::ErrorStatus writeBool(int groupCode, bool value) = 0;
    virtual Acad::ErrorStatus writeDouble(int groupCode, double value, int precision = -1) = 0;
    virtual Acad::ErrorStatus writePoint2d(int groupCode, const AcGePoint2d& value, int precision = -1) = 0;
    virtual Acad::ErrorStatus writePoint3d(int groupCode, const AcGePoint3d& value, int precision = -1) = 0;
    virtual Acad::ErrorStatus writeVector3d(int groupCode, const AcGeVector3d& value, int precision = -1) = 0;
    virtual Acad::ErrorStatus writeAngle(int groupCode, double value, int precision = -1) { return writeDouble(groupCode, value, precision); }
    virtual Acad::ErrorStatus writeBytes(int groupCode, const void* buffer, uint32_t length) = 0;
    virtual Acad::ErrorStatus writeAcDbHandle(int groupCode, const AcDbHandle& value) = 0;
    virtual Acad::ErrorStatus writeSoftPointerId(int groupCode, const AcDbObjectId& id) { return writeObjectId(groupCode, id); }
    virtual Acad::ErrorStatus writeHardPointerId(int groupCode, const AcDbObjectId& id) { return writeObjectId(groupCode, id); }
    virtual Acad::ErrorStatus writeSoftOwnershipId(int groupCode, const AcDbObjectId& id) { return writeObjectId(groupCode, id); }
    virtual Acad::ErrorStatus writeHardOwnershipId(int groupCode, const AcDbObjectId& id) { return writeObjectId(groupCode, id); }
    // Writes the subclass marker (group 100).
    Acad::ErrorStatus writeSubclass(const char* name) { return writeString(100, name); }

    virtual bool includesDefaultValues() const { return false; }

protected:
    AcDbDxfFiler() = default;
};
