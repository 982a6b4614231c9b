#pragma once
#include "db/attributefields.h"
#include "db/text.h"

// Attribute definition of a block: the tag, the prompt and the default value (the text
// string). Flags (group 70): 1 invisible, 2 constant, 4 verifiable, 8 preset.
class CADHOST_API AcDbAttributeDefinition : public AcDbText {
public:
    ACRX_DECLARE_MEMBERS(AcDbAttributeDefinition);
    AcDbAttributeDefinition();
    AcDbAttributeDefinition(const AcGePoint3d& position, const char* text, const char* tag, const char* prompt,
                            AcDbObjectId style = AcDbObjectId::kNull);
    ~AcDbAttributeDefinition() override;

    char* prompt() const;  // heap copy, the caller frees it with free()
    const char* promptConst() const;
    Acad::ErrorStatus setPrompt(const char* prompt);
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

    void list() const override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    bool dxfInOwnGroup(const resbuf& rb) override;

private:
    Acad::ErrorStatus setFlag(Adesk::Int16 bit, bool value);
    std::string m_prompt;
    cadhost::ent::AttributeFields m_fields;
};
