#include "db/dimension.h"
#include "rx/rxclass.h"
#include "db/hostinternal.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "db/database.h"
#include "db/entitysupport.h"
#include "db/line.h"
#include "db/text.h"
#include "gi/geometry.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbDimension, AcDbEntity, "DIMENSION", ACRX_NO_CONS)

using namespace cadhost::ent;

namespace {

// A direction turned (by half a turn when needed) to read rightwards in the plane.
AcGeVector3d readable(const AcGeVector3d& d, const AcGeVector3d& normal) {
    double a = angleInPlane(d, normal);
    double c = std::cos(a);
    bool keep = c > 1e-9 || (std::fabs(c) <= 1e-9 && std::sin(a) > 0);
    return keep ? d : -d;
}
}  // namespace

AcDbDimension::AcDbDimension() = default;
AcDbDimension::~AcDbDimension() = default;

AcDbObjectId AcDbDimension::dimBlockId() const {
    assertReadEnabled();
    if (m_block.isNull() && !m_blockName.empty())
        if (AcDbDatabase* db = database()) {
            AcDbObjectId id = recordByName(db->blockTableId(), m_blockName);
            if (!id.isNull()) {
                m_block = id;
                m_blockName.clear();
            }
        }
    return m_block;
}

Acad::ErrorStatus AcDbDimension::setDimBlockId(AcDbObjectId block) {
    assertWriteEnabled();
    m_block = block;
    m_blockName.clear();
    return Acad::eOk;
}

AcGePoint3d AcDbDimension::textPosition() const {
    assertReadEnabled();
    if (m_userTextPosition) return m_textPosition;
    Graphics g;
    buildGraphics(g);
    return g.textMiddle;
}

Acad::ErrorStatus AcDbDimension::setTextPosition(const AcGePoint3d& position) {
    assertWriteEnabled();
    m_textPosition = position;
    m_userTextPosition = true;
    return Acad::eOk;
}

bool AcDbDimension::isUsingDefaultTextPosition() const {
    assertReadEnabled();
    return !m_userTextPosition;
}

Acad::ErrorStatus AcDbDimension::useDefaultTextPosition() {
    assertWriteEnabled();
    m_userTextPosition = false;
    return Acad::eOk;
}

char* AcDbDimension::dimensionText() const {
    assertReadEnabled();
    return cadhost::db::heapCopy(m_text);
}

const char* AcDbDimension::dimensionTextConst() const {
    assertReadEnabled();
    return m_text.c_str();
}

Acad::ErrorStatus AcDbDimension::setDimensionText(const char* text) {
    assertWriteEnabled();
    m_text = text ? text : "";
    return Acad::eOk;
}

double AcDbDimension::textRotation() const {
    assertReadEnabled();
    return m_textRotation;
}

Acad::ErrorStatus AcDbDimension::setTextRotation(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_textRotation = angle;
    return Acad::eOk;
}

AcDbObjectId AcDbDimension::dimensionStyle() const {
    assertReadEnabled();
    return m_style;
}

Acad::ErrorStatus AcDbDimension::setDimensionStyle(AcDbObjectId style) {
    assertWriteEnabled();
    m_style = style;
    m_styleName.clear();
    return Acad::eOk;
}

AcGeVector3d AcDbDimension::normal() const {
    assertReadEnabled();
    return m_normal;
}

Acad::ErrorStatus AcDbDimension::setNormal(const AcGeVector3d& normal) {
    assertWriteEnabled();
    AcGeVector3d n;
    if (!unitNormal(normal, n)) return Acad::eInvalidInput;
    m_normal = n;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::measurement(double& value) const {
    value = measurement();
    return std::isfinite(value) ? Acad::eOk : Acad::eInvalidInput;
}

AcDbDimension::Sizes AcDbDimension::sizes() const {
    Sizes s;
    AcDbDatabase* db = database();
    if (!db) return s;
    double scale = db->headerReal("DIMSCALE", 1.0);
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1.0;
    auto real = [&](const char* name, double fallback) {
        double v = db->headerReal(name, fallback);
        return std::isfinite(v) && v >= 0 ? v : fallback;
    };
    s.arrow = real("DIMASZ", s.arrow) * scale;
    s.text = real("DIMTXT", s.text) * scale;
    s.extensionOffset = real("DIMEXO", s.extensionOffset) * scale;
    s.extensionBeyond = real("DIMEXE", s.extensionBeyond) * scale;
    s.gap = real("DIMGAP", s.gap) * scale;
    double lf = db->headerReal("DIMLFAC", 1.0);
    s.lengthFactor = std::isfinite(lf) && lf != 0 ? lf : 1.0;
    s.decimals = std::max(0, std::min(8, db->headerInt("DIMDEC", s.decimals)));
    s.zeroSuppression = db->headerInt("DIMZIN", 0);
    if (!(s.text > 0)) s.text = 0.18 * scale;
    return s;
}

std::string AcDbDimension::displayText() const {
    assertReadEnabled();
    if (m_text == " ") return {};
    Sizes s = sizes();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", s.decimals, measurement() * s.lengthFactor);
    std::string value = buf;
    if ((s.zeroSuppression & 8) && value.find('.') != std::string::npos) {
        while (!value.empty() && value.back() == '0') value.pop_back();
        if (!value.empty() && value.back() == '.') value.pop_back();
    }
    if (value == "-0") value = "0";
    if (m_text.empty()) return value;
    std::string out = m_text;
    size_t at = out.find("<>");
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}

AcGePoint3d AcDbDimension::inPlane(const AcGePoint3d& p, const AcGePoint3d& through) const {
    return p - m_normal * (p - through).dotProduct(m_normal);
}

void AcDbDimension::linearGraphics(const AcGePoint3d& x1, const AcGePoint3d& x2, const AcGePoint3d& p1,
                                   const AcGePoint3d& p2, Graphics& g) const {
    Sizes s = sizes();
    // Extension lines from a little off the measured points to a little beyond the line.
    const AcGePoint3d from[2] = {inPlane(x1, p1), inPlane(x2, p2)}, to[2] = {p1, p2};
    for (int i = 0; i < 2; ++i) {
        AcGeVector3d e = to[i] - from[i];
        double len = e.length();
        if (len <= s.extensionOffset || len < 1e-12) continue;
        e = e / len;
        g.lines.push_back({from[i] + e * s.extensionOffset, to[i] + e * s.extensionBeyond});
    }
    AcGeVector3d d = p2 - p1;
    if (d.length() < 1e-12) d = directionInPlane(0.0, m_normal);
    d.normalize();
    g.lines.push_back({p1, p2});
    AcGeVector3d tick = (d + m_normal.crossProduct(d)).normal() * (s.arrow / 2);
    g.lines.push_back({p1 - tick, p1 + tick});
    g.lines.push_back({p2 - tick, p2 + tick});

    g.text = displayText();
    g.textHeight = s.text;
    g.textDirection = m_textRotation != 0 ? directionInPlane(m_textRotation, m_normal) : readable(d, m_normal);
    AcGeVector3d up = m_normal.crossProduct(g.textDirection);
    double width = kCharWidth * s.text * textCharCount(g.text);
    AcGePoint3d mid = p1 + (p2 - p1) * 0.5;
    g.textMiddle = m_userTextPosition ? m_textPosition : mid + up * (s.gap + s.text / 2);
    g.textStart = g.textMiddle - g.textDirection * (width / 2) - up * (s.text / 2);
}

Adesk::Boolean AcDbDimension::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode) return Adesk::kTrue;
    Graphics g;
    buildGraphics(g);
    AcGiWorldGeometry& geometry = mode->geometry();
    for (const auto& line : g.lines) {
        if (mode->regenAbort()) return Adesk::kTrue;
        AcGePoint3d pts[2] = {line.first, line.second};
        geometry.polyline(2, pts);
    }
    if (!g.text.empty())
        geometry.text(g.textStart, m_normal, g.textDirection, g.textHeight, 1.0, 0.0, g.text.c_str());
    return Adesk::kTrue;
}

void AcDbDimension::list() const {
    assertReadEnabled();
    AcDbEntity::list();
    std::string style = m_style.isNull() ? m_styleName : recordName(m_style);
    acutPrintf("            Measurement = %.*f\n", sizes().decimals, measurement());
    acutPrintf("                   Text = %s\n", displayText().c_str());
    acutPrintf("        Dimension style = \"%s\"\n", style.c_str());
}

Acad::ErrorStatus AcDbDimension::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
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

Acad::ErrorStatus AcDbDimension::explode(AcDbVoidPtrArray& entities) const {
    assertReadEnabled();
    Graphics g;
    buildGraphics(g);
    for (const auto& line : g.lines) {
        auto* l = new AcDbLine(line.first, line.second);
        l->setPropertiesFrom(this);
        entities.append(l);
    }
    if (!g.text.empty()) {
        auto* text = new AcDbText(g.textStart, g.text.c_str(), AcDbObjectId::kNull, g.textHeight);
        text->setPropertiesFrom(this);
        text->setNormal(m_normal);
        text->setRotation(angleInPlane(g.textDirection, m_normal));
        entities.append(text);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    Graphics g;
    buildGraphics(g);
    extents = AcDbExtents();
    for (const auto& line : g.lines) {
        extents.addPoint(line.first);
        extents.addPoint(line.second);
    }
    if (!g.text.empty()) {
        AcGeVector3d up = m_normal.crossProduct(g.textDirection);
        double width = kCharWidth * g.textHeight * textCharCount(g.text);
        extents.addPoint(g.textStart);
        extents.addPoint(g.textStart + g.textDirection * width);
        extents.addPoint(g.textStart + up * g.textHeight);
        extents.addPoint(g.textStart + g.textDirection * width + up * g.textHeight);
    }
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::transformCommon(const AcGeMatrix3d& xform) {
    AcGeVector3d a = directionInPlane(m_textRotation, m_normal), b = m_normal.crossProduct(a);
    AcGeVector3d ta = xform * a, tb = xform * b, n;
    if (!unitNormal(ta.crossProduct(tb), n)) return Acad::eCannotScaleNonUniformly;
    if (n.dotProduct(xform * m_normal) < 0) n = -n;
    if (m_textRotation != 0) m_textRotation = angleInPlane(readable(ta, n), n);
    m_normal = n;
    m_textPosition = xform * m_textPosition;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeHardPointerId(dimBlockId());
    filer->writeString(m_blockName.c_str());
    filer->writePoint3d(m_textPosition);
    filer->writeBool(m_userTextPosition);
    filer->writeString(m_text.c_str());
    filer->writeDouble(m_textRotation);
    filer->writeHardPointerId(m_style);
    filer->writeString(m_styleName.c_str());
    filer->writeVector3d(m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbDimension::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcDbHardPointerId block, style;
    AcGePoint3d position;
    bool user = false;
    double rotation = 0;
    AcGeVector3d normal;
    filer->readHardPointerId(&block);
    std::string blockName = cadhost::db::readDwgText(filer);
    filer->readPoint3d(&position);
    filer->readBool(&user);
    std::string text = cadhost::db::readDwgText(filer);
    filer->readDouble(&rotation);
    filer->readHardPointerId(&style);
    std::string styleName = cadhost::db::readDwgText(filer);
    filer->readVector3d(&normal);
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    m_block = block;
    m_blockName = blockName;
    m_textPosition = position;
    m_userTextPosition = user;
    m_text = text;
    m_textRotation = std::isfinite(rotation) ? rotation : 0.0;
    m_style = style;
    m_styleName = styleName;
    if (!unitNormal(normal, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDimension::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeSubclass("AcDbDimension");
    AcDbObjectId block = dimBlockId();
    std::string blockName = block.isNull() ? m_blockName : recordName(block);
    if (!blockName.empty()) filer->writeString(2, blockName.c_str());
    filer->writePoint3d(10, definitionPoint());
    filer->writePoint3d(11, toOcs(textPosition(), m_normal));
    int flags = dimensionType() | (blockName.empty() ? 0 : 32) | (m_userTextPosition ? 128 : 0);
    filer->writeInt16(70, static_cast<Adesk::Int16>(flags));
    double value = measurement();
    if (std::isfinite(value)) filer->writeDouble(42, value);
    if (!m_text.empty()) filer->writeString(1, m_text.c_str());
    if (m_textRotation != 0) writeAngle(filer, 53, m_textRotation);
    std::string style = m_style.isNull() ? m_styleName : recordName(m_style);
    filer->writeString(3, style.empty() ? "Standard" : style.c_str());
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbDimension::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    filer->atSubclassData("AcDbDimension");
    AcGePoint3d text;
    bool haveText = false;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    std::string blockName, styleName;
    bool haveBlock = false, haveStyle = false;
    int flags = 0;
    resbuf rb;
    while (nextGroup(filer, rb, es)) {
        if (rb.restype == 100) {
            if (groupString(rb) == "AcDbDimension") continue;
            filer->pushBackItem();
            break;
        }
        switch (rb.restype) {
            case 1: m_text = groupString(rb); break;
            case 2: blockName = groupString(rb); haveBlock = true; break;
            case 3: styleName = groupString(rb); haveStyle = true; break;
            case 10: setDefinitionPoint(groupPoint(rb)); break;
            case 11: text = groupPoint(rb); haveText = true; break;
            case 53: { double a = groupAngle(rb); m_textRotation = std::isfinite(a) ? a : 0.0; break; }
            case 70: flags = groupInt(rb); break;
            case 210: { AcGeVector3d n; if (unitNormal(groupVector(rb), n)) normal = n; break; }
            default: break;  // 42 (the measurement), 71, 72, 41, 51, 280: worked out, not kept
        }
    }
    if (es != Acad::eOk) return es;
    m_normal = normal;
    m_userTextPosition = haveText && (flags & 128);
    if (haveText) m_textPosition = fromOcs(text, normal);
    AcDbDatabase* db = filer->database() ? filer->database() : database();
    if (haveBlock) {
        m_block = db ? recordByName(db->blockTableId(), blockName) : AcDbObjectId::kNull;
        m_blockName = m_block.isNull() ? blockName : std::string();
    }
    if (haveStyle) {
        m_style = db ? recordByName(db->dimStyleTableId(), styleName) : AcDbObjectId::kNull;
        m_styleName = m_style.isNull() ? styleName : std::string();
    }
    return filer->filerStatus();
}

void AcDbDimension::appendLinearPoints(const LinearPoints& points, AcGePoint3dArray& out, bool withText) const {
    out.append(*points.xLine1);
    out.append(*points.xLine2);
    out.append(*points.dimLine);
    if (withText) out.append(textPosition());
}

Acad::ErrorStatus AcDbDimension::moveLinearPoints(const LinearPoints& points, const AcDbIntArray& indices,
                                                  const AcGeVector3d& offset) {
    AcGePoint3d text = textPosition();
    if (indices.contains(0)) *points.xLine1 += offset;
    if (indices.contains(1)) *points.xLine2 += offset;
    if (indices.contains(2)) *points.dimLine += offset;
    if (indices.contains(3)) return setTextPosition(text + offset);
    return Acad::eOk;
}

AcDbIntArray AcDbDimension::stretchIndices(const AcDbIntArray& indices) {
    AcDbIntArray points;
    for (int i : indices)
        if (i >= 0 && i < 3) points.append(i);
    return points;
}

void AcDbDimension::transformLinearPoints(const LinearPoints& points, const AcGeMatrix3d& xform) {
    *points.xLine1 = xform * *points.xLine1;
    *points.xLine2 = xform * *points.xLine2;
    *points.dimLine = xform * *points.dimLine;
}

void AcDbDimension::writeLinearPoints(AcDbDwgFiler* filer, const LinearPoints& points) {
    filer->writePoint3d(*points.xLine1);
    filer->writePoint3d(*points.xLine2);
    filer->writePoint3d(*points.dimLine);
}

void AcDbDimension::readLinearPoints(AcDbDwgFiler* filer, const LinearPoints& points) {
    filer->readPoint3d(points.xLine1);
    filer->readPoint3d(points.xLine2);
    filer->readPoint3d(points.dimLine);
}
