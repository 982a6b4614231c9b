#pragma once
// Undo of a drawing, one group per command.
//
// While a group is open, the first write-open of an object files its state through an undo
// filer, an appended object is recorded as created, and the first header change keeps the
// header. Undoing a group puts every recorded object back as it was (created objects are
// taken out of the drawing again, handles included) and keeps the states it replaced, so that
// a redo right afterwards can put them back. Only databases that have been given a group
// record (the document databases); scratch databases of readers and wblock do not.
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>
#include "db/database.h"

class AcDbDwgMemoryFiler;

class CADHOST_API AcDbUndoLog {
public:
    explicit AcDbUndoLog(AcDbDatabase* db);
    ~AcDbUndoLog();
    AcDbUndoLog(const AcDbUndoLog&) = delete;
    AcDbUndoLog& operator=(const AcDbUndoLog&) = delete;

    // Hooks of the database core.
    void objectOpenedForWrite(AcDbStub* stub);
    // Whether opening the object for write now would record its state.
    bool wouldRecord(AcDbStub* stub);
    void objectAppended(AcDbStub* stub);
    void headerWillChange();

    // Groups that U can undo (the running command's own group is not counted).
    int undoableGroups() const;
    bool canRedo() const { return !m_redo.empty(); }
    // Undoes up to count groups, newest first; answers their names. Objects that cannot be
    // opened now are left as they are and counted in failures.
    std::vector<std::string> undo(int count, int* failures = nullptr);
    // Puts back what the last undo took away; answers the names of the groups redone.
    std::vector<std::string> redo(int* failures = nullptr);
    bool isUndoing() const { return m_undoing; }
    // Forgets every group (the drawing was replaced).
    void clear();

    // A drag preview: what changes between begin and end is rolled back at the end and leaves
    // no record, whether undo recording is on or not. Previews nest.
    void beginPreview();
    void endPreview();

    // A transaction: what changes in the drawing while it is open (whether undo recording is on
    // or not) is recorded in a nested group. Its end hands the records to the enclosing
    // transaction, preview or command group (so that U undoes them); its abort rolls them back
    // and answers the objects that could not be put back. Objects that an enclosing transaction
    // holds open for write are put back in place and stay open. Transactions and previews nest;
    // end and abort act on the innermost one, and do nothing when that is no transaction.
    void beginTransaction();
    void endTransaction();
    int abortTransaction();
    bool inTransaction() const;

    // Opens the group of a new command in this database (used by acdbHostBeginUndoGroup).
    void openGroup(unsigned long long serial, const std::string& name);

private:
    struct Record;
    struct Group;
    Group* target();
    Record* add(Group& group, AcDbStub* stub);
    void rollBack(Group& group, int& failures);
    void rollForward(Group& group, int& failures);
    void dropOwnGroup();

    AcDbDatabase* m_db;
    std::vector<std::unique_ptr<Group>> m_undo;     // oldest first
    std::vector<std::unique_ptr<Group>> m_redo;     // in the order they are redone
    std::vector<std::unique_ptr<Group>> m_previews; // innermost last
    bool m_undoing = false;
    bool m_filing = false;  // an object is filing its state into a group's data
};

// The command line opens a group for each command: db (the current drawing) gets it at once,
// any other drawing that already keeps undo when it is first changed. Groups nest; only the
// outermost pair counts.
CADHOST_API void acdbHostBeginUndoGroup(AcDbDatabase* db, const char* name);
CADHOST_API void acdbHostEndUndoGroup();
// Whether a command's group is open.
CADHOST_API bool acdbHostUndoGroupActive();

// Rolls back what changes in the drawing while it lives (a drag preview).
class CADHOST_API AcDbUndoPreviewScope {
public:
    explicit AcDbUndoPreviewScope(AcDbDatabase* db);
    ~AcDbUndoPreviewScope();
    AcDbUndoPreviewScope(const AcDbUndoPreviewScope&) = delete;
    AcDbUndoPreviewScope& operator=(const AcDbUndoPreviewScope&) = delete;

private:
    AcDbDatabase* m_db;
};
