#include "db/mtext.h"
#include "rx/rxclass.h"
#include "db/hostinternal.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "db/database.h"
#include "db/dxftext.h"
#include "db/entitysupport.h"
#include "db/text.h"
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbMText, AcDbEntity, "MTEXT", ACRX_HOST_CONS(AcDbMText))

using namespace cadhost::ent;

namespace {
constexpr double kLineSpacing = 5.0 / 3.0;
constexpr size_t kChunk = 250;

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

// The paragraphs of the contents with formatting codes taken out.
std::vector<std::string> paragraphs(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    const size_t n = s.size();
    auto skipTo = [&](size_t from) {
        size_t semi = s.find(';', from);
        return semi == std::string::npos ? n : semi + 1;
    };
    for (size_t i = 0; i < n;) {
        char c = s[i];
        if (c == '\\' && i + 1 < n) {
            char d = s[i + 1];
            switch (d) {
                case 'P': case 'N': out.push_back(cur); cur.clear(); i += 2; break;
                case '~': cur += ' '; i += 2; break;
                case '\\': case '{': case '}': cur += d; i += 2; break;
                case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': i += 2; break;
                case 'S': {
                    size_t semi = s.find(';', i + 2);
                    std::string stacked = semi == std::string::npos ? s.substr(i + 2) : s.substr(i + 2, semi - (i + 2));
                    for (char& ch : stacked)
                        if (ch == '^' || ch == '#') ch = '/';
                    cur += stacked;
                    i = semi == std::string::npos ? n : semi + 1;
                    break;
                }
                case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'h': case 'Q': case 'q':
                case 'T': case 't': case 'W': case 'w': case 'p':
                    i = skipTo(i + 2);
                    break;
                default: cur += c; ++i; break;
            }
        } else if (c == '{' || c == '}' || c == '\r') {
            ++i;
        } else if (c == '\n') {
            out.push_back(cur);
            cur.clear();
            ++i;
        } else {
            cur += c;
            ++i;
        }
    }
    out.push_back(cur);
    return out;
}

// Breaks a paragraph between words so that no line is wider than width (a word wider than
// the width stands on its own line).
void wrap(const std::string& paragraph, double width, double charWidth, std::vector<std::string>& lines) {
    if (width <= 0 || textCharCount(paragraph) * charWidth <= width) {
        lines.push_back(paragraph);
        return;
    }
    std::string line;
    size_t pos = 0;
    while (pos <= paragraph.size()) {
        size_t space = paragraph.find(' ', pos);
        if (space == std::string::npos) space = paragraph.size();
        std::string word = paragraph.substr(pos, space - pos);
        std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && textCharCount(candidate) * charWidth > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = candidate;
        }
        pos = space + 1;
    }
    lines.push_back(line);
}

// \U+XXXX escapes left in joined contents: a file's chunk may end inside one, so the filer
// could not decode it from either chunk alone.
std::string decodeSplitEscapes(const std::string& s) {
    if (s.find("\\U+") == std::string::npos) return s;
    std::string out;
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
            out += "\\\\";
            i += 2;
            continue;
        }
        if (s.compare(i, 3, "\\U+") == 0 && i + 7 <= s.size()) {
            char32_t cp = 0;
            bool hex = true;
            for (size_t k = i + 3; k < i + 7 && hex; ++k) {
                int d = cadhost::dxf::hexDigit(s[k]);
                hex = d >= 0;
                cp = cp * 16 + static_cast<char32_t>(d < 0 ? 0 : d);
            }
            if (hex) {
                cadhost::dxf::appendUtf8(out, cp);
                i += 7;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

}  // namespace

AcDbMText::AcDbMText() = default;
AcDbMText::~AcDbMText() = default;

AcGePoint3d AcDbMText::location() const {
    assertReadEnabled();
    return m_location;
}

Acad::ErrorStatus AcDbMText::setLocation(const AcGePoint3d& location) {
    assertWriteEnabled();
    m_location = location;
    return Acad::eOk;
}

char* AcDbMText::contents() const {
    assertReadEnabled();
    return cadhost::db::heapCopy(m_contents);
}

const char* AcDbMText::contentsConst() const {
    assertReadEnabled();
    return m_contents.c_str();
}

Acad::ErrorStatus AcDbMText::setContents(const char* contents) {
    assertWriteEnabled();
    m_contents = contents ? contents : "";
    return Acad::eOk;
}

char* AcDbMText::text() const {
    assertReadEnabled();
    std::string joined;
    std::vector<std::string> parts = paragraphs(m_contents);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) joined += '\n';
        joined += parts[i];
    }
    return cadhost::db::heapCopy(joined);
}

double AcDbMText::textHeight() const {
    assertReadEnabled();
    return m_height;
}

Acad::ErrorStatus AcDbMText::setTextHeight(double height) {
    assertWriteEnabled();
    if (!positive(height)) return Acad::eInvalidInput;
    m_height = height;
    return Acad::eOk;
}

double AcDbMText::width() const {
    assertReadEnabled();
    return m_width;
}

Acad::ErrorStatus AcDbMText::setWidth(double width) {
    assertWriteEnabled();
    if (!std::isfinite(width) || width < 0) return Acad::eInvalidInput;
    m_width = width;
    return Acad::eOk;
}

double AcDbMText::rotation() const {
    assertReadEnabled();
    return angleInPlane(m_direction, m_normal);
}

Acad::ErrorStatus AcDbMText::setRotation(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_direction = directionInPlane(angle, m_normal);
    return Acad::eOk;
}

AcGeVector3d AcDbMText::direction() const {
    assertReadEnabled();
    return m_direction;
}

Acad::ErrorStatus AcDbMText::setDirection(const AcGeVector3d& direction) {
    assertWriteEnabled();
    AcGeVector3d d;
    if (!unitNormal(direction - m_normal * direction.dotProduct(m_normal), d)) return Acad::eInvalidInput;
    m_direction = d;
    return Acad::eOk;
}

AcGeVector3d AcDbMText::normal() const {
    assertReadEnabled();
    return m_normal;
}

Acad::ErrorStatus AcDbMText::setNormal(const AcGeVector3d& normal) {
    assertWriteEnabled();
    AcGeVector3d n;
    if (!unitNormal(normal, n)) return Acad::eInvalidInput;
    double angle = angleInPlane(m_direction, m_normal);
    m_normal = n;
    m_direction = directionInPlane(angle, n);
    return Acad::eOk;
}

AcDbMText::AttachmentPoint AcDbMText::attachment() const {
    assertReadEnabled();
    return m_attachment;
}

Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint attachment) {
    assertWriteEnabled();
    if (attachment < kTopLeft || attachment > kBottomRight) return Acad::eInvalidInput;
    m_attachment = attachment;
    return Acad::eOk;
}

AcDbMText::FlowDirection AcDbMText::flowDirection() const {
    assertReadEnabled();
    return m_flow;
}

Acad::ErrorStatus AcDbMText::setFlowDirection(FlowDirection direction) {
    assertWriteEnabled();
    if (direction < kLtoR || direction > kByStyle) return Acad::eInvalidInput;
    m_flow = direction;
    return Acad::eOk;
}

AcDbObjectId AcDbMText::textStyle() const {
    assertReadEnabled();
    return m_style;
}

Acad::ErrorStatus AcDbMText::setTextStyle(AcDbObjectId style) {
    assertWriteEnabled();
    m_style = style;
    m_styleName.clear();
    return Acad::eOk;
}

AcDbMText::Layout AcDbMText::layout() const {
    Layout l;
    const double h = m_height, charWidth = kCharWidth * h, spacing = kLineSpacing * h;
    std::vector<std::string> texts;
    if (!m_contents.empty())
        for (const std::string& p : paragraphs(m_contents)) wrap(p, m_width, charWidth, texts);
    double widest = 0;
    for (const std::string& t : texts) widest = std::max(widest, textCharCount(t) * charWidth);
    l.width = m_width > 0 ? m_width : widest;
    l.height = texts.empty() ? 0.0 : h + (texts.size() - 1) * spacing;
    l.dir = m_direction;
    l.up = up();
    const int col = (m_attachment - 1) % 3, row = (m_attachment - 1) / 3;
    const double x0 = col == 0 ? 0.0 : col == 1 ? -l.width / 2 : -l.width;
    const double top = row == 0 ? 0.0 : row == 1 ? l.height / 2 : l.height;
    l.topLeft = m_location + l.dir * x0 + l.up * top;
    for (size_t i = 0; i < texts.size(); ++i) {
        double lw = textCharCount(texts[i]) * charWidth;
        double x = x0 + (col == 0 ? 0.0 : col == 1 ? (l.width - lw) / 2 : l.width - lw);
        double y = top - h - static_cast<double>(i) * spacing;
        l.lines.push_back({texts[i], m_location + l.dir * x + l.up * y});
    }
    return l;
}

double AcDbMText::actualHeight() const {
    assertReadEnabled();
    return layout().height;
}

double AcDbMText::actualWidth() const {
    assertReadEnabled();
    Layout l = layout();
    double widest = 0;
    for (const Line& line : l.lines) widest = std::max(widest, textCharCount(line.text) * kCharWidth * m_height);
    return widest;
}

void AcDbMText::getBoundingPoints(AcGePoint3dArray& corners) const {
    assertReadEnabled();
    Layout l = layout();
    AcGePoint3d bottomLeft = l.topLeft - l.up * l.height;
    corners.append(bottomLeft);
    corners.append(bottomLeft + l.dir * l.width);
    corners.append(l.topLeft + l.dir * l.width);
    corners.append(l.topLeft);
}

Adesk::Boolean AcDbMText::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode) return Adesk::kTrue;
    Layout l = layout();
    for (const Line& line : l.lines) {
        if (mode->regenAbort()) break;
        if (line.text.empty()) continue;
        mode->geometry().text(line.start, m_normal, l.dir, m_height, 1.0, 0.0, line.text.c_str());
    }
    return Adesk::kTrue;
}

void AcDbMText::list() const {
    assertReadEnabled();
    AcDbEntity::list();
    std::string style = m_style.isNull() ? m_styleName : recordName(m_style);
    acutPrintf("               Location = (%g, %g, %g)\n", m_location.x, m_location.y, m_location.z);
    acutPrintf("                  Width = %g\n", m_width);
    acutPrintf("            Text height = %g\n", m_height);
    acutPrintf("               Rotation = %g\n", rotation() * 180.0 / kPi);
    acutPrintf("             Attachment = %d\n", static_cast<int>(m_attachment));
    acutPrintf("                  Style = \"%s\"\n", style.c_str());
    acutPrintf("               Contents = %s\n", m_contents.c_str());
}

Acad::ErrorStatus AcDbMText::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    gripPoints.append(m_location);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    if (indices.contains(0)) m_location += offset;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    assertReadEnabled();
    stretchPoints.append(m_location);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbMText::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d&, const AcGePoint3d&,
                                            const AcGeMatrix3d&, AcGePoint3dArray& snapPoints,
                                            AcDbIntArray&) const {
    assertReadEnabled();
    if (mode == AcDb::kOsModeIns) snapPoints.append(m_location);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcGeVector3d dir = xform * m_direction, upv = xform * up(), nm = xform * m_normal;
    AcGeVector3d cross = dir.crossProduct(upv), n;
    double lenDir = dir.length();
    if (!unitNormal(cross, n) || !(lenDir > 1e-12)) return Acad::eCannotScaleNonUniformly;
    if (n.dotProduct(nm) < 0) n = -n;
    AcGeVector3d d = dir / lenDir;
    double hs = (upv - d * d.dotProduct(upv)).length();
    if (cross.dotProduct(n) < 0) {
        // Not mirrored: of the two readable frames the one reading rightwards is taken.
        double a = angleInPlane(d, n), c = std::cos(a);
        if (!(c > 1e-9 || (std::fabs(c) <= 1e-9 && std::sin(a) > 0))) d = -d;
    }
    m_location = xform * m_location;
    m_height *= hs;
    m_width *= lenDir;
    m_direction = d;
    m_normal = n;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    assertReadEnabled();
    copy = nullptr;
    AcDbEntity* c = AcDbEntity::cast(clone());
    if (!c) return Acad::eOutOfMemory;
    Acad::ErrorStatus es = c->transformBy(xform);
    if (es != Acad::eOk) {
        delete c;
        return es;
    }
    copy = c;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::explode(AcDbVoidPtrArray& entities) const {
    assertReadEnabled();
    Layout l = layout();
    double angle = angleInPlane(m_direction, m_normal);
    for (const Line& line : l.lines) {
        if (line.text.empty()) continue;
        auto* text = new AcDbText(line.start, line.text.c_str(), m_style, m_height, 0.0);
        text->setPropertiesFrom(this);
        text->setNormal(m_normal);
        text->setRotation(angle);
        entities.append(text);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    AcGePoint3dArray corners;
    getBoundingPoints(corners);
    extents = AcDbExtents();
    for (const AcGePoint3d& p : corners) extents.addPoint(p);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writePoint3d(m_location);
    filer->writeString(m_contents.c_str());
    filer->writeDouble(m_height);
    filer->writeDouble(m_width);
    filer->writeVector3d(m_direction);
    filer->writeVector3d(m_normal);
    filer->writeInt16(static_cast<Adesk::Int16>(m_attachment));
    filer->writeInt16(static_cast<Adesk::Int16>(m_flow));
    filer->writeHardPointerId(m_style);
    filer->writeString(m_styleName.c_str());
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbMText::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcGePoint3d location;
    double height = 0, width = 0;
    AcGeVector3d direction, normal;
    Adesk::Int16 attachment = 1, flow = 1;
    AcDbHardPointerId style;
    filer->readPoint3d(&location);
    std::string contents = cadhost::db::readDwgText(filer);
    filer->readDouble(&height);
    filer->readDouble(&width);
    filer->readVector3d(&direction);
    filer->readVector3d(&normal);
    filer->readInt16(&attachment);
    filer->readInt16(&flow);
    filer->readHardPointerId(&style);
    std::string styleName = cadhost::db::readDwgText(filer);
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    m_location = location;
    m_contents = contents;
    m_height = positive(height) ? height : 0.2;
    m_width = std::isfinite(width) && width > 0 ? width : 0.0;
    if (!unitNormal(normal, m_normal)) m_normal = AcGeVector3d::kZAxis;
    if (!unitNormal(direction - m_normal * direction.dotProduct(m_normal), m_direction))
        m_direction = directionInPlane(0.0, m_normal);
    m_attachment = attachment >= kTopLeft && attachment <= kBottomRight ? static_cast<AttachmentPoint>(attachment) : kTopLeft;
    m_flow = flow >= kLtoR && flow <= kByStyle ? static_cast<FlowDirection>(flow) : kLtoR;
    m_style = style;
    m_styleName = styleName;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass("AcDbMText");
    filer->writePoint3d(10, m_location);
    filer->writeDouble(40, m_height);
    filer->writeDouble(41, m_width);
    filer->writeInt16(71, static_cast<Adesk::Int16>(m_attachment));
    filer->writeInt16(72, static_cast<Adesk::Int16>(m_flow));
    // Long contents: chunks of 250 bytes in groups 3 (never splitting a UTF-8 sequence), the
    // rest in group 1.
    size_t pos = 0;
    while (m_contents.size() - pos > kChunk) {
        size_t len = kChunk;
        while (len > 1 && (static_cast<unsigned char>(m_contents[pos + len]) & 0xC0) == 0x80) --len;
        filer->writeString(3, m_contents.substr(pos, len).c_str());
        pos += len;
    }
    filer->writeString(1, m_contents.substr(pos).c_str());
    std::string style = m_style.isNull() ? m_styleName : recordName(m_style);
    filer->writeString(7, style.empty() ? "Standard" : style.c_str());
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(210, m_normal);
    filer->writeVector3d(11, m_direction);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbMText::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if (!filer->atSubclassData("AcDbMText")) return filer->filerStatus() != Acad::eOk ? filer->filerStatus() : Acad::eBadDxfSequence;
    std::string chunks, last, styleName;
    bool haveStyle = false, haveDirection = false, haveRotation = false;
    AcGeVector3d normal = AcGeVector3d::kZAxis, direction;
    double angle = 0;
    resbuf rb;
    bool embedded = false;
    while (nextGroup(filer, rb, es)) {
        if (embedded) continue;  // column data of newer files: not kept, and not to be mixed in
        switch (rb.restype) {
            case 100: filer->pushBackItem(); goto done;
            case 101: embedded = true; break;
            case 1: last = groupString(rb); break;
            case 3: chunks += groupString(rb); break;
            case 7: styleName = groupString(rb); haveStyle = true; break;
            case 10: m_location = groupPoint(rb); break;
            case 11: direction = groupVector(rb); haveDirection = true; break;
            case 40: { double h = groupReal(rb); if (positive(h)) m_height = h; break; }
            case 41: { double w = groupReal(rb); m_width = std::isfinite(w) && w > 0 ? w : 0.0; break; }
            case 50: angle = groupAngle(rb); haveRotation = std::isfinite(angle); break;
            case 71: { int a = groupInt(rb); if (a >= kTopLeft && a <= kBottomRight) m_attachment = static_cast<AttachmentPoint>(a); break; }
            case 72: { int f = groupInt(rb); if (f >= kLtoR && f <= kByStyle) m_flow = static_cast<FlowDirection>(f); break; }
            case 210: { AcGeVector3d n; if (unitNormal(groupVector(rb), n)) normal = n; break; }
            default: break;
        }
    }
done:
    if (es != Acad::eOk) return es;
    m_contents = decodeSplitEscapes(chunks + last);
    m_normal = normal;
    // The direction vector wins over a rotation angle.
    if (!haveDirection || !unitNormal(direction - normal * direction.dotProduct(normal), m_direction))
        m_direction = directionInPlane(haveRotation ? angle : 0.0, normal);
    if (haveStyle) {
        AcDbDatabase* db = filer->database() ? filer->database() : database();
        m_style = db ? recordByName(db->textStyleTableId(), styleName) : AcDbObjectId::kNull;
        m_styleName = m_style.isNull() ? styleName : std::string();
    }
    return filer->filerStatus();
}
