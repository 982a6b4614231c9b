#pragma once
#include "db/blockref.h"

// A block reference repeated in a grid of rows and columns (MINSERT). The grid runs along
// the reference's rotated X (columns) and Y (rows) axes; the spacings are not scaled.
// The attributes stand at the first copy; exploding repeats them for each copy.
class CADHOST_API AcDbMInsertBlock : public AcDbBlockReference {
public:
    ACRX_DECLARE_MEMBERS(AcDbMInsertBlock);
    AcDbMInsertBlock();
    AcDbMInsertBlock(const AcGePoint3d& position, AcDbObjectId blockTableRecord, Adesk::UInt16 columns,
                     Adesk::UInt16 rows, double columnSpacing, double rowSpacing);
    ~AcDbMInsertBlock() override;

    Adesk::UInt16 columns() const;
    Acad::ErrorStatus setColumns(Adesk::UInt16 columns);  // at least 1
    Adesk::UInt16 rows() const;
    Acad::ErrorStatus setRows(Adesk::UInt16 rows);  // at least 1
    double columnSpacing() const;
    Acad::ErrorStatus setColumnSpacing(double spacing);
    double rowSpacing() const;
    Acad::ErrorStatus setRowSpacing(double spacing);

    void list() const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

protected:
    void copyTransforms(AcArray<AcGeMatrix3d>& xforms) const override;
    const char* dxfSubclassName() const override { return "AcDbMInsertBlock"; }
    Acad::ErrorStatus dxfOutArrayFields(AcDbDxfFiler* filer) const override;
    bool dxfInArrayGroup(const resbuf& rb) override;

private:
    Adesk::UInt16 m_columns = 1, m_rows = 1;
    double m_columnSpacing = 0, m_rowSpacing = 0;
};
