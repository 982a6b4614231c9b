#include "db/aligneddim.h"
#include "rx/rxclass.h"
#include <cmath>
#include "db/entitysupport.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbAlignedDimension, AcDbDimension, "DIMENSION", ACRX_HOST_CONS(AcDbAlignedDimension))

using namespace cadhost::ent;

AcDbAlignedDimension::AcDbAlignedDimension() = default;

AcDbAlignedDimension::AcDbAlignedDimension(const AcGePoint3d& xLine1Point, const AcGePoint3d& xLine2Point,
                                           const AcGePoint3d& dimLinePoint, const char* dimText,
                                           AcDbObjectId dimStyle)
    : m_xLine1(xLine1Point), m_xLine2(xLine2Point), m_dimLine(dimLinePoint) {
    setDimensionText(dimText);
    setDimensionStyle(dimStyle);
}

AcDbAlignedDimension::~AcDbAlignedDimension() = default;

AcGePoint3d AcDbAlignedDimension::xLine1Point() const { assertReadEnabled(); return m_xLine1; }
AcGePoint3d AcDbAlignedDimension::xLine2Point() const { assertReadEnabled(); return m_xLine2; }
AcGePoint3d AcDbAlignedDimension::dimLinePoint() const { assertReadEnabled(); return m_dimLine; }
double AcDbAlignedDimension::oblique() const { assertReadEnabled(); return m_oblique; }

Acad::ErrorStatus AcDbAlignedDimension::setXLine1Point(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_xLine1 = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAlignedDimension::setXLine2Point(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_xLine2 = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAlignedDimension::setDimLinePoint(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_dimLine = point;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAlignedDimension::setOblique(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_oblique = angle;
    return Acad::eOk;
}

// The distance in the dimension's plane.
double AcDbAlignedDimension::measurement() const {
    assertReadEnabled();
    AcGeVector3d n = normal();
    AcGeVector3d span = m_xLine2 - m_xLine1;
    return (span - n * span.dotProduct(n)).length();
}

void AcDbAlignedDimension::buildGraphics(Graphics& graphics) const {
    AcGeVector3d n = normal();
    AcGePoint3d x1 = inPlane(m_xLine1, m_dimLine), x2 = inPlane(m_xLine2, m_dimLine);
    AcGeVector3d d = x2 - x1;
    if (d.length() < 1e-12) d = directionInPlane(0.0, n);
    d.normalize();
    AcGeVector3d offset = m_dimLine - x1;
    offset -= d * offset.dotProduct(d);
    linearGraphics(m_xLine1, m_xLine2, x1 + offset, x2 + offset, graphics);
}

Acad::ErrorStatus AcDbAlignedDimension::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&,
                                                      AcDbIntArray&) const {
    assertReadEnabled();
    appendLinearPoints(points(), gripPoints, true);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAlignedDimension::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    return moveLinearPoints(points(), indices, offset);
}

Acad::ErrorStatus AcDbAlignedDimension::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    appendLinearPoints(points(), stretchPoints, false);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAlignedDimension::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    return moveGripPointsAt(stretchIndices(indices), offset);
}

Acad::ErrorStatus AcDbAlignedDimension::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    Acad::ErrorStatus es = transformCommon(xform);
    if (es != Acad::eOk) return es;
    transformLinearPoints(points(), xform);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAlignedDimension::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbDimension::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    writeLinearPoints(filer, points());
    filer->writeDouble(m_oblique);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAlignedDimension::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbDimension::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    readLinearPoints(filer, points());
    filer->readDouble(&m_oblique);
    if (!std::isfinite(m_oblique)) m_oblique = 0;
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAlignedDimension::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbDimension::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass("AcDbAlignedDimension");
    filer->writePoint3d(13, m_xLine1);
    filer->writePoint3d(14, m_xLine2);
    if (m_oblique != 0) writeAngle(filer, 52, m_oblique);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbAlignedDimension::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbDimension::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    filer->atSubclassData("AcDbAlignedDimension");
    resbuf rb;
    while (nextGroup(filer, rb, es)) {
        if (rb.restype == 100) {
            filer->pushBackItem();
            break;
        }
        switch (rb.restype) {
            case 13: m_xLine1 = groupPoint(rb); break;
            case 14: m_xLine2 = groupPoint(rb); break;
            case 52: { double a = groupAngle(rb); m_oblique = std::isfinite(a) ? a : 0.0; break; }
            default: break;
        }
    }
    if (es != Acad::eOk) return es;
    return filer->filerStatus();
}
