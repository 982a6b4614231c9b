#pragma once
// Documents (one drawing each) and the document manager.
//
// The current document's database is the working database. Opening a document sends, in this
// order: documentCreateStarted, (the file is read; on failure documentCreateCanceled and
// nothing else), documentToBeDeactivated / documentToBeActivated, documentBecameCurrent, the
// load-drawing message to every module, documentCreated, documentActivated. Closing sends
// documentToBeDestroyed, the unload-drawing message to the modules, documentDestroyed (no
// document is current then), and activates the next document if there is one.
#include <climits>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "db/database.h"

namespace AcAp {
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40,
};
}  // namespace AcAp

class AcEdDisplayList;
class LispEvaluator;
class AcApDocManager;
// The document manager lives for the whole process.
CADHOST_API AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()

class CADHOST_API AcApDocument {
public:
    AcApDocument(const AcApDocument&) = delete;
    AcApDocument& operator=(const AcApDocument&) = delete;

    const char* fileName() const { return m_fileName.c_str(); }  // full path, or "DrawingN.dwg"
    const char* docTitle() const { return m_title.c_str(); }     // file name without folder
    AcDbDatabase* database() const { return m_db.get(); }
    // The explicit locks' mode, else kAutoWrite while a command runs, else kNotLocked.
    AcAp::DocLockMode myLockMode() const;
    AcAp::DocLockMode lockMode(bool includeMyLocks = false) const;
    int lockCount() const { return static_cast<int>(m_locks.size()); }
    bool isQuiescent() const;
    // Opened read-only: the drawing may be saved under another name only.
    bool isReadOnly() const { return m_readOnly; }

    // Host side.
    bool isNamed() const { return m_named; }  // opened from or saved to a file
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    LispEvaluator& lisp();
    // What the document's display shows (see ed/display.h).
    AcEdDisplayList& display() { return *m_display; }
    // Variables kept per document (LASTPOINT, VIEWCTR, VIEWSIZE, ...; see ed/sysvar.h).
    std::map<std::string, AcDbHeaderValue>& variables() { return m_variables; }

    // Text queued by sendStringToExecute, consumed by the command line. An entry is held back
    // while the command that queued it (at depth gate) is still running.
    struct PendingText {
        std::string text;
        size_t pos = 0;
        bool echo = true;
        int gate = INT_MAX;
    };
    std::deque<PendingText>& pendingInput() { return m_pending; }

private:
    friend class AcApDocManager;
    AcApDocument(std::unique_ptr<AcDbDatabase> db, const std::string& fileName, bool named);
    ~AcApDocument();
    void setFileName(const std::string& fileName, bool named);

    class ModifiedWatch;
    std::unique_ptr<AcDbDatabase> m_db;
    std::unique_ptr<ModifiedWatch> m_watch;
    std::unique_ptr<AcEdDisplayList> m_display;
    std::unique_ptr<LispEvaluator> m_lisp;
    std::string m_fileName, m_title;
    bool m_named = false;
    bool m_modified = false;
    bool m_readOnly = false;
    std::vector<AcAp::DocLockMode> m_locks;
    std::map<std::string, AcDbHeaderValue> m_variables;
    std::deque<PendingText> m_pending;
};

class CADHOST_API AcApDocManagerReactor : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcApDocManagerReactor);
    ~AcApDocManagerReactor() override;

    virtual void documentCreateStarted(AcApDocument* doc) { (void)doc; }
    virtual void documentCreated(AcApDocument* doc) { (void)doc; }
    virtual void documentToBeDestroyed(AcApDocument* doc) { (void)doc; }
    virtual void documentDestroyed(const char* fileName) { (void)fileName; }
    virtual void documentCreateCanceled(AcApDocument* doc) { (void)doc; }
    virtual void documentLockModeWillChange(AcApDocument* doc, AcAp::DocLockMode myCurrentMode,
                                            AcAp::DocLockMode myNewMode, AcAp::DocLockMode currentMode,
                                            const char* globalCmdName) {
        (void)doc; (void)myCurrentMode; (void)myNewMode; (void)currentMode; (void)globalCmdName;
    }
    virtual void documentLockModeChanged(AcApDocument* doc, AcAp::DocLockMode myPreviousMode,
                                         AcAp::DocLockMode myCurrentMode, AcAp::DocLockMode currentMode,
                                         const char* globalCmdName) {
        (void)doc; (void)myPreviousMode; (void)myCurrentMode; (void)currentMode; (void)globalCmdName;
    }
    virtual void documentBecameCurrent(AcApDocument* doc) { (void)doc; }
    virtual void documentToBeActivated(AcApDocument* doc) { (void)doc; }
    virtual void documentToBeDeactivated(AcApDocument* doc) { (void)doc; }
    virtual void documentActivated(AcApDocument* doc) { (void)doc; }
    virtual void documentActivationModified(bool activation) { (void)activation; }

protected:
    AcApDocManagerReactor() = default;
};

class CADHOST_API AcApDocumentIterator {
public:
    explicit AcApDocumentIterator(std::vector<AcApDocument*> docs) : m_docs(std::move(docs)) {}
    bool done() const { return m_pos >= m_docs.size(); }
    void step() { ++m_pos; }
    AcApDocument* document() const { return done() ? nullptr : m_docs[m_pos]; }

private:
    std::vector<AcApDocument*> m_docs;
    size_t m_pos = 0;
};

class CADHOST_API AcApDocManager {
public:
    AcApDocument* curDocument() const { return m_current; }
    AcApDocument* mdiActiveDocument() const { return m_current; }
    AcApDocument* document(const AcDbDatabase* db) const;
    int documentCount() const { return static_cast<int>(m_docs.size()); }
    // The caller deletes the iterator.
    AcApDocumentIterator* newAcApDocumentIterator() const { return new AcApDocumentIterator(m_docs); }

    // Counted: each lock needs one unlock. eNotApplicable when the document has no lock left.
    Acad::ErrorStatus lockDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kWrite,
                                   const char* globalCmdName = nullptr, const char* localCmdName = nullptr,
                                   bool prompt = true);
    Acad::ErrorStatus unlockDocument(AcApDocument* doc);

    Acad::ErrorStatus setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kNone,
                                     bool activate = false);
    Acad::ErrorStatus activateDocument(AcApDocument* doc, bool passScript = false);

    // Queues text on a document as if typed: it runs after the command that is running now (at
    // once when none is). ESC (\x1b or \x03) cancels the active prompt, "(...)" is evaluated as
    // LISP, words run as commands; the end of the text ends the word or line it is in. With
    // activate the document becomes current first; otherwise the text waits until it is.
    // echoString shows the text on the command line as it is read; wrapUpInactiveDoc has no
    // effect (documents do not run side by side here).
    Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const char* text, bool activate = true,
                                          bool wrapUpInactiveDoc = false, bool echoString = true);

    Acad::ErrorStatus appContextNewDocument(const char* templateName);
    Acad::ErrorStatus appContextOpenDocument(const char* fileName);
    Acad::ErrorStatus closeDocument(AcApDocument* doc);

    void addReactor(AcApDocManagerReactor* reactor);
    void removeReactor(AcApDocManagerReactor* reactor);
    bool hasReactor(const AcApDocManagerReactor* reactor) const;
    bool isApplicationContext() const { return false; }

    // Host side. A drawing is read by its contents: the host's binary drawing file when it
    // starts like one, else DXF. Errors come back as text and leave no document behind.
    AcApDocument* openDocument(const char* fileName, std::string* error = nullptr);
    // A new drawing named "DrawingN.dwg" (not yet saved).
    AcApDocument* newDocument();
    // Saves as DXF for a ".dxf" name, else as the host's binary drawing file; the document takes
    // the name and counts as unmodified afterwards.
    Acad::ErrorStatus saveDocument(AcApDocument* doc, const char* fileName, std::string* error = nullptr);
    void closeAllDocuments();
    // Makes a document current without any notification (for a message sent in its context);
    // answers the previous one.
    AcApDocument* setCurrentQuietly(AcApDocument* doc);
    const std::vector<AcApDocument*>& documents() const { return m_docs; }
    int removeReactorsOf(void* module);

    template <class Fn>
    void notify(Fn&& fn) {
        std::vector<std::pair<AcApDocManagerReactor*, void*>> snapshot = m_reactors;
        for (const auto& entry : snapshot)
            if (hasReactor(entry.first)) fn(entry.first);
    }

private:
    friend AcApDocManager* acDocManagerPtr();
    AcApDocManager() = default;
    AcApDocument* addDocument(std::unique_ptr<AcDbDatabase> db, const std::string& fileName, bool named);
    bool isOpen(const AcApDocument* doc) const;
    void becomeCurrent(AcApDocument* doc);
    void activate(AcApDocument* doc);
    void fireLockChange(AcApDocument* doc, AcAp::DocLockMode before, AcAp::DocLockMode after,
                        const char* globalCmdName, bool willChange);

    std::vector<AcApDocument*> m_docs;
    AcApDocument* m_current = nullptr;
    std::vector<std::pair<AcApDocManagerReactor*, void*>> m_reactors;
    int m_untitled = 0;
};
