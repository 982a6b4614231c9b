#include <cstdlib>
#include <functional>
#include <map>
#include "ed/lisp.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "editor_fixture.h"

namespace {
std::vector<std::string> g_log;

std::string cmdnames() {
    resbuf rb;
    if (acedGetVar("CMDNAMES", &rb) != RTNORM) return "?";
    std::string s = rb.resval.rstring;
    std::free(rb.resval.rstring);
    return s;
}

int twoPoints() {
    ads_point a, b;
    int rc1 = acedGetPoint(nullptr, "\nFirst point: ", a);
    int rc2 = acedGetPoint(a, "\nSecond point: ", b);
    g_log.push_back("rc:" + std::to_string(rc1) + "," + std::to_string(rc2));
    if (rc1 == RTNORM) g_log.push_back("a:" + std::to_string(a[0]) + "," + std::to_string(a[1]) + "," + std::to_string(a[2]));
    if (rc2 == RTNORM) g_log.push_back("b:" + std::to_string(b[0]) + "," + std::to_string(b[1]));
    return rc1 == RTNORM ? RTNORM : rc1;
}

int queueText() {
    acDocManager->sendStringToExecute(acDocManager->curDocument(), "(setq queued (+ 1 2)) ", false, false, false);
    g_log.push_back("body:" + AcEdCommandLine::instance().lisp().variable("queued").toString());
    return RTNORM;
}

int names() {
    g_log.push_back("names:" + cmdnames());
    return RTNORM;
}

int askName() {
    char text[133];
    int rc = acedGetString(1, "\nName: ", text);
    g_log.push_back(rc == RTNORM ? std::string("name:") + text : "name-rc:" + std::to_string(rc));
    return rc == RTNORM ? RTNORM : rc;
}

const bool g_registered = [] {
    acedHostDefineCommand({"TPOINTS", twoPoints});
    acedHostDefineCommand({"TQUEUE", queueText});
    acedHostDefineCommand({"TNAMES", names, ACRX_CMD_TRANSPARENT});
    acedHostDefineCommand({"TNAME", askName});
    return true;
}();

// Lines whose reading may queue text, like a window event arriving while a prompt waits.
class EventSource : public AcEdLineSource {
public:
    std::map<int, std::function<void()>> hooks;  // by the number of the read, from 1
    bool readLine(std::string& line) override {
        if (auto it = hooks.find(++m_reads); it != hooks.end()) it->second();
        return AcEdLineSource::readLine(line);
    }

private:
    int m_reads = 0;
};

class CommandLine : public EditorTest {
protected:
    void SetUp() override {
        (void)g_registered;
        EditorTest::SetUp();
        g_log.clear();
    }
};

TEST_F(CommandLine, ScriptAnswersPromptsAndEchoes) {
    RecordingReactor reactor;
    EXPECT_EQ(script("TPOINTS 1,2\n@3,4\n"), 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"rc:5100,5100", "a:1.000000,2.000000,0.000000", "b:4.000000,6.000000"}));
    EXPECT_TRUE(printed("Command: TPOINTS\nFirst point: 1,2\nSecond point: @3,4\n"));
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"start:TPOINTS", "end:TPOINTS"}));
}

TEST_F(CommandLine, EmptyAnswerIsNoneAndLineKeepsSpaces) {
    script("TPOINTS 1,1,5\n\nTNAME Door Left \n");
    EXPECT_EQ(g_log[0], "rc:5100,5000");
    EXPECT_EQ(g_log[1], "a:1.000000,1.000000,5.000000");
    EXPECT_EQ(g_log.back(), "name:Door Left ");
}

TEST_F(CommandLine, EscCancelsThePromptAndTheRestOfTheCommand) {
    RecordingReactor reactor;
    EXPECT_EQ(script("TPOINTS\n\x1b\nTNAMES\n"), 0);
    // The second prompt of the cancelled command answers at once without reading input.
    EXPECT_EQ(g_log[0], "rc:-5002,-5002");
    EXPECT_EQ(g_log[1], "names:TNAMES");
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"start:TPOINTS", "cancel:TPOINTS", "start:TNAMES", "end:TNAMES"}));
    EXPECT_TRUE(printed("*Cancel*"));
}

TEST_F(CommandLine, QueuedTextRunsAfterTheCommandThatQueuedIt) {
    RecordingReactor reactor;
    EXPECT_EQ(script("TQUEUE\nTNAMES\n"), 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"body:nil", "names:TNAMES"}));
    EXPECT_EQ(line().lisp().variable("queued").toString(), "3");
    // Queued before the next script line; not echoed.
    EXPECT_EQ(reactor.events,
              (std::vector<std::string>{"start:TQUEUE", "end:TQUEUE", "lisp", "lisp-end", "start:TNAMES", "end:TNAMES"}));
    EXPECT_FALSE(printed("(setq queued"));
}

TEST_F(CommandLine, QueuedEscapeCancelsAWaitingPromptThenItsLispRuns) {
    EventSource events;
    line().setInput(&events);
    events.push("TPOINTS\nTNAMES\n");
    // While the first prompt waits for input, a window queues text as the block browser does.
    events.hooks[2] = [] {
        acDocManager->sendStringToExecute(acDocManager->curDocument(), "\x1b\x1b(setq picked \"yes\")", false, false,
                                          false);
    };
    RecordingReactor reactor;
    EXPECT_EQ(line().run(true), 0);
    EXPECT_EQ(g_log[0], "rc:-5002,-5002");
    EXPECT_EQ(line().lisp().variable("picked").toString(), "\"yes\"");
    EXPECT_EQ(g_log[1], "names:TNAMES") << "the line read meanwhile is kept for after the queued text";
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"start:TPOINTS", "cancel:TPOINTS", "lisp", "lisp-end",
                                                        "start:TNAMES", "end:TNAMES"}));
}

TEST_F(CommandLine, TextQueuedOnAnotherDocumentWaitsUntilItIsCurrent) {
    AcApDocument* other = acDocManager->newDocument();
    acDocManager->sendStringToExecute(doc, "(setq waited 1) ", false, false, true);
    EXPECT_EQ(script("TNAMES\n"), 0);
    EXPECT_TRUE(line().lisp().variable("waited").isNil());
    acDocManager->activateDocument(doc);
    EXPECT_EQ(script(""), 0);
    EXPECT_EQ(doc->lisp().variable("waited").toString(), "1");
    EXPECT_TRUE(other->lisp().variable("waited").isNil());
    EXPECT_TRUE(printed("(setq waited 1)")) << "echoed when asked";
}

TEST_F(CommandLine, UnknownCommandFailsWithAClearMessage) {
    RecordingReactor reactor;
    EXPECT_EQ(script("NOSUCHCMD\nTNAMES\n"), 1);
    EXPECT_TRUE(printed("Unknown command \"NOSUCHCMD\"."));
    EXPECT_EQ(reactor.events, (std::vector<std::string>{"unknown:NOSUCHCMD"}));
    EXPECT_TRUE(g_log.empty()) << "the script stops at the failure";
}

TEST_F(CommandLine, WrongPointFailsInAScriptAndIsAskedAgainInteractively) {
    RecordingReactor reactor;
    EXPECT_EQ(script("TPOINTS abc\n1,1\n"), 1);
    // The failed command asks nothing more: its next prompt is cancelled, so a loop that asks
    // until an answer comes ends.
    EXPECT_EQ(g_log[0], "rc:-5001,-5002");
    EXPECT_TRUE(printed("Invalid point: \"abc\""));
    EXPECT_TRUE(printed("*TPOINTS failed: wrong answer \"abc\"*"));
    EXPECT_EQ(reactor.events.back(), "fail:TPOINTS");

    AcEdLineSource person(true, false);
    line().setInput(&person);
    g_log.clear();
    person.push("TPOINTS\n1,2,x\n1,2\n3,4\n");
    EXPECT_EQ(line().run(false), 0);
    EXPECT_EQ(g_log[0], "rc:5100,5100");
}

TEST_F(CommandLine, LispAndVariablesAnswerPrompts) {
    script("(setq p (list 7 8 9))\nTPOINTS (list 1.5 2)\n!p\n");
    EXPECT_EQ(g_log[1], "a:1.500000,2.000000,0.000000");
    EXPECT_EQ(g_log[2], "b:7.000000,8.000000");
}

TEST_F(CommandLine, TransparentCommandRunsInsideAPrompt) {
    RecordingReactor reactor;
    EXPECT_EQ(script("TPOINTS 'TNAMES\n1,1 2,2\n"), 0);
    EXPECT_EQ(g_log[0], "names:TPOINTS'TNAMES");
    EXPECT_EQ(g_log[1], "rc:5100,5100");
    EXPECT_EQ(reactor.events,
              (std::vector<std::string>{"start:TPOINTS", "start:TNAMES", "end:TNAMES", "end:TPOINTS"}));
    EXPECT_EQ(cmdnames(), "");
}

TEST_F(CommandLine, LispErrorsAndValuesAtTheCommandPrompt) {
    EXPECT_EQ(script("(+ 40 2)\n", false), 0);
    EXPECT_TRUE(printed("\n42"));
    EXPECT_EQ(script("(nosuchfunction 1)\n", false), 1);
    EXPECT_TRUE(printed("; error: no function definition: NOSUCHFUNCTION"));
}

TEST_F(CommandLine, EndOfInputInsideACommandCancelsIt) {
    RecordingReactor reactor;
    EXPECT_EQ(script("TPOINTS 1,1\n"), 1);
    EXPECT_EQ(g_log[0], "rc:5100,-5002");
    EXPECT_EQ(reactor.events.back(), "cancel:TPOINTS");
}
}  // namespace
