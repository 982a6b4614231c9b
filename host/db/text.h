#pragma once
#include <string>
#include "db/entity.h"

// Single-line text. position() is the first alignment point (left end of the baseline in
// reading direction); for any justification but left/baseline the alignment point is the
// one that counts and adjustAlignment() recomputes the position from it.
//
// The host has no font metrics: a character is taken as 0.6 x height x width factor wide
// (%%d, %%p, %%c count as one character, %%u and %%o as none), descenders reach 0.2 x height
// below the baseline, and extents, justification and fitting use these figures.
class CADHOST_API AcDbText : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbText);
    AcDbText();
    AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style = AcDbObjectId::kNull,
             double height = 0.0, double rotation = 0.0);
    ~AcDbText() override;

    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    // For left/baseline text the alignment point is the position.
    AcGePoint3d alignmentPoint() const;
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& point);
    bool isDefaultAlignment() const;
    AcDb::TextHorzMode horizontalMode() const;
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
    AcDb::TextVertMode verticalMode() const;
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);
    double height() const;
    Acad::ErrorStatus setHeight(double height);  // > 0
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    double widthFactor() const;
    Acad::ErrorStatus setWidthFactor(double factor);  // > 0
    double oblique() const;
    Acad::ErrorStatus setOblique(double angle);  // within +-85 degrees
    // Text generation flags 2 (backward) and 4 (upside down).
    bool isMirroredInX() const;
    Acad::ErrorStatus mirrorInX(bool mirrored);
    bool isMirroredInY() const;
    Acad::ErrorStatus mirrorInY(bool mirrored);
    AcDbObjectId textStyle() const;
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    char* textString() const;  // heap copy, the caller frees it with free()
    const char* textStringConst() const;
    Acad::ErrorStatus setTextString(const char* text);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);

    // Makes position, alignment point, height (aligned), width factor (fit) and rotation
    // (aligned, fit) agree with the justification.
    Acad::ErrorStatus adjustAlignment(const AcDbDatabase* db = nullptr);
    // The four corners of the approximate text box, counter-clockwise from the start of the
    // baseline (descenders not included).
    void getBoundingPoints(AcGePoint3dArray& corners) const;
    // Approximate width of the string at the current height and width factor.
    double approximateWidth() const;

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void list() const override;
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const override;
    Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
    Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark, const AcGePoint3d& pickPoint,
                                     const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                     AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const override;
    // Reflections keep the text readable: points and direction follow the transformation,
    // the string itself is not mirrored.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Copies the text properties (not the entity properties) of another text.
    Acad::ErrorStatus setTextPropertiesFrom(const AcDbText* other);

protected:
    // The AcDbText part of TEXT, ATTDEF and ATTRIB (the vertical mode is not in it).
    Acad::ErrorStatus dxfOutTextPart(AcDbDxfFiler* filer) const;
    // Reads the AcDbText part and the groups of the subclass markers "AcDbText" and
    // ownSubclass that follow, up to a foreign subclass marker or the end of the object.
    // Groups the text part does not know go to dxfInOwnGroup.
    Acad::ErrorStatus dxfInTextPart(AcDbDxfFiler* filer, const char* ownSubclass);
    // A group of the derived part; answers whether it was taken. The text takes 73.
    virtual bool dxfInOwnGroup(const resbuf& rb);
    // Vertical mode without the write check, for the derived readers.
    void internalSetVerticalMode(int mode);

private:
    std::string styleName() const;
    struct Layout {
        AcGePoint3d start;     // first alignment point (reading direction)
        AcGePoint3d corner;    // lower-left corner of the box as seen unmirrored
        AcGeVector3d dir, up;  // unit vectors along the baseline and up the characters
        double width = 0, height = 0, widthFactor = 1, rotation = 0;
    };
    Layout layout() const;
    bool isFitted() const { return m_hmode == AcDb::kTextAlign || m_hmode == AcDb::kTextFit; }

    AcGePoint3d m_position, m_alignment;
    AcDb::TextHorzMode m_hmode = AcDb::kTextLeft;
    AcDb::TextVertMode m_vmode = AcDb::kTextBase;
    double m_height = 0.2, m_rotation = 0, m_widthFactor = 1, m_oblique = 0, m_thickness = 0;
    Adesk::Int16 m_generation = 0;
    AcDbObjectId m_style;
    std::string m_styleName;  // a style name read that the drawing does not define
    std::string m_text;
    AcGeVector3d m_normal{0, 0, 1};
};
