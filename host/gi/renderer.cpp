#include "gi/renderer.h"
#include <cairo.h>
#include <dlfcn.h>
#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include "db/database.h"
#include "db/filereplace.h"
#include "gi/cairotext.h"
#include "gi/dib.h"
#include "gi/fontcaches.h"
#include "gi/palette.h"
#include "gi/svgwriter.h"

namespace {
constexpr int kMaxImageSide = 16384;
constexpr double kSafe = 1e6;          // device coordinates Cairo takes without overflow
constexpr double kPathTextSize = 256;  // above this many pixels text is filled as outlines

struct LayerInfo {
    int color = 7;
    AcDb::LineWeight weight = AcDb::kLnWtByLwDefault;
    bool off = false, frozen = false;
};

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// Text of an entity as Cairo takes it: %% control codes and \U+XXXX replaced, bytes that are not
// UTF-8 read as Latin-1, control characters as spaces.
std::string displayText(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '%' && i + 2 < s.size() && s[i + 1] == '%') {
            const char code = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + 2])));
            if (code == 'd') appendUtf8(out, 0xB0);
            else if (code == 'p') appendUtf8(out, 0xB1);
            else if (code == 'c') appendUtf8(out, 0x2300);
            else if (code == '%') out += '%';
            else if (std::isdigit(static_cast<unsigned char>(code)) && i + 4 < s.size() &&
                     std::isdigit(static_cast<unsigned char>(s[i + 3])) && std::isdigit(static_cast<unsigned char>(s[i + 4]))) {
                const int v = (s[i + 2] - '0') * 100 + (s[i + 3] - '0') * 10 + (s[i + 4] - '0');
                appendUtf8(out, v >= 32 && v < 256 ? static_cast<uint32_t>(v) : ' ');
                i += 5;
                continue;
            } else if (code != 'u' && code != 'o') {  // underline and overline switches are dropped
                out.append(s, i, 3);
            }
            i += 3;
            continue;
        }
        if (c == '\\' && i + 6 < s.size() && (s[i + 1] == 'U' || s[i + 1] == 'u') && s[i + 2] == '+') {
            uint32_t cp = 0;
            bool ok = true;
            for (size_t k = 3; k < 7; ++k) {
                const int h = hexValue(s[i + k]);
                if (h < 0) ok = false;
                cp = cp * 16 + static_cast<uint32_t>(std::max(h, 0));
            }
            if (ok && !(cp >= 0xD800 && cp <= 0xDFFF) && cp >= 0x20) {
                appendUtf8(out, cp);
                i += 7;
                continue;
            }
        }
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (size_t n = acgiUtf8Length(s, i)) {
            out.append(s, i, n);
            i += n;
        } else {
            appendUtf8(out, c < 0xA0 ? ' ' : c);
            ++i;
        }
    }
    return out;
}

// A text measuring context: the sans face, measured unhinted at a size large enough for exact
// outlines and answered for size 1 (hinting at one pixel would round the cap height to a pixel).
class Measure {
public:
    Measure() {
        cadhostReleaseFontCachesAtExit();
        m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        m_cr = cairo_create(m_surface);
        cairo_select_font_face(m_cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(m_cr, kSize);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_set_font_options(m_cr, options);
        cairo_font_options_destroy(options);
        cairo_text_extents_t e;
        cairo_text_extents(m_cr, "H", &e);
        const double cap = -e.y_bearing / kSize;
        m_cap = (cairo_status(m_cr) == CAIRO_STATUS_SUCCESS && cap > 0.1 && cap < 2.0) ? cap : 0.72;
    }
    ~Measure() {
        cairo_destroy(m_cr);
        cairo_surface_destroy(m_surface);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    double capHeight() const { return m_cap; }  // of the face at size 1
    double advance(const std::string& utf8) const {
        cairo_text_extents_t e;
        cairo_text_extents(m_cr, utf8.c_str(), &e);
        return cairo_status(m_cr) == CAIRO_STATUS_SUCCESS ? e.x_advance / kSize : 0.6 * static_cast<double>(utf8.size());
    }

private:
    static constexpr double kSize = 1000.0;
    cairo_surface_t* m_surface;
    cairo_t* m_cr;
    double m_cap;
};

// Corners of a text's box (baseline to cap height, a little below for descenders).
void textCorners(const AcGiPrimitive& p, double length, AcGePoint3d corners[4]) {
    const AcGeVector3d d = p.direction, u = p.upVector();
    const double t = std::tan(p.oblique);
    const double ys[2] = {-0.3 * p.height, p.height};
    int k = 0;
    for (double y : ys)
        for (double x : {0.0, length}) corners[k++] = p.position + d * (x + t * y) + u * y;
}

// Adds what a primitive covers (text by its nominal box; xlines and rays cover nothing).
void addExtents(Measure& measure, const AcGiPrimitive& p, AcDbExtents& ext) {
    const auto add = [&ext](const AcGePoint3d& q) {
        if (std::isfinite(q.x) && std::isfinite(q.y)) ext.addPoint(AcGePoint3d(q.x, q.y, 0));
    };
    switch (p.type) {
    case AcGiPrimitiveType::kXline:
    case AcGiPrimitiveType::kRay:
        break;
    case AcGiPrimitiveType::kCircle:
    case AcGiPrimitiveType::kArc:
    case AcGiPrimitiveType::kEllipse:
        for (const AcGePoint3d& q : p.boundingPoints()) add(q);
        break;
    case AcGiPrimitiveType::kText: {
        AcGePoint3d corners[4];
        const double size = p.height / measure.capHeight();
        textCorners(p, measure.advance(displayText(p.text)) * size * p.widthFactor, corners);
        for (const AcGePoint3d& q : corners) add(q);
        break;
    }
    default:
        for (const AcGePoint3d& q : p.points) add(q);
    }
}

}  // namespace

// Cohen-Sutherland: an end outside is moved onto the side it lies beyond, from the slope, so
// that a segment along an axis keeps its other coordinate exactly however far its ends lie.
bool acgiClipSegment(double& x0, double& y0, double& x1, double& y1, double lo, double hi) {
    const auto code = [lo, hi](double x, double y) {
        return (x < lo ? 1 : 0) | (x > hi ? 2 : 0) | (y < lo ? 4 : 0) | (y > hi ? 8 : 0);
    };
    int c0 = code(x0, y0), c1 = code(x1, y1);
    for (int step = 0; step < 8; ++step) {
        if (!(c0 | c1)) return true;
        if (c0 & c1) return false;
        const int out = c0 ? c0 : c1;
        double x, y;
        if (out & 3) {
            x = (out & 1) ? lo : hi;
            y = y0 + (y1 - y0) * ((x - x0) / (x1 - x0));
        } else {
            y = (out & 4) ? lo : hi;
            x = x0 + (x1 - x0) * ((y - y0) / (y1 - y0));
        }
        if (!std::isfinite(x) || !std::isfinite(y)) return false;
        if (out == c0) {
            x0 = x;
            y0 = y;
            c0 = code(x0, y0);
        } else {
            x1 = x;
            y1 = y;
            c1 = code(x1, y1);
        }
    }
    return !(c0 | c1);
}

std::string acgiDisplayText(const std::string& text) { return displayText(text); }

void acgiShowText(cairo_t* cr, const char* utf8, const cairo_matrix_t& fontMatrix, double x, double y) {
    cairo_set_font_matrix(cr, &fontMatrix);
    cairo_move_to(cr, x, y);
    if (std::sqrt(std::fabs(fontMatrix.xx * fontMatrix.yy - fontMatrix.xy * fontMatrix.yx)) <= kPathTextSize) {
        cairo_show_text(cr, utf8);
    } else {
        cairo_text_path(cr, utf8);
        cairo_fill(cr);
    }
    cairo_new_path(cr);
}

double acgiTextCapHeight() {
    static const double cap = Measure().capHeight();
    return cap;
}

struct AcGiRenderer::Item {
    const AcGiPrimitive* primitive;
    AcGiRgb rgb;
    double width;
};

struct AcGiRenderer::Scene {
    AcDbDatabase* db = nullptr;
    AcGiRecordingDraw recorder;
    std::map<AcDbObjectId, LayerInfo> layers;
    int lwDefault = -2;  // LWDEFAULT of the drawing, looked up on first use

    const LayerInfo& layer(AcDbObjectId id) {
        if (id.isNull() && db) id = db->layerZero();
        auto it = layers.find(id);
        if (it != layers.end()) return it->second;
        LayerInfo info;
        AcDbLayerTableRecord* record = nullptr;
        if (!id.isNull() && acdbOpenObject(record, id, AcDb::kForRead) == Acad::eOk) {
            info.color = record->color().colorIndex();
            info.weight = record->lineWeight();
            info.off = record->isOff();
            info.frozen = record->isFrozen();
            record->close();
        }
        return layers.emplace(id, info).first->second;
    }
};

AcGiRenderer::AcGiRenderer(const AcGiRenderOptions& options) : m_options(options) {}

Acad::ErrorStatus AcGiRenderer::fail(Acad::ErrorStatus es, const std::string& message) {
    m_error = message;
    return es;
}

Acad::ErrorStatus AcGiRenderer::renderToPng(AcDbDatabase* db, const char* fileName, AcDbObjectId blockId) {
    return renderDatabase(db, blockId, Target::kPng, fileName, m_options.width, m_options.height, nullptr);
}

Acad::ErrorStatus AcGiRenderer::renderToSvg(AcDbDatabase* db, const char* fileName, AcDbObjectId blockId) {
    return renderDatabase(db, blockId, Target::kSvg, fileName, m_options.width, m_options.height, nullptr);
}

Acad::ErrorStatus AcGiRenderer::renderToImage(AcDbDatabase* db, AcDbObjectId blockId, int width, int height,
                                              std::vector<uint32_t>& pixels) {
    return renderDatabase(db, blockId, Target::kImage, nullptr, width, height, &pixels);
}

Acad::ErrorStatus AcGiRenderer::renderToDib(AcDbDatabase* db, AcDbObjectId blockId, int width, int height,
                                            AcArray<Adesk::UInt8>& dib, int bitCount) {
    if (bitCount != 8 && bitCount != 24) return fail(Acad::eInvalidInput, "a DIB has 8 or 24 bits a pixel here");
    std::vector<uint32_t> pixels;
    const Acad::ErrorStatus es = renderToImage(db, blockId, width, height, pixels);
    if (es != Acad::eOk) return es;
    return acgiPackedDibFromImage(pixels, width, height, dib, bitCount);
}

Acad::ErrorStatus AcGiRenderer::renderToPng(const AcGiRecordingDraw& recorder, const char* fileName, AcDbDatabase* db) {
    return renderRecording(recorder, db, Target::kPng, fileName, m_options.width, m_options.height, nullptr);
}

Acad::ErrorStatus AcGiRenderer::renderToSvg(const AcGiRecordingDraw& recorder, const char* fileName, AcDbDatabase* db) {
    return renderRecording(recorder, db, Target::kSvg, fileName, m_options.width, m_options.height, nullptr);
}

Acad::ErrorStatus AcGiRenderer::renderToImage(const AcGiRecordingDraw& recorder, int width, int height,
                                              std::vector<uint32_t>& pixels, AcDbDatabase* db) {
    return renderRecording(recorder, db, Target::kImage, nullptr, width, height, &pixels);
}

// Draws resolved primitives, one at a time, onto a Cairo image surface (PNG or an image) or into
// an SVG writer that streams them to the file.
class AcGiRenderer::Painter {
public:
    Painter(AcGiRenderer& renderer, Target target, const char* fileName, int width, int height);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    // eOk when the surface was made; otherwise the renderer's error is set.
    Acad::ErrorStatus status() const { return m_status; }
    void paint(const Item& item);
    // Writes the file (or fills pixels) and releases the surface.
    Acad::ErrorStatus finish(std::vector<uint32_t>* pixels);

private:
    double devX(const AcGePoint3d& p) const { return m_halfW + (p.x - m_cx) * m_scale; }
    double devY(const AcGePoint3d& p) const { return m_halfH - (p.y - m_cy) * m_scale; }
    void moveTo(double x, double y) { m_svg ? m_svg->moveTo(x, y) : cairo_move_to(m_cr, x, y); }
    void lineTo(double x, double y) { m_svg ? m_svg->lineTo(x, y) : cairo_line_to(m_cr, x, y); }
    void closePath() { m_svg ? m_svg->closePath() : cairo_close_path(m_cr); }
    void stroke() { m_svg ? m_svg->stroke(m_rgb, m_lineWidth) : cairo_stroke(m_cr); }
    void fill() { m_svg ? m_svg->fill(m_rgb) : cairo_fill(m_cr); }
    // The unit circle from t0 to t1 through the affine map m onto the device.
    void arc(const cairo_matrix_t& m, double t0, double t1, bool sector);
    void path(const std::vector<AcGePoint3d>& pts, bool closed, bool filled);
    void infinite(const AcGePoint3d& base, const AcGePoint3d& through, bool bothWays);

    AcGiRenderer& m_r;
    Target m_target;
    const char* m_fileName;
    int m_width, m_height;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    std::unique_ptr<AcGiSvgWriter> m_svg;
    Acad::ErrorStatus m_status = Acad::eOk;
    double m_scale, m_cx, m_cy, m_halfW, m_halfH, m_pixelDeviation;
    Measure m_measure;
    AcGiRgb m_rgb{};
    double m_lineWidth = 0.0;
};

AcGiRenderer::Painter::Painter(AcGiRenderer& renderer, Target target, const char* fileName, int width, int height)
    : m_r(renderer), m_target(target), m_fileName(fileName), m_width(width), m_height(height) {
    if (target != Target::kImage && (!fileName || !*fileName)) {
        m_status = m_r.fail(Acad::eInvalidInput, "no file name");
        return;
    }
    const AcGiRenderOptions& options = m_r.m_options;
    m_scale = height / m_r.m_viewHeight;
    m_cx = m_r.m_center.x;
    m_cy = m_r.m_center.y;
    m_halfW = width / 2.0;
    m_halfH = height / 2.0;
    m_pixelDeviation = 0.25 / m_scale;
    const double bg = options.blackBackground ? 0.0 : 1.0;
    if (target == Target::kSvg) {
        m_svg = std::make_unique<AcGiSvgWriter>();
        const uint8_t level = options.blackBackground ? 0 : 255;
        std::string error;
        const Acad::ErrorStatus es = m_svg->open(fileName, width, height, AcGiRgb{level, level, level}, error);
        if (es != Acad::eOk) {
            m_svg.reset();
            m_status = m_r.fail(es, "cannot create the SVG file: " + error);
        }
        return;
    }
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
        m_status = m_r.fail(Acad::eOutOfMemory, "cannot create the surface");
        return;
    }
    m_cr = cairo_create(m_surface);
    cairo_t* cr = m_cr;
    cairo_set_source_rgb(cr, bg, bg, bg);
    cairo_paint(cr);
    cairo_set_antialias(cr, options.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* fontOptions = cairo_font_options_create();
    cairo_font_options_set_antialias(fontOptions, options.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(fontOptions, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, fontOptions);
    cairo_font_options_destroy(fontOptions);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
}

AcGiRenderer::Painter::~Painter() {
    if (m_cr) cairo_destroy(m_cr);
    if (m_surface) cairo_surface_destroy(m_surface);
}

void AcGiRenderer::Painter::arc(const cairo_matrix_t& m, double t0, double t1, bool sector) {
    const auto at = [&m](double x, double y, double& dx, double& dy) {
        dx = m.xx * x + m.xy * y + m.x0;
        dy = m.yx * x + m.yy * y + m.y0;
    };
    if (!m_svg) {
        cairo_save(m_cr);
        cairo_transform(m_cr, &m);
        cairo_new_sub_path(m_cr);
        cairo_arc(m_cr, 0, 0, 1, t0, t1);
        if (sector) cairo_line_to(m_cr, 0, 0);
        cairo_restore(m_cr);  // the path stays; the line width is in pixels again
        return;
    }
    // Cubic pieces of at most a quarter turn each, their control points through m.
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(t1 - t0) / (std::numbers::pi / 2) - 1e-9)));
    const double step = (t1 - t0) / pieces, h = 4.0 / 3.0 * std::tan(step / 4);
    double x, y;
    at(std::cos(t0), std::sin(t0), x, y);
    m_svg->moveTo(x, y);
    for (int i = 0; i < pieces; ++i) {
        const double a = t0 + step * i, b = a + step;
        const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
        double x1, y1, x2, y2;
        at(ca - h * sa, sa + h * ca, x1, y1);
        at(cb + h * sb, sb - h * cb, x2, y2);
        at(cb, sb, x, y);
        m_svg->curveTo(x1, y1, x2, y2, x, y);
    }
    if (sector) {
        at(0, 0, x, y);
        m_svg->lineTo(x, y);
    }
}

// A vertex path: as one path when Cairo can take it, else as clipped segments.
void AcGiRenderer::Painter::path(const std::vector<AcGePoint3d>& pts, bool closed, bool filled) {
    if (pts.empty()) return;
    bool safe = true;
    for (const AcGePoint3d& q : pts)
        if (!(std::fabs(devX(q)) < kSafe && std::fabs(devY(q)) < kSafe)) safe = false;
    if (safe) {
        moveTo(devX(pts[0]), devY(pts[0]));
        for (size_t i = 1; i < pts.size(); ++i) lineTo(devX(pts[i]), devY(pts[i]));
        if (pts.size() == 1) lineTo(devX(pts[0]), devY(pts[0]));  // a dot
        if (closed) closePath();
        filled ? fill() : stroke();
        return;
    }
    const double lo = -2.0 * std::max(m_width, m_height), hi = 3.0 * std::max(m_width, m_height);
    const size_t n = pts.size() + (closed ? 1 : 0);
    for (size_t i = 1; i < n; ++i) {
        const AcGePoint3d& a = pts[i - 1];
        const AcGePoint3d& b = pts[i % pts.size()];
        double x0 = devX(a), y0 = devY(a), x1 = devX(b), y1 = devY(b);
        if (!std::isfinite(x0 + y0 + x1 + y1) || !acgiClipSegment(x0, y0, x1, y1, lo, hi)) continue;
        moveTo(x0, y0);
        lineTo(x1, y1);
    }
    stroke();
}

// An infinite line through a point along a direction, or from it (rays).
void AcGiRenderer::Painter::infinite(const AcGePoint3d& base, const AcGePoint3d& through, bool bothWays) {
    double dx = devX(through) - devX(base), dy = devY(through) - devY(base);
    const double len = std::hypot(dx, dy);
    if (!(len > 0) || !std::isfinite(len)) return;
    dx /= len;
    dy /= len;
    const double bx = devX(base), by = devY(base);
    const double reach = std::hypot(bx - m_halfW, by - m_halfH) + 2.0 * (m_width + m_height);
    double x0 = bothWays ? bx - dx * reach : bx, y0 = bothWays ? by - dy * reach : by;
    double x1 = bx + dx * reach, y1 = by + dy * reach;
    const double lo = -2.0 * std::max(m_width, m_height), hi = 3.0 * std::max(m_width, m_height);
    if (!acgiClipSegment(x0, y0, x1, y1, lo, hi)) return;
    moveTo(x0, y0);
    lineTo(x1, y1);
    stroke();
}

void AcGiRenderer::Painter::paint(const Item& item) {
    const AcGiPrimitive& p = *item.primitive;
    const bool filled = p.traits.fillType == kAcGiFillAlways;
    const bool closedCurve = p.isCurve() && (p.isClosedCurve() || p.arcType != AcGiArcType::kAcGiArcSimple);
    m_rgb = item.rgb;
    m_lineWidth = item.width;
    if (m_cr) {
        cairo_set_source_rgb(m_cr, item.rgb.r / 255.0, item.rgb.g / 255.0, item.rgb.b / 255.0);
        cairo_set_line_width(m_cr, item.width);
    }
    switch (p.type) {
    case AcGiPrimitiveType::kPolyline:
        path(p.points, false, false);
        break;
    case AcGiPrimitiveType::kPolygon:
        path(p.points, true, filled);
        break;
    case AcGiPrimitiveType::kCircle:
    case AcGiPrimitiveType::kArc:
    case AcGiPrimitiveType::kEllipse: {
        // The unit circle through the affine map of the curve's two axes onto the device
        // (Y down): circles, arcs and ellipses, in any plane, as Cairo's smooth curves.
        const AcGeVector3d u = p.startVector * p.radius;
        const AcGeVector3d v = p.normal.crossProduct(p.startVector) * (p.radius * p.radiusRatio);
        cairo_matrix_t m;
        cairo_matrix_init(&m, u.x * m_scale, -u.y * m_scale, v.x * m_scale, -v.y * m_scale, devX(p.center), devY(p.center));
        const double reach = std::max(std::hypot(m.xx, m.yx), std::hypot(m.xy, m.yy));
        const double det = m.xx * m.yy - m.xy * m.yx;
        if (reach < kSafe && std::fabs(m.x0) < kSafe && std::fabs(m.y0) < kSafe && std::fabs(det) > 1e-3) {
            const double t0 = p.startParam;
            arc(m, t0, t0 + (p.isClosedCurve() ? 2 * std::numbers::pi : p.sweep),
                p.arcType == AcGiArcType::kAcGiArcSector && !p.isClosedCurve());
            if (closedCurve) closePath();
            (filled && closedCurve) ? fill() : stroke();
        } else {  // too large for Cairo's coordinates, or seen edge on
            path(p.flatten(m_pixelDeviation), false, filled && closedCurve);
        }
        break;
    }
    case AcGiPrimitiveType::kText: {
        const std::string text = displayText(p.text);
        if (text.empty() || !(p.height > 0)) break;
        const double size = p.height / m_measure.capHeight() * m_scale;  // pixels per unit of the face
        const AcGeVector3d d = p.direction, u = p.upVector();
        const double t = std::tan(p.oblique);
        cairo_matrix_t fm;
        cairo_matrix_init(&fm, d.x * size * p.widthFactor, -d.y * size * p.widthFactor,
                          -(d.x * t + u.x) * size, (d.y * t + u.y) * size, 0, 0);
        cairo_matrix_t check = fm;
        const double det = fm.xx * fm.yy - fm.xy * fm.yx;
        if (!std::isfinite(det) || std::fabs(det) < 0.25 || cairo_matrix_invert(&check) != CAIRO_STATUS_SUCCESS)
            break;  // smaller than half a pixel
        const double x = devX(p.position), y = devY(p.position);
        if (!(std::fabs(x) < kSafe && std::fabs(y) < kSafe)) break;
        AcGePoint3d corners[4];
        textCorners(p, m_measure.advance(text) * (p.height / m_measure.capHeight()) * p.widthFactor, corners);
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (const AcGePoint3d& q : corners) {
            minX = std::min(minX, devX(q));
            maxX = std::max(maxX, devX(q));
            minY = std::min(minY, devY(q));
            maxY = std::max(maxY, devY(q));
        }
        if (maxX < 0 || maxY < 0 || minX > m_width || minY > m_height) break;  // off the image
        if (m_svg) {
            const double unit[4] = {fm.xx / size, fm.yx / size, fm.xy / size, fm.yy / size};
            m_svg->text(text, unit, size, x, y, item.rgb);
        } else {
            acgiShowText(m_cr, text.c_str(), fm, x, y);
        }
        break;
    }
    case AcGiPrimitiveType::kXline:
    case AcGiPrimitiveType::kRay:
        if (p.points.size() == 2) infinite(p.points[0], p.points[1], p.type == AcGiPrimitiveType::kXline);
        break;
    }
    ++m_r.m_drawn;
}

Acad::ErrorStatus AcGiRenderer::Painter::finish(std::vector<uint32_t>* pixels) {
    if (m_svg) {
        std::string error;
        const Acad::ErrorStatus es = m_svg->finish(error);
        m_svg.reset();
        return es == Acad::eOk ? es : m_r.fail(es, error);
    }
    const cairo_status_t drawStatus = cairo_status(m_cr);
    cairo_destroy(m_cr);
    m_cr = nullptr;
    cairo_surface_t* surface = m_surface;
    cairo_surface_flush(surface);
    Acad::ErrorStatus es = Acad::eOk;
    if (drawStatus != CAIRO_STATUS_SUCCESS) {
        es = m_r.fail(Acad::eInvalidInput, std::string("drawing failed: ") + cairo_status_to_string(drawStatus));
    } else if (m_target == Target::kPng) {
        // Through a replacement, so that a failed write leaves the file that was there.
        cadhost::db::FileReplacement file;
        std::string error;
        Acad::ErrorStatus st = file.open(m_fileName, error);
        if (st == Acad::eOk) {
            const auto put = [](void* closure, const unsigned char* data, unsigned int length) {
                auto* out = static_cast<cadhost::db::FileReplacement*>(closure);
                return out->write(std::string_view(reinterpret_cast<const char*>(data), length)) ? CAIRO_STATUS_SUCCESS
                                                                                                : CAIRO_STATUS_WRITE_ERROR;
            };
            const cairo_status_t written = cairo_surface_write_to_png_stream(surface, put, &file);
            if (written == CAIRO_STATUS_SUCCESS) {
                st = file.commit(error);
            } else {
                st = Acad::eFileSystemErr;
                error = std::string(m_fileName) + ": " + cairo_status_to_string(written);
            }
        }
        if (st != Acad::eOk) es = m_r.fail(st, "cannot write the PNG file: " + error);
    } else if (m_target == Target::kImage) {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        pixels->resize(size_t(m_width) * size_t(m_height));
        for (int row = 0; row < m_height; ++row)
            std::memcpy(pixels->data() + size_t(row) * size_t(m_width), data + size_t(row) * size_t(stride),
                        size_t(m_width) * sizeof(uint32_t));
    }
    cairo_surface_destroy(surface);
    m_surface = nullptr;
    return es;
}

Acad::ErrorStatus AcGiRenderer::renderDatabase(AcDbDatabase* db, AcDbObjectId blockId, Target target,
                                               const char* fileName, int width, int height,
                                               std::vector<uint32_t>* pixels) {
    m_drawn = 0;
    m_error.clear();
    if (!db) return fail(Acad::eNoDatabase, "no database");
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return fail(Acad::eInvalidInput, "image size out of range");
    Scene scene;
    scene.db = db;
    m_center = m_options.viewCenter;
    m_viewHeight = m_options.viewHeight > 0 ? m_options.viewHeight : 100.0;
    const AcDbObjectId spaceId = blockId.isNull() ? db->currentSpaceId() : blockId;
    AcDbBlockTableRecord* block = nullptr;
    const Acad::ErrorStatus es = acdbOpenObject(block, spaceId, AcDb::kForRead);
    if (es != Acad::eOk) return fail(es, "the block to render cannot be opened");
    const std::vector<AcDbObjectId> ids = block->entityIds();
    block->close();

    // Entities are drawn one at a time and their primitives painted or measured at once, so
    // that memory does not grow with the drawing. Without a view the extents of what is drawn
    // make it first; what depends on the viewport is then drawn for the view found, the rest as
    // it was measured.
    AcGiRecordingDraw& rec = scene.recorder;
    rec.setDatabase(db);
    AcGePoint2d drawCenter = m_center;
    double drawHeight = m_viewHeight;
    if (m_options.viewHeight <= 0) {
        Measure measure;
        AcDbExtents ext;
        bool viewportDependent = false;
        rec.setViewport(AcGePoint2d(0, 0), AcGePoint2d(width, height), m_center, m_viewHeight);
        forEachItem(scene, ids, [&](const AcGiPrimitive& p, const Item* item) {
            viewportDependent = viewportDependent || p.viewportDependent;
            if (item) addExtents(measure, p, ext);
        });
        fitTo(ext, width, height);
        if (viewportDependent) {
            drawCenter = m_center;
            drawHeight = m_viewHeight;
        }
    }
    Painter painter(*this, target, fileName, width, height);
    if (painter.status() != Acad::eOk) return painter.status();
    rec.setViewport(AcGePoint2d(0, 0), AcGePoint2d(width, height), drawCenter, drawHeight);
    forEachItem(scene, ids, [&](const AcGiPrimitive&, const Item* item) {
        if (item) painter.paint(*item);
    });
    return painter.finish(pixels);
}

Acad::ErrorStatus AcGiRenderer::renderRecording(const AcGiRecordingDraw& recorder, AcDbDatabase* db, Target target,
                                                const char* fileName, int width, int height,
                                                std::vector<uint32_t>* pixels) {
    m_drawn = 0;
    m_error.clear();
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return fail(Acad::eInvalidInput, "image size out of range");
    Scene scene;
    scene.db = db;
    std::vector<Item> items;
    for (const AcGiPrimitive& p : recorder.primitives())
        if (Item item; resolve(scene, p, item)) items.push_back(item);
    if (m_options.viewHeight > 0) {
        m_center = m_options.viewCenter;
        m_viewHeight = m_options.viewHeight;
    } else {
        Measure measure;
        AcDbExtents ext;
        for (const Item& item : items) addExtents(measure, *item.primitive, ext);
        fitTo(ext, width, height);
    }
    Painter painter(*this, target, fileName, width, height);
    if (painter.status() != Acad::eOk) return painter.status();
    for (const Item& item : items) painter.paint(item);
    return painter.finish(pixels);
}

template <class Visit>
void AcGiRenderer::forEachItem(Scene& scene, const std::vector<AcDbObjectId>& ids, Visit&& visit) {
    AcGiRecordingDraw& rec = scene.recorder;
    for (const AcDbObjectId& id : ids) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) continue;  // erased, or not an entity
        rec.clear();
        // An insert on a frozen layer is hidden as a whole.
        if (!scene.layer(entity->layerId()).frozen) rec.draw(entity);
        entity->close();
        for (const AcGiPrimitive& p : rec.primitives()) {
            Item item;
            visit(p, resolve(scene, p, item) ? &item : nullptr);
        }
    }
    rec.clear();
}

bool AcGiRenderer::resolve(Scene& scene, const AcGiPrimitive& p, Item& item) {
    if (scene.lwDefault < -1) {
        scene.lwDefault = scene.db ? scene.db->headerInt("LWDEFAULT", 25) : 25;
        if (scene.lwDefault < 0) scene.lwDefault = 25;
    }
    const LayerInfo& layer = scene.layer(p.effective.layerId);
    if (layer.off || layer.frozen) return false;
    int color = p.effective.color;
    if (color == 256) color = layer.color;
    if (color < 1 || color > 255) color = 7;
    int weight = p.effective.lineWeight;
    if (weight == AcDb::kLnWtByLayer) weight = layer.weight;
    if (weight < 0) weight = scene.lwDefault;
    const double width = m_options.lineweights ? std::max(1.0, weight / 100.0 * m_options.pixelsPerMm) : 1.0;
    item = {&p, acgiColorIndexToRgb(color, m_options.blackBackground), width};
    return true;
}

void AcGiRenderer::fitTo(const AcDbExtents& ext, int width, int height) {
    if (ext.isEmpty()) {
        m_center = AcGePoint2d(0, 0);
        m_viewHeight = 1.0;
        return;
    }
    const double usable = std::clamp(1.0 - 2.0 * m_options.margin, 0.1, 1.0);
    const double w = ext.maxPoint().x - ext.minPoint().x, h = ext.maxPoint().y - ext.minPoint().y;
    m_center = AcGePoint2d((ext.minPoint().x + ext.maxPoint().x) / 2, (ext.minPoint().y + ext.maxPoint().y) / 2);
    m_viewHeight = std::max(h, w * height / width) / usable;
    if (!(m_viewHeight > 0) || !std::isfinite(m_viewHeight)) m_viewHeight = 1.0;
}
