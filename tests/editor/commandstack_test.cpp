#include <gtest/gtest.h>
#include "ed/command.h"
#include "ed/editor.h"
#include "ed/lispfuncs.h"

namespace {
void moduleCommand() {}
void otherCommand() {}
int hostCommand() { return RTNORM; }

class CommandStack : public ::testing::Test {
protected:
    void SetUp() override {
        acedHostDefineCommand({"STKHOST", hostCommand});
        acedHostDefineCommand({"STKDASH", hostCommand});
    }
    void TearDown() override {
        acedRegCmds->removeGroup("STKA");
        acedRegCmds->removeGroup("STKB");
        acedCmdUndefine("STKHOST", 0);
        acedHostRemoveCommand("STKHOST");
        acedHostRemoveCommand("STKDASH");
        acedHostUndefAll();
    }
    static AcEdResolvedCommand::Kind kind(const char* typed) { return acedHostResolveCommand(typed).kind; }
};

TEST_F(CommandStack, GroupsHoldUniqueNames) {
    AcEdCommand* cmd = nullptr;
    EXPECT_EQ(acedRegCmds->addCommand("STKA", "STKONE", "STKEINS", ACRX_CMD_TRANSPARENT, moduleCommand, nullptr, -1,
                                      nullptr, &cmd),
              Acad::eOk);
    ASSERT_NE(cmd, nullptr);
    EXPECT_STREQ(cmd->groupName(), "STKA");
    EXPECT_EQ(acedRegCmds->addCommand("stka", "stkone", "X", 0, otherCommand), Acad::eDuplicateKey);
    EXPECT_EQ(acedRegCmds->addCommand("STKA", "Y", "stkeins", 0, otherCommand), Acad::eDuplicateKey);
    EXPECT_EQ(acedRegCmds->addCommand("STKA", "BAD NAME", "Z", 0, otherCommand), Acad::eInvalidInput);
    EXPECT_EQ(acedRegCmds->addCommand("STKA", "NOFN", "NOFN", 0, nullptr), Acad::eInvalidInput);
    EXPECT_EQ(acedRegCmds->lookupLocalCmd("stkeins"), cmd);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("STKONE"), cmd);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("STKEINS"), nullptr);
    // A later group comes first.
    EXPECT_EQ(acedRegCmds->addCommand("STKB", "STKONE", "STKONE", 0, otherCommand), Acad::eOk);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("STKONE")->functionAddr(), &otherCommand);
    EXPECT_EQ(acedRegCmds->removeGroup("STKB"), Acad::eOk);
    EXPECT_EQ(acedRegCmds->removeGroup("STKB"), Acad::eKeyNotFound);
    EXPECT_EQ(acedRegCmds->removeCmd("STKA", "STKONE"), Acad::eOk);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("STKONE"), nullptr);
}

TEST_F(CommandStack, TypedNamesReachHostThenModuleThenLisp) {
    acedRegCmds->addCommand("STKA", "STKHOST", "STKHOST", 0, moduleCommand);
    acedRegCmds->addCommand("STKA", "STKMOD", "STKLOKAL", 0, moduleCommand);
    acedDefun("c:stklisp", 3);
    acedDefun("c:_stkunder", 4);
    EXPECT_EQ(kind("stkhost"), AcEdResolvedCommand::kHost) << "the host's own command comes first";
    EXPECT_EQ(kind("STKLOKAL"), AcEdResolvedCommand::kModule);
    EXPECT_EQ(kind("STKMOD"), AcEdResolvedCommand::kModule) << "a global name works without the prefix";
    EXPECT_EQ(kind("_STKLOKAL"), AcEdResolvedCommand::kNone) << "\"_\" asks for a global name";
    EXPECT_EQ(kind("_STKMOD"), AcEdResolvedCommand::kModule);
    EXPECT_EQ(kind("STKLISP"), AcEdResolvedCommand::kLisp);
    EXPECT_EQ(kind("_stkunder"), AcEdResolvedCommand::kLisp) << "the LISP name as typed";
    EXPECT_EQ(kind("-STKDASH"), AcEdResolvedCommand::kHost);
    EXPECT_EQ(acedHostResolveCommand("-STKDASH").globalName, "STKDASH");
    EXPECT_TRUE(acedHostResolveCommand("'STKHOST").transparentPrefix);
    EXPECT_EQ(kind("STKNONE"), AcEdResolvedCommand::kNone);
}

TEST_F(CommandStack, UndefinedHostCommandOnlyByDot) {
    acedRegCmds->addCommand("STKA", "STKHOST", "STKHOST", 0, moduleCommand);
    EXPECT_EQ(acedCmdUndefine("_.STKHOST", 1), RTNORM);
    EXPECT_TRUE(acedHostIsCommandUndefined("stkhost"));
    EXPECT_EQ(kind("STKHOST"), AcEdResolvedCommand::kModule);
    EXPECT_EQ(kind(".STKHOST"), AcEdResolvedCommand::kHost);
    EXPECT_EQ(kind("._STKHOST"), AcEdResolvedCommand::kHost);
    acedRegCmds->removeGroup("STKA");
    EXPECT_EQ(kind("STKHOST"), AcEdResolvedCommand::kNone);
    EXPECT_EQ(acedCmdUndefine("STKHOST", 0), RTNORM);
    EXPECT_EQ(kind("STKHOST"), AcEdResolvedCommand::kHost);
    EXPECT_EQ(acedCmdUndefine("c:STKHOST", 1), RTERROR);
    EXPECT_EQ(acedCmdUndefine("STKNOSUCH", 1), RTERROR);
}

TEST_F(CommandStack, GroupsOfAModuleGoWithIt) {
    int module = 0;
    {
        AcedModuleScope scope(&module);
        acedRegCmds->addCommand("STKA", "STKONE", "STKONE", 0, moduleCommand);
    }
    acedRegCmds->addCommand("STKB", "STKTWO", "STKTWO", 0, moduleCommand);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("STKONE")->module(), &module);
    EXPECT_EQ(acedRegCmds->removeGroupsOf(&module), (std::vector<std::string>{"STKA"}));
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd("STKONE"), nullptr);
    EXPECT_NE(acedRegCmds->lookupGlobalCmd("STKTWO"), nullptr);
}

TEST(Registry, StackAndEditorAreInTheSystemRegistry) {
    EXPECT_EQ(AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK)), acedRegCmds);
    EXPECT_EQ(AcEditor::cast(acrxSysRegistry()->at("AcEditor")), acedEditor);
}
}  // namespace
