// Grip editing on the command line: GRIPEDIT picks an entity, lists its grips, takes one by
// number or by point and moves it to a new point through the entity's grip protocol.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include "app/commands/commandobjects.h"
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "ed/commandline.h"
#include "ed/pick.h"
#include "ed/prompts.h"
#include "rx/print.h"

using namespace hostcmd;

namespace {
int pickEntity(AcDbObjectId& id) {
    for (;;) {
        AcGePoint3d at;
        std::string keyword;
        int rc = askPoint("\nSelect object or [Last]: ", at, RSG_NONULL, "Last", &keyword);
        if (rc == RTKWORD) id = acedHostLastEntity();
        else if (rc == RTNORM) id = acedHostPickEntity(at);
        else return rc;
        if (!id.isNull()) return RTNORM;
        if (!retryAfter(rc == RTKWORD ? "The drawing has no object." : "No object found at that point.")) return RTERROR;
    }
}

// A grip by its number (from 1) or by a point within the pick box of it.
int askGrip(const AcGePoint3dArray& grips, int& index) {
    const double tolerance = acedHostPickTolerance();
    return AcEdCommandLine::instance().ask(
        "\nEnter grip number or pick a grip: ", AcEdCommandLine::AnswerMode::kWord,
        [&](const std::string& answer, std::string& message) {
            const std::string t = trimmed(answer);
            if (t.empty()) {
                message = "A grip number or a grip point is required.";
                return RTERROR;
            }
            errno = 0;
            char* end = nullptr;
            const long n = std::strtol(t.c_str(), &end, 10);
            if (end && *end == '\0' && errno == 0) {
                if (n < 1 || n > grips.length()) {
                    message = "Grip numbers run from 1 to " + std::to_string(grips.length()) + ".";
                    return RTERROR;
                }
                index = static_cast<int>(n - 1);
                return RTNORM;
            }
            AcGePoint3d p;
            std::string why;
            if (!acedHostParsePoint(t, p, &why)) {
                message = why;
                return RTERROR;
            }
            double best = std::numeric_limits<double>::infinity();
            for (int i = 0; i < grips.length(); ++i) {
                const double d = std::hypot(grips[i].x - p.x, grips[i].y - p.y);
                if (d <= tolerance && d < best) {
                    best = d;
                    index = i;
                }
            }
            if (std::isinf(best)) {
                message = "No grip at that point.";
                return RTERROR;
            }
            return RTNORM;
        });
}

int gripeditCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectId id;
    int rc = pickEntity(id);
    if (rc != RTNORM) return rc;
    AcGePoint3dArray grips;
    {
        Opened<AcDbEntity> entity(id, AcDb::kForRead);
        if (!entity) return failWith("The object cannot be opened (" + statusText(entity.status()) + ").");
        AcDbIntArray osnapModes, geomIds;
        Acad::ErrorStatus es = entity->getGripPoints(grips, osnapModes, geomIds);
        if (es != Acad::eOk) return failWith("The object answers no grips (" + statusText(es) + ").");
    }
    if (grips.isEmpty()) return failWith("The object has no grips.");
    acutPrintf("\nGrips:");
    for (int i = 0; i < grips.length(); ++i) acutPrintf("\n  %d  %s", i + 1, formatPoint(grips[i]).c_str());
    int index = 0;
    if ((rc = askGrip(grips, index)) != RTNORM) return rc;
    // "@" answers are relative to the grip.
    setLastPoint(grips[index]);
    AcGePoint3d to;
    if ((rc = askPoint("\nSpecify stretch point: ", to, RSG_NONULL)) != RTNORM) return rc;
    const AcGeVector3d offset = to - grips[index];
    if (offset.isZeroLength()) return RTNORM;

    // Dragging goes here: while the stretch point is asked, a clone of the entity (when
    // cloneMeForDragging() says so) or the entity itself follows the cursor through
    // moveGripPointsAt and is drawn; the clone is thrown away before the entity is changed.

    Opened<AcDbEntity> entity(id, AcDb::kForWrite);
    if (!entity) return failWith("The object cannot be changed now (" + statusText(entity.status()) + ").");
    // Undo recording of the change goes here, before the entity is modified.
    AcDbIntArray indices;
    indices.append(index);
    Acad::ErrorStatus es = entity->moveGripPointsAt(indices, offset);
    if (es != Acad::eOk) return failWith("The grip cannot be moved (" + statusText(es) + ").");
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(grips, {
    {"GRIPEDIT", gripeditCommand},
});
