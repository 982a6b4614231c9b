#pragma once
// Geometry and database helpers shared by the grip engine, the block reference, the binding of
// grip points and the formula functions.
#include "ZeftExport.h"
#include "db/entity.h"
#include "db/objectid.h"
#include "ge/arrays.h"
#include "ge/matrix.h"
#include "ui/cstring.h"

class AcDbBlockTableRecord;
class AcDbText;
class ZEFTAttribute;
class ZEFTBlockReference;
class ZEFTGripPoint;

// The module's own pi (not the exact value) and its 2 pi.
constexpr double kZeftPi = 3.1415926535898;
constexpr double kZeftTwoPi = 6.283185307179586;

// Module string of the failed-stretch message.
constexpr unsigned kStretchFailedString = 102;

// degrees x 3.1415926535898 / 180.
ZEFT_API double toRadians(double degrees);
// Angle of the line from `from` to `to` in the XY plane, from the X axis, in [0, 2 pi).
ZEFT_API double angleOf(const AcGePoint3d& from, const AcGePoint3d& to);
// The module's string-table text for the id (buffer of 1000 characters); empty when none.
ZEFT_API CString loadResString(unsigned id);
// The point at that distance and angle from base in the XY plane, with the base's z.
ZEFT_API AcGePoint3d polarPoint(double distance, double angle, const AcGePoint3d& base);
// Moves target to the given distance from base, keeping its direction from base.
ZEFT_API void pointAlong(const AcGePoint3d& base, AcGePoint3d& target, double distance);
// The working database's current space (model space while TILEMODE is on), opened for write
// or read; the caller closes it. Null when it cannot be opened.
ZEFT_API AcDbBlockTableRecord* currentSpaceRecord(bool forWrite);
// Name of a symbol table record; empty when it cannot be read.
ZEFT_API CString symbolRecordName(AcDbObjectId id);
// The angle brought into [0, 2 pi).
ZEFT_API double normalizeAngle(double angle);
ZEFT_API bool containsId(const AcDbObjectIdArray& ids, const AcDbObjectId& id);
// Whether a block definition holds an entity whose class is exactly ZEFTGripPoint.
ZEFT_API bool containsGripPoint(AcDbObjectId definitionId);
// The reference's attribute made from an intelligent attribute definition, open for read (the
// caller closes it); null when the entity is no such definition or no attribute belongs to it.
ZEFT_API ZEFTAttribute* attributeOfDefinition(const AcDbEntity* entity, const ZEFTBlockReference* reference);
// For an entity whose class is exactly AcDbMInsertBlock appends its insertion point and the
// far ends of its rows and columns, and answers true.
ZEFT_API bool mInsertCorners(const AcDbEntity* entity, AcGePoint3dArray& points);

// "*" + the definition's name + the smallest number from 1 that no block of its drawing uses;
// empty when the definition or the block table cannot be read.
ZEFT_API CString uniqueCopyName(AcDbObjectId definitionId);
// A new definition of the source's drawing holding clones of the source's entities, at the
// source's origin, named `name` (or `name` followed by 0 to 254 when that is taken). The
// reference is not used. Null id on failure.
ZEFT_API AcDbObjectId copyBlockDefinition(AcDbObjectId sourceId, const char* name, ZEFTBlockReference* reference);

// Whether a point lies inside (or on) a closed planar curve; fitted 2-D polylines are refused.
ZEFT_API bool pointInsideCurve(const AcDbCurve* curve, const AcGePoint3d& point);
// Which way the curve runs across a ray at a parameter: 0 or 1 by side, 2 along the ray.
ZEFT_API int curveSideOfRay(const AcDbCurve* curve, double parameter, const AcGeVector3d& direction,
                            const AcGeVector3d& normal);
// The same test against the closed outline through the points.
ZEFT_API bool pointInsidePoints(const AcGePoint3dArray& points, const AcGePoint3d& point);
ZEFT_API bool pointInsideGripOutline(const ZEFTGripPoint* grip, const AcGePoint3d& point, int list);

// Appends the points the grip engine moves for an entity, by its kind.
ZEFT_API void entityStretchPoints(const AcDbEntity* entity, AcGePoint3dArray& points);
// Moves those points of an entity (open for write) by a vector in its definition's coordinates;
// a failure queues the undo and prints the message once per move.
ZEFT_API void moveEntityStretchPoints(AcDbEntity* entity, const AcDbIntArray& indices, const AcGeVector3d& v,
                                      ZEFTBlockReference* reference);
// Adjusts the drag v of sub-point b, measured from sub-point a, to dimensional setting k.
ZEFT_API void snapToDimensionalSettings(const ZEFTGripPoint* grip, int a, int b, AcGeVector3d& v, int k);
// A plain text copy of any text entity under a transformation; the caller owns the copy.
ZEFT_API Acad::ErrorStatus transformedTextCopy(const AcDbText* text, const AcGeMatrix3d& matrix,
                                               AcDbEntity*& copy);
// Deletes the scratch text behind transformedTextCopy (module unload).
ZEFT_API void releaseTextScratch();

// Queues "_u " on the current document and prints the failed-stretch message.
ZEFT_API void reportStretchFailure();
