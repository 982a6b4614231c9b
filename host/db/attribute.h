#pragma once
#include "db/attributefields.h"
#include "db/text.h"

class AcDbAttributeDefinition;

// Attribute of a block reference: a text with a tag, owned by the reference. Flags
// (group 70): 1 invisible, 2 constant, 4 verifiable, 8 preset.
class CADHOST_API AcDbAttribute : public AcDbText {
public:
    ACRX_DECLARE_MEMBERS(AcDbAttribute);
    AcDbAttribute();
    AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag,
                  AcDbObjectId style = AcDbObjectId::kNull);
    ~AcDbAttribute() override;

    char* tag() const;  // heap copy, the caller frees it with free()
    const char* tagConst() const;
    Acad::ErrorStatus setTag(const char* tag);
    Adesk::UInt16 fieldLength() const;
    Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);

    bool isInvisible() const;
    Acad::ErrorStatus setInvisible(bool value);
    bool isConstant() const;
    Acad::ErrorStatus setConstant(bool value);
    bool isVerifiable() const;
    Acad::ErrorStatus setVerifiable(bool value);
    bool isPreset() const;
    Acad::ErrorStatus setPreset(bool value);
    Adesk::Int16 attributeFlags() const;  // the group 70 value
    bool lockPositionInBlock() const;
    Acad::ErrorStatus setLockPositionInBlock(bool value);

    // Takes the text properties, tag, flags and default value of a definition and places the
    // attribute with the reference's block transform. Entity properties (layer, colour, ...)
    // are left to setPropertiesFrom.
    Acad::ErrorStatus setAttributeFromBlock(const AcDbAttributeDefinition* definition,
                                            const AcGeMatrix3d& blockTransform);

    void list() const override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    bool dxfInOwnGroup(const resbuf& rb) override;

private:
    Acad::ErrorStatus setFlag(Adesk::Int16 bit, bool value);
    cadhost::ent::AttributeFields m_fields;
};
