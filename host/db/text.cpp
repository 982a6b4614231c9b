#include "db/text.h"
#include "rx/rxclass.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include "db/database.h"
#include "db/entitysupport.h"
#include "gi/geometry.h"
#include "ge/plane.h"
#include "rx/print.h"

ACRX_HOST_DEFINE_MEMBERS(AcDbText, AcDbEntity, "TEXT", ACRX_HOST_CONS(AcDbText))

using namespace cadhost::ent;

namespace {
constexpr double kDefaultHeight = 0.2;
const double kMaxOblique = 85.0 * kPi / 180.0;

bool validHorizontal(int m) { return m >= AcDb::kTextLeft && m <= AcDb::kTextFit; }
bool validVertical(int m) { return m >= AcDb::kTextBase && m <= AcDb::kTextTop; }
bool positive(double v) { return std::isfinite(v) && v > 0.0; }

char* heapCopy(const std::string& s) {
    char* out = static_cast<char*>(std::malloc(s.size() + 1));
    if (out) std::memcpy(out, s.c_str(), s.size() + 1);
    return out;
}
}  // namespace

// A new text is in the working drawing's current text style.
AcDbText::AcDbText() {
    if (AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase()) m_style = db->textstyle();
}

AcDbText::AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style, double height,
                   double rotation)
    : m_position(position), m_alignment(position), m_height(positive(height) ? height : kDefaultHeight),
      m_rotation(std::isfinite(rotation) ? rotation : 0.0), m_style(style), m_text(text ? text : "") {}

AcDbText::~AcDbText() = default;

AcGePoint3d AcDbText::position() const {
    assertReadEnabled();
    return m_position;
}

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& position) {
    assertWriteEnabled();
    m_position = position;
    if (isDefaultAlignment()) m_alignment = position;
    return Acad::eOk;
}

AcGePoint3d AcDbText::alignmentPoint() const {
    assertReadEnabled();
    return isDefaultAlignment() ? m_position : m_alignment;
}

Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& point) {
    assertWriteEnabled();
    m_alignment = point;
    return Acad::eOk;
}

bool AcDbText::isDefaultAlignment() const {
    assertReadEnabled();
    return m_hmode == AcDb::kTextLeft && m_vmode == AcDb::kTextBase;
}

AcDb::TextHorzMode AcDbText::horizontalMode() const {
    assertReadEnabled();
    return m_hmode;
}

Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode mode) {
    assertWriteEnabled();
    if (!validHorizontal(mode)) return Acad::eInvalidInput;
    if (isDefaultAlignment()) m_alignment = m_position;
    m_hmode = mode;
    return Acad::eOk;
}

AcDb::TextVertMode AcDbText::verticalMode() const {
    assertReadEnabled();
    return m_vmode;
}

Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode mode) {
    assertWriteEnabled();
    if (!validVertical(mode)) return Acad::eInvalidInput;
    if (isDefaultAlignment()) m_alignment = m_position;
    m_vmode = mode;
    return Acad::eOk;
}

void AcDbText::internalSetVerticalMode(int mode) {
    if (validVertical(mode)) m_vmode = static_cast<AcDb::TextVertMode>(mode);
}

double AcDbText::height() const {
    assertReadEnabled();
    return m_height;
}

Acad::ErrorStatus AcDbText::setHeight(double height) {
    assertWriteEnabled();
    if (!positive(height)) return Acad::eInvalidInput;
    m_height = height;
    return Acad::eOk;
}

double AcDbText::rotation() const {
    assertReadEnabled();
    return m_rotation;
}

Acad::ErrorStatus AcDbText::setRotation(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    m_rotation = std::fmod(angle, 2 * kPi);
    if (m_rotation < 0) m_rotation += 2 * kPi;
    return Acad::eOk;
}

double AcDbText::widthFactor() const {
    assertReadEnabled();
    return m_widthFactor;
}

Acad::ErrorStatus AcDbText::setWidthFactor(double factor) {
    assertWriteEnabled();
    if (!positive(factor)) return Acad::eInvalidInput;
    m_widthFactor = factor;
    return Acad::eOk;
}

double AcDbText::oblique() const {
    assertReadEnabled();
    return m_oblique;
}

Acad::ErrorStatus AcDbText::setOblique(double angle) {
    assertWriteEnabled();
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    // Angles are also given as their positive equivalent (355 degrees for -5).
    double a = std::remainder(angle, 2 * kPi);
    if (std::fabs(a) > kMaxOblique + 1e-12) return Acad::eInvalidInput;
    m_oblique = a;
    return Acad::eOk;
}

bool AcDbText::isMirroredInX() const {
    assertReadEnabled();
    return (m_generation & 2) != 0;
}

Acad::ErrorStatus AcDbText::mirrorInX(bool mirrored) {
    assertWriteEnabled();
    m_generation = static_cast<Adesk::Int16>(mirrored ? (m_generation | 2) : (m_generation & ~2));
    return Acad::eOk;
}

bool AcDbText::isMirroredInY() const {
    assertReadEnabled();
    return (m_generation & 4) != 0;
}

Acad::ErrorStatus AcDbText::mirrorInY(bool mirrored) {
    assertWriteEnabled();
    m_generation = static_cast<Adesk::Int16>(mirrored ? (m_generation | 4) : (m_generation & ~4));
    return Acad::eOk;
}

AcDbObjectId AcDbText::textStyle() const {
    assertReadEnabled();
    return m_style;
}

Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style) {
    assertWriteEnabled();
    m_style = style;
    m_styleName.clear();
    return Acad::eOk;
}

char* AcDbText::textString() const {
    assertReadEnabled();
    return heapCopy(m_text);
}

const char* AcDbText::textStringConst() const {
    assertReadEnabled();
    return m_text.c_str();
}

Acad::ErrorStatus AcDbText::setTextString(const char* text) {
    assertWriteEnabled();
    m_text = text ? text : "";
    return Acad::eOk;
}

AcGeVector3d AcDbText::normal() const {
    assertReadEnabled();
    return m_normal;
}

Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& normal) {
    assertWriteEnabled();
    AcGeVector3d n;
    if (!unitNormal(normal, n)) return Acad::eInvalidInput;
    m_normal = n;
    return Acad::eOk;
}

double AcDbText::thickness() const {
    assertReadEnabled();
    return m_thickness;
}

Acad::ErrorStatus AcDbText::setThickness(double thickness) {
    assertWriteEnabled();
    if (!std::isfinite(thickness)) return Acad::eInvalidInput;
    m_thickness = thickness;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setTextPropertiesFrom(const AcDbText* other) {
    if (!other) return Acad::eNullObjectPointer;
    other->assertReadEnabled();
    assertWriteEnabled();
    m_position = other->m_position;
    m_alignment = other->m_alignment;
    m_hmode = other->m_hmode;
    m_vmode = other->m_vmode;
    m_height = other->m_height;
    m_rotation = other->m_rotation;
    m_widthFactor = other->m_widthFactor;
    m_oblique = other->m_oblique;
    m_thickness = other->m_thickness;
    m_generation = other->m_generation;
    m_style = other->m_style;
    m_styleName = other->m_styleName;
    m_text = other->m_text;
    m_normal = other->m_normal;
    return Acad::eOk;
}

AcDbText::Layout AcDbText::layout() const {
    Layout l;
    int n = textCharCount(m_text);
    double h = m_height, wf = m_widthFactor, rot = m_rotation;
    if (isFitted()) {
        AcGeVector3d span = m_alignment - m_position;
        span -= m_normal * span.dotProduct(m_normal);
        double dist = span.length();
        if (dist > 1e-10) {
            rot = angleInPlane(span, m_normal);
            if (n > 0) {
                if (m_hmode == AcDb::kTextAlign)
                    h = dist / (kCharWidth * wf * n);
                else
                    wf = dist / (kCharWidth * h * n);
            }
        }
    }
    l.rotation = rot;
    l.height = h;
    l.widthFactor = wf;
    l.dir = directionInPlane(rot, m_normal);
    l.up = m_normal.crossProduct(l.dir);
    l.width = kCharWidth * h * wf * n;
    double xs = (m_generation & 2) && !isFitted() ? -1.0 : 1.0;
    double ys = (m_generation & 4) ? -1.0 : 1.0;
    if (isFitted() || (m_hmode == AcDb::kTextLeft && m_vmode == AcDb::kTextBase)) {
        l.start = m_position;
    } else {
        double hx = 0, vy = 0;
        if (m_hmode == AcDb::kTextCenter || m_hmode == AcDb::kTextMid) hx = l.width / 2;
        if (m_hmode == AcDb::kTextRight) hx = l.width;
        if (m_hmode == AcDb::kTextMid)
            vy = h / 2;
        else if (m_vmode == AcDb::kTextBottom)
            vy = -kDescent * h;
        else if (m_vmode == AcDb::kTextVertMid)
            vy = h / 2;
        else if (m_vmode == AcDb::kTextTop)
            vy = h;
        l.start = m_alignment - l.dir * (xs * hx) - l.up * (ys * vy);
    }
    l.corner = l.start;
    if (xs < 0) l.corner -= l.dir * l.width;
    if (ys < 0) l.corner -= l.up * h;
    return l;
}

double AcDbText::approximateWidth() const {
    assertReadEnabled();
    return layout().width;
}

Acad::ErrorStatus AcDbText::adjustAlignment(const AcDbDatabase*) {
    assertWriteEnabled();
    if (isDefaultAlignment()) {
        m_alignment = m_position;
        return Acad::eOk;
    }
    Layout l = layout();
    if (isFitted()) {
        m_height = l.height;
        m_widthFactor = l.widthFactor;
        m_rotation = l.rotation;
    } else {
        m_position = l.start;
    }
    return Acad::eOk;
}

void AcDbText::getBoundingPoints(AcGePoint3dArray& corners) const {
    assertReadEnabled();
    Layout l = layout();
    corners.append(l.corner);
    corners.append(l.corner + l.dir * l.width);
    corners.append(l.corner + l.dir * l.width + l.up * l.height);
    corners.append(l.corner + l.up * l.height);
}

Adesk::Boolean AcDbText::worldDraw(AcGiWorldDraw* mode) {
    assertReadEnabled();
    if (!mode || m_text.empty()) return Adesk::kTrue;
    Layout l = layout();
    AcGiWorldGeometry& g = mode->geometry();
    int pushed = 0;
    // Backward and upside-down text: the glyphs are reflected inside their box.
    if (m_generation & 2) {
        g.pushModelTransform(AcGeMatrix3d::mirroring(AcGePlane(l.corner + l.dir * (l.width / 2), l.dir)));
        ++pushed;
    }
    if (m_generation & 4) {
        g.pushModelTransform(AcGeMatrix3d::mirroring(AcGePlane(l.corner + l.up * (l.height / 2), l.up)));
        ++pushed;
    }
    g.text(l.corner, m_normal, l.dir, l.height, l.widthFactor, m_oblique, m_text.c_str());
    while (pushed-- > 0) g.popModelTransform();
    return Adesk::kTrue;
}

// A text without a style of its own is drawn and filed in the standard one.
std::string AcDbText::styleName() const {
    std::string style = m_style.isNull() ? m_styleName : recordName(m_style);
    return style.empty() ? "Standard" : style;
}

void AcDbText::list() const {
    assertReadEnabled();
    AcDbEntity::list();
    static const char* const hnames[] = {"left", "center", "right", "aligned", "middle", "fit"};
    static const char* const vnames[] = {"baseline", "bottom", "middle", "top"};
    acutPrintf("                  Style = \"%s\"\n", styleName().c_str());
    acutPrintf("                  Value = %s\n", m_text.c_str());
    acutPrintf("               Position = (%g, %g, %g)\n", m_position.x, m_position.y, m_position.z);
    acutPrintf("          Justification = %s, %s\n", hnames[m_hmode], vnames[m_vmode]);
    if (!isDefaultAlignment())
        acutPrintf("        Alignment point = (%g, %g, %g)\n", m_alignment.x, m_alignment.y, m_alignment.z);
    acutPrintf("                 Height = %g\n", m_height);
    acutPrintf("               Rotation = %g\n", m_rotation * 180.0 / kPi);
    acutPrintf("           Width factor = %g\n", m_widthFactor);
    acutPrintf("                Oblique = %g\n", m_oblique * 180.0 / kPi);
    if (m_generation & 6)
        acutPrintf("             Generation = %s%s\n", (m_generation & 2) ? "backward " : "",
                   (m_generation & 4) ? "upside-down" : "");
}

Acad::ErrorStatus AcDbText::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
    assertReadEnabled();
    gripPoints.append(m_position);
    if (isFitted()) gripPoints.append(m_alignment);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    assertWriteEnabled();
    bool first = indices.contains(0), second = isFitted() && indices.contains(1);
    if (!first && !second) return Acad::eOk;
    if (isFitted()) {
        // The two points of aligned and fitted text move on their own; the text is fitted again.
        if (first) m_position += offset;
        if (second) m_alignment += offset;
        return adjustAlignment();
    }
    m_position += offset;
    m_alignment += offset;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    AcDbIntArray modes, ids;
    return getGripPoints(stretchPoints, modes, ids);
}

Acad::ErrorStatus AcDbText::moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbText::getOsnapPoints(AcDb::OsnapMode mode, int, const AcGePoint3d&, const AcGePoint3d&,
                                           const AcGeMatrix3d&, AcGePoint3dArray& snapPoints,
                                           AcDbIntArray&) const {
    assertReadEnabled();
    if (mode == AcDb::kOsModeIns)
        snapPoints.append(isDefaultAlignment() || isFitted() ? m_position : m_alignment);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    Layout l = layout();
    AcGeVector3d dir = xform * l.dir, up = xform * l.up, nm = xform * m_normal;
    AcGeVector3d cross = dir.crossProduct(up), n;
    double lenDir = dir.length();
    if (!unitNormal(cross, n) || !(lenDir > 1e-12)) return Acad::eCannotScaleNonUniformly;
    if (n.dotProduct(nm) < 0) n = -n;
    bool reflected = cross.dotProduct(n) < 0;
    AcGeVector3d d = dir / lenDir;
    double along = d.dotProduct(up);
    double hs = (up - d * along).length();
    // Slant of the characters in the new frame; the same whichever axis a reflection flips.
    double tanOblique = (along + lenDir * std::tan(m_oblique)) / hs;
    bool flip = false;
    if (reflected) {
        // The string is not mirrored: of the two readable frames the one reading rightwards
        // in the new plane is taken.
        double a = angleInPlane(d, n);
        double c = std::cos(a);
        flip = !(c > 1e-9 || (std::fabs(c) <= 1e-9 && std::sin(a) > 0));
        if (flip) d = -d;
    }
    AcGePoint3d p = xform * m_position, q = xform * m_alignment;
    if (isFitted() && flip) std::swap(p, q);
    m_height = l.height * hs;
    m_widthFactor = l.widthFactor * lenDir / hs;
    m_oblique = std::max(-kMaxOblique, std::min(kMaxOblique, std::atan(tanOblique)));
    m_rotation = angleInPlane(d, n);
    m_thickness *= nm.dotProduct(n);
    m_normal = n;
    m_position = p;
    m_alignment = q;
    return adjustAlignment();
}

Acad::ErrorStatus AcDbText::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
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

Acad::ErrorStatus AcDbText::explode(AcDbVoidPtrArray&) const {
    assertReadEnabled();
    return Acad::eNotApplicable;
}

Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& extents) const {
    assertReadEnabled();
    AcGePoint3dArray corners;
    getBoundingPoints(corners);
    extents = AcDbExtents();
    for (const AcGePoint3d& p : corners) {
        extents.addPoint(p);
        if (m_thickness != 0) extents.addPoint(p + m_normal * m_thickness);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::dwgOutFields(AcDbDwgFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writePoint3d(m_position);
    filer->writePoint3d(m_alignment);
    filer->writeInt16(static_cast<Adesk::Int16>(m_hmode));
    filer->writeInt16(static_cast<Adesk::Int16>(m_vmode));
    filer->writeDouble(m_height);
    filer->writeDouble(m_rotation);
    filer->writeDouble(m_widthFactor);
    filer->writeDouble(m_oblique);
    filer->writeDouble(m_thickness);
    filer->writeInt16(m_generation);
    filer->writeHardPointerId(m_style);
    filer->writeString(m_styleName.c_str());
    filer->writeString(m_text.c_str());
    filer->writeVector3d(m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbText::dwgInFields(AcDbDwgFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::Int16 h = 0, v = 0, gen = 0;
    double height = 0, rotation = 0, wf = 1, oblique = 0, thickness = 0;
    AcDbHardPointerId style;
    char* styleName = nullptr;
    char* text = nullptr;
    AcGeVector3d normal;
    filer->readPoint3d(&m_position);
    filer->readPoint3d(&m_alignment);
    filer->readInt16(&h);
    filer->readInt16(&v);
    filer->readDouble(&height);
    filer->readDouble(&rotation);
    filer->readDouble(&wf);
    filer->readDouble(&oblique);
    filer->readDouble(&thickness);
    filer->readInt16(&gen);
    filer->readHardPointerId(&style);
    filer->readString(&styleName);
    filer->readString(&text);
    filer->readVector3d(&normal);
    m_styleName = styleName ? styleName : "";
    m_text = text ? text : "";
    std::free(styleName);
    std::free(text);
    if ((es = filer->filerStatus()) != Acad::eOk) return es;
    // Values out of range are replaced rather than trusted.
    m_hmode = validHorizontal(h) ? static_cast<AcDb::TextHorzMode>(h) : AcDb::kTextLeft;
    m_vmode = validVertical(v) ? static_cast<AcDb::TextVertMode>(v) : AcDb::kTextBase;
    m_height = positive(height) ? height : kDefaultHeight;
    m_rotation = std::isfinite(rotation) ? rotation : 0.0;
    m_widthFactor = positive(wf) ? wf : 1.0;
    m_oblique = std::isfinite(oblique) && std::fabs(oblique) <= kMaxOblique ? oblique : 0.0;
    m_thickness = std::isfinite(thickness) ? thickness : 0.0;
    m_generation = static_cast<Adesk::Int16>(gen & 6);
    m_style = style;
    if (!unitNormal(normal, m_normal)) m_normal = AcGeVector3d::kZAxis;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::dxfOutTextPart(AcDbDxfFiler* filer) const {
    filer->writeSubclass("AcDbText");
    if (m_thickness != 0) filer->writeDouble(39, m_thickness);
    filer->writePoint3d(10, toOcs(m_position, m_normal));
    filer->writeDouble(40, m_height);
    filer->writeString(1, m_text.c_str());
    if (m_rotation != 0) writeAngle(filer, 50, m_rotation);
    if (m_widthFactor != 1.0) filer->writeDouble(41, m_widthFactor);
    if (m_oblique != 0) writeAngle(filer, 51, m_oblique);
    filer->writeString(7, styleName().c_str());
    if (m_generation != 0) filer->writeInt16(71, m_generation);
    if (m_hmode != AcDb::kTextLeft) filer->writeInt16(72, static_cast<Adesk::Int16>(m_hmode));
    if (!isDefaultAlignment()) filer->writePoint3d(11, toOcs(m_alignment, m_normal));
    if (!m_normal.isEqualTo(AcGeVector3d::kZAxis)) filer->writeVector3d(210, m_normal);
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbText::dxfOutFields(AcDbDxfFiler* filer) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    if ((es = dxfOutTextPart(filer)) != Acad::eOk) return es;
    filer->writeSubclass("AcDbText");
    if (m_vmode != AcDb::kTextBase) filer->writeInt16(73, static_cast<Adesk::Int16>(m_vmode));
    return filer->filerStatus();
}

bool AcDbText::dxfInOwnGroup(const resbuf& rb) {
    if (rb.restype != 73) return false;
    internalSetVerticalMode(groupInt(rb));
    return true;
}

Acad::ErrorStatus AcDbText::dxfInTextPart(AcDbDxfFiler* filer, const char* ownSubclass) {
    // Files without subclass markers (before R13) list the same groups without them.
    filer->atSubclassData("AcDbText");
    AcGePoint3d position, alignment;
    bool haveAlignment = false;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    std::string styleName;
    bool haveStyle = false;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    bool embedded = false;
    while (nextGroup(filer, rb, es)) {
        if (embedded) continue;  // an embedded multiline object: not kept
        switch (rb.restype) {
            case 100: {
                std::string marker = groupString(rb);
                if (marker == "AcDbText" || (ownSubclass && marker == ownSubclass)) continue;
                filer->pushBackItem();
                goto done;
            }
            case 101: embedded = true; break;
            case 1: m_text = groupString(rb); break;
            case 7: styleName = groupString(rb); haveStyle = true; break;
            case 10: position = groupPoint(rb); break;
            case 11: alignment = groupPoint(rb); haveAlignment = true; break;
            case 39: m_thickness = groupReal(rb); break;
            case 40: { double h = groupReal(rb); if (positive(h)) m_height = h; break; }
            case 41: { double w = groupReal(rb); if (positive(w)) m_widthFactor = w; break; }
            case 50: m_rotation = groupAngle(rb); break;
            case 51: {
                double a = std::remainder(groupAngle(rb), 2 * kPi);
                if (std::fabs(a) <= kMaxOblique + 1e-9) m_oblique = a;
                break;
            }
            case 71: m_generation = static_cast<Adesk::Int16>(groupInt(rb) & 6); break;
            case 72: { int h = groupInt(rb); if (validHorizontal(h)) m_hmode = static_cast<AcDb::TextHorzMode>(h); break; }
            case 210: { AcGeVector3d n; if (unitNormal(groupVector(rb), n)) normal = n; break; }
            default: dxfInOwnGroup(rb); break;
        }
    }
done:
    if (es != Acad::eOk) return es;
    if (!std::isfinite(m_rotation)) m_rotation = 0;
    m_normal = normal;
    m_position = fromOcs(position, normal);
    m_alignment = haveAlignment ? fromOcs(alignment, normal) : m_position;
    if (haveStyle) {
        AcDbDatabase* db = filer->database() ? filer->database() : database();
        m_style = db ? recordByName(db->textStyleTableId(), styleName) : AcDbObjectId::kNull;
        m_styleName = m_style.isNull() ? styleName : std::string();
    }
    return filer->filerStatus();
}

Acad::ErrorStatus AcDbText::dxfInFields(AcDbDxfFiler* filer) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return dxfInTextPart(filer, "AcDbText");
}
