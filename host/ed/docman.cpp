#include "ed/docman.h"
#include <algorithm>
#include <filesystem>
#include "ed/commandline.h"
#include "ed/display.h"
#include "win/sharemode.h"
#include "ed/drawingfiles.h"
#include "ed/editor.h"
#include "ed/lisp.h"
#include "ed/lisphost.h"
#include "ed/lispfuncs.h"
#include "ed/modules.h"
#include "win/drives.h"

namespace fs = std::filesystem;

ACRX_HOST_DEFINE_MEMBERS(AcApDocManagerReactor, AcRxObject, "", ACRX_NO_CONS)

// Marks the document modified when its drawing changes.
class AcApDocument::ModifiedWatch : public AcDbDatabaseReactor {
public:
    explicit ModifiedWatch(AcApDocument* doc) : m_doc(doc) {}
    void objectAppended(const AcDbDatabase*, const AcDbObject*) override { m_doc->m_modified = true; }
    void objectModified(const AcDbDatabase*, const AcDbObject*) override { m_doc->m_modified = true; }
    void objectErased(const AcDbDatabase*, const AcDbObject*, Adesk::Boolean) override { m_doc->m_modified = true; }

private:
    AcApDocument* m_doc;
};

namespace {
std::string absolutePath(const std::string& name) {
    std::error_code ec;
    fs::path p = fs::absolute(name, ec);
    return ec ? name : p.lexically_normal().string();
}

bool samePath(const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    fs::path pa = fs::weakly_canonical(a, ea), pb = fs::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
}
}  // namespace

// ---- Documents ----

AcApDocument::AcApDocument(std::unique_ptr<AcDbDatabase> db, const std::string& fileName, bool named)
    : m_db(std::move(db)), m_watch(std::make_unique<ModifiedWatch>(this)) {
    setFileName(fileName, named);
    m_db->addReactor(m_watch.get());
    m_display = std::make_unique<AcEdDisplayList>(this);
}

AcApDocument::~AcApDocument() {
    cadhostReleaseFile(this);
    m_display.reset();
    if (m_db) m_db->removeReactor(m_watch.get());
    m_db.reset();
}

void AcApDocument::setFileName(const std::string& fileName, bool named) {
    m_fileName = named ? absolutePath(fileName) : fileName;
    m_title = fs::path(m_fileName).filename().string();
    m_named = named;
    if (named) cadhostHoldFile(this, m_fileName);
    else cadhostReleaseFile(this);
}

LispEvaluator& AcApDocument::lisp() {
    if (!m_lisp) {
        m_lisp = std::make_unique<LispEvaluator>();
        acedHostInstallLispFunctions(*m_lisp);
    }
    return *m_lisp;
}

AcAp::DocLockMode AcApDocument::myLockMode() const {
    if (!m_locks.empty()) return m_locks.back();
    if (acDocManager->curDocument() == this && AcEdCommandLine::instance().commandDepth() > 0) return AcAp::kAutoWrite;
    return AcAp::kNotLocked;
}

AcAp::DocLockMode AcApDocument::lockMode(bool) const { return myLockMode(); }

bool AcApDocument::isQuiescent() const {
    return !(acDocManager->curDocument() == this && AcEdCommandLine::instance().activityDepth() > 0);
}

// ---- Reactors ----

AcApDocManagerReactor::~AcApDocManagerReactor() {
    if (acDocManager->hasReactor(this)) acDocManager->removeReactor(this);
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
    if (!reactor || hasReactor(reactor)) return;
    m_reactors.emplace_back(reactor, acedHostCurrentModule());
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) {
    std::erase_if(m_reactors, [reactor](const auto& e) { return e.first == reactor; });
}

bool AcApDocManager::hasReactor(const AcApDocManagerReactor* reactor) const {
    return std::any_of(m_reactors.begin(), m_reactors.end(), [reactor](const auto& e) { return e.first == reactor; });
}

int AcApDocManager::removeReactorsOf(void* module) {
    if (!module) return 0;
    return static_cast<int>(std::erase_if(m_reactors, [module](const auto& e) { return e.second == module; }));
}

// ---- The manager ----

AcApDocManager* acDocManagerPtr() {
    // Never destroyed: modules' static data managers remove themselves while the process ends.
    static AcApDocManager* manager = new AcApDocManager;
    return manager;
}

bool AcApDocManager::isOpen(const AcApDocument* doc) const {
    return doc && std::find(m_docs.begin(), m_docs.end(), doc) != m_docs.end();
}

AcApDocument* AcApDocManager::document(const AcDbDatabase* db) const {
    for (AcApDocument* d : m_docs)
        if (d->database() == db) return d;
    return nullptr;
}

AcApDocument* AcApDocManager::setCurrentQuietly(AcApDocument* doc) {
    AcApDocument* previous = m_current;
    m_current = isOpen(doc) ? doc : nullptr;
    acdbHostApplicationServices()->setWorkingDatabase(m_current ? m_current->database() : nullptr);
    return previous;
}

void AcApDocManager::becomeCurrent(AcApDocument* doc) {
    setCurrentQuietly(doc);
    notify([doc](AcApDocManagerReactor* r) { r->documentBecameCurrent(doc); });
}

void AcApDocManager::activate(AcApDocument* doc) {
    if (doc == m_current) return;
    if (m_current) {
        AcApDocument* old = m_current;
        notify([old](AcApDocManagerReactor* r) { r->documentToBeDeactivated(old); });
    }
    notify([doc](AcApDocManagerReactor* r) { r->documentToBeActivated(doc); });
    becomeCurrent(doc);
    notify([doc](AcApDocManagerReactor* r) { r->documentActivated(doc); });
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode, bool activateIt) {
    if (!isOpen(doc)) return Acad::eInvalidInput;
    if (activateIt) activate(doc);
    else if (doc != m_current) becomeCurrent(doc);
    if (mode != AcAp::kNone) return lockDocument(doc, mode);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* doc, bool) {
    if (!isOpen(doc)) return Acad::eInvalidInput;
    activate(doc);
    return Acad::eOk;
}

void AcApDocManager::fireLockChange(AcApDocument* doc, AcAp::DocLockMode before, AcAp::DocLockMode after,
                                    const char* globalCmdName, bool willChange) {
    const AcAp::DocLockMode current = doc->lockMode();
    notify([&](AcApDocManagerReactor* r) {
        if (willChange) r->documentLockModeWillChange(doc, before, after, current, globalCmdName);
        else r->documentLockModeChanged(doc, before, after, current, globalCmdName);
    });
}

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode mode, const char* globalCmdName,
                                               const char*, bool) {
    if (!isOpen(doc)) return Acad::eInvalidInput;
    const AcAp::DocLockMode before = doc->myLockMode();
    fireLockChange(doc, before, mode, globalCmdName ? globalCmdName : "", true);
    doc->m_locks.push_back(mode);
    fireLockChange(doc, before, mode, globalCmdName ? globalCmdName : "", false);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc) {
    if (!isOpen(doc)) return Acad::eInvalidInput;
    if (doc->m_locks.empty()) return Acad::eNotApplicable;
    const AcAp::DocLockMode before = doc->myLockMode();
    AcAp::DocLockMode after = doc->m_locks.size() > 1 ? doc->m_locks[doc->m_locks.size() - 2] : AcAp::kNotLocked;
    fireLockChange(doc, before, after, "", true);
    doc->m_locks.pop_back();
    fireLockChange(doc, before, doc->myLockMode(), "", false);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument* doc, const char* text, bool activateIt,
                                                      bool, bool echoString) {
    if (!isOpen(doc) || !text) return Acad::eInvalidInput;
    if (!*text) return Acad::eOk;
    if (activateIt && doc != m_current) activate(doc);
    AcApDocument::PendingText p;
    p.text = text;
    p.echo = echoString;
    // Text queued by a running command (not while it waits for input) waits for that command.
    const AcEdCommandLine& line = AcEdCommandLine::instance();
    if (doc == m_current && !line.readingInput() && line.activityDepth() > 0) p.gate = line.activityDepth();
    doc->m_pending.push_back(std::move(p));
    return Acad::eOk;
}

AcApDocument* AcApDocManager::addDocument(std::unique_ptr<AcDbDatabase> db, const std::string& fileName, bool named) {
    auto* doc = new AcApDocument(std::move(db), fileName, named);
    m_docs.push_back(doc);
    return doc;
}

namespace {
// The steps of a new document after it is in the list: current, modules, created, activated.
void announce(AcApDocManager* manager, AcApDocument* doc, AcApDocument* previous) {
    if (previous) manager->notify([previous](AcApDocManagerReactor* r) { r->documentToBeDeactivated(previous); });
    manager->notify([doc](AcApDocManagerReactor* r) { r->documentToBeActivated(doc); });
    manager->setCurrentQuietly(doc);
    manager->notify([doc](AcApDocManagerReactor* r) { r->documentBecameCurrent(doc); });
    acedHostModulesDocumentCreated(doc);
    manager->notify([doc](AcApDocManagerReactor* r) { r->documentCreated(doc); });
    manager->notify([doc](AcApDocManagerReactor* r) { r->documentActivated(doc); });
}
}  // namespace

AcApDocument* AcApDocManager::openDocument(const char* fileName, std::string* error) {
    std::string message, path;
    if (!fileName || !*fileName) {
        if (error) *error = "No file name.";
        return nullptr;
    }
    if (!cadhostLinuxPath(fileName, path, error)) return nullptr;
    fileName = path.c_str();
    for (AcApDocument* d : m_docs)
        if (d->isNamed() && samePath(d->fileName(), fileName)) {
            activate(d);
            return d;
        }
    AcApDocument* previous = m_current;
    AcApDocument* doc = addDocument(std::make_unique<AcDbDatabase>(false, true), fileName, true);
    notify([doc](AcApDocManagerReactor* r) { r->documentCreateStarted(doc); });
    std::string name = fileName;
    acedEditor->notify([&](AcEditorReactor* r) { r->beginDwgOpen(name.data()); });
    if (acedHostReadDrawing(*doc->database(), fileName, message) != Acad::eOk) {
        notify([doc](AcApDocManagerReactor* r) { r->documentCreateCanceled(doc); });
        std::erase(m_docs, doc);
        delete doc;
        if (error) *error = message;
        return nullptr;
    }
    doc->setFileName(fileName, true);
    doc->setModified(false);
    acedEditor->notify([&](AcEditorReactor* r) { r->endDwgOpen(doc->fileName(), doc->database()); });
    announce(this, doc, previous);
    return doc;
}

AcApDocument* AcApDocManager::newDocument() {
    AcApDocument* previous = m_current;
    const std::string title = "Drawing" + std::to_string(++m_untitled) + ".dwg";
    AcApDocument* doc = addDocument(std::make_unique<AcDbDatabase>(true, true), title, false);
    notify([doc](AcApDocManagerReactor* r) { r->documentCreateStarted(doc); });
    announce(this, doc, previous);
    return doc;
}

Acad::ErrorStatus AcApDocManager::appContextNewDocument(const char* templateName) {
    if (templateName && *templateName) {
        std::string error;
        AcApDocument* doc = openDocument(templateName, &error);
        if (!doc) return Acad::eFileNotFound;
        // A drawing made from a template is a new, unnamed drawing.
        doc->setFileName("Drawing" + std::to_string(++m_untitled) + ".dwg", false);
        return Acad::eOk;
    }
    newDocument();
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::appContextOpenDocument(const char* fileName) {
    return openDocument(fileName) ? Acad::eOk : Acad::eFileNotFound;
}

Acad::ErrorStatus AcApDocManager::saveDocument(AcApDocument* doc, const char* fileName, std::string* error) {
    if (!isOpen(doc) || !fileName || !*fileName) {
        if (error) *error = "No document or file name.";
        return Acad::eInvalidInput;
    }
    std::string path;
    if (!cadhostLinuxPath(fileName, path, error)) return Acad::eFileAccessErr;
    fileName = path.c_str();
    if (doc->isReadOnly() && samePath(doc->fileName(), fileName)) {
        if (error) *error = std::string("The drawing was opened read-only; save it under another name.");
        return Acad::eFileAccessErr;
    }
    AcDbDatabase* db = doc->database();
    if (db->numOpenObjects() != 0) {
        if (error) *error = "The drawing has open objects; it cannot be saved now.";
        return Acad::eInvalidOpenState;
    }
    std::string name = fileName;
    acedEditor->notify([&](AcEditorReactor* r) { r->beginSave(db, name.c_str()); });
    std::string message;
    Acad::ErrorStatus es = acedHostWriteDrawing(*db, fileName, message);
    if (es != Acad::eOk) {
        if (error) *error = message;
        return es;
    }
    doc->setFileName(fileName, true);
    doc->setModified(false);
    doc->setReadOnly(false);
    db->setFilename(doc->fileName());
    acedEditor->notify([&](AcEditorReactor* r) { r->saveComplete(db, doc->fileName()); });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::closeDocument(AcApDocument* doc) {
    if (!isOpen(doc)) return Acad::eInvalidInput;
    if (!doc->m_locks.empty()) return Acad::eLockViolation;
    if (doc->database()->numOpenObjects() != 0) return Acad::eInvalidOpenState;
    notify([doc](AcApDocManagerReactor* r) { r->documentToBeDestroyed(doc); });
    acedEditor->notify([doc](AcEditorReactor* r) { r->beginClose(doc->database()); });
    AcApDocument* previous = setCurrentQuietly(doc);
    acedHostModulesDocumentToBeDestroyed(doc);
    const bool wasCurrent = previous == doc;
    std::erase(m_docs, doc);
    setCurrentQuietly(wasCurrent ? nullptr : previous);
    const std::string name = doc->fileName();
    delete doc;
    notify([&name](AcApDocManagerReactor* r) { r->documentDestroyed(name.c_str()); });
    if (wasCurrent && !m_docs.empty()) activate(m_docs.back());
    return Acad::eOk;
}

void AcApDocManager::closeAllDocuments() {
    while (!m_docs.empty()) {
        AcApDocument* doc = m_docs.back();
        doc->m_locks.clear();
        if (closeDocument(doc) != Acad::eOk) {
            // Objects still open: the drawing is dropped without its close notifications.
            std::erase(m_docs, doc);
            if (m_current == doc) setCurrentQuietly(nullptr);
            delete doc;
        }
    }
}
