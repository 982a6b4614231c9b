// The view of a drawing: REGEN, ZOOM and EXPORT (PNG and SVG pictures).
//
// The view is the document's VIEWCTR and VIEWSIZE (the height shown, in drawing units); ZOOM
// also keeps them in the drawing's header, so that a saved drawing opens with its view.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include "app/commands/commandobjects.h"
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "db/units.h"
#include "ed/commandline.h"
#include "ed/display.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "gi/renderer.h"
#include "rx/print.h"

using namespace hostcmd;
namespace fs = std::filesystem;

namespace {
constexpr int kMaxPictureSide = 8192;

struct View {
    AcGePoint3d center;
    double height = 1.0;
};

AcGePoint3d pointVariable(const char* name) {
    resbuf rb;
    if (acedGetVar(name, &rb) != RTNORM || (rb.restype != RT3DPOINT && rb.restype != RTPOINT)) return AcGePoint3d();
    return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.restype == RT3DPOINT ? rb.resval.rpoint[2] : 0.0);
}

View currentView() {
    View v;
    v.center = pointVariable("VIEWCTR");
    resbuf rb;
    if (acedGetVar("VIEWSIZE", &rb) == RTNORM && rb.restype == RTREAL && rb.resval.rreal > 0) v.height = rb.resval.rreal;
    return v;
}

// Screen width over height (SCREENSIZE in pixels).
double screenAspect() {
    const AcGePoint3d size = pointVariable("SCREENSIZE");
    return size.x > 0 && size.y > 0 ? size.x / size.y : 4.0 / 3.0;
}

void setView(AcDbDatabase* db, const View& view) {
    resbuf rb;
    rb.restype = RT3DPOINT;
    rb.resval.rpoint[0] = view.center.x;
    rb.resval.rpoint[1] = view.center.y;
    rb.resval.rpoint[2] = 0.0;
    acedHostSetVar("VIEWCTR", &rb);
    rb.restype = RTREAL;
    rb.resval.rreal = view.height;
    acedHostSetVar("VIEWSIZE", &rb);
    db->setHeaderValue("VIEWCTR", AcGePoint3d(view.center.x, view.center.y, 0.0));
    db->setHeaderValue("VIEWSIZE", view.height);
}

// The view that shows the box whole; a box without size keeps the current height.
View viewOf(const AcGePoint3d& lo, const AcGePoint3d& hi, double margin) {
    View v;
    v.center = AcGePoint3d((lo.x + hi.x) / 2, (lo.y + hi.y) / 2, 0.0);
    const double height = std::max(std::fabs(hi.y - lo.y), std::fabs(hi.x - lo.x) / screenAspect()) * margin;
    v.height = height > 0 && std::isfinite(height) ? height : currentView().height;
    return v;
}

// ---- REGEN ----

int regenCommand() {
    if (ads_regen() != RTNORM) return RTERROR;
    acutPrintf("\nRegenerating model.");
    return RTNORM;
}

// ---- ZOOM ----

// "2x" or "0.5X": a factor of the current view.
bool parseFactor(const std::string& text, double& factor) {
    std::string t = trimmed(text);
    if (t.size() < 2 || (t.back() != 'x' && t.back() != 'X')) return false;
    t.pop_back();
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (errno || !end || *end || !(v > 0) || !std::isfinite(v)) return false;
    factor = v;
    return true;
}

int zoomWindow(AcDbDatabase* db, const AcGePoint3d& first) {
    AcGePoint3d second;
    for (;;) {
        int rc = askPoint("\nSpecify opposite corner: ", second, RSG_NONULL);
        if (rc != RTNORM) return rc;
        if (std::fabs(second.x - first.x) > 1e-12 || std::fabs(second.y - first.y) > 1e-12) break;
        if (!retryAfter("The window needs two different corners.")) return RTERROR;
    }
    setView(db, viewOf(first, second, 1.0));
    return RTNORM;
}

int zoomCenter(AcDbDatabase* db) {
    View view = currentView();
    int rc = askPoint("\nSpecify center point: ", view.center, RSG_NONULL);
    if (rc != RTNORM) return rc;
    const std::string prompt = "\nEnter magnification or height <" + formatDistance(view.height) + ">: ";
    for (;;) {
        std::string answer;
        if ((rc = askText(prompt.c_str(), answer, false)) != RTNORM) return rc;
        answer = trimmed(answer);
        double factor = 0;
        if (answer.empty()) break;
        if (parseFactor(answer, factor)) {
            view.height /= factor;
            break;
        }
        double height = 0;
        if (acdbDisToF(answer.c_str(), -1, &height) == RTNORM && height > 0 && std::isfinite(height)) {
            view.height = height;
            break;
        }
        if (!retryAfter("Requires a positive height or a magnification such as 2X.")) return RTERROR;
    }
    setView(db, view);
    return RTNORM;
}

int zoomCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    for (;;) {
        AcGePoint3d corner;
        std::string keyword;
        int rc = askPoint("\nSpecify corner of window, enter a scale factor (nX) or [All/Center/Extents/Window]: ", corner,
                          RSG_OTHER, "All Center Extents Window", &keyword);
        if (rc == RTNONE) return RTNORM;
        if (rc == RTNORM) return zoomWindow(db, corner);
        if (rc != RTKWORD) return rc;
        if (keyword == "Window") {
            if ((rc = askPoint("\nSpecify first corner: ", corner, RSG_NONULL)) != RTNORM) return rc;
            return zoomWindow(db, corner);
        }
        if (keyword == "Center") return zoomCenter(db);
        if (keyword == "Extents" || keyword == "All") {
            AcDbExtents ext = db->computeExtents(db->currentSpaceId());
            if (keyword == "All") {
                ext.addPoint(pointVariable("LIMMIN"));
                ext.addPoint(pointVariable("LIMMAX"));
            }
            if (ext.isEmpty()) {
                acutPrintf("\nThe drawing is empty; the view is kept.");
                return RTNORM;
            }
            setView(db, viewOf(ext.minPoint(), ext.maxPoint(), 1.05));
            return RTNORM;
        }
        double factor = 0;
        if (parseFactor(keyword, factor)) {
            View view = currentView();
            view.height /= factor;
            setView(db, view);
            return RTNORM;
        }
        if (!retryAfter("Requires a point, a scale factor such as 2X, or an option keyword.")) return RTERROR;
    }
}

// ---- EXPORT ----

bool parseSize(const std::string& text, int& width, int& height) {
    const std::string t = trimmed(text);
    const size_t x = t.find_first_of("xX,");
    if (x == std::string::npos) return false;
    auto number = [](const std::string& s, int& out) {
        errno = 0;
        char* end = nullptr;
        const long v = std::strtol(s.c_str(), &end, 10);
        if (s.empty() || errno || !end || *end || v < 1 || v > kMaxPictureSide) return false;
        out = static_cast<int>(v);
        return true;
    };
    return number(trimmed(t.substr(0, x)), width) && number(trimmed(t.substr(x + 1)), height);
}

int exportCommand() {
    AcDbDatabase* db = currentDrawing();
    if (!db) return RTERROR;
    std::string file;
    bool svg = false;
    for (;;) {
        int rc = askFileName("\nEnter file name (.png or .svg): ", file);
        if (rc != RTNORM) return rc;
        if (file.empty()) return RTCAN;
        const std::string ext = upperCase(fs::path(file).extension().string());
        if (ext == ".PNG" || ext == ".SVG") {
            svg = ext == ".SVG";
            break;
        }
        if (!retryAfter("The file name must end in .png or .svg.")) return RTERROR;
    }
    std::error_code ec;
    if (fs::exists(file, ec) && AcEdCommandLine::instance().interactive()) {
        const std::string question = "\n" + file + " already exists. Replace it? [Yes/No] <No>: ";
        if (!askYesNo(question.c_str(), false)) return RTCAN;
    }
    std::string what;
    int rc = askKeyword("\nExport [View/Extents] <View>: ", "View Extents", what);
    if (rc != RTNORM && rc != RTNONE) return rc;
    const bool extents = rc == RTNORM && what == "Extents";
    const AcGePoint3d screen = pointVariable("SCREENSIZE");
    int width = screen.x >= 1 ? static_cast<int>(screen.x) : 800;
    int height = screen.y >= 1 ? static_cast<int>(screen.y) : 600;
    const std::string prompt = "\nSpecify picture size <" + std::to_string(width) + "x" + std::to_string(height) + ">: ";
    for (;;) {
        std::string answer;
        if ((rc = askText(prompt.c_str(), answer, false)) != RTNORM) return rc;
        if (trimmed(answer).empty() || parseSize(answer, width, height)) break;
        if (!retryAfter("Requires a size WIDTHxHEIGHT in pixels, each from 1 to " + std::to_string(kMaxPictureSide) +
                        ".")) {
            return RTERROR;
        }
    }
    AcGiRenderOptions options;
    options.width = width;
    options.height = height;
    if (!extents) {
        const View view = currentView();
        options.viewCenter = AcGePoint2d(view.center.x, view.center.y);
        options.viewHeight = view.height;
    }
    AcGiRenderer renderer(options);
    const Acad::ErrorStatus es = svg ? renderer.renderToSvg(db, file.c_str(), db->currentSpaceId())
                                     : renderer.renderToPng(db, file.c_str(), db->currentSpaceId());
    if (es != Acad::eOk)
        return failWith("Cannot export " + file + ": " +
                        (renderer.lastError().empty() ? statusText(es) : renderer.lastError()));
    acutPrintf("\nExported %s (%dx%d, %zu primitive(s)).", file.c_str(), width, height, renderer.drawnCount());
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(view, {
    {"REGEN", regenCommand},
    {"ZOOM", zoomCommand, ACRX_CMD_TRANSPARENT},
    {"EXPORT", exportCommand},
});
