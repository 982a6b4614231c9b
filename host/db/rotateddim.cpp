#include "db/rotateddim.h"
#include "rx/rxclass.h"
#include <cmath>
#include "db/entitysupport.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbRotatedDimension, AcDbDimension, "DIMENSION", ACRX_HOST_CONS(AcDbRotatedDimension))

using namespace cadhost::ent;

AcDbRotatedDimension::AcDbRotatedDimension() = default;

AcDbRotatedDimension::AcDbRotatedDimension(double rotation, const AcGePoint3d& xLine1Point,
                                           const AcGePoint3d& xLine2Point, const AcGePoint3d& dimLinePoint,
                                           const char* dimText, AcDbObjectId dimStyle)
    : m_xLine1(xLine1Point), m_xLine2(xLine2Point), m_dimLine(dimLinePoint),
      m_rotation(std::isfinite(rotation) ? rotation : 0.0) {
    setDimensionText(dimText);
    setDimensionStyle(dimStyle);
}

AcDbRotatedDimension::~AcDbRotatedDimension() = default;

AcGePoint3d AcDbRotatedDimension::xLine1Point() const { assertReadEnabled(); return m_xLine1; }
AcGePoint3d AcDbRotatedDimension::xLine2Point() const { assertReadEnabled(); return m_xLine2; }
AcGePoint3d AcDbRotatedDimension::dimLinePoint() const { assertReadEnabled(); return m_dimLine; }
double AcDbRotatedDimension::rotation() const { assertReadEnabled(); return m_rotation; }
double AcDbRotatedDimension::oblique() const { assertReadEnabled(); return m_oblique; }

Acad::ErrorStatus AcDbRotatedDimension::setXLine1Point(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_xLine1 = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::setXLine2Point(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_xLine2 = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::setDimLinePoint(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_dimLine = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::setRotation(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_rotation = angle;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::setOblique(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_oblique = angle;
    return Acad::eOk;
}

AcGeVector3d AcDbRotatedDimension::measureDirection() const { return directionInPlane(m_rotation, normal()); }

// The distance along the dimension's direction.
double AcDbRotatedDimension::measurement() const {
    assertReadEnabled();
    return std::fabs((m_xLine2 - m_xLine1).dotProduct(measureDirection()));
}

void AcDbRotatedDimension::buildGraphics(Graphics& graphics) const {
    AcGeVector3d d = measureDirection();
    AcGePoint3d p1 = m_dimLine + d * (m_xLine1 - m_dimLine).dotProduct(d);
    AcGePoint3d p2 = m_dimLine + d * (m_xLine2 - m_dimLine).dotProduct(d);
    linearGraphics(m_xLine1, m_xLine2, p1, p2, graphics);
}

Acad::ErrorStatus AcDbRotatedDimension::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&,
                                                      AcDbIntArray&) const {
    assertReadEnabled();
    appendLinearPoints(points(), gripPoints, true);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    return moveLinearPoints(points(), indices, offset);
}

Acad::ErrorStatus AcDbRotatedDimension::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    appendLinearPoints(points(), stretchPoints, false);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    return moveGripPointsAt(stretchIndices(indices), offset);
}

Acad::ErrorStatus AcDbRotatedDimension::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGeVector3d moved = xform * measureDirection();
    Acad::ErrorStatus es = transformCommon(xform);
    if (es != Acad::eOk) return es;
    m_rotation = angleInPlane(moved, normal());
    transformLinearPoints(points(), xform);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRotatedDimension::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbDimension::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    writeLinearPoints(filer, points());
    filer->writeDouble(m_rotation);
    filer->writeDouble(m_oblique);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbRotatedDimension::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbDimension::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    readLinearPoints(filer, points());
    filer->readDouble(&m_rotation);
    filer->readDouble(&m_oblique);
    if (!std::isfinite(m_rotation)) m_rotation = 0;
    if (!std::isfinite(m_oblique)) m_oblique = 0;
    return filer->filerStatus();
}

// The rotation goes with the AcDbAlignedDimension part; the AcDbRotatedDimension marker ends it.
Acad::ErrorStatus AcDbRotatedDimension::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbDimension::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass("AcDbAlignedDimension");
    filer->writePoint3d(13, m_xLine1);
    filer->writePoint3d(14, m_xLine2);
    writeAngle(filer, 50, m_rotation);
    if (m_oblique != 0) writeAngle(filer, 52, m_oblique);
    filer->writeSubclass("AcDbRotatedDimension");
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbRotatedDimension::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbDimension::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    resbuf rb;
    while (nextGroup(filer, rb, es)) {
        if (rb.restype == 100) {
            std::string marker = groupString(rb);
            if (marker == "AcDbAlignedDimension" || marker == "AcDbRotatedDimension") continue;
            filer->pushBackItem();
            break;
        }
        switch (rb.restype) {
            case 13: m_xLine1 = groupPoint(rb); break;
            case 14: m_xLine2 = groupPoint(rb); break;
            case 50: { double a = groupAngle(rb); m_rotation = std::isfinite(a) ? a : 0.0; break; }
            case 52: { double a = groupAngle(rb); m_oblique = std::isfinite(a) ? a : 0.0; break; }
            default: break;
        }
    }
    if (es != Acad::eOk) return es;
    return filer->filerStatus();
}
