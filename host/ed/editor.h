#pragma once
// The host editor and its reactors: command, LISP, drawing-file, insert, deep-clone, wblock
// and system-variable notifications.
//
// Order of the command notifications: commandWillStart before the command runs (CMDNAMES
// already names it), then exactly one of commandEnded, commandCancelled or commandFailed
// (CMDNAMES still names it). LISP evaluations (typed, queued or a "c:" function run as a
// command) send lispWillStart and then lispEnded or lispCancelled instead.
// The insert, deep-clone and wblock notifications are sent by the commands that do those
// operations (AcEditor::notify); the database layer itself does not send them.
#include <algorithm>
#include <utility>
#include <vector>
#include "db/database.h"
#include "rx/rxclass.h"

class CADHOST_API AcEditorReactor : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcEditorReactor);
    ~AcEditorReactor() override;

    virtual void commandWillStart(const char* cmdStr) { (void)cmdStr; }
    virtual void commandEnded(const char* cmdStr) { (void)cmdStr; }
    virtual void commandCancelled(const char* cmdStr) { (void)cmdStr; }
    virtual void commandFailed(const char* cmdStr) { (void)cmdStr; }
    virtual void unknownCommand(const char* cmdStr, AcDbVoidPtrArray* al) { (void)cmdStr; (void)al; }
    virtual void lispWillStart(const char* firstLine) { (void)firstLine; }
    virtual void lispEnded() {}
    virtual void lispCancelled() {}

    virtual void beginDwgOpen(char* filename) { (void)filename; }
    virtual void endDwgOpen(const char* filename, AcDbDatabase* db) { (void)filename; (void)db; }
    virtual void beginClose(AcDbDatabase* db) { (void)db; }
    virtual void beginSave(AcDbDatabase* db, const char* intendedName) { (void)db; (void)intendedName; }
    virtual void saveComplete(AcDbDatabase* db, const char* actualName) { (void)db; (void)actualName; }

    virtual void beginInsert(AcDbDatabase* to, const char* blockName, AcDbDatabase* from) {
        (void)to; (void)blockName; (void)from;
    }
    virtual void beginInsert(AcDbDatabase* to, const AcGeMatrix3d& xform, AcDbDatabase* from) {
        (void)to; (void)xform; (void)from;
    }
    virtual void otherInsert(AcDbDatabase* to, AcDbIdMapping& idMap, AcDbDatabase* from) {
        (void)to; (void)idMap; (void)from;
    }
    virtual void abortInsert(AcDbDatabase* to) { (void)to; }
    virtual void endInsert(AcDbDatabase* to) { (void)to; }

    virtual void beginWblock(AcDbDatabase* to, AcDbDatabase* from, const AcGePoint3d*& insertionPoint) {
        (void)to; (void)from; (void)insertionPoint;
    }
    virtual void beginWblock(AcDbDatabase* to, AcDbDatabase* from, AcDbObjectId blockId) {
        (void)to; (void)from; (void)blockId;
    }
    virtual void beginWblock(AcDbDatabase* to, AcDbDatabase* from) { (void)to; (void)from; }
    virtual void otherWblock(AcDbDatabase* to, AcDbIdMapping& idMap, AcDbDatabase* from) {
        (void)to; (void)idMap; (void)from;
    }
    virtual void abortWblock(AcDbDatabase* to) { (void)to; }
    virtual void endWblock(AcDbDatabase* to) { (void)to; }

    virtual void beginDeepClone(AcDbDatabase* to, AcDbIdMapping& idMap) { (void)to; (void)idMap; }
    virtual void beginDeepCloneXlation(AcDbIdMapping& idMap, Acad::ErrorStatus* status) {
        (void)idMap; (void)status;
    }
    virtual void abortDeepClone(AcDbIdMapping& idMap) { (void)idMap; }
    virtual void endDeepClone(AcDbIdMapping& idMap) { (void)idMap; }

    virtual void sysVarWillChange(const char* varName) { (void)varName; }
    virtual void sysVarChanged(const char* varName, Adesk::Boolean success) { (void)varName; (void)success; }

    virtual void beginQuit() {}
    virtual void quitWillStart() {}
    virtual void quitAborted() {}

protected:
    AcEditorReactor() = default;
};

// The editor: the host's list of editor reactors.
class CADHOST_API AcEditor : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcEditor);
    AcEditor() = default;

    // Adding a reactor twice keeps one entry; each entry remembers the module that added it.
    void addReactor(AcEditorReactor* reactor);
    void removeReactor(AcEditorReactor* reactor);
    bool hasReactor(const AcEditorReactor* reactor) const;
    int numReactors() const { return static_cast<int>(m_reactors.size()); }

    // Calls fn(reactor) for each reactor in the order they were added; a reactor removed by an
    // earlier one is skipped, one added meanwhile is not called this time.
    template <class Fn>
    void notify(Fn&& fn) {
        std::vector<Entry> snapshot = m_reactors;
        for (const Entry& e : snapshot)
            if (hasReactor(e.reactor)) fn(e.reactor);
    }

    // Host side: drops the reactors a module added and left behind; answers how many.
    int removeReactorsOf(void* module);

private:
    struct Entry {
        AcEditorReactor* reactor;
        void* module;
    };
    std::vector<Entry> m_reactors;
};

// The editor, registered as "AcEditor" in the system registry.
CADHOST_API AcEditor* acedEditorPtr();
#define acedEditor acedEditorPtr()
