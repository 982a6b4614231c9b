#include "gi/svgwriter.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {
constexpr size_t kSpillSize = 1 << 18;   // bytes of document text handed to the file at once
constexpr size_t kStrokeSize = 1 << 16;  // path data of one stroke element at most
constexpr int kCoordDecimals = 2;
constexpr int kMatrixDecimals = 5;

void trimZeros(std::string& out, size_t start) {
    if (out.find('.', start) == std::string::npos) return;
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
}

void appendColor(std::string& out, AcGiRgb rgb) {
    out += "rgb(";
    const uint8_t parts[3] = {rgb.r, rgb.g, rgb.b};
    for (int i = 0; i < 3; ++i) {
        if (i) out += ',';
        acgiAppendFixed(out, parts[i] * 100.0 / 255.0, 2);
        out += '%';
    }
    out += ')';
}

}  // namespace

size_t acgiUtf8Length(std::string_view s, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) { n = 3; if (c == 0xE0) lo = 0xA0; if (c == 0xED) hi = 0x9F; }
    else if (c >= 0xF0 && c <= 0xF4) { n = 4; if (c == 0xF0) lo = 0x90; if (c == 0xF4) hi = 0x8F; }
    if (n == 0 || i + n > s.size()) return 0;
    if (at(i + 1) < lo || at(i + 1) > hi) return 0;
    for (size_t k = 2; k < n; ++k)
        if ((at(i + k) & 0xC0) != 0x80) return 0;
    return n;
}

void acgiAppendFixed(std::string& out, double v, int decimals) {
    static constexpr int64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    decimals = decimals < 0 ? 0 : decimals > 6 ? 6 : decimals;
    if (!std::isfinite(v)) v = 0.0;
    const int64_t unit = kPowers[decimals];
    const double scaled = v * static_cast<double>(unit);
    if (!(std::fabs(scaled) < 9e15)) {  // past exact integers: the library formats it
        char buf[400];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        const size_t start = out.size();
        out.append(buf, r.ptr);
        trimZeros(out, start);
        return;
    }
    int64_t n = std::llround(scaled);
    if (n < 0) {
        out += '-';
        n = -n;
    }
    int64_t whole = n / unit, frac = n % unit;
    char buf[32];
    char* end = buf + sizeof buf;
    char* p = end;
    if (frac) {
        int digits = decimals;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        for (; digits > 0; --digits, frac /= 10) *--p = static_cast<char>('0' + frac % 10);
        *--p = '.';
    }
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    out.append(p, end);
}

void acgiAppendXmlText(std::string& out, std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '&': out += "&amp;"; ++i; continue;
        case '<': out += "&lt;"; ++i; continue;
        case '>': out += "&gt;"; ++i; continue;
        case '"': out += "&quot;"; ++i; continue;
        case '\'': out += "&apos;"; ++i; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
            ++i;
            continue;
        }
        const size_t n = acgiUtf8Length(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no sequence
            ++i;
        } else if (n == 3 && c == 0xEF && s[i + 1] == '\xBF' && (s[i + 2] == '\xBE' || s[i + 2] == '\xBF')) {
            out += "\xEF\xBF\xBD";  // U+FFFE and U+FFFF are no XML characters
            i += 3;
        } else {
            out.append(s, i, n);
            i += n;
        }
    }
}

Acad::ErrorStatus AcGiSvgWriter::open(const char* fileName, int width, int height, AcGiRgb background,
                                      std::string& error) {
    m_out.clear();
    m_strokes.clear();
    clearShape();
    m_width = width;
    m_height = height;
    const Acad::ErrorStatus es = m_file.open(fileName, error);
    if (es != Acad::eOk) return es;
    m_out.reserve(kSpillSize + kStrokeSize * 2);
    const std::string w = std::to_string(width), h = std::to_string(height);
    m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w +
             "pt\" height=\"" + h + "pt\" viewBox=\"0 0 " + w + " " + h + "\" version=\"1.1\">\n<rect width=\"" + w +
             "\" height=\"" + h + "\" fill=\"";
    appendColor(m_out, background);
    m_out += "\"/>\n<g stroke-linecap=\"round\" stroke-linejoin=\"round\" font-family=\"sans-serif\">\n";
    return Acad::eOk;
}

void AcGiSvgWriter::command(char c) {
    if (c != m_last || c == 'M' || c == 'Z') {
        m_shape += c;
        m_shape += ' ';
    }
    m_last = c;
}

void AcGiSvgWriter::point(double x, double y) {
    m_minX = std::min(m_minX, x);
    m_maxX = std::max(m_maxX, x);
    m_minY = std::min(m_minY, y);
    m_maxY = std::max(m_maxY, y);
    acgiAppendFixed(m_shape, x, kCoordDecimals);
    m_shape += ' ';
    acgiAppendFixed(m_shape, y, kCoordDecimals);
    m_shape += ' ';
}

void AcGiSvgWriter::moveTo(double x, double y) {
    command('M');
    point(x, y);
}

void AcGiSvgWriter::lineTo(double x, double y) {
    command('L');
    point(x, y);
}

void AcGiSvgWriter::curveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    command('C');
    point(x1, y1);
    point(x2, y2);
    point(x3, y3);
}

void AcGiSvgWriter::closePath() { command('Z'); }

bool AcGiSvgWriter::shapeShows(double reach) const {
    return m_maxX >= -reach && m_maxY >= -reach && m_minX <= m_width + reach && m_minY <= m_height + reach;
}

void AcGiSvgWriter::clearShape() {
    m_shape.clear();
    m_last = 0;
    m_minX = m_minY = HUGE_VAL;
    m_maxX = m_maxY = -HUGE_VAL;
}

void AcGiSvgWriter::stroke(AcGiRgb rgb, double width) {
    if (!shapeShows(width)) {  // wholly off the picture
        clearShape();
        return;
    }
    if (!m_strokes.empty() && !(rgb == m_strokeRgb && width == m_strokeWidth)) flushStrokes();
    m_strokeRgb = rgb;
    m_strokeWidth = width;
    m_strokes += m_shape;
    clearShape();
    if (m_strokes.size() >= kStrokeSize) flushStrokes();
}

void AcGiSvgWriter::flushStrokes() {
    if (m_strokes.empty()) return;
    m_out += "<path fill=\"none\" stroke=\"";
    appendColor(m_out, m_strokeRgb);
    m_out += "\" stroke-width=\"";
    acgiAppendFixed(m_out, m_strokeWidth, kCoordDecimals);
    m_out += "\" d=\"";
    m_out += m_strokes;
    m_out += "\"/>\n";
    m_strokes.clear();
    spill();
}

void AcGiSvgWriter::fill(AcGiRgb rgb) {
    if (!m_shape.empty() && shapeShows(1.0)) {
        flushStrokes();
        m_out += "<path fill=\"";
        appendColor(m_out, rgb);
        m_out += "\" d=\"";
        m_out += m_shape;
        m_out += "\"/>\n";
    }
    clearShape();
    spill();
}

void AcGiSvgWriter::text(std::string_view utf8, const double matrix[4], double size, double x, double y,
                         AcGiRgb rgb) {
    flushStrokes();
    m_out += "<text xml:space=\"preserve\" fill=\"";
    appendColor(m_out, rgb);
    m_out += "\" font-size=\"";
    acgiAppendFixed(m_out, size, kCoordDecimals);
    m_out += "\" transform=\"matrix(";
    for (int i = 0; i < 4; ++i) {
        acgiAppendFixed(m_out, matrix[i], kMatrixDecimals);
        m_out += ' ';
    }
    acgiAppendFixed(m_out, x, kCoordDecimals);
    m_out += ' ';
    acgiAppendFixed(m_out, y, kCoordDecimals);
    m_out += ")\">";
    acgiAppendXmlText(m_out, utf8);
    m_out += "</text>\n";
    spill();
}

void AcGiSvgWriter::spill() {
    if (m_out.size() < kSpillSize) return;
    m_file.write(m_out);
    m_out.clear();
}

Acad::ErrorStatus AcGiSvgWriter::finish(std::string& error) {
    if (!m_file.isOpen()) {
        error = "no SVG file is being written";
        return Acad::eInvalidInput;
    }
    flushStrokes();
    m_out += "</g>\n</svg>\n";
    m_file.write(m_out);
    m_out.clear();
    const Acad::ErrorStatus es = m_file.commit(error);
    if (es != Acad::eOk) error = "cannot write the SVG file: " + error;
    return es;
}

void AcGiSvgWriter::abandon() {
    m_file.abandon();
    m_out.clear();
    clearShape();
    m_strokes.clear();
}
