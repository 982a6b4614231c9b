#include "ed/display.h"
#include <algorithm>
#include "db/database.h"
#include "db/entity.h"
#include "db/hostinternal.h"
#include "ed/docman.h"
#include "ed/sysvar.h"

namespace {
constexpr int kMaxOwnerDepth = 16;

AcGePoint3d pointVariable(const char* name) {
    resbuf rb;
    if (acedGetVar(name, &rb) != RTNORM || (rb.restype != RT3DPOINT && rb.restype != RTPOINT)) return AcGePoint3d();
    return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.restype == RT3DPOINT ? rb.resval.rpoint[2] : 0.0);
}

// The entity a change shows on: an attribute's insert, a vertex's polyline.
AcDbObjectId shownEntity(AcDbObjectId id) {
    for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
        const AcDbObject* object = cadhost::db::peek(id);
        const AcDbObject* owner = object ? cadhost::db::peek(object->ownerId()) : nullptr;
        if (!owner || !AcDbEntity::cast(owner)) break;
        id = owner->objectId();
    }
    return id;
}
}  // namespace

// Entities that change wait for the next update.
class AcEdDisplayList::Watch : public AcDbDatabaseReactor {
public:
    explicit Watch(AcEdDisplayList* display) : m_display(display) {}
    void objectAppended(const AcDbDatabase*, const AcDbObject* o) override { changed(o); }
    void objectUnAppended(const AcDbDatabase*, const AcDbObject* o) override { changed(o); }
    void objectReAppended(const AcDbDatabase*, const AcDbObject* o) override { changed(o); }
    void objectModified(const AcDbDatabase*, const AcDbObject* o) override { changed(o); }
    void objectErased(const AcDbDatabase*, const AcDbObject* o, Adesk::Boolean) override { changed(o); }

private:
    void changed(const AcDbObject* object) {
        if (AcDbEntity::cast(object)) m_display->invalidate(object->objectId());
    }
    AcEdDisplayList* m_display;
};

struct AcEdDisplayList::View {
    AcGePoint2d center;
    double height = 1.0;
    AcGePoint2d screen{800, 600};
};

AcEdDisplayList::AcEdDisplayList(AcApDocument* doc) : m_doc(doc), m_watch(std::make_unique<Watch>(this)) {
    if (AcDbDatabase* db = m_doc->database()) db->addReactor(m_watch.get());
}

AcEdDisplayList::~AcEdDisplayList() {
    if (AcDbDatabase* db = m_doc->database()) db->removeReactor(m_watch.get());
}

// The view is a document variable: read in the document's own context.
AcEdDisplayList::View AcEdDisplayList::currentView() const {
    AcApDocument* previous = acDocManager->setCurrentQuietly(m_doc);
    View view;
    const AcGePoint3d center = pointVariable("VIEWCTR");
    view.center = AcGePoint2d(center.x, center.y);
    resbuf rb;
    if (acedGetVar("VIEWSIZE", &rb) == RTNORM && rb.restype == RTREAL && rb.resval.rreal > 0) view.height = rb.resval.rreal;
    const AcGePoint3d screen = pointVariable("SCREENSIZE");
    if (screen.x > 0 && screen.y > 0) view.screen = AcGePoint2d(screen.x, screen.y);
    acDocManager->setCurrentQuietly(previous);
    return view;
}

void AcEdDisplayList::setUp(AcGiRecordingDraw& recorder, AcDbDatabase* db) const {
    const View view = currentView();
    recorder.setDatabase(db);
    recorder.setViewport(AcGePoint2d(0, 0), view.screen, view.center, view.height);
}

bool AcEdDisplayList::drawEntity(AcGiRecordingDraw& recorder, AcDbObjectId id) {
    recorder.clear();
    AcDbEntity* entity = nullptr;
    bool opened = false;
    const Acad::ErrorStatus es = acdbOpenObject(entity, id, AcDb::kForRead);
    if (es == Acad::eOk) {
        opened = true;
    } else if (es == Acad::eWasOpenForWrite) {
        // Its writer is still at work (a transaction): drawn as it is now.
        entity = cadhost::db::peekAs<AcDbEntity>(id);
    }
    if (!entity) {
        m_shown.erase(id);
        return false;
    }
    recorder.draw(entity);
    if (opened) entity->close();
    m_shown[id] = recorder.primitives();
    m_lastDrawn.push_back(id);
    ++m_drawnTotal;
    return true;
}

bool AcEdDisplayList::regen() {
    AcDbDatabase* db = m_doc->database();
    if (!db) return false;
    ++m_regens;
    m_shown.clear();
    m_pending.clear();
    m_pendingSet.clear();
    m_lastDrawn.clear();
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, db->currentSpaceId(), AcDb::kForRead) == Acad::eOk) {
        ids = space->entityIds();
        space->close();
    }
    AcGiRecordingDraw recorder;
    setUp(recorder, db);
    for (const AcDbObjectId& id : ids)
        if (!id.isErased()) drawEntity(recorder, id);
    return true;
}

size_t AcEdDisplayList::update() {
    AcDbDatabase* db = m_doc->database();
    std::vector<AcDbObjectId> ids;
    ids.swap(m_pending);
    m_pendingSet.clear();
    m_lastDrawn.clear();
    if (!db) return 0;
    ++m_updates;
    AcGiRecordingDraw recorder;
    setUp(recorder, db);
    const AcDbObjectId space = db->currentSpaceId();
    for (const AcDbObjectId& id : ids) {
        const AcDbObject* object = cadhost::db::peek(id);
        if (!object || id.isErased() || object->ownerId() != space) m_shown.erase(id);
        else drawEntity(recorder, id);
    }
    return m_lastDrawn.size();
}

void AcEdDisplayList::invalidate(AcDbObjectId id) {
    if (id.isNull() || id.database() != m_doc->database()) return;
    id = shownEntity(id);
    if (m_pendingSet.insert(id).second) m_pending.push_back(id);
}

size_t AcEdDisplayList::primitiveCount() const {
    size_t n = 0;
    for (const auto& entry : m_shown) n += entry.second.size();
    return n;
}

const std::vector<AcGiPrimitive>* AcEdDisplayList::primitivesOf(AcDbObjectId id) const {
    auto it = m_shown.find(id);
    return it == m_shown.end() ? nullptr : &it->second;
}

AcEdDisplayList* acedHostDisplay(AcApDocument* doc) {
    if (!doc) doc = acDocManager->curDocument();
    return doc ? &doc->display() : nullptr;
}

int ads_regen() {
    AcEdDisplayList* display = acedHostDisplay();
    return display && display->regen() ? RTNORM : RTERROR;
}

int acedRegen() { return ads_regen(); }

void acedUpdateDisplay() {
    if (AcEdDisplayList* display = acedHostDisplay()) display->update();
}

size_t acedHostRedrawEntities(const std::vector<AcDbObjectId>& ids) {
    std::vector<AcApDocument*> docs;
    for (const AcDbObjectId& id : ids) {
        AcApDocument* doc = acDocManager->document(id.database());
        if (!doc) continue;
        doc->display().invalidate(id);
        if (std::find(docs.begin(), docs.end(), doc) == docs.end()) docs.push_back(doc);
    }
    size_t drawn = 0;
    for (AcApDocument* doc : docs) drawn += doc->display().update();
    return drawn;
}
