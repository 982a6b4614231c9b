#include "db/minsert.h"
#include "rx/rxclass.h"
#include <cmath>
#include "db/entitysupport.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbMInsertBlock, AcDbBlockReference, "INSERT", ACRX_HOST_CONS(AcDbMInsertBlock))

using namespace cadhost::ent;

AcDbMInsertBlock::AcDbMInsertBlock() = default;

AcDbMInsertBlock::AcDbMInsertBlock(const AcGePoint3d& position, AcDbObjectId blockTableRecord,
                                   Adesk::UInt16 columns, Adesk::UInt16 rows, double columnSpacing,
                                   double rowSpacing)
    : AcDbBlockReference(position, blockTableRecord),
      m_columns(columns ? columns : 1),
      m_rows(rows ? rows : 1),
      m_columnSpacing(std::isfinite(columnSpacing) ? columnSpacing : 0.0),
      m_rowSpacing(std::isfinite(rowSpacing) ? rowSpacing : 0.0) {}

AcDbMInsertBlock::~AcDbMInsertBlock() = default;

Adesk::UInt16 AcDbMInsertBlock::columns() const {
    assertReadEnabled();
    return m_columns;
}

Acad::ErrorStatus AcDbMInsertBlock::setColumns(Adesk::UInt16 columns) {
    assertWriteEnabled();
    if (columns < 1) return Acad::eInvalidInput;
    m_columns = columns;
    return Acad::eOk;
}

Adesk::UInt16 AcDbMInsertBlock::rows() const {
    assertReadEnabled();
    return m_rows;
}

Acad::ErrorStatus AcDbMInsertBlock::setRows(Adesk::UInt16 rows) {
    assertWriteEnabled();
    if (rows < 1) return Acad::eInvalidInput;
    m_rows = rows;
    return Acad::eOk;
}

double AcDbMInsertBlock::columnSpacing() const {
    assertReadEnabled();
    return m_columnSpacing;
}

Acad::ErrorStatus AcDbMInsertBlock::setColumnSpacing(double spacing) {
    assertWriteEnabled();
    if (!std::isfinite(spacing)) return Acad::eInvalidInput;
    m_columnSpacing = spacing;
    return Acad::eOk;
}

double AcDbMInsertBlock::rowSpacing() const {
    assertReadEnabled();
    return m_rowSpacing;
}

Acad::ErrorStatus AcDbMInsertBlock::setRowSpacing(double spacing) {
    assertWriteEnabled();
    if (!std::isfinite(spacing)) return Acad::eInvalidInput;
    m_rowSpacing = spacing;
    return Acad::eOk;
}

void AcDbMInsertBlock::copyTransforms(AcArray<AcGeMatrix3d>& xforms) const {
    AcGeMatrix3d base = blockTransform();
    AcGeVector3d n = normal();
    AcGeVector3d along = directionInPlane(rotation(), n);
    AcGeVector3d across = n.crossProduct(along);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c)
            xforms.append(AcGeMatrix3d::translation(along * (c * m_columnSpacing) + across * (r * m_rowSpacing)) * base);
}

// The grid turns and scales with the reference; a reflection can turn a spacing negative.
Acad::ErrorStatus AcDbMInsertBlock::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGeVector3d along = directionInPlane(rotation(), normal());
    AcGeVector3d across = normal().crossProduct(along);
    AcGeVector3d movedAlong = xform * along, movedAcross = xform * across;
    AcGeMatrix3d before = blockTransform();
    Acad::ErrorStatus es = AcDbBlockReference::transformBy(xform);
    if (es != Acad::eOk && blockTransform().isEqualTo(before)) return es;
    AcGeVector3d newAlong = directionInPlane(rotation(), normal());
    AcGeVector3d newAcross = normal().crossProduct(newAlong);
    m_columnSpacing *= movedAlong.dotProduct(newAlong);
    m_rowSpacing *= movedAcross.dotProduct(newAcross);
    return es;
}

void AcDbMInsertBlock::list() const {
    AcDbBlockReference::list();
    acutPrintf("                 Columns = %d\n", m_columns);
    acutPrintf("                    Rows = %d\n", m_rows);
    acutPrintf("          Column spacing = %g\n", m_columnSpacing);
    acutPrintf("             Row spacing = %g\n", m_rowSpacing);
}

Acad::ErrorStatus AcDbMInsertBlock::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbBlockReference::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeUInt16(m_columns);
    filer->writeUInt16(m_rows);
    filer->writeDouble(m_columnSpacing);
    filer->writeDouble(m_rowSpacing);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbMInsertBlock::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbBlockReference::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::UInt16 columns = 1, rows = 1;
    double cs = 0, rs = 0;
    filer->readUInt16(&columns);
    filer->readUInt16(&rows);
    filer->readDouble(&cs);
    filer->readDouble(&rs);
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    m_columns = columns ? columns : 1;
    m_rows = rows ? rows : 1;
    m_columnSpacing = std::isfinite(cs) ? cs : 0.0;
    m_rowSpacing = std::isfinite(rs) ? rs : 0.0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMInsertBlock::dxfOutArrayFields(AcDbDxfFiler* filer) const {
    filer->writeInt16(70, static_cast<Adesk::Int16>(m_columns));
    filer->writeInt16(71, static_cast<Adesk::Int16>(m_rows));
    filer->writeDouble(44, m_columnSpacing);
    filer->writeDouble(45, m_rowSpacing);
    return filer->filerStatus();
}

bool AcDbMInsertBlock::dxfInArrayGroup(const resbuf& rb) {
    switch (rb.restype) {
        case 70: { int v = groupInt(rb); m_columns = static_cast<Adesk::UInt16>(v >= 1 && v <= 32767 ? v : 1); return true; }
        case 71: { int v = groupInt(rb); m_rows = static_cast<Adesk::UInt16>(v >= 1 && v <= 32767 ? v : 1); return true; }
        case 44: { double d = groupReal(rb); m_columnSpacing = std::isfinite(d) ? d : 0.0; return true; }
        case 45: { double d = groupReal(rb); m_rowSpacing = std::isfinite(d) ? d : 0.0; return true; }
        default: return false;
    }
}
