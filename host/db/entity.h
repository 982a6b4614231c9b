#pragma once
#include <string>
#include "db/extents.h"
#include "db/object.h"
#include "ge/arrays.h"
#include "ge/plane.h"

class AcGiWorldDraw;
class AcGiViewportDraw;
class AcCmColor;

// Colour of an entity by index: 0 by block, 256 by layer, 1-255 the indexed colours.
class CADHOST_API AcCmColor {
public:
    AcCmColor() = default;
    static AcCmColor fromIndex(Adesk::UInt16 index) { AcCmColor c; c.setColorIndex(index); return c; }
    Adesk::UInt16 colorIndex() const { return m_index; }
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 index);
    bool isByBlock() const { return m_index == 0; }
    bool isByLayer() const { return m_index == 256; }
    bool operator==(const AcCmColor& o) const { return m_index == o.m_index; }

private:
    Adesk::UInt16 m_index = 256;
};

// Drawable database object with the host's entity protocol.
class CADHOST_API AcDbEntity : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbEntity);
    ~AcDbEntity() override;

    AcDbObjectId blockId() const { return ownerId(); }

    // Properties.
    AcCmColor color() const;
    Acad::ErrorStatus setColor(const AcCmColor& color, bool doSubents = true);
    Adesk::UInt16 colorIndex() const;
    virtual Acad::ErrorStatus setColorIndex(Adesk::UInt16 index, bool doSubents = true);
    // Layer and linetype by name resolve through the entity's (or the working) database.
    const char* layer() const;  // the layer's name, owned by the entity
    AcDbObjectId layerId() const;
    virtual Acad::ErrorStatus setLayer(const char* name, bool doSubents = true);
    virtual Acad::ErrorStatus setLayer(AcDbObjectId layerId, bool doSubents = true);
    const char* linetype() const;
    AcDbObjectId linetypeId() const;
    virtual Acad::ErrorStatus setLinetype(const char* name, bool doSubents = true);
    virtual Acad::ErrorStatus setLinetype(AcDbObjectId linetypeId, bool doSubents = true);
    double linetypeScale() const;
    virtual Acad::ErrorStatus setLinetypeScale(double scale, bool doSubents = true);
    AcDb::LineWeight lineWeight() const;
    virtual Acad::ErrorStatus setLineWeight(AcDb::LineWeight weight, bool doSubents = true);
    const char* plotStyleName() const;
    virtual Acad::ErrorStatus setPlotStyleName(const char* name, bool doSubents = true);
    AcDb::Visibility visibility() const;
    virtual Acad::ErrorStatus setVisibility(AcDb::Visibility visibility, bool doSubents = true);
    // Copies colour, layer, linetype, linetype scale, lineweight, plot style and visibility.
    Acad::ErrorStatus setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);
    // The database's current layer, colour, linetype, scale and lineweight.
    void setDatabaseDefaults();
    void setDatabaseDefaults(AcDbDatabase* db);

    // Drawing.
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override;
    void viewportDraw(AcGiViewportDraw* mode) override;
    Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits) override;
    virtual void list() const;

    // Grips, stretch points, snaps.
    virtual Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                            AcDbIntArray& geomIds) const;
    virtual Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
    virtual Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const;
    virtual Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
    virtual Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsSelectionMark,
                                             const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                             const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                             AcDbIntArray& geomIds) const;
    virtual bool cloneMeForDragging() { return true; }

    // Geometry.
    virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
    virtual Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const;
    // Appends new entities (owned by the caller) that together replace this one.
    virtual Acad::ErrorStatus explode(AcDbVoidPtrArray& entities) const;
    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
    virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type,
                                            AcGePoint3dArray& points, int thisGsMarker = 0,
                                            int otherGsMarker = 0) const;
    virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type,
                                            const AcGePlane& projectionPlane, AcGePoint3dArray& points,
                                            int thisGsMarker = 0, int otherGsMarker = 0) const;
    // Piecewise-linear outline of the entity in world coordinates, for intersection and picking.
    // Curves answer their flattened path; the default is the extents' box outline.
    virtual void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: before the entity joins a database, a missing layer or linetype (or one of
    // another database, matched by name) becomes that database's current one.
    void internalBindToDatabase(AcDbDatabase* db);
    // Host-internal: whether binding to db would leave the layer and linetype as they are.
    bool internalIsBoundTo(const AcDbDatabase* db) const;
    // Host-internal: the ids as they are, open or not; and as id translation leaves them.
    AcDbObjectId internalLayerId() const { return m_layerId; }
    AcDbObjectId internalLinetypeId() const { return m_linetypeId; }
    void internalSetSymbolIds(AcDbObjectId layer, AcDbObjectId linetype);

protected:
    AcDbEntity();
    AcDbEntity(const AcDbEntity&) = default;
    AcDbEntity& operator=(const AcDbEntity&) = default;

private:
    AcCmColor m_color;
    AcDbObjectId m_layerId, m_linetypeId;
    mutable std::string m_layerName, m_linetypeName, m_plotStyle;
    double m_linetypeScale = 1.0;
    AcDb::LineWeight m_lineWeight = AcDb::kLnWtByLayer;
    AcDb::Visibility m_visibility = AcDb::kVisible;
};

// Entities with a parameterised path.
class CADHOST_API AcDbCurve : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbCurve);
    ~AcDbCurve() override;
    virtual bool isClosed() const { return false; }
    virtual bool isPeriodic() const { return false; }
    virtual bool isPlanar() const { return true; }
    virtual Acad::ErrorStatus getPlane(AcGePlane& plane, AcDb::Planarity& type) const;
    virtual Acad::ErrorStatus getStartParam(double& param) const;
    virtual Acad::ErrorStatus getEndParam(double& param) const;
    virtual Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
    virtual Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
    virtual Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
    virtual Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const;
    virtual Acad::ErrorStatus getSecondDeriv(double param, AcGeVector3d& deriv) const;
    virtual Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                                bool extend = false) const;
    virtual Acad::ErrorStatus getArea(double& area) const;
    void getOutline(AcArray<AcGePoint3dArray>& paths, double deviation) const override;
    // Exact between the native curves, by the outlines for anything else.
    Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                    int thisGsMarker = 0, int otherGsMarker = 0) const override;
    Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& projectionPlane,
                                    AcGePoint3dArray& points, int thisGsMarker = 0,
                                    int otherGsMarker = 0) const override;

protected:
    AcDbCurve();
};
