#pragma once
// Attribute definition of an intelligent block: two conditional points and the conditional
// statements handed to the attributes made from it.
#include "CondFormula.h"
#include "ZeftExport.h"
#include "db/attdef.h"
#include "ge/vector.h"

class AcGiGeometry;

class ZEFT_API ZEFTAttributeDefinition : public AcDbAttributeDefinition {
public:
    ACRX_DECLARE_MEMBERS(ZEFTAttributeDefinition);
    enum { kCurrentVersionNumber = 1 };

    ZEFTAttributeDefinition();
    ~ZEFTAttributeDefinition() override;
    ZEFTAttributeDefinition(const ZEFTAttributeDefinition&) = delete;
    ZEFTAttributeDefinition& operator=(const ZEFTAttributeDefinition&) = delete;

    AcGePoint3d& conditionalPoint1();
    AcGePoint3d& conditionalPoint2();
    Acad::ErrorStatus setConditionalPoint1(const AcGePoint3d& point);
    Acad::ErrorStatus setConditionalPoint2(const AcGePoint3d& point);

    // Takes ownership of the statement and appends it.
    void AddFormula(CCondFormula* formula);
    // The statement at a 0-based position, null when there is none.
    CCondFormula* GetFormula(int index) const;
    int FormulaCount() const;
    // Deletes every statement.
    void ClearFormula();
    // Tests the statements against the distance between the points; changes nothing.
    void CheckFormulaForStretch();

    Acad::ErrorStatus getClassID(CLSID* classId) const override;

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d textPoint() const;
    void moveTextPoint(const AcGeVector3d& offset);
    void drawMarkers(AcGiGeometry& geometry) const;
    void movePoints(const AcDbIntArray& indices, const AcGeVector3d& offset);
    void deleteFormulas();

    CCondFormulaList m_formulas;
    AcGePoint3d m_conditionalPoint2;
    AcGePoint3d m_conditionalPoint1;
};
