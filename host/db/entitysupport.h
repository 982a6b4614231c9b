#pragma once
// Helpers shared by the native entities (text, references, dimensions); host-internal.
#include <string>
#include "db/entity.h"
#include "db/symtab.h"

namespace cadhost::ent {

constexpr double kPi = 3.14159265358979323846;

// Group values read from a DXF filer, whatever numeric form the filer chose.
int groupInt(const resbuf& rb);
double groupReal(const resbuf& rb);
AcGePoint3d groupPoint(const resbuf& rb);
AcGeVector3d groupVector(const resbuf& rb);
std::string groupString(const resbuf& rb);

// Angles are radians in memory and degrees in DXF groups 50-58.
Acad::ErrorStatus writeAngle(AcDbDxfFiler* filer, int code, double radians);
double groupAngle(const resbuf& rb);

// Next group of an entity's part. False at the end of the object: then the group that ends
// it (a new entity, extended data) has been pushed back, and es holds an error if reading
// failed for another reason.
bool nextGroup(AcDbDxfFiler* filer, resbuf& rb, Acad::ErrorStatus& es);

// Points in the object coordinate system of a normal and back.
AcGePoint3d toOcs(const AcGePoint3d& p, const AcGeVector3d& normal);
AcGePoint3d fromOcs(const AcGePoint3d& p, const AcGeVector3d& normal);
// Angle of a direction about a normal, measured from the plane's X axis, in [0, 2 pi).
double angleInPlane(const AcGeVector3d& direction, const AcGeVector3d& normal);
// Unit direction at an angle from the plane's X axis.
AcGeVector3d directionInPlane(double angle, const AcGeVector3d& normal);
// A unit normal, or null when the vector has no length.
bool unitNormal(const AcGeVector3d& v, AcGeVector3d& out);

// Name of a symbol table record ("" when it cannot be read), and the record of a name.
std::string recordName(AcDbObjectId id);
AcDbObjectId recordByName(AcDbObjectId tableId, const std::string& name);
// The path of an external reference's block; empty for any other block.
std::string xrefPath(AcDbObjectId blockId);

// Opens an object for read for the scope. An object that is open for write or notify
// elsewhere is read where it is (its data is in memory, and it is only read).
class ReadAccess {
public:
    explicit ReadAccess(AcDbObjectId id);
    ~ReadAccess();
    ReadAccess(const ReadAccess&) = delete;
    ReadAccess& operator=(const ReadAccess&) = delete;
    AcDbObject* object() const { return m_object; }
    template <class T>
    T* as() const { return T::cast(m_object); }
    Acad::ErrorStatus status() const { return m_status; }

private:
    AcDbObject* m_object = nullptr;
    bool m_opened = false;
    Acad::ErrorStatus m_status = Acad::eOk;
};

// Guards drawing and exploding of nested references against blocks that contain themselves.
class NestingGuard {
public:
    NestingGuard();
    ~NestingGuard();
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
    bool tooDeep() const;
};

// Approximate text metrics of the host (no fonts): a character is kCharWidth x height wide,
// descenders reach kDescent x height below the baseline.
constexpr double kCharWidth = 0.6;
constexpr double kDescent = 0.2;
// Characters a string shows: UTF-8 sequences count once, %%d/%%p/%%c and %%nnn once,
// %%u/%%o/%%k (underline, overline, strike toggles) not at all.
int textCharCount(const std::string& text);

// Deletes the entities of an explode result (used when a later piece fails).
void deleteEntities(AcDbVoidPtrArray& entities, int from = 0);

}  // namespace cadhost::ent
