#pragma once
#include <string>
#include <vector>
#include "db/entity.h"

// Paragraph text in a box of a given width, placed by an attachment point.
//
// Without fonts the layout is approximate: a character is 0.6 x height wide, lines are
// 5/3 x height apart, lines break at \P and line ends and, when the width is set, between
// words that would overflow it. Formatting codes (\f...;, \H...;, {, }, ...) take no room.
class CADHOST_API AcDbMText : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbMText);
    enum AttachmentPoint {
        kTopLeft = 1, kTopCenter = 2, kTopRight = 3,
        kMiddleLeft = 4, kMiddleCenter = 5, kMiddleRight = 6,
        kBottomLeft = 7, kBottomCenter = 8, kBottomRight = 9,
    };
    enum FlowDirection { kLtoR = 1, kRtoL = 2, kTtoB = 3, kBtoT = 4, kByStyle = 5 };

    AcDbMText();
    ~AcDbMText() override;

    AcGePoint3d location() const;
    Acad::ErrorStatus setLocation(const AcGePoint3d& location);
    char* contents() const;  // heap copy, the caller frees it with free()
    const char* contentsConst() const;
    Acad::ErrorStatus setContents(const char* contents);
    // The contents without formatting, lines separated by '\n' (heap copy, free()).
    char* text() const;
    double textHeight() const;
    Acad::ErrorStatus setTextHeight(double height);  // > 0
    double width() const;
    Acad::ErrorStatus setWidth(double width);  // 0: no wrapping
    // Rotation about the normal from the plane's X axis; the same as the direction.
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    AcGeVector3d direction() const;
    Acad::ErrorStatus setDirection(const AcGeVector3d& direction);  // projected into the plane
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    AttachmentPoint attachment() const;
    Acad::ErrorStatus setAttachment(AttachmentPoint attachment);
    FlowDirection flowDirection() const;
    Acad::ErrorStatus setFlowDirection(FlowDirection direction);
    AcDbObjectId textStyle() const;
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    // Size of the laid-out text.
    double actualHeight() const;
    double actualWidth() const;
    // The box corners, counter-clockwise from the lower left.
    void getBoundingPoints(AcGePoint3dArray& corners) const;

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
    // Reflections keep the text readable, as for AcDbText.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    // One AcDbText per laid-out line.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    struct Line {
        std::string text;
        AcGePoint3d start;  // left end of the baseline
    };
    struct Layout {
        std::vector<Line> lines;
        AcGePoint3d topLeft;
        AcGeVector3d dir, up;
        double width = 0, height = 0;
    };
    Layout layout() const;
    AcGeVector3d up() const { return m_normal.crossProduct(m_direction); }

    AcGePoint3d m_location;
    std::string m_contents;
    double m_height = 0.2, m_width = 0;
    AcGeVector3d m_direction{1, 0, 0}, m_normal{0, 0, 1};
    AttachmentPoint m_attachment = kTopLeft;
    FlowDirection m_flow = kLtoR;
    AcDbObjectId m_style;
    std::string m_styleName;
};
