#pragma once
// Attribute of an intelligent block reference: a text of the reference's own space whose
// string follows its conditional statements when its conditional points are stretched.
#include <cstdint>
#include "CondFormula.h"
#include "ZeftExport.h"
#include "db/objectid.h"
#include "db/text.h"
#include "ge/vector.h"

class ZEFT_API ZEFTAttribute : public AcDbText {
public:
    ACRX_DECLARE_MEMBERS(ZEFTAttribute);
    enum { kCurrentVersionNumber = 2 };

    ZEFTAttribute();
    ~ZEFTAttribute() override;
    ZEFTAttribute(const ZEFTAttribute&) = delete;
    ZEFTAttribute& operator=(const ZEFTAttribute&) = delete;

    // The stored tag itself (null until set); valid while the attribute is open.
    const char* tag() const;
    Acad::ErrorStatus setTag(const char* text);
    // A heap copy made with strdup (empty text when never set); the caller frees it with free.
    char* defaultValue() const;
    Acad::ErrorStatus setDefaultValue(const char* text);
    double fieldLength() const;
    Acad::ErrorStatus setFieldLength(double length);
    int isConstant() const;
    Acad::ErrorStatus setConstant(int value);
    int isInvisible() const;
    Acad::ErrorStatus setInvisible(int value);
    int isPreset() const;
    Acad::ErrorStatus setPreset(int value);
    int isVerifiable() const;
    Acad::ErrorStatus setVerifiable(int value);

    Acad::ErrorStatus conditionalPoint1(AcGePoint3d& point) const;
    Acad::ErrorStatus conditionalPoint2(AcGePoint3d& point) const;
    Acad::ErrorStatus setConditionalPoint1(const AcGePoint3d& point);
    Acad::ErrorStatus setConditionalPoint2(const AcGePoint3d& point);
    int hasConditionalPoints() const;

    const AcDbSoftPointerId& definitionId() const;
    Acad::ErrorStatus setDefinitionId(AcDbSoftPointerId id);

    // Takes ownership of the statement and appends it.
    void AddFormula(CCondFormula* formula);
    // The statement at a 0-based position, null when there is none.
    CCondFormula* GetFormula(int index) const;
    int FormulaCount() const;
    // Deletes every statement.
    void ClearFormula();

    // Sets the text from the first statement whose condition holds for the distance between
    // the conditional points.
    void CheckFormulaForStretch();
    // Moves the alignment point by half the offset when the text is centred between the
    // conditional points.
    void centerTextIfAppropriate(const AcGeVector3d& offset);

    // Drawn by the block reference through these; the attribute never draws itself.
    Adesk::Boolean subWorldDraw(AcGiWorldDraw* mode);
    void subViewportDraw(AcGiViewportDraw* mode);

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    // Alignment point or position, by the justification.
    AcGePoint3d textPoint() const;
    void moveTextPoint(const AcGeVector3d& offset);
    static void replaceText(char*& slot, const char* text);
    void deleteFormulas();
    // The attribute's default value as the statements compose with it.
    CString defaultText() const;

    CCondFormulaList m_formulas;
    char* m_tag = nullptr;
    int m_verifiable = 0;
    int m_preset = 0;
    int m_invisible = 0;
    int m_constant = 0;
    double m_fieldLength = 0.0;
    int m_hasConditionalPoints = 0;
    AcGePoint3d m_conditionalPoint2;
    AcGePoint3d m_conditionalPoint1;
    AcDbSoftPointerId m_definitionId;
    char* m_defaultValue = nullptr;
};
