#include "ed/pick.h"
#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <vector>
#include "db/database.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "rx/print.h"

namespace {
AcDbDatabase* drawing() {
    if (AcApDocument* doc = acDocManager->curDocument()) return doc->database();
    return acdbHostApplicationServices()->workingDatabase();
}

double varReal(const char* name, double fallback) {
    resbuf rb;
    if (acedGetVar(name, &rb) != RTNORM) return fallback;
    if (rb.restype == RTREAL) return rb.resval.rreal;
    if (rb.restype == RTSHORT) return rb.resval.rint;
    if (rb.restype == RTPOINT) return rb.resval.rpoint[1];
    if (rb.restype == RTSTR) std::free(rb.resval.rstring);
    return fallback;
}

void setErrno(int value) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(value);
    acedHostSetVar("ERRNO", &rb, false);
}

// Calls fn with the ids of the current space's entities that are not erased, from the first one
// (from the last one when not forward), until fn answers false.
template <class Fn>
void walkSpace(bool forward, Fn&& fn) {
    AcDbDatabase* db = drawing();
    AcDbBlockTableRecord* space = nullptr;
    if (!db || acdbOpenObject(space, db->currentSpaceId(), AcDb::kForRead) != Acad::eOk) return;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (space->newIterator(it, forward) == Acad::eOk) {
        for (; !it->done(); it->step(forward)) {
            AcDbObjectId id;
            if (it->getEntityId(id) == Acad::eOk && !fn(id)) break;
        }
        delete it;
    }
    space->close();
}

std::vector<AcDbObjectId> spaceEntities() {
    std::vector<AcDbObjectId> ids;
    walkSpace(true, [&](AcDbObjectId id) {
        ids.push_back(id);
        return true;
    });
    return ids;
}

bool outline(AcDbObjectId id, double tolerance, AcArray<AcGePoint3dArray>& paths) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) return false;
    entity->getOutline(paths, std::max(tolerance * 0.25, 1e-6));
    entity->close();
    return true;
}

double distanceToSegment(const AcGePoint3d& p, const AcGePoint3d& a, const AcGePoint3d& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double distanceToOutline(const AcGePoint3d& p, const AcArray<AcGePoint3dArray>& paths) {
    double best = std::numeric_limits<double>::infinity();
    for (const AcGePoint3dArray& path : paths) {
        if (path.length() == 1) best = std::min(best, std::hypot(p.x - path[0].x, p.y - path[0].y));
        for (int i = 0; i + 1 < path.length(); ++i) best = std::min(best, distanceToSegment(p, path[i], path[i + 1]));
    }
    return best;
}

struct Box {
    double x0, y0, x1, y1;
    bool contains(const AcGePoint3d& p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
    // Liang-Barsky clipping of the segment against the box.
    bool crosses(const AcGePoint3d& a, const AcGePoint3d& b) const {
        double t0 = 0, t1 = 1;
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x - x0, x1 - a.x, a.y - y0, y1 - a.y};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0) {
                if (q[i] < 0) return false;
                continue;
            }
            double r = q[i] / p[i];
            if (p[i] < 0) t0 = std::max(t0, r);
            else t1 = std::min(t1, r);
            if (t0 > t1) return false;
        }
        return true;
    }
};

bool inWindow(const AcArray<AcGePoint3dArray>& paths, const Box& box, bool crossing) {
    bool any = false;
    for (const AcGePoint3dArray& path : paths)
        for (int i = 0; i < path.length(); ++i) {
            any = true;
            if (crossing) {
                if (box.contains(path[i])) return true;
                if (i + 1 < path.length() && box.crosses(path[i], path[i + 1])) return true;
            } else if (!box.contains(path[i])) {
                return false;
            }
        }
    return any && !crossing;
}

// The ids chosen so far, in the order chosen, each once; counts what one round adds.
class Chosen {
public:
    explicit Chosen(AcDbObjectIdArray& ids) : m_ids(ids) {}
    void reserve(size_t more) {
        m_ids.setPhysicalLength(m_ids.length() + static_cast<int>(more));
        m_seen.reserve(m_seen.size() + more);
    }
    void add(AcDbObjectId id) {
        if (m_seen.insert(id).second) {
            m_ids.append(id);
            ++added;
        } else {
            ++duplicates;
        }
    }
    int added = 0, duplicates = 0;

private:
    AcDbObjectIdArray& m_ids;
    std::unordered_set<AcDbObjectId> m_seen;
};

void reportFound(Chosen& chosen) {
    const int added = chosen.added, duplicates = chosen.duplicates;
    chosen.added = chosen.duplicates = 0;
    if (duplicates) acutPrintf("\n%d found (%d duplicate)", added + duplicates, duplicates);
    else acutPrintf("\n%d found", added);
}

int askCorner(const char* prompt, AcGePoint3d& p) {
    ads_point pt;
    int rc = acedGetPoint(nullptr, prompt, pt);
    if (rc == RTNORM) p = AcGePoint3d(pt[0], pt[1], pt[2]);
    return rc;
}
}  // namespace

double acedHostPickTolerance() {
    const double pickbox = varReal("PICKBOX", 3);
    const double viewSize = varReal("VIEWSIZE", 1.0);
    const double screenHeight = varReal("SCREENSIZE", 600);
    if (!(viewSize > 0) || !(screenHeight > 0)) return std::max(pickbox, 1.0) * 1e-3;
    return std::max(pickbox, 1.0) * viewSize / screenHeight;
}

AcDbObjectId acedHostPickEntity(const AcGePoint3d& point, double tolerance) {
    if (tolerance < 0) tolerance = acedHostPickTolerance();
    AcDbObjectId best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (AcDbObjectId id : spaceEntities()) {
        AcArray<AcGePoint3dArray> paths;
        if (!outline(id, tolerance, paths)) continue;
        double d = distanceToOutline(point, paths);
        if (d <= tolerance && d <= bestDistance) {
            bestDistance = d;
            best = id;
        }
    }
    return best;
}

AcDbObjectId acedHostLastEntity() {
    AcDbObjectId last;
    walkSpace(false, [&](AcDbObjectId id) {
        last = id;
        return false;
    });
    return last;
}

int acedEntSel(const char* prompt, ads_name entity, ads_point point) {
    ads_point pt;
    int rc = acedGetPoint(nullptr, prompt ? prompt : "\nSelect object: ", pt);
    if (rc == RTNONE) {
        setErrno(52);
        return RTERROR;
    }
    if (rc != RTNORM) return rc;
    AcDbObjectId id = acedHostPickEntity(AcGePoint3d(pt[0], pt[1], pt[2]));
    if (id.isNull()) {
        setErrno(7);
        return RTERROR;
    }
    if (entity && acdbGetAdsName(entity, id) != Acad::eOk) return RTERROR;
    if (point)
        for (int i = 0; i < 3; ++i) point[i] = pt[i];
    return RTNORM;
}

int acedHostSelectObjects(const char* prompt, AcDbObjectIdArray& ids) {
    ids.removeAll();
    Chosen chosen(ids);
    for (;;) {
        acedInitGet(0, "ALL Last Window Crossing");
        ads_point pt;
        int rc = acedGetPoint(nullptr, prompt ? prompt : "\nSelect objects: ", pt);
        if (rc == RTNONE) break;
        if (rc != RTNORM && rc != RTKWORD) return rc;
        if (rc == RTNORM) {
            AcDbObjectId id = acedHostPickEntity(AcGePoint3d(pt[0], pt[1], pt[2]));
            if (!id.isNull()) chosen.add(id);
            reportFound(chosen);
            continue;
        }
        char kw[133];
        acedGetInput(kw);
        std::string keyword = kw;
        if (keyword == "ALL") {
            const std::vector<AcDbObjectId> all = spaceEntities();
            chosen.reserve(all.size());
            for (AcDbObjectId id : all) chosen.add(id);
        } else if (keyword == "Last") {
            AcDbObjectId id = acedHostLastEntity();
            if (!id.isNull()) chosen.add(id);
        } else {
            AcGePoint3d a, b;
            if ((rc = askCorner("\nSpecify first corner: ", a)) != RTNORM) return rc == RTNONE ? RTCAN : rc;
            if ((rc = askCorner("\nSpecify opposite corner: ", b)) != RTNORM) return rc == RTNONE ? RTCAN : rc;
            Box box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
            const double tol = acedHostPickTolerance();
            for (AcDbObjectId id : spaceEntities()) {
                AcArray<AcGePoint3dArray> paths;
                if (outline(id, tol, paths) && inWindow(paths, box, keyword == "Crossing"))
                    chosen.add(id);
            }
        }
        reportFound(chosen);
    }
    return ids.isEmpty() ? RTNONE : RTNORM;
}
