#include <dlfcn.h>
#include "ed/lispfuncs.h"
#include "ed/modules.h"
#include "editor_fixture.h"
#include "rx/print.h"

namespace {
const std::string kModule = std::string(CADHOST_BINARY_DIR) + "/bin/edtestmodule.arx";

int hostEcho() {
    acutPrintf("\nhost echo");
    return RTNORM;
}
const bool g_hostEcho = acedHostDefineCommand({"HOSTECHO", hostEcho});

class Modules : public EditorTest {
protected:
    void SetUp() override {
        (void)g_hostEcho;
        EditorTest::SetUp();
        ASSERT_TRUE(acedHostLoadModule(kModule.c_str(), &error)) << error;
        log = reinterpret_cast<const char* (*)()>(dlsym(RTLD_DEFAULT, "edtestLog"));
        sloppy = reinterpret_cast<void (*)(bool)>(dlsym(RTLD_DEFAULT, "edtestSetSloppy"));
        ASSERT_TRUE(log && sloppy);
    }
    void TearDown() override {
        acedHostUnloadModule("edtestmodule");
        EditorTest::TearDown();
    }
    std::string error;
    const char* (*log)() = nullptr;
    void (*sloppy)(bool) = nullptr;
};

TEST_F(Modules, LoadSendsInitThenLoadDrawingForEveryDocument) {
    EXPECT_EQ(std::string(log()), std::string("init;load:") + doc->docTitle());
    AcApDocument* later = acDocManager->newDocument();
    EXPECT_NE(std::string(log()).find(std::string(";load:") + later->docTitle()), std::string::npos);
    AcedDefunInfo info;
    ASSERT_TRUE(acedHostFindDefun("c:tmhello", &info));
    EXPECT_EQ(info.functionCode, 1);
    EXPECT_EQ(acedHostLoadedModules(), (std::vector<std::string>{"edtestmodule"}));
    EXPECT_TRUE(acedHostLoadModule("edtestmodule")) << "already loaded";
}

TEST_F(Modules, CommandsLispFunctionsAndReactorsOfTheModuleRun) {
    EXPECT_EQ(script("TMPOINT 1,2\nTMHELLO\n(tm-record \"abc\")\n"), 0);
    const std::string l = log();
    EXPECT_NE(l.find("start:TMPOINT;point:1,2,0;end:TMPOINT"), std::string::npos) << l;
    EXPECT_NE(l.find("hello;lisp:abc"), std::string::npos) << l;
    EXPECT_TRUE(printed("Hello from the module."));
}

TEST_F(Modules, QueuedLispRunsAfterTheModuleCommand) {
    EXPECT_EQ(script("TMQUEUE\n"), 0);
    EXPECT_NE(std::string(log()).find("queue-body;end:TMQUEUE;lisp:queued"), std::string::npos) << log();
}

TEST_F(Modules, UndefinedHostCommandStaysReachableWithADot) {
    EXPECT_EQ(script("HOSTECHO\n.HOSTECHO\n"), 0);
    EXPECT_NE(std::string(log()).find("module-echo"), std::string::npos);
    EXPECT_TRUE(printed("host echo"));
    EXPECT_EQ(acedCmdUndefine("NOSUCHHOSTCMD", 1), RTERROR);
}

TEST_F(Modules, UnknownFunctionCodeFailsTheCall) {
    // The module answers codes 0 and 1 only; a third definition reaches it with code 7.
    AcedDefunInfo info;
    ASSERT_TRUE(acedHostFindDefun("tm-record", &info));
    {
        AcedModuleScope moduleScope(info.module);
        ASSERT_EQ(acedDefun("tm-other", 7), RTNORM);
    }
    EXPECT_EQ(script("(tm-other)\n"), 1);
    EXPECT_TRUE(printed("; error: Received nonexistent function code."));
}

TEST_F(Modules, UnloadRemovesWhatTheModuleLeftBehind) {
    sloppy(true);
    std::string why;
    ASSERT_TRUE(acedHostUnloadModule("edtestmodule.arx", &why)) << why;
    EXPECT_TRUE(printed("Command group EDTEST of edtestmodule was left registered; removed."));
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("TMPOINT"), nullptr);
    EXPECT_FALSE(acedHostFindDefun("c:tmhello"));
    EXPECT_EQ(script("TMPOINT\n"), 1);
    EXPECT_TRUE(printed("Unknown command \"TMPOINT\""));
    EXPECT_FALSE(acedHostUnloadModule("edtestmodule", &why));
    EXPECT_EQ(why, "edtestmodule is not loaded.");
}

TEST(ModuleLoading, MissingModuleGivesAClearMessage) {
    std::string error;
    EXPECT_FALSE(acedHostLoadModule("/nonexistent/folder/nomodule.arx", &error));
    EXPECT_EQ(error, "Unable to load /nonexistent/folder/nomodule.arx: cannot find the file.");
    EXPECT_TRUE(acedHostLoadedModules().empty());
    EXPECT_EQ(acedArxLoad(nullptr), RTERROR);
}
}  // namespace
