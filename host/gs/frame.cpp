#include "gs/frame.h"
#include <cairo.h>
#include <algorithm>
#include <cmath>
#include "gi/cairotext.h"
#include "gi/renderer.h"

namespace {
constexpr double kSafe = 1e6;        // image coordinates Cairo takes without overflow

void setRgb(cairo_t* cr, AcGiRgb c) { cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0); }

AcGeVector3d newellNormal(const AcGePoint3d* p, size_t n) {
    AcGeVector3d v(0, 0, 0);
    for (size_t i = 0; i < n; ++i) {
        const AcGePoint3d& a = p[i];
        const AcGePoint3d& b = p[(i + 1) % n];
        v.x += (a.y - b.y) * (a.z + b.z);
        v.y += (a.z - b.z) * (a.x + b.x);
        v.z += (a.x - b.x) * (a.y + b.y);
    }
    const double len = v.length();
    return len > 0.0 && std::isfinite(len) ? v / len : AcGeVector3d::kZAxis;
}
}  // namespace

namespace gs {

void FrameRenderer::begin(const Camera& camera, AcGiRgb background) {
    m_camera = camera;
    m_background = background;
    const bool dark = background.r * 299 + background.g * 587 + background.b * 114 < 128000;
    for (int i = 0; i < 256; ++i) m_palette[i] = acgiColorIndexToRgb(i >= 1 && i <= 255 ? i : 7, dark);
    m_deviation = camera.pixelsPerUnit > 0.0 && std::isfinite(camera.pixelsPerUnit) ? 0.5 / camera.pixelsPerUnit : 1.0;
    m_points.clear();
    m_items.clear();
    m_faces = 0;
}

bool FrameRenderer::project(const AcGePoint3d* points, size_t count, double& depth, bool& safe) {
    const auto& m = m_camera.worldToImage.entry;
    const AcGeVector3d& v = m_camera.towardsViewer;
    const bool projective = m[3][0] != 0.0 || m[3][1] != 0.0 || m[3][2] != 0.0 || m[3][3] != 1.0;
    const size_t base = m_points.size();
    double sum = 0.0;
    safe = true;
    for (size_t i = 0; i < count; ++i) {
        const AcGePoint3d& p = points[i];
        double x = m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3];
        double y = m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3];
        if (projective) {
            const double w = m[3][0] * p.x + m[3][1] * p.y + m[3][2] * p.z + m[3][3];
            if (!(w > 1e-9)) {  // at or behind the viewer
                m_points.resize(base);
                return false;
            }
            x /= w;
            y /= w;
        }
        if (!std::isfinite(x) || !std::isfinite(y)) {
            m_points.resize(base);
            return false;
        }
        if (!(std::fabs(x) < kSafe && std::fabs(y) < kSafe)) safe = false;
        sum += v.x * p.x + v.y * p.y + v.z * p.z;
        m_points.push_back({x, y});
    }
    depth = count ? sum / static_cast<double>(count) : 0.0;
    return std::isfinite(depth) || (depth = 0.0, true);
}

void FrameRenderer::addPath(const AcGePoint3d* points, size_t count, bool closed, bool face, const AcGeVector3d& normal,
                            AcGiRgb rgb) {
    if (count == 0) return;
    Item item{};
    item.first = static_cast<uint32_t>(m_points.size());
    if (!project(points, count, item.depth, item.safe)) return;
    item.count = static_cast<uint32_t>(count);
    item.rgb = rgb;
    item.closed = closed;
    const int mode = m_camera.mode;
    item.kind = face && mode >= 2 ? kFace : kStroke;
    if (item.kind == kFace) {
        ++m_faces;
        if (mode == 2) {
            item.fill = m_background;
        } else {
            // Lit from the viewer, both sides alike, with some ambient light.
            const double lit = 0.3 + 0.7 * std::fabs(normal.dotProduct(m_camera.towardsViewer));
            const double k = std::isfinite(lit) ? lit : 1.0;
            item.fill = AcGiRgb{static_cast<uint8_t>(rgb.r * k), static_cast<uint8_t>(rgb.g * k), static_cast<uint8_t>(rgb.b * k)};
        }
    }
    m_items.push_back(item);
}

// Xlines and rays: the line through the projected points, long enough to cross the image.
void FrameRenderer::addInfinite(const AcGiPrimitive& p, AcGiRgb rgb) {
    if (p.points.size() != 2) return;
    Item item{};
    item.first = static_cast<uint32_t>(m_points.size());
    if (!project(p.points.data(), 2, item.depth, item.safe)) return;
    const Point b = m_points[item.first], t = m_points[item.first + 1];
    m_points.resize(item.first);
    double dx = t.x - b.x, dy = t.y - b.y;
    const double len = std::hypot(dx, dy);
    if (!(len > 0.0) || !std::isfinite(len)) return;
    dx /= len;
    dy /= len;
    const double w = m_camera.width, h = m_camera.height;
    const double reach = std::hypot(b.x - w / 2, b.y - h / 2) + 2.0 * (w + h);
    const bool both = p.type == AcGiPrimitiveType::kXline;
    double x0 = both ? b.x - dx * reach : b.x, y0 = both ? b.y - dy * reach : b.y;
    double x1 = b.x + dx * reach, y1 = b.y + dy * reach;
    const double lo = -2.0 * std::max(w, h), hi = 3.0 * std::max(w, h);
    if (!std::isfinite(x0 + y0 + x1 + y1) || !acgiClipSegment(x0, y0, x1, y1, lo, hi)) return;
    m_points.push_back({x0, y0});
    m_points.push_back({x1, y1});
    item.count = 2;
    item.kind = kStroke;
    item.safe = true;
    item.rgb = rgb;
    m_items.push_back(item);
}

void FrameRenderer::add(const AcGiPrimitive& p, int colorIndex) {
    const AcGiRgb rgb = m_palette[colorIndex >= 1 && colorIndex <= 255 ? colorIndex : 7];
    switch (p.type) {
    case AcGiPrimitiveType::kPolyline:
        addPath(p.points.data(), p.points.size(), false, false, AcGeVector3d::kZAxis, rgb);
        break;
    case AcGiPrimitiveType::kPolygon:
        addPath(p.points.data(), p.points.size(), true, true, newellNormal(p.points.data(), p.points.size()), rgb);
        break;
    case AcGiPrimitiveType::kCircle:
    case AcGiPrimitiveType::kArc:
    case AcGiPrimitiveType::kEllipse:
        m_scratch.clear();
        p.appendFlattened(m_deviation, m_scratch);
        addPath(m_scratch.data(), m_scratch.size(), false,
                p.isClosedCurve() && p.traits.fillType == kAcGiFillAlways, p.normal, rgb);
        break;
    case AcGiPrimitiveType::kText: {
        if (p.text.empty() || !(p.height > 0.0)) break;
        Item item{};
        item.first = static_cast<uint32_t>(m_points.size());
        if (!project(&p.position, 1, item.depth, item.safe) || !item.safe) {
            m_points.resize(item.first);
            break;
        }
        item.count = 1;
        item.kind = kText;
        item.rgb = rgb;
        item.text = &p;
        m_items.push_back(item);
        break;
    }
    case AcGiPrimitiveType::kXline:
    case AcGiPrimitiveType::kRay:
        addInfinite(p, rgb);
        break;
    }
}

uint32_t FrameRenderer::argb(AcGiRgb c) { return 0xFF000000u | (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }

// The image passes between Cairo (faces, text) and the direct writes of lines.
void FrameRenderer::toCairo() {
    if (m_cairo) return;
    cairo_surface_mark_dirty(m_image);
    m_cairo = true;
}

void FrameRenderer::toPixels() {
    if (!m_cairo) return;
    cairo_surface_flush(m_image);
    m_cairo = false;
}

// A line one pixel wide, not smoothed, as wireframes are drawn; ends beyond the image are
// clipped first, so that any finite coordinates take a bounded number of steps.
void FrameRenderer::line(double x0, double y0, double x1, double y1, uint32_t color) {
    const int w = m_camera.width, h = m_camera.height;
    const bool inside = x0 >= 0 && x0 < w && y0 >= 0 && y0 < h && x1 >= 0 && x1 < w && y1 >= 0 && y1 < h;
    if (!inside && !acgiClipSegment(x0, y0, x1, y1, -1.0, std::max(w, h) + 1.0)) return;
    int x = static_cast<int>(std::floor(x0)), y = static_cast<int>(std::floor(y0));
    const int xe = static_cast<int>(std::floor(x1)), ye = static_cast<int>(std::floor(y1));
    const int dx = std::abs(xe - x), dy = -std::abs(ye - y), sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (x >= 0 && x < w && y >= 0 && y < h) m_pixels[size_t(y) * m_stride + size_t(x)] = color;
        if (x == xe && y == ye) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void FrameRenderer::stroke(const Item& item) {
    toPixels();
    const Point* pts = m_points.data() + item.first;
    const uint32_t color = argb(item.rgb);
    if (item.count == 1) {
        line(pts[0].x, pts[0].y, pts[0].x, pts[0].y, color);  // a dot
        return;
    }
    for (uint32_t i = 1; i < item.count; ++i) line(pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, color);
    if (item.closed) line(pts[item.count - 1].x, pts[item.count - 1].y, pts[0].x, pts[0].y, color);
}

// A face's outline as a Cairo path; points beyond Cairo's range are clipped to a box around the image.
void FrameRenderer::facePath(cairo_t* cr, const Item& item) {
    const Point* pts = m_points.data() + item.first;
    const size_t n = item.count;
    if (item.safe) {
        cairo_move_to(cr, pts[0].x, pts[0].y);
        for (size_t i = 1; i < n; ++i) cairo_line_to(cr, pts[i].x, pts[i].y);
        cairo_close_path(cr);
        return;
    }
    const double lo = -2.0 * std::max(m_camera.width, m_camera.height), hi = 3.0 * std::max(m_camera.width, m_camera.height);
    // The polygon cut by each side of the box in turn.
    m_clipped.assign(pts, pts + n);
    for (int side = 0; side < 4; ++side) {
        const auto inside = [&](const Point& p) {
            const double c = side < 2 ? p.x : p.y;
            return side % 2 == 0 ? c >= lo : c <= hi;
        };
        const auto cross = [&](const Point& a, const Point& b) {
            const double edge = side % 2 == 0 ? lo : hi;
            const double t = side < 2 ? (edge - a.x) / (b.x - a.x) : (edge - a.y) / (b.y - a.y);
            return Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        };
        m_clipTemp.clear();
        for (size_t i = 0; i < m_clipped.size(); ++i) {
            const Point& a = m_clipped[(i + m_clipped.size() - 1) % m_clipped.size()];
            const Point& b = m_clipped[i];
            if (inside(b)) {
                if (!inside(a)) m_clipTemp.push_back(cross(a, b));
                m_clipTemp.push_back(b);
            } else if (inside(a)) {
                m_clipTemp.push_back(cross(a, b));
            }
        }
        m_clipped.swap(m_clipTemp);
    }
    if (m_clipped.empty()) return;
    cairo_move_to(cr, m_clipped[0].x, m_clipped[0].y);
    for (size_t i = 1; i < m_clipped.size(); ++i) cairo_line_to(cr, m_clipped[i].x, m_clipped[i].y);
    cairo_close_path(cr);
}

// Text in the plane the projection gives it, the glyphs mapped by the local image of its axes.
void FrameRenderer::drawText(cairo_t* cr, const Item& item) {
    const AcGiPrimitive& p = *item.text;
    const std::string text = acgiDisplayText(p.text);
    if (text.empty()) return;
    const double size = p.height / acgiTextCapHeight();
    const AcGeVector3d up = p.upVector();
    const AcGePoint3d corners[3] = {p.position, p.position + p.direction * (size * p.widthFactor),
                                    p.position + (p.direction * std::tan(p.oblique) + up) * size};
    const size_t first = m_points.size();
    double depth;
    bool safe;
    if (!project(corners, 3, depth, safe)) return;
    const Point o = m_points[first], x = m_points[first + 1], y = m_points[first + 2];
    m_points.resize(first);
    cairo_matrix_t fm;
    cairo_matrix_init(&fm, x.x - o.x, x.y - o.y, -(y.x - o.x), -(y.y - o.y), 0, 0);
    const double det = fm.xx * fm.yy - fm.xy * fm.yx;
    cairo_matrix_t check = fm;
    if (!safe || !std::isfinite(det) || std::fabs(det) < 0.25 || cairo_matrix_invert(&check) != CAIRO_STATUS_SUCCESS)
        return;  // smaller than half a pixel, or too large to place
    setRgb(cr, item.rgb);
    acgiShowText(cr, text.c_str(), fm, o.x, o.y);
}

void FrameRenderer::paint(cairo_surface_t* image) {
    if (cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32 ||
        cairo_image_surface_get_width(image) != m_camera.width || cairo_image_surface_get_height(image) != m_camera.height)
        return;
    m_image = image;
    cairo_surface_flush(image);
    m_pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image));
    m_stride = static_cast<size_t>(cairo_image_surface_get_stride(image)) / sizeof(uint32_t);
    m_cairo = false;
    cairo_t* cr = cairo_create(image);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    m_order.resize(m_items.size());
    for (size_t i = 0; i < m_items.size(); ++i) m_order[i] = static_cast<uint32_t>(i);
    // Faces hide what lies behind them: far to near. Without them the order does not matter.
    if (m_faces > 0)
        std::stable_sort(m_order.begin(), m_order.end(),
                         [this](uint32_t a, uint32_t b) { return m_items[a].depth < m_items[b].depth; });
    const int mode = m_camera.mode;
    for (uint32_t index : m_order) {
        const Item& item = m_items[index];
        switch (item.kind) {
        case kStroke:
            stroke(item);
            break;
        case kFace:
            toCairo();
            setRgb(cr, item.fill);
            facePath(cr, item);
            cairo_fill(cr);
            if (mode == 2 || mode >= 5) stroke(item);  // with edges
            break;
        case kText:
            toCairo();
            drawText(cr, item);
            break;
        }
    }
    toCairo();
    cairo_destroy(cr);
    cairo_surface_flush(image);
    m_image = nullptr;
    m_pixels = nullptr;
}

}  // namespace gs
