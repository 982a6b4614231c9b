// Out-of-line parts of the drawing interfaces and their default methods.
#include <cmath>
#include "db/object.h"
#include "gi/geometry.h"
#include "rx/rxclass.h"

ACRX_HOST_DEFINE_MEMBERS(AcGiDrawable, AcRxObject, "", ACRX_NO_CONS)

AcGiDrawable::~AcGiDrawable() = default;
Adesk::UInt32 AcGiDrawable::setAttributes(AcGiDrawableTraits*) { return 0; }
Adesk::Boolean AcGiDrawable::worldDraw(AcGiWorldDraw*) { return Adesk::kTrue; }
void AcGiDrawable::viewportDraw(AcGiViewportDraw*) {}
Adesk::Boolean AcGiDrawable::isPersistent() const { return id().isNull() ? Adesk::kFalse : Adesk::kTrue; }
AcDbObjectId AcGiDrawable::id() const {
    const auto* object = dynamic_cast<const AcDbObject*>(this);
    return object ? object->objectId() : AcDbObjectId::kNull;
}
void AcGiDrawable::setGsNode(AcGsNode*) {}
AcGsNode* AcGiDrawable::gsNode() const { return nullptr; }
Adesk::UInt32 AcGiDrawable::viewportDrawLogicalFlags(AcGiViewportDraw*) { return 0; }

AcGiSubEntityTraits::~AcGiSubEntityTraits() = default;
AcGiGeometry::~AcGiGeometry() = default;
AcGiCommonDraw::~AcGiCommonDraw() = default;
AcGiViewport::~AcGiViewport() = default;

namespace {
// Centre of the circle through three points, false when they are (nearly) collinear.
bool circleThrough(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3, AcGePoint3d& center,
                   AcGeVector3d& normal) {
    AcGeVector3d a = p2 - p1, b = p3 - p1;
    AcGeVector3d n = a.crossProduct(b);
    double nn = n.lengthSqrd();
    double scale = a.lengthSqrd() * b.lengthSqrd();
    if (nn <= 1e-24 * scale || nn == 0.0) return false;
    AcGeVector3d toCenter = (n.crossProduct(a) * b.lengthSqrd() + b.crossProduct(n) * a.lengthSqrd()) / (2.0 * nn);
    center = p1 + toCenter;
    normal = n / std::sqrt(nn);
    return true;
}
}  // namespace

Adesk::Boolean AcGiGeometry::circle(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3) const {
    AcGePoint3d center;
    AcGeVector3d normal;
    if (!circleThrough(p1, p2, p3, center, normal)) {
        AcGePoint3d pts[3] = {p1, p2, p3};
        return polyline(3, pts);
    }
    return circle(center, center.distanceTo(p1), normal);
}

Adesk::Boolean AcGiGeometry::circularArc(const AcGePoint3d& start, const AcGePoint3d& point, const AcGePoint3d& end,
                                         int arcType) const {
    AcGePoint3d center;
    AcGeVector3d normal;
    if (!circleThrough(start, point, end, center, normal)) {
        AcGePoint3d pts[2] = {start, end};
        return polyline(2, pts);
    }
    AcGeVector3d startVector = start - center;
    double sweep = startVector.angleTo(end - center, normal);
    return circularArc(center, startVector.length(), normal, startVector, sweep, arcType);
}
