#include "db/undolog.h"
#include <algorithm>
#include "db/dwgmemfiler.h"
#include "db/hostinternal.h"
#include "db/object.h"

namespace {
int g_depth = 0;
unsigned long long g_serial = 0;
std::string g_name;

// A handle range longer than this is not searched for a seed that can be given back.
constexpr uint64_t kSeedScanSlack = 1024;

// Appends the object's state to the data; answers where it starts, or -1 when it cannot be filed.
int64_t fileState(AcDbDwgMemoryFiler& data, const AcDbObject* obj) {
    data.resetFilerStatus();
    data.seek(0, 2);
    const int64_t at = data.tell();
    obj->dwgOutFields(&data);
    if (data.filerStatus() == Acad::eOk) return at;
    data.resetFilerStatus();
    return -1;
}

// Reads a filed state back into an object open for write and sets its erase mark.
void restore(AcDbDatabase* db, AcDbObject* obj, AcDbDwgMemoryFiler* data, int64_t at, bool erased,
             bool notifyErase, int& failures) {
    if (data && at >= 0) {
        data->resetFilerStatus();
        if (data->seek(at, 0) != Acad::eOk || obj->dwgInFields(data) != Acad::eOk) ++failures;
    }
    AcDbStub* stub = obj->objectId().stub();
    if (stub->erased != erased) {
        stub->erased = erased;
        if (notifyErase) db->fireObjectErased(obj, erased);
    }
    obj->recordGraphicsModified();
}
}  // namespace

struct AcDbUndoLog::Record {
    AcDbStub* stub = nullptr;
    bool created = false;
    bool erasedBefore = false;
    bool erasedAfter = false;
    // The state at the first write-open (not for created objects), in the group's data or, for
    // an object opened while another one was being filed, in a filer of its own. Shared, so
    // that a record moves with its data when a transaction hands it to the enclosing group.
    int64_t beforeAt = -1;
    std::shared_ptr<AcDbDwgMemoryFiler> before;
    int64_t afterAt = -1;  // in the group's after data, filed when the group is undone
};

struct AcDbUndoLog::Group {
    std::string name;
    unsigned long long serial = 0;
    bool preview = false;      // never redone: a drag preview or a transaction
    bool transaction = false;  // ended into the enclosing group, or aborted
    std::vector<Record> records;
    std::unordered_set<const AcDbStub*> recorded;
    std::unique_ptr<std::map<std::string, AcDbHeaderValue>> headerBefore, headerAfter;
    AcDbHandle seedBefore, seedAfter;
    // One undo filer for all states of the group: ids written once, one buffer.
    std::shared_ptr<AcDbDwgMemoryFiler> beforeData;
    std::unique_ptr<AcDbDwgMemoryFiler> afterData;
    bool empty() const { return records.empty() && !headerBefore; }
};

AcDbUndoLog::AcDbUndoLog(AcDbDatabase* db) : m_db(db) {}
AcDbUndoLog::~AcDbUndoLog() = default;

void AcDbUndoLog::clear() {
    m_undo.clear();
    m_redo.clear();
    m_previews.clear();
}

void AcDbUndoLog::openGroup(unsigned long long serial, const std::string& name) {
    if (!m_undo.empty() && m_undo.back()->serial == serial) return;
    auto group = std::make_unique<Group>();
    group->name = name;
    group->serial = serial;
    group->seedBefore = m_db->handseed();
    m_undo.push_back(std::move(group));
}

AcDbUndoLog::Group* AcDbUndoLog::target() {
    if (m_undoing) return nullptr;
    if (!m_previews.empty()) return m_previews.back().get();
    if (g_depth == 0 || !m_db->undoRecording()) return nullptr;
    openGroup(g_serial, g_name);
    return m_undo.back().get();
}

// The first change recorded in a command's group makes the last undo final.
AcDbUndoLog::Record* AcDbUndoLog::add(Group& group, AcDbStub* stub) {
    if (!group.recorded.insert(stub).second) return nullptr;
    if (group.empty() && !group.preview) m_redo.clear();
    Record& r = group.records.emplace_back();
    r.stub = stub;
    return &r;
}

void AcDbUndoLog::objectOpenedForWrite(AcDbStub* stub) {
    Group* group = target();
    if (!group || !stub->object || stub->unappended) return;
    if (!add(*group, stub)) return;
    const size_t index = group->records.size() - 1;
    group->records[index].erasedBefore = stub->erased;
    if (m_filing) {
        // Opened while another object files itself: its bytes cannot go between those.
        auto own = std::make_shared<AcDbDwgMemoryFiler>(AcDb::kUndoFiler, m_db);
        const int64_t at = fileState(*own, stub->object);
        Record& r = group->records[index];
        r.beforeAt = at;
        r.before = std::move(own);
        return;
    }
    if (!group->beforeData) group->beforeData = std::make_shared<AcDbDwgMemoryFiler>(AcDb::kUndoFiler, m_db);
    m_filing = true;
    const int64_t at = fileState(*group->beforeData, stub->object);
    m_filing = false;
    // Filing may have opened further objects and grown the list: the record is found by index.
    group->records[index].beforeAt = at;
    group->records[index].before = group->beforeData;
}

bool AcDbUndoLog::wouldRecord(AcDbStub* stub) {
    Group* group = target();
    return group && stub->object && !stub->unappended && !group->recorded.count(stub);
}

void AcDbUndoLog::objectAppended(AcDbStub* stub) {
    Group* group = target();
    if (!group) {
        // A new object outside any group may take a handle that a redo would give back.
        if (!m_undoing && m_previews.empty()) m_redo.clear();
        return;
    }
    if (stub->handle < group->seedBefore) group->seedBefore = stub->handle;
    if (Record* r = add(*group, stub)) r->created = true;
}

void AcDbUndoLog::headerWillChange() {
    Group* group = target();
    if (!group || group->headerBefore) return;
    if (group->empty() && !group->preview) m_redo.clear();
    group->headerBefore = std::make_unique<std::map<std::string, AcDbHeaderValue>>(m_db->headerValues());
}

// Newest record first: every object back to its first recorded state, created ones out.
void AcDbUndoLog::rollBack(Group& group, int& failures) {
    m_undoing = true;
    group.seedAfter = m_db->handseed();
    // What a redo would put back; a preview is never redone.
    if (!group.preview) {
        if (!group.afterData) group.afterData = std::make_unique<AcDbDwgMemoryFiler>(AcDb::kUndoFiler, m_db);
        group.afterData->reset();
    }
    for (auto it = group.records.rbegin(); it != group.records.rend(); ++it) {
        Record& r = *it;
        AcDbObject* obj = nullptr;
        const Acad::ErrorStatus es = acdbOpenObject(obj, AcDbObjectId(r.stub), AcDb::kForWrite, true);
        if (es == Acad::eWasOpenForWrite && group.transaction && !r.created && r.stub->object) {
            // Held open for write by an enclosing transaction: put back in place, still open.
            restore(m_db, r.stub->object, r.before.get(), r.beforeAt, r.erasedBefore, true, failures);
            continue;
        }
        if (es != Acad::eOk) {
            ++failures;
            continue;
        }
        r.erasedAfter = r.stub->erased;
        if (group.afterData && !group.preview) r.afterAt = fileState(*group.afterData, obj);
        if (r.created) {
            obj->close();
            m_db->internalUnappend(r.stub);
            m_db->fireObjectUnAppended(obj);
            continue;
        }
        restore(m_db, obj, r.before.get(), r.beforeAt, r.erasedBefore, true, failures);
        obj->close();
    }
    if (group.headerBefore) {
        group.headerAfter = std::make_unique<std::map<std::string, AcDbHeaderValue>>(m_db->headerValues());
        m_db->internalHeader() = *group.headerBefore;
    }
    // The handles the group used go back when nothing else has taken one since.
    const AcDbHandle seed = m_db->handseed();
    if (group.seedBefore < seed &&
        seed.value() - group.seedBefore.value() <= group.records.size() * 4 + kSeedScanSlack) {
        bool free = true;
        for (AcDbHandle h = group.seedBefore; free && h < seed; ++h) free = !m_db->internalHandleInUse(h);
        if (free) m_db->internalSetHandseed(group.seedBefore);
    }
    m_undoing = false;
}

// Oldest record first: every object to the state the undo took it from.
void AcDbUndoLog::rollForward(Group& group, int& failures) {
    m_undoing = true;
    for (Record& r : group.records) {
        if (r.created) m_db->internalReappend(r.stub);
        AcDbObject* obj = nullptr;
        if (acdbOpenObject(obj, AcDbObjectId(r.stub), AcDb::kForWrite, true) != Acad::eOk) {
            ++failures;
            continue;
        }
        restore(m_db, obj, group.afterData.get(), r.afterAt, r.erasedAfter, !r.created, failures);
        obj->close();
        if (r.created) m_db->fireObjectReAppended(obj);
    }
    if (group.headerAfter) m_db->internalHeader() = *group.headerAfter;
    if (m_db->handseed() < group.seedAfter) m_db->internalSetHandseed(group.seedAfter);
    m_undoing = false;
}

// The running command's own group (that of U or REDO) is no step to undo.
void AcDbUndoLog::dropOwnGroup() {
    if (g_depth == 0 || m_undo.empty() || m_undo.back()->serial != g_serial) return;
    std::unique_ptr<Group> own = std::move(m_undo.back());
    m_undo.pop_back();
    if (!own->empty()) {
        int ignored = 0;
        rollBack(*own, ignored);
    }
}

int AcDbUndoLog::undoableGroups() const {
    int n = static_cast<int>(m_undo.size());
    if (n > 0 && g_depth > 0 && m_undo.back()->serial == g_serial) --n;
    return n;
}

std::vector<std::string> AcDbUndoLog::undo(int count, int* failures) {
    std::vector<std::string> names;
    int failed = 0;
    dropOwnGroup();
    std::vector<std::unique_ptr<Group>> undone;
    while (count-- > 0 && !m_undo.empty()) {
        std::unique_ptr<Group> group = std::move(m_undo.back());
        m_undo.pop_back();
        rollBack(*group, failed);
        names.push_back(group->name);
        undone.push_back(std::move(group));
    }
    if (!undone.empty()) {
        std::reverse(undone.begin(), undone.end());
        m_redo = std::move(undone);
    }
    if (failures) *failures = failed;
    return names;
}

std::vector<std::string> AcDbUndoLog::redo(int* failures) {
    std::vector<std::string> names;
    int failed = 0;
    dropOwnGroup();
    for (std::unique_ptr<Group>& group : m_redo) {
        rollForward(*group, failed);
        names.push_back(group->name);
        m_undo.push_back(std::move(group));
    }
    m_redo.clear();
    if (failures) *failures = failed;
    return names;
}

void AcDbUndoLog::beginPreview() {
    auto group = std::make_unique<Group>();
    group->preview = true;
    group->seedBefore = m_db->handseed();
    m_previews.push_back(std::move(group));
}

void AcDbUndoLog::endPreview() {
    if (m_previews.empty()) return;
    std::unique_ptr<Group> group = std::move(m_previews.back());
    m_previews.pop_back();
    int failures = 0;
    rollBack(*group, failures);
}

void AcDbUndoLog::beginTransaction() {
    beginPreview();
    m_previews.back()->transaction = true;
}

bool AcDbUndoLog::inTransaction() const { return !m_previews.empty() && m_previews.back()->transaction; }

// The records go to the enclosing group; those of objects it already holds keep its older state.
void AcDbUndoLog::endTransaction() {
    if (!inTransaction()) return;
    std::unique_ptr<Group> done = std::move(m_previews.back());
    m_previews.pop_back();
    Group* parent = target();
    if (!parent || done->empty()) return;
    if (parent->empty() && !parent->preview) m_redo.clear();
    for (Record& r : done->records)
        if (parent->recorded.insert(r.stub).second) parent->records.push_back(std::move(r));
    if (done->headerBefore && !parent->headerBefore) parent->headerBefore = std::move(done->headerBefore);
    if (done->seedBefore < parent->seedBefore) parent->seedBefore = done->seedBefore;
}

int AcDbUndoLog::abortTransaction() {
    if (!inTransaction()) return 0;
    std::unique_ptr<Group> group = std::move(m_previews.back());
    m_previews.pop_back();
    int failures = 0;
    rollBack(*group, failures);
    return failures;
}

void acdbHostBeginUndoGroup(AcDbDatabase* db, const char* name) {
    if (g_depth++ > 0) return;
    ++g_serial;
    g_name = name ? name : "";
    if (!db) return;
    AcDbUndoLog& log = db->internalUndoLog();
    if (db->undoRecording()) log.openGroup(g_serial, g_name);
}

void acdbHostEndUndoGroup() {
    if (g_depth > 0) --g_depth;
}

bool acdbHostUndoGroupActive() { return g_depth > 0; }

AcDbUndoPreviewScope::AcDbUndoPreviewScope(AcDbDatabase* db) : m_db(db) {
    if (m_db) m_db->internalUndoLog().beginPreview();
}

AcDbUndoPreviewScope::~AcDbUndoPreviewScope() {
    if (m_db && cadhost::db::isLiveDatabase(m_db) && m_db->undoLog()) m_db->undoLog()->endPreview();
}
