// Drawing new entities: LINE, CIRCLE, ARC, PLINE, TEXT, ATTDEF.
//
// Each command asks for everything first and adds its entities at the end, so that a cancelled
// or failed command leaves the drawing as it was.
#include <cmath>
#include <vector>
#include "app/commands/commandobjects.h"
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/text.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "rx/print.h"

using namespace hostcmd;

namespace {
constexpr double kTwoPi = 6.283185307179586;

int reportAdded(Acad::ErrorStatus es, const char* what) {
    if (es == Acad::eOk) return RTNORM;
    return failWith(std::string("The ") + what + " could not be added to the drawing (" + statusText(es) + ").");
}

// Centre and radius of the circle through three points, in the plane z = a.z; false when they
// are (nearly) on one line.
bool circleThrough(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c, AcGePoint3d& center,
                   double& radius) {
    const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    const double d = 2.0 * (bx * cy - by * cx);
    const double size = std::max(bx * bx + by * by, cx * cx + cy * cy);
    if (!(size > 0) || std::fabs(d) <= 1e-10 * size) return false;
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (cy * b2 - by * c2) / d, uy = (bx * c2 - cx * b2) / d;
    center = AcGePoint3d(a.x + ux, a.y + uy, a.z);
    radius = std::hypot(ux, uy);
    return true;
}

double angleFrom(const AcGePoint3d& center, const AcGePoint3d& p) { return std::atan2(p.y - center.y, p.x - center.x); }

// A point that must differ (in plan) from the ones given.
int askDistinctPoint(const char* prompt, const std::vector<AcGePoint3d>& others, AcGePoint3d& point) {
    for (;;) {
        int rc = askPoint(prompt, point, RSG_NONULL);
        if (rc != RTNORM) return rc;
        bool same = false;
        for (const AcGePoint3d& o : others)
            if (std::hypot(point.x - o.x, point.y - o.y) <= 1e-10) same = true;
        if (!same) return RTNORM;
        if (!retryAfter("The point must differ from the points already given.")) return RTERROR;
    }
}

// ---- LINE ----

int lineCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::vector<AcGePoint3d> points(1);
    int rc = askPoint("\nSpecify first point: ", points[0]);
    if (rc == RTNONE) return RTNORM;
    if (rc != RTNORM) return rc;
    bool close = false;
    for (;;) {
        const bool canClose = points.size() >= 3;
        AcGePoint3d p;
        std::string keyword;
        rc = askPoint(canClose ? "\nSpecify next point or [Close/Undo]: " : "\nSpecify next point or [Undo]: ", p, 0,
                      canClose ? "Close Undo" : "Undo", &keyword);
        if (rc == RTNONE) break;
        if (rc == RTKWORD) {
            if (keyword == "Close") {
                close = true;
                break;
            }
            if (points.size() > 1) points.pop_back();
            else acutPrintf("\nAll segments already undone.");
            setLastPoint(points.back());
            continue;
        }
        if (rc != RTNORM) return rc;
        points.push_back(p);
    }
    if (close) points.push_back(points.front());
    std::vector<AcDbEntity*> lines;
    for (size_t i = 0; i + 1 < points.size(); ++i) lines.push_back(new AcDbLine(points[i], points[i + 1]));
    if (lines.empty()) return RTNORM;
    return reportAdded(addDrawnEntities(db, lines), "lines");
}

// ---- CIRCLE ----

int circleCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    AcGePoint3d center;
    double radius = 0;
    std::string keyword;
    int rc = askPoint("\nSpecify center point for circle or [3P/2P]: ", center, RSG_NONULL, "3P 2P", &keyword);
    if (rc == RTKWORD && keyword == "2P") {
        AcGePoint3d a, b;
        if ((rc = askPoint("\nSpecify first end point of circle's diameter: ", a, RSG_NONULL)) != RTNORM) return rc;
        if ((rc = askDistinctPoint("\nSpecify second end point of circle's diameter: ", {a}, b)) != RTNORM) return rc;
        center = AcGePoint3d((a.x + b.x) / 2, (a.y + b.y) / 2, a.z);
        radius = std::hypot(b.x - a.x, b.y - a.y) / 2;
    } else if (rc == RTKWORD) {
        AcGePoint3d a, b, c;
        if ((rc = askPoint("\nSpecify first point on circle: ", a, RSG_NONULL)) != RTNORM) return rc;
        if ((rc = askDistinctPoint("\nSpecify second point on circle: ", {a}, b)) != RTNORM) return rc;
        for (;;) {
            if ((rc = askDistinctPoint("\nSpecify third point on circle: ", {a, b}, c)) != RTNORM) return rc;
            if (circleThrough(a, b, c, center, radius)) break;
            if (!retryAfter("The three points lie on one line: no circle passes through them.")) return RTERROR;
        }
    } else {
        if (rc != RTNORM) return rc;
        rc = askDistance("\nSpecify radius of circle or [Diameter]: ", &center, radius, RSG_NONULL | RSG_NOZERO | RSG_NONEG,
                         "Diameter", &keyword);
        if (rc == RTKWORD) {
            double diameter = 0;
            rc = askDistance("\nSpecify diameter of circle: ", &center, diameter, RSG_NONULL | RSG_NOZERO | RSG_NONEG);
            radius = diameter / 2;
        }
        if (rc != RTNORM) return rc;
    }
    return reportAdded(addDrawnEntity(db, new AcDbCircle(center, AcGeVector3d::kZAxis, radius)), "circle");
}

// ---- ARC ----

int arcCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    AcGePoint3d start, center;
    double radius = 0, startAngle = 0, endAngle = 0;
    std::string keyword;
    int rc = askPoint("\nSpecify start point of arc or [Center]: ", start, RSG_NONULL, "Center", &keyword);
    if (rc == RTKWORD) {
        if ((rc = askPoint("\nSpecify center point of arc: ", center, RSG_NONULL)) != RTNORM) return rc;
        if ((rc = askDistinctPoint("\nSpecify start point of arc: ", {center}, start)) != RTNORM) return rc;
        radius = std::hypot(start.x - center.x, start.y - center.y);
        startAngle = angleFrom(center, start);
        setLastPoint(center);
        AcGePoint3d end;
        for (;;) {
            rc = askPoint("\nSpecify end point of arc or [Angle]: ", end, RSG_NONULL, "Angle", &keyword);
            if (rc == RTKWORD) {
                double included = 0;
                if ((rc = askAngle("\nSpecify included angle: ", &center, included, false)) != RTNORM) return rc;
                if (std::fabs(std::remainder(included, kTwoPi)) <= 1e-12) {
                    if (!retryAfter("The included angle must not be a whole turn or zero.")) return RTERROR;
                    continue;
                }
                // A negative included angle runs clockwise.
                endAngle = startAngle + included;
                if (included < 0) std::swap(startAngle, endAngle);
                break;
            }
            if (rc != RTNORM) return rc;
            if (std::hypot(end.x - center.x, end.y - center.y) > 1e-10) {
                endAngle = angleFrom(center, end);
                break;
            }
            if (!retryAfter("The end point must differ from the center.")) return RTERROR;
        }
    } else {
        if (rc != RTNORM) return rc;
        AcGePoint3d second, end;
        if ((rc = askDistinctPoint("\nSpecify second point of arc: ", {start}, second)) != RTNORM) return rc;
        for (;;) {
            if ((rc = askDistinctPoint("\nSpecify end point of arc: ", {start, second}, end)) != RTNORM) return rc;
            if (circleThrough(start, second, end, center, radius)) break;
            if (!retryAfter("The three points lie on one line: no arc passes through them.")) return RTERROR;
        }
        const bool counterClockwise =
            (second.x - start.x) * (end.y - second.y) - (second.y - start.y) * (end.x - second.x) > 0;
        startAngle = angleFrom(center, counterClockwise ? start : end);
        endAngle = angleFrom(center, counterClockwise ? end : start);
    }
    auto* arc = new AcDbArc(AcGePoint3d(center.x, center.y, start.z), radius, startAngle, endAngle);
    return reportAdded(addDrawnEntity(db, arc), "arc");
}

// ---- PLINE ----

int plineCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::vector<AcGePoint3d> points(1);
    int rc = askPoint("\nSpecify start point: ", points[0], RSG_NONULL);
    if (rc != RTNORM) return rc;
    bool closed = false;
    for (;;) {
        const bool canClose = points.size() >= 3;
        AcGePoint3d p;
        std::string keyword;
        rc = askPoint(canClose ? "\nSpecify next point or [Close/Undo]: " : "\nSpecify next point or [Undo]: ", p, 0,
                      canClose ? "Close Undo" : "Undo", &keyword);
        if (rc == RTNONE) break;
        if (rc == RTKWORD) {
            if (keyword == "Close") {
                closed = true;
                break;
            }
            if (points.size() > 1) points.pop_back();
            else acutPrintf("\nAll segments already undone.");
            setLastPoint(points.back());
            continue;
        }
        if (rc != RTNORM) return rc;
        points.push_back(p);
    }
    if (points.size() < 2) return RTNORM;
    // The vertices lie in the plane of the start point.
    auto* pline = new AcDbPolyline(static_cast<unsigned int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
        pline->addVertexAt(static_cast<unsigned int>(i), AcGePoint2d(points[i].x, points[i].y));
    pline->setElevation(points[0].z);
    pline->setClosed(closed);
    return reportAdded(addDrawnEntity(db, pline), "polyline");
}

// ---- TEXT and ATTDEF ----

// The current style's fixed height, 0 when the style leaves the height to each text.
double styleHeight(AcDbDatabase* db) {
    Opened<AcDbTextStyleTableRecord> style(db->textstyle(), AcDb::kForRead);
    return style ? style->textSize() : 0.0;
}

// Asks for the height unless the style fixes it; a height typed becomes TEXTSIZE.
int askTextHeight(AcDbDatabase* db, const AcGePoint3d& at, double& height, bool& typed) {
    typed = false;
    height = styleHeight(db);
    if (height > 0) return RTNORM;
    height = db->textsize() > 0 ? db->textsize() : 2.5;
    const std::string prompt = "\nSpecify height <" + formatDistance(height) + ">: ";
    int rc = askDistance(prompt.c_str(), &at, height, RSG_NOZERO | RSG_NONEG);
    if (rc == RTNONE) return RTNORM;
    typed = rc == RTNORM;
    return rc;
}

void rememberTextSize(double height) {
    resbuf rb;
    rb.restype = RTREAL;
    rb.resval.rreal = height;
    acedSetVar("TEXTSIZE", &rb);
}

int textCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    AcGePoint3d start;
    int rc = askPoint("\nSpecify start point of text: ", start, RSG_NONULL);
    if (rc != RTNORM) return rc;
    double height = 0;
    bool typed = false;
    if ((rc = askTextHeight(db, start, height, typed)) != RTNORM) return rc;
    double rotation = 0;
    rc = askAngle("\nSpecify rotation angle of text <0>: ", &start, rotation, true);
    if (rc != RTNORM && rc != RTNONE) return rc;
    std::string text;
    if ((rc = askText("\nEnter text: ", text, true)) != RTNORM) return rc;
    if (text.empty()) return RTNORM;
    auto* entity = new AcDbText(start, text.c_str(), db->textstyle(), height, rotation);
    rc = reportAdded(addDrawnEntity(db, entity), "text");
    if (rc == RTNORM && typed) rememberTextSize(height);
    return rc;
}

int attdefCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::string tag;
    for (;;) {
        int rc = askText("\nEnter attribute tag name: ", tag, false);
        if (rc != RTNORM) return rc;
        tag = upperCase(trimmed(tag));
        bool printable = !tag.empty();
        for (unsigned char c : tag)
            if (c < 33 || c == 127) printable = false;
        if (printable) break;
        if (!retryAfter(tag.empty() ? "An attribute tag is required." : "Invalid character in the attribute tag."))
            return RTERROR;
    }
    std::string prompt, value;
    int rc = askText("\nEnter attribute prompt: ", prompt, true);
    if (rc != RTNORM) return rc;
    if (prompt.empty()) prompt = tag;
    if ((rc = askText("\nEnter default attribute value: ", value, true)) != RTNORM) return rc;
    AcGePoint3d start;
    if ((rc = askPoint("\nSpecify start point: ", start, RSG_NONULL)) != RTNORM) return rc;
    double height = 0;
    bool typed = false;
    if ((rc = askTextHeight(db, start, height, typed)) != RTNORM) return rc;
    auto* def = new AcDbAttributeDefinition(start, value.c_str(), tag.c_str(), prompt.c_str(), db->textstyle());
    def->setHeight(height);
    rc = reportAdded(addDrawnEntity(db, def), "attribute definition");
    if (rc == RTNORM && typed) rememberTextSize(height);
    return rc;
}
}  // namespace

CADHOST_COMMANDS(drawing, {
    {"LINE", lineCommand},
    {"CIRCLE", circleCommand},
    {"ARC", arcCommand},
    {"PLINE", plineCommand},
    {"TEXT", textCommand},
    {"ATTDEF", attdefCommand},
});
