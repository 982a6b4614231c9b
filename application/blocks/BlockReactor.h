#pragma once
// The editor reactor of the module: switches attribute prompting off around the host's INSERT,
// DDINSERT and BLOCK, turns the plain block reference such a command made into an intelligent
// one when it ends, and binds the grip points of the current space before BLOCK and WBLOCK.
#include "db/symtab.h"
#include "ed/editor.h"

class AcDbBlockReference;
class CBlockList;
class CDockCtrls;

class AsdkblockReactor : public AcEditorReactor {
public:
    AsdkblockReactor() = default;

    void commandWillStart(const char* cmdStr) override;
    void commandEnded(const char* cmdStr) override;
    void commandCancelled(const char* cmdStr) override;
    void commandFailed(const char* cmdStr) override;
    void endInsert(AcDbDatabase* to) override;
    void endDeepClone(AcDbIdMapping& idMap) override;

    // Builds the intelligent reference in place of a plain one; takes `reference` (open for
    // read) over and closes it. `space` stays open.
    virtual void replaceWithIntelligentBlock(AcDbBlockTableRecord* space, AcDbBlockReference* reference);
    // Builds and appends the intelligent reference and its attributes; true when the
    // intelligent reference itself was appended. Leaves `reference` open.
    bool convertToIntelligentBlock(AcDbBlockTableRecord* space, AcDbBlockReference* reference);

    int savedAttreq() const { return m_savedAttreq; }

    // The browser's block list and panel while they exist; refreshed after PURGE, inserts and
    // deep clones.
    CBlockList* blockList = nullptr;
    CDockCtrls* browserPanel = nullptr;
    AcDbObjectId lastPlainReference() const { return m_lastPlainReference; }

private:
    void restoreAttreq() const;

    int m_savedAttreq = 0;
    // The last entity of the current space when the command started, if it was a plain
    // reference. Kept by id: a pointer of a closed object may be reused by another one.
    AcDbObjectId m_lastPlainReference;
};

// Binds every grip point of the current space to its entities, with the drawing's INSBASE as
// insertion base.
void bindGripPoints();
