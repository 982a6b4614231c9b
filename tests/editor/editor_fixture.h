#pragma once
// A command line with captured output, lines given by the test and one new document.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/editor.h"
#include "ed/input.h"

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        acDocManager->closeAllDocuments();
        line().reset();
        line().setOutput([this](const std::string& text) { out += text; });
        line().setInput(&input);
        doc = acDocManager->newDocument();
    }
    void TearDown() override {
        acDocManager->closeAllDocuments();
        line().setInput(nullptr);
        line().setOutput(nullptr);
        line().reset();
    }
    static AcEdCommandLine& line() { return AcEdCommandLine::instance(); }
    // Runs the lines as a script (or as typed by a person); answers the failures.
    int script(const std::string& text, bool stopOnFailure = true) {
        input.push(text);
        return line().run(stopOnFailure);
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }

    AcEdLineSource input;
    std::string out;
    AcApDocument* doc = nullptr;
};

// Records editor notifications as "start:NAME", "end:NAME", ... in order.
class RecordingReactor : public AcEditorReactor {
public:
    RecordingReactor() { acedEditor->addReactor(this); }
    ~RecordingReactor() override { acedEditor->removeReactor(this); }
    void commandWillStart(const char* c) override { events.push_back(std::string("start:") + c); }
    void commandEnded(const char* c) override { events.push_back(std::string("end:") + c); }
    void commandCancelled(const char* c) override { events.push_back(std::string("cancel:") + c); }
    void commandFailed(const char* c) override { events.push_back(std::string("fail:") + c); }
    void unknownCommand(const char* c, AcDbVoidPtrArray*) override { events.push_back(std::string("unknown:") + c); }
    void lispWillStart(const char*) override { events.push_back("lisp"); }
    void lispEnded() override { events.push_back("lisp-end"); }
    void lispCancelled() override { events.push_back("lisp-cancel"); }
    void sysVarChanged(const char* name, Adesk::Boolean ok) override {
        events.push_back(std::string("var:") + name + (ok ? "" : "!"));
    }
    std::vector<std::string> events;
};
