#pragma once
#include <string>
#include <utility>
#include <vector>
#include "db/entity.h"

// Common part of dimensions: the block of graphics AutoCAD keeps for it, the text (its
// position, override and rotation), the dimension style and the plane.
//
// The host draws a dimension from its definition points (lines, 45-degree ticks and the
// measurement text above the dimension line) with the sizes of the drawing's header:
// DIMSCALE, DIMASZ, DIMTXT, DIMEXO, DIMEXE, DIMGAP, DIMDEC, DIMZIN (8: no trailing zeros)
// and DIMLFAC. The dimension block is kept and filed, not drawn.
//
// DXF readers pick the class of a DIMENSION by group 70 & 7 (0 rotated, 1 aligned).
class CADHOST_API AcDbDimension : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbDimension);
    ~AcDbDimension() override;

    AcDbObjectId dimBlockId() const;
    Acad::ErrorStatus setDimBlockId(AcDbObjectId block);
    // The user's text position, or where the text goes by default.
    AcGePoint3d textPosition() const;
    Acad::ErrorStatus setTextPosition(const AcGePoint3d& position);
    bool isUsingDefaultTextPosition() const;
    Acad::ErrorStatus useDefaultTextPosition();
    // "" or "<>" show the measurement; "<>" inside a text is replaced by it; " " shows nothing.
    char* dimensionText() const;  // heap copy, the caller frees it with free()
    const char* dimensionTextConst() const;
    Acad::ErrorStatus setDimensionText(const char* text);
    // 0 keeps the text along the dimension line.
    double textRotation() const;
    Acad::ErrorStatus setTextRotation(double angle);
    AcDbObjectId dimensionStyle() const;
    Acad::ErrorStatus setDimensionStyle(AcDbObjectId style);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    virtual double measurement() const = 0;
    Acad::ErrorStatus measurement(double& value) const;
    // The text as drawn.
    std::string displayText() const;

    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void list() const override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const override;
    // Lines and a text.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

protected:
    AcDbDimension();

    struct Graphics {
        std::vector<std::pair<AcGePoint3d, AcGePoint3d>> lines;
        std::string text;
        AcGePoint3d textStart;   // left end of the baseline
        AcGePoint3d textMiddle;  // middle of the text box
        AcGeVector3d textDirection{1, 0, 0};
        double textHeight = 0;
    };
    virtual void buildGraphics(Graphics& graphics) const = 0;
    // Group 70 & 7 of the class: 0 rotated, 1 aligned.
    virtual int dimensionType() const = 0;
    // Group 10 (the point on the dimension line for linear dimensions).
    virtual AcGePoint3d definitionPoint() const = 0;
    virtual void setDefinitionPoint(const AcGePoint3d& point) = 0;

    // Lines, ticks and text of a linear dimension measured between x1 and x2 with its
    // dimension line from p1 to p2.
    void linearGraphics(const AcGePoint3d& x1, const AcGePoint3d& x2, const AcGePoint3d& p1, const AcGePoint3d& p2,
                        Graphics& graphics) const;
    // Text position, text rotation and normal under a transformation (the derived classes
    // move their points).
    Acad::ErrorStatus transformCommon(const AcGeMatrix3d& xform);
    // Points projected into the dimension's plane through a point.
    AcGePoint3d inPlane(const AcGePoint3d& p, const AcGePoint3d& through) const;

    // The linear kinds' points: extension line 1 and 2 and the dimension line point, as grips
    // 0 to 2 (the text position is grip 3) and as the stretch points.
    struct LinearPoints {
        AcGePoint3d* xLine1;
        AcGePoint3d* xLine2;
        AcGePoint3d* dimLine;
    };
    void appendLinearPoints(const LinearPoints& points, AcGePoint3dArray& out, bool withText) const;
    Acad::ErrorStatus moveLinearPoints(const LinearPoints& points, const AcDbIntArray& indices,
                                       const AcGeVector3d& offset);
    // The indices of a stretch that name points (not the text).
    static AcDbIntArray stretchIndices(const AcDbIntArray& indices);
    static void transformLinearPoints(const LinearPoints& points, const AcGeMatrix3d& xform);
    static void writeLinearPoints(AcDbDwgFiler* filer, const LinearPoints& points);
    static void readLinearPoints(AcDbDwgFiler* filer, const LinearPoints& points);

private:
    struct Sizes {
        double arrow = 0.18, text = 0.18, extensionOffset = 0.0625, extensionBeyond = 0.18, gap = 0.09;
        double lengthFactor = 1.0;
        int decimals = 4, zeroSuppression = 0;
    };
    Sizes sizes() const;

    mutable AcDbObjectId m_block;
    mutable std::string m_blockName;
    AcGePoint3d m_textPosition;
    bool m_userTextPosition = false;
    std::string m_text;
    double m_textRotation = 0;
    AcDbObjectId m_style;
    std::string m_styleName;
    AcGeVector3d m_normal{0, 0, 1};
};
