#include "gi/recorder.h"
#include <algorithm>
#include <cmath>
#include "db/database.h"

namespace {
constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr int kMaxDepth = 64;  // deeper nesting is taken for a drawable drawing itself

AcGeVector3d unitOr(const AcGeVector3d& v, const AcGeVector3d& fallback) {
    double len = v.length();
    return len > 1e-300 ? v / len : fallback;
}

// X axis of the plane with this normal (arbitrary axis algorithm).
AcGeVector3d planeXAxis(const AcGeVector3d& normal) {
    const AcGeMatrix3d m = AcGeMatrix3d::planeToWorld(normal);
    return AcGeVector3d(m.entry[0][0], m.entry[1][0], m.entry[2][0]);
}

AcGeVector3d linear(const AcGeMatrix3d& m, const AcGeVector3d& v) {
    return {m.entry[0][0] * v.x + m.entry[0][1] * v.y + m.entry[0][2] * v.z,
            m.entry[1][0] * v.x + m.entry[1][1] * v.y + m.entry[1][2] * v.z,
            m.entry[2][0] * v.x + m.entry[2][1] * v.y + m.entry[2][2] * v.z};
}

AcGePoint3d apply(const AcGeMatrix3d& m, const AcGePoint3d& p) {
    double w = m.entry[3][0] * p.x + m.entry[3][1] * p.y + m.entry[3][2] * p.z + m.entry[3][3];
    if (w == 0.0) w = 1.0;
    return {(m.entry[0][0] * p.x + m.entry[0][1] * p.y + m.entry[0][2] * p.z + m.entry[0][3]) / w,
            (m.entry[1][0] * p.x + m.entry[1][1] * p.y + m.entry[1][2] * p.z + m.entry[1][3]) / w,
            (m.entry[2][0] * p.x + m.entry[2][1] * p.y + m.entry[2][2] * p.z + m.entry[2][3]) / w};
}

size_t codePoints(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Primitive

bool AcGiPrimitive::isCurve() const {
    return type == AcGiPrimitiveType::kCircle || type == AcGiPrimitiveType::kArc || type == AcGiPrimitiveType::kEllipse;
}

bool AcGiPrimitive::isClosedCurve() const {
    return type == AcGiPrimitiveType::kCircle || (type == AcGiPrimitiveType::kEllipse && sweep >= kTwoPi - 1e-12);
}

AcGePoint3d AcGiPrimitive::pointAt(double t) const {
    const AcGeVector3d y = normal.crossProduct(startVector) * radiusRatio;
    return center + (startVector * std::cos(startParam + t) + y * std::sin(startParam + t)) * radius;
}

std::vector<AcGePoint3d> AcGiPrimitive::boundingPoints() const {
    std::vector<AcGePoint3d> out;
    if (!isCurve()) return out;
    const bool closed = isClosedCurve();
    const double span = closed ? kTwoPi : sweep;
    if (!closed) {
        out.push_back(pointAt(0.0));
        out.push_back(pointAt(span));
        if (arcType == AcGiArcType::kAcGiArcSector) out.push_back(center);
    }
    // Along axis i the curve is farthest where the derivative of u_i cos s + v_i sin s vanishes.
    const AcGeVector3d u = startVector * radius, v = normal.crossProduct(startVector) * (radius * radiusRatio);
    for (int i = 0; i < 3; ++i) {
        const double s0 = std::atan2(v[i], u[i]);
        for (double s : {s0, s0 + kTwoPi / 2}) {
            double t = std::fmod(s - startParam, kTwoPi);
            if (t < 0) t += kTwoPi;
            if (closed || t <= span) out.push_back(pointAt(t));
        }
    }
    return out;
}

bool AcGiPrimitive::isFinite() const {
    const auto finite = [](const auto& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
    for (const AcGePoint3d& q : points)
        if (!finite(q)) return false;
    switch (type) {
    case AcGiPrimitiveType::kCircle:
    case AcGiPrimitiveType::kArc:
    case AcGiPrimitiveType::kEllipse:
        return finite(center) && finite(normal) && finite(startVector) && std::isfinite(radius) &&
               std::isfinite(sweep) && std::isfinite(radiusRatio) && std::isfinite(startParam);
    case AcGiPrimitiveType::kText:
        return finite(position) && finite(normal) && finite(direction) && std::isfinite(height) &&
               std::isfinite(widthFactor) && std::isfinite(oblique);
    default:
        return true;
    }
}

std::vector<AcGePoint3d> AcGiPrimitive::flatten(double deviation) const {
    std::vector<AcGePoint3d> out;
    appendFlattened(deviation, out);
    return out;
}

void AcGiPrimitive::appendFlattened(double deviation, std::vector<AcGePoint3d>& out) const {
    switch (type) {
    case AcGiPrimitiveType::kPolyline:
    case AcGiPrimitiveType::kXline:
    case AcGiPrimitiveType::kRay:
        out.insert(out.end(), points.begin(), points.end());
        return;
    case AcGiPrimitiveType::kPolygon:
        out.insert(out.end(), points.begin(), points.end());
        if (!points.empty()) out.push_back(points.front());
        return;
    case AcGiPrimitiveType::kCircle:
    case AcGiPrimitiveType::kArc:
    case AcGiPrimitiveType::kEllipse: {
        // Steps for the larger radius keep the smaller curvature of an ellipse within the deviation.
        const bool full = isClosedCurve();
        const double span = full ? kTwoPi : sweep;
        if (!(radius > 0.0) || !std::isfinite(radius) || !std::isfinite(span)) {
            out.push_back(center);
            return;
        }
        const double dev = deviation > radius * 1e-6 ? deviation : radius * 1e-6;  // also for a deviation NaN
        const double step = dev >= radius ? kTwoPi / 4 : 2.0 * std::acos(1.0 - dev / radius);
        const double steps = std::ceil(std::fabs(span) / step);
        const int n = std::max(full ? 8 : 1, steps >= 1.0 ? static_cast<int>(std::min(steps, 4096.0)) : 1);
        const size_t first = out.size();
        out.reserve(first + static_cast<size_t>(n) + 3);
        for (int i = 0; i <= n; ++i) out.push_back(pointAt(span * i / n));
        if (full) {
            out.back() = out[first];
        } else if (arcType == AcGiArcType::kAcGiArcSector) {
            out.push_back(center);
            out.push_back(out[first]);
        } else if (arcType == AcGiArcType::kAcGiArcChord) {
            out.push_back(out[first]);
        }
        return;
    }
    case AcGiPrimitiveType::kText: {
        // Nominal box: one cap height of advance per character.
        const double w = height * widthFactor * static_cast<double>(codePoints(text));
        const AcGeVector3d up = upVector() * height;
        const AcGeVector3d slant = direction * (height * std::tan(oblique));
        const AcGeVector3d along = direction * w;
        out.insert(out.end(), {position, position + along, position + along + up + slant, position + up + slant, position});
        return;
    }
    }
}

// ---------------------------------------------------------------------------------------------
// Contexts

class AcGiRecordingDraw::Traits : public AcGiDrawableTraits {
public:
    explicit Traits(AcGiRecordingDraw& r) : m_r(r) {}
    void setColor(Adesk::UInt16 colorIndex) override { m_r.m_traits.color = colorIndex; }
    Adesk::UInt16 color() const override { return m_r.m_traits.color; }
    void setLayer(AcDbObjectId layerId) override { m_r.m_traits.layerId = layerId; }
    AcDbObjectId layerId() const override { return m_r.m_traits.layerId; }
    void setLineType(AcDbObjectId linetypeId) override { m_r.m_traits.linetypeId = linetypeId; }
    AcDbObjectId lineTypeId() const override { return m_r.m_traits.linetypeId; }
    void setLineWeight(AcDb::LineWeight weight) override { m_r.m_traits.lineWeight = weight; }
    AcDb::LineWeight lineWeight() const override { return m_r.m_traits.lineWeight; }
    void setFillType(AcGiFillType type) override { m_r.m_traits.fillType = type; }
    AcGiFillType fillType() const override { return m_r.m_traits.fillType; }
    void setSelectionMarker(long marker) override { m_r.m_traits.selectionMarker = marker; }

private:
    AcGiRecordingDraw& m_r;
};

class AcGiRecordingDraw::Viewport : public AcGiViewport {
public:
    explicit Viewport(AcGiRecordingDraw& r) : m_r(r) {}
    // Eye coordinates: the view centre at the origin, looking down the Z axis.
    void getModelToEyeTransform(AcGeMatrix3d& xform) const override {
        xform = AcGeMatrix3d::translation(AcGeVector3d(-m_r.m_viewCenter.x, -m_r.m_viewCenter.y, 0));
    }
    void getEyeToModelTransform(AcGeMatrix3d& xform) const override {
        xform = AcGeMatrix3d::translation(AcGeVector3d(m_r.m_viewCenter.x, m_r.m_viewCenter.y, 0));
    }
    void getViewportDcCorners(AcGePoint2d& lowerLeft, AcGePoint2d& upperRight) const override {
        lowerLeft = m_r.m_lowerLeft;
        upperRight = m_r.m_upperRight;
    }
    // Pixels a unit square covers along X and Y.
    void getNumPixelsInUnitSquare(const AcGePoint3d&, AcGePoint2d& pixelArea) const override {
        const double ppu = m_r.pixelsPerUnit();
        pixelArea = AcGePoint2d(ppu, ppu);
    }

private:
    AcGiRecordingDraw& m_r;
};

// Primitives answer kFalse when drawn and kTrue when the regen was aborted; the model
// transform calls answer kTrue when done.
template <class Base>
class AcGiRecordingDraw::Geometry : public Base {
public:
    Geometry(AcGiRecordingDraw& r, bool viewport) : m_r(r), m_viewport(viewport) {}
    using Base::circle;  // the three-point forms of the interface build on these
    using Base::circularArc;

    Adesk::Boolean circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) const override {
        return result(rec().recordCircle(center, radius, normal));
    }
    Adesk::Boolean circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                               const AcGeVector3d& startVector, double sweepAngle, int arcType) const override {
        return result(rec().recordArc(center, radius, normal, startVector, sweepAngle, arcType));
    }
    Adesk::Boolean ellipticalArc(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                                 double radiusRatio, double startParam, double sweep, int arcType) const override {
        return result(rec().recordEllipse(center, normal, majorAxis, radiusRatio, startParam, sweep, arcType));
    }
    Adesk::Boolean polyline(Adesk::UInt32 count, const AcGePoint3d* points, const AcGeVector3d* normal,
                            long baseMarker) const override {
        return result(rec().recordPolyline(count, points, normal, baseMarker, false));
    }
    Adesk::Boolean polygon(Adesk::UInt32 count, const AcGePoint3d* points) const override {
        return result(rec().recordPolyline(count, points, nullptr, -1, true));
    }
    Adesk::Boolean text(const AcGePoint3d& position, const AcGeVector3d& normal, const AcGeVector3d& direction,
                        double height, double width, double oblique, const char* message) const override {
        return result(rec().recordText(position, normal, direction, height, width, oblique, message));
    }
    Adesk::Boolean xline(const AcGePoint3d& p1, const AcGePoint3d& p2) const override {
        return result(rec().recordLine(AcGiPrimitiveType::kXline, p1, p2));
    }
    Adesk::Boolean ray(const AcGePoint3d& base, const AcGePoint3d& through) const override {
        return result(rec().recordLine(AcGiPrimitiveType::kRay, base, through));
    }
    Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xform) override {
        return m_r.pushTransform(xform) ? Adesk::kTrue : Adesk::kFalse;
    }
    Adesk::Boolean popModelTransform() override { return m_r.popTransform() ? Adesk::kTrue : Adesk::kFalse; }
    AcGeMatrix3d getModelToWorldTransform() const override { return m_r.modelToWorld(); }
    Adesk::Boolean draw(AcGiDrawable* drawable) const override { return result(m_r.drawNested(drawable)); }

private:
    static Adesk::Boolean result(bool goOn) { return goOn ? Adesk::kFalse : Adesk::kTrue; }
    AcGiRecordingDraw& rec() const {
        m_r.m_fromViewport = m_viewport;
        return m_r;
    }
    AcGiRecordingDraw& m_r;
    bool m_viewport;
};

class AcGiRecordingDraw::WorldContext : public AcGiWorldDraw {
public:
    WorldContext(AcGiRecordingDraw& r, AcGiSubEntityTraits& traits, AcGiWorldGeometry& geometry)
        : m_r(r), m_traits(traits), m_geometry(geometry) {}
    AcGiRegenType regenType() const override { return m_r.m_regenType; }
    Adesk::Boolean regenAbort() const override { return m_r.regenAbort(); }
    AcGiSubEntityTraits& subEntityTraits() const override { return m_traits; }
    Adesk::Boolean isDragging() const override { return m_r.m_dragging; }
    double deviation(int, const AcGePoint3d&) const override { return m_r.deviation(); }
    AcDbDatabase* database() const override { return m_r.contextDatabase(); }
    AcGiWorldGeometry& geometry() const override { return m_geometry; }

private:
    AcGiRecordingDraw& m_r;
    AcGiSubEntityTraits& m_traits;
    AcGiWorldGeometry& m_geometry;
};

class AcGiRecordingDraw::ViewportContext : public AcGiViewportDraw {
public:
    ViewportContext(AcGiRecordingDraw& r, AcGiSubEntityTraits& traits, AcGiViewportGeometry& geometry,
                    AcGiViewport& viewport)
        : m_r(r), m_traits(traits), m_geometry(geometry), m_viewport(viewport) {}
    AcGiRegenType regenType() const override { return m_r.m_regenType; }
    Adesk::Boolean regenAbort() const override { return m_r.regenAbort(); }
    AcGiSubEntityTraits& subEntityTraits() const override { return m_traits; }
    Adesk::Boolean isDragging() const override { return m_r.m_dragging; }
    double deviation(int, const AcGePoint3d&) const override { return m_r.deviation(); }
    AcDbDatabase* database() const override { return m_r.contextDatabase(); }
    AcGiViewportGeometry& geometry() const override { return m_geometry; }
    AcGiViewport& viewport() const override { return m_r.m_customViewport ? *m_r.m_customViewport : m_viewport; }

private:
    AcGiRecordingDraw& m_r;
    AcGiSubEntityTraits& m_traits;
    AcGiViewportGeometry& m_geometry;
    AcGiViewport& m_viewport;
};

struct AcGiRecordingDraw::Contexts {
    explicit Contexts(AcGiRecordingDraw& r)
        : traits(r), viewport(r), worldGeometry(r, false), viewportGeometry(r, true),
          world(r, traits, worldGeometry), view(r, traits, viewportGeometry, viewport) {}
    Traits traits;
    Viewport viewport;
    Geometry<AcGiWorldGeometry> worldGeometry;
    Geometry<AcGiViewportGeometry> viewportGeometry;
    WorldContext world;
    ViewportContext view;
};

// ---------------------------------------------------------------------------------------------
// Recorder

AcGiRecordingDraw::AcGiRecordingDraw() : m_ctx(std::make_unique<Contexts>(*this)) {}
AcGiRecordingDraw::~AcGiRecordingDraw() = default;

AcGiWorldDraw& AcGiRecordingDraw::worldDraw() { return m_ctx->world; }
AcGiViewportDraw& AcGiRecordingDraw::viewportDraw() { return m_ctx->view; }
AcGiViewport& AcGiRecordingDraw::viewport() { return m_customViewport ? *m_customViewport : m_ctx->viewport; }
AcGiSubEntityTraits& AcGiRecordingDraw::traits() { return m_ctx->traits; }

bool AcGiRecordingDraw::draw(AcGiDrawable* drawable) { return drawNested(drawable); }

std::vector<const AcGiPrimitive*> AcGiRecordingDraw::primitives(AcGiPrimitiveType type) const {
    std::vector<const AcGiPrimitive*> out;
    for (const AcGiPrimitive& p : m_primitives)
        if (p.type == type) out.push_back(&p);
    return out;
}

size_t AcGiRecordingDraw::count(AcGiPrimitiveType type) const {
    return static_cast<size_t>(std::count_if(m_primitives.begin(), m_primitives.end(),
                                             [type](const AcGiPrimitive& p) { return p.type == type; }));
}

const AcGiPrimitive* AcGiRecordingDraw::first(AcGiPrimitiveType type) const {
    for (const AcGiPrimitive& p : m_primitives)
        if (p.type == type) return &p;
    return nullptr;
}

void AcGiRecordingDraw::takePrimitives(std::vector<AcGiPrimitive>& out) {
    out.clear();
    out.swap(m_primitives);
    clear();
}

void AcGiRecordingDraw::clear() {
    m_primitives.clear();
    m_transforms.clear();
    m_levels.clear();
    m_traits = AcGiTraitsState();
    m_abort = false;
    m_abortAfter = static_cast<size_t>(-1);
    m_refused = 0;
    m_nonFinite = 0;
    m_unbalancedPushes = m_unbalancedPops = m_maxDepth = m_tooDeep = 0;
}

AcDbExtents AcGiRecordingDraw::extents() const {
    AcDbExtents ext;
    for (const AcGiPrimitive& p : m_primitives) {
        if (p.type == AcGiPrimitiveType::kXline || p.type == AcGiPrimitiveType::kRay) continue;
        for (const AcGePoint3d& q : p.isCurve() ? p.boundingPoints() : p.flatten(0.0)) ext.addPoint(q);
    }
    return ext;
}

bool AcGiRecordingDraw::regenAbort() const { return m_abort || m_primitives.size() >= m_abortAfter; }

void AcGiRecordingDraw::setViewport(const AcGePoint2d& lowerLeftPixels, const AcGePoint2d& upperRightPixels,
                                    const AcGePoint2d& viewCenter, double viewHeight) {
    m_lowerLeft = lowerLeftPixels;
    m_upperRight = upperRightPixels;
    m_viewCenter = viewCenter;
    m_viewHeight = viewHeight;
}

double AcGiRecordingDraw::pixelsPerUnit() const {
    const double pixels = std::fabs(m_upperRight.y - m_lowerLeft.y);
    return (m_viewHeight > 0.0 && pixels > 0.0) ? pixels / m_viewHeight : 1.0;
}

double AcGiRecordingDraw::deviation() const { return m_deviation > 0.0 ? m_deviation : 0.5 / pixelsPerUnit(); }

AcDbDatabase* AcGiRecordingDraw::contextDatabase() const {
    if (m_db) return m_db;
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it)
        if (!it->entityId.isNull()) return it->entityId.database();
    return nullptr;
}

AcGiTraitsState AcGiRecordingDraw::topByBlock() {
    AcGiTraitsState t;
    t.color = 7;
    t.lineWeight = AcDb::kLnWtByLwDefault;
    return t;
}

AcGiTraitsState AcGiRecordingDraw::resolve(const AcGiTraitsState& raw, const AcGiTraitsState& byBlock) const {
    AcGiTraitsState e = raw;
    if (raw.color == 0) e.color = byBlock.color;
    if (!byBlock.layerId.isNull()) {
        AcDbDatabase* db = raw.layerId.isNull() ? nullptr : raw.layerId.database();
        if (raw.layerId.isNull() || (db && db->layerZero() == raw.layerId)) e.layerId = byBlock.layerId;
    }
    if (raw.lineWeight == AcDb::kLnWtByBlock) e.lineWeight = byBlock.lineWeight;
    if (!byBlock.linetypeId.isNull() && !raw.linetypeId.isNull()) {
        AcDbDatabase* db = raw.linetypeId.database();
        if (db && db->byBlockLinetype() == raw.linetypeId) e.linetypeId = byBlock.linetypeId;
    }
    return e;
}

bool AcGiRecordingDraw::accept() {
    if (!regenAbort()) return true;
    ++m_refused;
    return false;
}

AcGiPrimitive& AcGiRecordingDraw::newPrimitive(AcGiPrimitiveType type) {
    AcGiPrimitive& p = m_primitives.emplace_back();
    p.type = type;
    p.traits = m_traits;
    p.effective = resolve(m_traits, m_levels.empty() ? topByBlock() : m_levels.back().byBlock);
    if (!m_levels.empty()) {
        p.drawable = m_levels.back().drawable;
        p.entityId = m_levels.back().entityId;
        p.depth = static_cast<int>(m_levels.size()) - 1;
    }
    p.viewportDependent = m_fromViewport;
    return p;
}

bool AcGiRecordingDraw::recordCircle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) {
    if (!accept()) return false;
    const AcGeVector3d n = unitOr(normal, AcGeVector3d::kZAxis);
    const AcGeVector3d x = planeXAxis(n);
    addCurve(AcGiPrimitiveType::kCircle, center, x * radius, n.crossProduct(x) * radius, n, 0.0, kTwoPi,
             AcGiArcType::kAcGiArcSimple);
    return true;
}

bool AcGiRecordingDraw::recordArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                                  const AcGeVector3d& startVector, double sweep, int arcType) {
    if (!accept()) return false;
    AcGeVector3d n = unitOr(normal, AcGeVector3d::kZAxis);
    // Start vector in the plane of the arc.
    AcGeVector3d s = unitOr(startVector - n * startVector.dotProduct(n), planeXAxis(n));
    if (sweep < 0) {  // a negative sweep runs clockwise: the same arc about the opposite normal
        n = -n;
        sweep = -sweep;
    }
    addCurve(AcGiPrimitiveType::kArc, center, s * radius, n.crossProduct(s) * radius, n, 0.0, std::min(sweep, kTwoPi),
             arcType);
    return true;
}

bool AcGiRecordingDraw::recordEllipse(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                                      double radiusRatio, double startParam, double sweep, int arcType) {
    if (!accept()) return false;
    const AcGeVector3d n = unitOr(normal, AcGeVector3d::kZAxis);
    const AcGeVector3d u = majorAxis - n * majorAxis.dotProduct(n);  // in the plane of the ellipse
    AcGeVector3d v = n.crossProduct(u) * radiusRatio;
    if (sweep < 0) {  // clockwise: the same points with the minor axis turned over
        v = -v;
        startParam = -startParam;
        sweep = -sweep;
    }
    addCurve(AcGiPrimitiveType::kEllipse, center, u, v, n, startParam, std::min(sweep, kTwoPi), arcType);
    return true;
}

// The curve center + cos s * u + sin s * v (s from startParam over sweep) in world coordinates:
// a circle or an arc while the transform keeps it one, else an ellipse on its principal axes.
void AcGiRecordingDraw::addCurve(AcGiPrimitiveType type, const AcGePoint3d& center, const AcGeVector3d& u,
                                 const AcGeVector3d& v, const AcGeVector3d& normal, double startParam, double sweep,
                                 int arcType) {
    const AcGeMatrix3d m = modelToWorld();
    const AcGeVector3d mu = linear(m, u), mv = linear(m, v);
    const double lu = mu.length(), lv = mv.length();
    const AcGeVector3d mn = unitOr(mu.crossProduct(mv), unitOr(linear(m, normal), normal));
    const bool similar = type != AcGiPrimitiveType::kEllipse && lu > 1e-300 &&
                         std::fabs(lu - lv) <= 1e-9 * std::max(lu, lv) && std::fabs(mu.dotProduct(mv)) <= 1e-9 * lu * lv;
    AcGiPrimitive& p = newPrimitive(similar ? type : AcGiPrimitiveType::kEllipse);
    p.center = apply(m, center);
    p.normal = mn;
    p.sweep = sweep;
    p.arcType = arcType;
    if (similar) {
        p.radius = lu;
        p.startVector = mu / lu;
    } else {
        // The parameter shift to the major axis: |cos s * mu + sin s * mv| is largest at s0.
        const double s0 = 0.5 * std::atan2(2.0 * mu.dotProduct(mv), mu.dotProduct(mu) - mv.dotProduct(mv));
        const AcGeVector3d major = mu * std::cos(s0) + mv * std::sin(s0);
        const AcGeVector3d minor = mv * std::cos(s0) - mu * std::sin(s0);
        p.radius = major.length();
        p.startVector = unitOr(major, planeXAxis(mn));
        p.radiusRatio = p.radius > 1e-300 ? std::min(1.0, minor.length() / p.radius) : 0.0;
        p.startParam = startParam - s0;
    }
    keepIfFinite();
}

// Leaves the primitive just made out when an overflowing transform made its numbers infinite or NaN.
void AcGiRecordingDraw::keepIfFinite() {
    if (m_primitives.back().isFinite()) return;
    m_primitives.pop_back();
    ++m_nonFinite;
}

bool AcGiRecordingDraw::recordPolyline(Adesk::UInt32 count, const AcGePoint3d* points, const AcGeVector3d* normal,
                                       long baseMarker, bool polygon) {
    if (!accept()) return false;
    if (count == 0 || !points) return true;
    const AcGeMatrix3d m = modelToWorld();
    AcGiPrimitive& p = newPrimitive(polygon ? AcGiPrimitiveType::kPolygon : AcGiPrimitiveType::kPolyline);
    p.points.reserve(count);
    for (Adesk::UInt32 i = 0; i < count; ++i) p.points.push_back(apply(m, points[i]));
    if (normal) {
        p.hasNormal = true;
        p.normal = unitOr(linear(m, *normal), *normal);
    }
    p.baseMarker = baseMarker;
    keepIfFinite();
    return true;
}

bool AcGiRecordingDraw::recordText(const AcGePoint3d& position, const AcGeVector3d& normal,
                                   const AcGeVector3d& direction, double height, double width, double oblique,
                                   const char* message) {
    if (!accept()) return false;
    const AcGeMatrix3d m = modelToWorld();
    const AcGeVector3d n = unitOr(normal, AcGeVector3d::kZAxis);
    const AcGeVector3d d = unitOr(direction - n * direction.dotProduct(n), planeXAxis(n));
    const AcGeVector3d u = n.crossProduct(d);

    AcGiPrimitive& p = newPrimitive(AcGiPrimitiveType::kText);
    p.text = message ? message : "";
    p.position = apply(m, position);
    // A glyph point (gx, gy) in units of the height lies at
    // position + d * h * (w * gx + tan(oblique) * gy) + u * h * gy; map both columns and
    // read back direction, normal, height, width factor and obliquing.
    const AcGeVector3d dm = linear(m, d);
    const AcGeVector3d vm = (dm * std::tan(oblique) + linear(m, u)) * height;
    const double ld = dm.length();
    p.direction = unitOr(dm, d);
    p.normal = unitOr(dm.crossProduct(vm), unitOr(linear(m, n), n));
    const AcGeVector3d up = p.normal.crossProduct(p.direction);
    const double h = vm.dotProduct(up);
    if (ld <= 1e-300 || h <= 1e-300) {  // degenerate transform or height: kept as given
        p.height = height * std::max(ld, 0.0);
        p.widthFactor = width;
        p.oblique = oblique;
    } else {
        p.height = h;
        p.oblique = std::atan2(vm.dotProduct(p.direction), h);
        p.widthFactor = height * width * ld / h;
    }
    keepIfFinite();
    return true;
}

bool AcGiRecordingDraw::recordLine(AcGiPrimitiveType type, const AcGePoint3d& p1, const AcGePoint3d& p2) {
    if (!accept()) return false;
    const AcGeMatrix3d m = modelToWorld();
    AcGiPrimitive& p = newPrimitive(type);
    p.points = {apply(m, p1), apply(m, p2)};
    keepIfFinite();
    return true;
}

bool AcGiRecordingDraw::pushTransform(const AcGeMatrix3d& xform) {
    m_transforms.push_back(modelToWorld() * xform);
    return true;
}

bool AcGiRecordingDraw::popTransform() {
    const size_t base = m_levels.empty() ? 0 : m_levels.back().transformBase;
    if (m_transforms.size() <= base) {
        ++m_unbalancedPops;
        return false;
    }
    m_transforms.pop_back();
    return true;
}

AcGeMatrix3d AcGiRecordingDraw::modelToWorld() const {
    return m_transforms.empty() ? AcGeMatrix3d::kIdentity : m_transforms.back();
}

bool AcGiRecordingDraw::drawNested(AcGiDrawable* drawable) {
    if (regenAbort()) {
        ++m_refused;
        return false;
    }
    if (!drawable) return true;
    // The display leaves invisible entities out at any depth.
    if (const AcDbEntity* entity = dynamic_cast<const AcDbEntity*>(drawable);
        entity && entity->visibility() == AcDb::kInvisible)
        return true;
    if (static_cast<int>(m_levels.size()) >= kMaxDepth) {
        ++m_tooDeep;
        return true;
    }
    Level level;
    level.drawable = drawable;
    if (const AcDbObject* object = dynamic_cast<const AcDbObject*>(drawable)) level.entityId = object->objectId();
    level.byBlock = m_levels.empty() ? topByBlock() : resolve(m_traits, m_levels.back().byBlock);
    level.transformBase = m_transforms.size();
    const AcGiTraitsState saved = m_traits;
    const bool savedFromViewport = m_fromViewport;
    m_levels.push_back(level);
    m_maxDepth = std::max(m_maxDepth, static_cast<int>(m_levels.size()) - 1);

    drawable->setAttributes(&m_ctx->traits);
    if (!drawable->worldDraw(&m_ctx->world) && !regenAbort()) drawable->viewportDraw(&m_ctx->view);

    if (m_transforms.size() > level.transformBase) {
        ++m_unbalancedPushes;
        m_transforms.resize(level.transformBase);
    }
    m_levels.pop_back();
    m_traits = saved;
    m_fromViewport = savedFromViewport;
    return !regenAbort();
}
