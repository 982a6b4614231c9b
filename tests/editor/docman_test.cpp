#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include "db/line.h"
#include "ed/datamanager.h"
#include "editor_fixture.h"

namespace {
class DocReactor : public AcApDocManagerReactor {
public:
    DocReactor() { acDocManager->addReactor(this); }
    ~DocReactor() override { acDocManager->removeReactor(this); }
    void documentCreateStarted(AcApDocument*) override { events.push_back("started"); }
    void documentCreated(AcApDocument* d) override {
        events.push_back(std::string("created") + (d == acDocManager->curDocument() ? "(current)" : ""));
    }
    void documentCreateCanceled(AcApDocument*) override { events.push_back("canceled"); }
    void documentToBeDestroyed(AcApDocument*) override { events.push_back("destroying"); }
    void documentDestroyed(const char*) override {
        events.push_back(std::string("destroyed") + (acDocManager->curDocument() ? "" : "(none current)"));
    }
    void documentBecameCurrent(AcApDocument*) override { events.push_back("current"); }
    void documentToBeActivated(AcApDocument*) override { events.push_back("activating"); }
    void documentToBeDeactivated(AcApDocument*) override { events.push_back("deactivating"); }
    void documentActivated(AcApDocument*) override { events.push_back("activated"); }
    void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode, AcAp::DocLockMode now, AcAp::DocLockMode,
                                 const char* cmd) override {
        events.push_back("lock:" + std::to_string(now) + ":" + cmd);
    }
    std::vector<std::string> events;
};

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + name)).string();
}

void addLine(AcDbDatabase* db) {
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    ASSERT_EQ(space->appendAcDbEntity(line), Acad::eOk);
    line->close();
    space->close();
}

using Documents = EditorTest;

TEST_F(Documents, NewDocumentIsCurrentAndItsDatabaseWorking) {
    DocReactor reactor;
    AcApDocument* second = acDocManager->newDocument();
    EXPECT_EQ(acDocManager->curDocument(), second);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), second->database());
    EXPECT_EQ(acDocManager->document(second->database()), second);
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"started", "deactivating", "activating", "current",
                                                        "created(current)", "activated"}));
    reactor.events.clear();
    acDocManager->closeDocument(second);
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"destroying", "destroyed(none current)", "activating",
                                                        "current", "activated"}));
    EXPECT_EQ(acDocManager->curDocument(), doc);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), doc->database());
}

TEST_F(Documents, SaveOpenRoundTripAndModifiedFlag) {
    const std::string path = tempPath("roundtrip.dxf");
    addLine(doc->database());
    EXPECT_TRUE(doc->isModified());
    std::string error;
    ASSERT_EQ(acDocManager->saveDocument(doc, path.c_str(), &error), Acad::eOk) << error;
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(doc->isNamed());
    EXPECT_EQ(std::string(doc->docTitle()), std::filesystem::path(path).filename().string());
    acDocManager->closeDocument(doc);

    AcApDocument* opened = acDocManager->openDocument(path.c_str(), &error);
    ASSERT_NE(opened, nullptr) << error;
    EXPECT_FALSE(opened->isModified());
    EXPECT_EQ(opened->database()->computeExtents().maxPoint().x, 10.0);
    EXPECT_EQ(acDocManager->openDocument(path.c_str()), opened) << "an open drawing is only activated";
    EXPECT_EQ(acDocManager->documentCount(), 1);
    std::remove(path.c_str());
}

TEST_F(Documents, MissingOrBadFilesLeaveNoDocument) {
    DocReactor reactor;
    std::string error;
    EXPECT_EQ(acDocManager->openDocument("/nonexistent/plan.dxf", &error), nullptr);
    EXPECT_EQ(error, "Cannot find the file \"/nonexistent/plan.dxf\".");
    const std::string bad = tempPath("bad.dxf");
    std::FILE* f = std::fopen(bad.c_str(), "w");
    std::fputs("this is not a drawing\n", f);
    std::fclose(f);
    EXPECT_EQ(acDocManager->openDocument(bad.c_str(), &error), nullptr);
    EXPECT_NE(error.find("Cannot read"), std::string::npos) << error;
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(acDocManager->curDocument(), doc);
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"started", "canceled", "started", "canceled"}));
    std::remove(bad.c_str());
}

TEST_F(Documents, LocksAreCounted) {
    DocReactor reactor;
    EXPECT_EQ(doc->myLockMode(), AcAp::kNotLocked);
    EXPECT_EQ(acDocManager->lockDocument(doc, AcAp::kWrite, "EDIT"), Acad::eOk);
    EXPECT_EQ(acDocManager->lockDocument(doc, AcAp::kRead), Acad::eOk);
    EXPECT_EQ(doc->lockCount(), 2);
    EXPECT_EQ(acDocManager->closeDocument(doc), Acad::eLockViolation);
    EXPECT_EQ(acDocManager->unlockDocument(doc), Acad::eOk);
    EXPECT_EQ(doc->myLockMode(), AcAp::kWrite);
    EXPECT_EQ(acDocManager->unlockDocument(doc), Acad::eOk);
    EXPECT_EQ(acDocManager->unlockDocument(doc), Acad::eNotApplicable);
    EXPECT_EQ(doc->myLockMode(), AcAp::kNotLocked);
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"lock:4:EDIT", "lock:32:", "lock:4:", "lock:2:"}));
}

struct Counter {
    int value = 0;
};

TEST_F(Documents, DataManagerKeepsOneEntryPerDocument) {
    AcApDataManager<Counter> data;
    data.docData().value = 5;
    AcApDocument* second = acDocManager->newDocument();
    EXPECT_EQ(data.docData().value, 0);
    EXPECT_EQ(data.docData(doc).value, 5);
    EXPECT_EQ(data.numData(), 2);
    acDocManager->closeDocument(second);
    EXPECT_EQ(data.numData(), 1);
    EXPECT_FALSE(data.hasData(second));
}
}  // namespace
