#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>
#include "gi/geometry.h"
#include "db/extents.h"

class AcDbDatabase;

// Drawing properties in force for a primitive.
struct CADHOST_API AcGiTraitsState {
    Adesk::UInt16 color = 7;
    AcDbObjectId layerId;
    AcDbObjectId linetypeId;
    AcDb::LineWeight lineWeight = AcDb::kLnWtByLwDefault;
    AcGiFillType fillType = kAcGiFillNever;
    long selectionMarker = 0;
};

enum class AcGiPrimitiveType { kPolyline, kPolygon, kCircle, kArc, kText, kXline, kRay, kEllipse };

// One recorded primitive, in world coordinates (model transforms applied).
struct CADHOST_API AcGiPrimitive {
    AcGiPrimitiveType type = AcGiPrimitiveType::kPolyline;
    // Traits as the drawable set them, and with ByBlock properties and layer "0" resolved
    // through the enclosing drawables (block references); at top level ByBlock colour is 7.
    AcGiTraitsState traits;
    AcGiTraitsState effective;

    // Polyline and polygon vertices; xline: two points on it; ray: base and through point.
    std::vector<AcGePoint3d> points;
    bool hasNormal = false;   // polylines: whether a normal was given
    AcGeVector3d normal{0, 0, 1};  // circles, arcs, text; polylines when given
    long baseMarker = -1;

    // Circles, arcs and ellipses: points are
    //   center + radius * (cos u * startVector + radiusRatio * sin u * (normal x startVector)),
    // u = startParam + t, t from 0 to sweep (2 pi for circles and whole ellipses). Circles and
    // arcs have radiusRatio 1 and startParam 0; ellipses have startVector along their major axis.
    AcGePoint3d center;
    double radius = 0.0;
    AcGeVector3d startVector{1, 0, 0};  // unit
    double sweep = 0.0;
    int arcType = AcGiArcType::kAcGiArcSimple;
    double radiusRatio = 1.0;
    double startParam = 0.0;

    // Text: position of the baseline start, unit direction, cap height, width factor, oblique angle.
    AcGePoint3d position;
    AcGeVector3d direction{1, 0, 0};
    double height = 0.0;
    double widthFactor = 1.0;
    double oblique = 0.0;
    std::string text;

    // Who drew it: the innermost drawable (compare only, it may be gone), its object id when it
    // is a database object, its nesting depth (0 for the drawable drawn first) and whether it
    // came from viewportDraw.
    const AcGiDrawable* drawable = nullptr;
    AcDbObjectId entityId;
    int depth = 0;
    bool viewportDependent = false;

    bool isCurve() const;        // circle, arc or ellipse
    bool isClosedCurve() const;  // circle or whole ellipse
    AcGePoint3d pointAt(double t) const;  // curves
    AcGePoint3d startPoint() const { return pointAt(0.0); }
    AcGePoint3d endPoint() const { return pointAt(sweep); }
    AcGeVector3d upVector() const { return normal.crossProduct(direction); }  // text
    // Vertex path within deviation of the true curve; closed paths repeat their first point.
    // Text answers its nominal box; xlines and rays their two points.
    std::vector<AcGePoint3d> flatten(double deviation) const;
    // The same path appended to out (no allocation once out has grown).
    void appendFlattened(double deviation, std::vector<AcGePoint3d>& out) const;
    // Curves: points whose box is the curve's box (its ends, the centre of a sector and the
    // points farthest along each axis).
    std::vector<AcGePoint3d> boundingPoints() const;
    // Whether every number that places the primitive is finite.
    bool isFinite() const;
};

// A world and viewport drawing context that records what drawables draw.
class CADHOST_API AcGiRecordingDraw {
public:
    AcGiRecordingDraw();
    ~AcGiRecordingDraw();
    AcGiRecordingDraw(const AcGiRecordingDraw&) = delete;
    AcGiRecordingDraw& operator=(const AcGiRecordingDraw&) = delete;

    // Draws as the display does: setAttributes, worldDraw, and viewportDraw when worldDraw
    // answers false; traits and model transforms are restored afterwards, and invisible
    // entities are left out at any depth. False when the
    // regen was aborted. Through the contexts, primitives answer kFalse when drawn and kTrue
    // when aborted; push/popModelTransform answer kTrue when done.
    bool draw(AcGiDrawable* drawable);
    // The contexts, for calling a drawable's worldDraw or viewportDraw directly.
    AcGiWorldDraw& worldDraw();
    AcGiViewportDraw& viewportDraw();
    AcGiViewport& viewport();
    AcGiSubEntityTraits& traits();

    const std::vector<AcGiPrimitive>& primitives() const { return m_primitives; }
    // Hands the recorded primitives over (swapped with out) and starts an empty recording.
    void takePrimitives(std::vector<AcGiPrimitive>& out);
    std::vector<const AcGiPrimitive*> primitives(AcGiPrimitiveType type) const;
    size_t count(AcGiPrimitiveType type) const;
    const AcGiPrimitive* first(AcGiPrimitiveType type) const;
    void clear();  // primitives, counters and the abort state; settings stay
    // Box of the finite primitives (xlines and rays left out; text by its nominal box).
    AcDbExtents extents() const;

    // Aborting: at once, or once a number of primitives have been recorded.
    void setRegenAbort(bool abort) { m_abort = abort; }
    void setRegenAbortAfter(size_t primitiveCount) { m_abortAfter = primitiveCount; }
    bool regenAbort() const;
    // Primitives refused because the regen was aborted.
    size_t refusedCount() const { return m_refused; }

    // The viewport: display corners in pixels, view centre and height in world units.
    void setViewport(const AcGePoint2d& lowerLeftPixels, const AcGePoint2d& upperRightPixels,
                     const AcGePoint2d& viewCenter, double viewHeight);
    AcGePoint2d viewCenter() const { return m_viewCenter; }
    double viewHeight() const { return m_viewHeight; }
    AcGePoint2d lowerLeftPixels() const { return m_lowerLeft; }
    AcGePoint2d upperRightPixels() const { return m_upperRight; }
    double pixelsPerUnit() const;
    // A viewport answered to viewportDraw instead of the plan view above (null: that one again);
    // it must outlive its use.
    void useViewport(AcGiViewport* viewport) { m_customViewport = viewport; }

    void setDatabase(AcDbDatabase* db) { m_db = db; }
    AcDbDatabase* database() const { return m_db; }
    void setRegenType(AcGiRegenType type) { m_regenType = type; }
    AcGiRegenType regenType() const { return m_regenType; }
    void setDragging(bool dragging) { m_dragging = dragging; }
    bool isDragging() const { return m_dragging; }
    // Deviation answered to drawables, in world units; 0 means half a pixel of the viewport.
    void setDeviation(double deviation) { m_deviation = deviation; }
    double deviation() const;

    // Faults of drawables seen while drawing: draws that returned with model transforms still
    // pushed (the recorder pops them), and pops with nothing of theirs pushed.
    int unbalancedPushes() const { return m_unbalancedPushes; }
    int unbalancedPops() const { return m_unbalancedPops; }
    int maxDepth() const { return m_maxDepth; }
    // Nested draws refused because the nesting went deeper than any drawing needs.
    int tooDeep() const { return m_tooDeep; }
    // Primitives left out because their geometry was not finite (overflowing transforms).
    size_t nonFiniteCount() const { return m_nonFinite; }

private:
    struct Contexts;
    template <class Base> class Geometry;
    class WorldContext;
    class ViewportContext;
    class Traits;
    class Viewport;

    // Recording, for the geometry objects.
    bool recordCircle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal);
    bool recordArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                   const AcGeVector3d& startVector, double sweep, int arcType);
    bool recordPolyline(Adesk::UInt32 count, const AcGePoint3d* points, const AcGeVector3d* normal,
                        long baseMarker, bool polygon);
    bool recordText(const AcGePoint3d& position, const AcGeVector3d& normal, const AcGeVector3d& direction,
                    double height, double width, double oblique, const char* message);
    bool recordEllipse(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                       double radiusRatio, double startParam, double sweep, int arcType);
    bool recordLine(AcGiPrimitiveType type, const AcGePoint3d& p1, const AcGePoint3d& p2);
    bool pushTransform(const AcGeMatrix3d& xform);
    bool popTransform();
    AcGeMatrix3d modelToWorld() const;
    bool drawNested(AcGiDrawable* drawable);
    void addCurve(AcGiPrimitiveType type, const AcGePoint3d& center, const AcGeVector3d& u, const AcGeVector3d& v,
                  const AcGeVector3d& normal, double startParam, double sweep, int arcType);
    void keepIfFinite();
    AcDbDatabase* contextDatabase() const;
    static AcGiTraitsState topByBlock();

    struct Level {
        const AcGiDrawable* drawable = nullptr;
        AcDbObjectId entityId;
        AcGiTraitsState byBlock;
        size_t transformBase = 0;
    };
    AcGiPrimitive& newPrimitive(AcGiPrimitiveType type);
    bool accept();
    AcGiTraitsState resolve(const AcGiTraitsState& raw, const AcGiTraitsState& byBlock) const;

    std::unique_ptr<Contexts> m_ctx;
    std::vector<AcGiPrimitive> m_primitives;
    std::vector<AcGeMatrix3d> m_transforms;  // accumulated model-to-world matrices
    std::vector<Level> m_levels;
    AcGiTraitsState m_traits;
    AcDbDatabase* m_db = nullptr;
    AcGiRegenType m_regenType = kAcGiStandardDisplay;
    bool m_dragging = false;
    bool m_abort = false;
    size_t m_abortAfter = static_cast<size_t>(-1);
    size_t m_refused = 0;
    size_t m_nonFinite = 0;
    double m_deviation = 0.0;
    AcGePoint2d m_lowerLeft{0, 0}, m_upperRight{800, 600};
    AcGePoint2d m_viewCenter{0, 0};
    double m_viewHeight = 100.0;
    int m_unbalancedPushes = 0, m_unbalancedPops = 0, m_maxDepth = 0, m_tooDeep = 0;
    bool m_fromViewport = false;
    AcGiViewport* m_customViewport = nullptr;
};
