#pragma once
#include "db/objectid.h"
#include "gi/drawable.h"
#include "ge/matrix.h"

namespace AcGiArcType { enum { kAcGiArcSimple = 0, kAcGiArcSector = 1, kAcGiArcChord = 2 }; }
enum AcGiRegenType { eAcGiRegenTypeInvalid = 0, kAcGiStandardDisplay = 2, kAcGiHideOrShadeCommand = 3 };
enum AcGiFillType { kAcGiFillAlways = 1, kAcGiFillNever = 2 };

// Properties applied to the geometry that follows.
class CADHOST_API AcGiSubEntityTraits {
public:
    virtual ~AcGiSubEntityTraits();
    virtual void setColor(Adesk::UInt16 colorIndex) = 0;
    virtual Adesk::UInt16 color() const = 0;
    virtual void setLayer(AcDbObjectId layerId) = 0;
    virtual AcDbObjectId layerId() const = 0;
    virtual void setLineType(AcDbObjectId linetypeId) = 0;
    virtual AcDbObjectId lineTypeId() const = 0;
    virtual void setLineWeight(AcDb::LineWeight weight) = 0;
    virtual AcDb::LineWeight lineWeight() const = 0;
    virtual void setFillType(AcGiFillType type) = 0;
    virtual AcGiFillType fillType() const = 0;
    virtual void setSelectionMarker(long marker) = 0;
};

class CADHOST_API AcGiDrawableTraits : public AcGiSubEntityTraits {};

// Geometry calls shared by world and viewport drawing; points are in model coordinates
// (under the pushed model transforms).
class CADHOST_API AcGiGeometry {
public:
    virtual ~AcGiGeometry();
    virtual Adesk::Boolean circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) const = 0;
    virtual Adesk::Boolean circle(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3) const;
    virtual Adesk::Boolean circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                                       const AcGeVector3d& startVector, double sweepAngle,
                                       int arcType = AcGiArcType::kAcGiArcSimple) const = 0;
    virtual Adesk::Boolean circularArc(const AcGePoint3d& start, const AcGePoint3d& point,
                                       const AcGePoint3d& end, int arcType = AcGiArcType::kAcGiArcSimple) const;
    // Points center + cos t * majorAxis + sin t * radiusRatio * (normal x majorAxis), t from
    // startParam over sweep (2 pi: the whole ellipse; negative: clockwise).
    virtual Adesk::Boolean ellipticalArc(const AcGePoint3d& center, const AcGeVector3d& normal,
                                         const AcGeVector3d& majorAxis, double radiusRatio, double startParam,
                                         double sweep, int arcType = AcGiArcType::kAcGiArcSimple) const = 0;
    virtual Adesk::Boolean polyline(Adesk::UInt32 count, const AcGePoint3d* points,
                                    const AcGeVector3d* normal = nullptr, long baseMarker = -1) const = 0;
    virtual Adesk::Boolean polygon(Adesk::UInt32 count, const AcGePoint3d* points) const = 0;
    virtual Adesk::Boolean text(const AcGePoint3d& position, const AcGeVector3d& normal,
                                const AcGeVector3d& direction, double height, double width, double oblique,
                                const char* message) const = 0;
    virtual Adesk::Boolean xline(const AcGePoint3d& p1, const AcGePoint3d& p2) const = 0;
    virtual Adesk::Boolean ray(const AcGePoint3d& base, const AcGePoint3d& through) const = 0;
    virtual Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xform) = 0;
    virtual Adesk::Boolean popModelTransform() = 0;
    virtual AcGeMatrix3d getModelToWorldTransform() const = 0;
    // Draws another drawable through this context (nested entities).
    virtual Adesk::Boolean draw(AcGiDrawable* drawable) const = 0;
};

class CADHOST_API AcGiWorldGeometry : public AcGiGeometry {};
class CADHOST_API AcGiViewportGeometry : public AcGiGeometry {};

class CADHOST_API AcGiCommonDraw {
public:
    virtual ~AcGiCommonDraw();
    virtual AcGiRegenType regenType() const { return kAcGiStandardDisplay; }
    virtual Adesk::Boolean regenAbort() const = 0;
    virtual AcGiSubEntityTraits& subEntityTraits() const = 0;
    virtual Adesk::Boolean isDragging() const { return false; }
    virtual double deviation(int type, const AcGePoint3d& p) const { (void)type; (void)p; return 0.01; }
    virtual AcDbDatabase* database() const { return nullptr; }
};

class CADHOST_API AcGiWorldDraw : public AcGiCommonDraw {
public:
    virtual AcGiWorldGeometry& geometry() const = 0;
    AcGiWorldGeometry* rawGeometry() const { return &geometry(); }
};

// The viewport being drawn: its display corners and transforms.
class CADHOST_API AcGiViewport {
public:
    virtual ~AcGiViewport();
    virtual void getModelToEyeTransform(AcGeMatrix3d& xform) const = 0;
    virtual void getEyeToModelTransform(AcGeMatrix3d& xform) const = 0;
    virtual void getViewportDcCorners(AcGePoint2d& lowerLeft, AcGePoint2d& upperRight) const = 0;
    // Pixels per world unit at the given point.
    virtual void getNumPixelsInUnitSquare(const AcGePoint3d& p, AcGePoint2d& pixelArea) const = 0;
    virtual AcGeVector3d viewDir() const { return AcGeVector3d::kZAxis; }
    virtual Adesk::Int32 viewportId() const { return 1; }
};

class CADHOST_API AcGiViewportDraw : public AcGiCommonDraw {
public:
    virtual AcGiViewportGeometry& geometry() const = 0;
    virtual AcGiViewport& viewport() const = 0;
    virtual Adesk::UInt32 sequenceNumber() const { return 0; }
};
