// Grip editing on the command line: GRIPEDIT picks an entity, lists its grips, takes one by
// number or by point and moves it to a new point through the entity's grip protocol. An
// entity that asks to be dragged as a clone has a clone follow the point first; the entity
// itself is changed once, when the point is known.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include "app/commands/commandobjects.h"
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "db/undolog.h"
#include "ed/commandline.h"
#include "ed/docman.h"
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

void discardOutput(const char*) {}

// A drag sample leaves no trace: what it changes in the drawing is rolled back, text it queues
// on the document is dropped and what it prints is not shown.
class DragSample {
public:
    explicit DragSample(AcDbDatabase* db)
        : m_scope(db), m_doc(acDocManager->curDocument()), m_queued(m_doc ? m_doc->pendingInput().size() : 0),
          m_sink(acutHostPrintSink()) {
        acutSetPrintSink(&discardOutput);
    }
    ~DragSample() {
        acutSetPrintSink(m_sink);
        if (!m_doc) return;
        auto& queue = m_doc->pendingInput();
        while (queue.size() > m_queued) queue.pop_back();
    }
    DragSample(const DragSample&) = delete;
    DragSample& operator=(const DragSample&) = delete;

private:
    AcDbUndoPreviewScope m_scope;
    AcApDocument* m_doc;
    size_t m_queued;
    AcutPrintSink m_sink;
};

// Moves the drag clone's grip to where the point was given, as the cursor would.
void dragClone(AcDbDatabase* db, AcDbEntity* clone, const AcDbIntArray& indices, const AcGeVector3d& offset) {
    DragSample sample(db);
    clone->moveGripPointsAt(indices, offset);
}

int gripeditCommand() {
    if (!currentDrawing()) return RTERROR;
    AcDbObjectId id;
    int rc = pickEntity(id);
    if (rc != RTNORM) return rc;
    AcGePoint3dArray grips;
    std::unique_ptr<AcDbEntity> dragged;  // the clone that follows the point
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
    {
        Opened<AcDbEntity> entity(id, AcDb::kForRead);
        if (!entity) return failWith("The object cannot be opened (" + statusText(entity.status()) + ").");
        if (entity->cloneMeForDragging()) dragged.reset(AcDbEntity::cast(entity->clone()));
    }
    // "@" answers are relative to the grip.
    setLastPoint(grips[index]);
    AcGePoint3d to;
    if ((rc = askPoint("\nSpecify stretch point: ", to, RSG_NONULL)) != RTNORM) return rc;
    const AcGeVector3d offset = to - grips[index];
    if (offset.isZeroLength()) return RTNORM;
    AcDbIntArray indices;
    indices.append(index);
    if (dragged) {
        dragClone(currentDrawing(), dragged.get(), indices, offset);
        dragged.reset();
    }

    Opened<AcDbEntity> entity(id, AcDb::kForWrite);
    if (!entity) return failWith("The object cannot be changed now (" + statusText(entity.status()) + ").");
    Acad::ErrorStatus es = entity->moveGripPointsAt(indices, offset);
    if (es != Acad::eOk) return failWith("The grip cannot be moved (" + statusText(es) + ").");
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(grips, {
    {"GRIPEDIT", gripeditCommand},
});
