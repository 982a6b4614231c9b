#pragma once
// The display of a drawing and the platform's calls that bring it up to date.
//
// Each document keeps a display list: the primitives of every entity of the current space, as
// drawn with the document's view (VIEWCTR, VIEWSIZE, SCREENSIZE). A regen draws the whole
// space anew. Between regens, the document watches its drawing: entities that are appended,
// modified, erased, unerased, undone or redone wait for the next display update, which redraws
// just those (an attribute or a vertex redraws the entity that owns it; an entity no longer in
// the current space leaves the display).
#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <vector>
#include "db/objectid.h"
#include "gi/recorder.h"
#include "rx/export.h"

class AcApDocument;
class AcDbDatabase;

class CADHOST_API AcEdDisplayList {
public:
    explicit AcEdDisplayList(AcApDocument* doc);
    ~AcEdDisplayList();
    AcEdDisplayList(const AcEdDisplayList&) = delete;
    AcEdDisplayList& operator=(const AcEdDisplayList&) = delete;

    // Draws every entity of the current space anew; false when the document has no drawing.
    bool regen();
    // Redraws the entities waiting for it; answers how many were drawn.
    size_t update();
    // Has an entity (or the entity owning it) redrawn at the next update.
    void invalidate(AcDbObjectId id);

    // What the display shows and what it did.
    size_t entityCount() const { return m_shown.size(); }
    size_t primitiveCount() const;
    // The primitives an entity was last drawn with; null when it is not shown.
    const std::vector<AcGiPrimitive>* primitivesOf(AcDbObjectId id) const;
    bool isPending(AcDbObjectId id) const { return m_pendingSet.count(id) != 0; }
    size_t pendingCount() const { return m_pending.size(); }
    int regenCount() const { return m_regens; }
    int updateCount() const { return m_updates; }
    // Entities drawn by the last regen or update, in drawing order, and all drawn so far.
    const std::vector<AcDbObjectId>& lastDrawn() const { return m_lastDrawn; }
    size_t drawnTotal() const { return m_drawnTotal; }

private:
    class Watch;
    struct View;
    View currentView() const;
    // Records an entity's primitives, drawn with the view; false when it is not drawn.
    bool drawEntity(AcGiRecordingDraw& recorder, AcDbObjectId id);
    void setUp(AcGiRecordingDraw& recorder, AcDbDatabase* db) const;

    AcApDocument* m_doc;
    std::unique_ptr<Watch> m_watch;
    std::map<AcDbObjectId, std::vector<AcGiPrimitive>> m_shown;
    std::vector<AcDbObjectId> m_pending;  // in the order they changed
    std::set<AcDbObjectId> m_pendingSet;
    std::vector<AcDbObjectId> m_lastDrawn;
    size_t m_drawnTotal = 0;
    int m_regens = 0;
    int m_updates = 0;
};

// Regenerates the current drawing as REGEN does: RTNORM, RTERROR without a drawing.
CADHOST_API int ads_regen();
CADHOST_API int acedRegen();
// Redraws the entities of the current drawing changed since the last update.
CADHOST_API void acedUpdateDisplay();

// ---- Host side ----

// Has the entities redrawn at once in the displays of their documents (entities open for
// write are drawn as they are now); answers how many were drawn.
CADHOST_API size_t acedHostRedrawEntities(const std::vector<AcDbObjectId>& ids);
// The display list of a document (the current one by default); null without a document.
CADHOST_API AcEdDisplayList* acedHostDisplay(AcApDocument* doc = nullptr);
