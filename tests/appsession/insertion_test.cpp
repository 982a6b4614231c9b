// The module's LISP functions insert blocks and drawing files as intelligent blocks.
#include "appsession_support.h"

using namespace appsession;

namespace {
const DxfEntity* lastOf(const std::vector<DxfEntity>& entities, const std::string& type) {
    const DxfEntity* last = nullptr;
    for (const DxfEntity& e : entities)
        if (e.type == type) last = &e;
    return last;
}
}  // namespace

TEST_F(Session, BinsertInsertsAtThePointWithoutPrompts) {
    const std::string saved = path("binsert.dxf");
    const int before = count(dxfEntities(doors), "ZEFTBLOCKREFERENCE");
    auto at = [](const std::vector<DxfEntity>& entities, double x, double y) {
        int n = 0;
        for (const DxfEntity& e : entities)
            n += e.type == "ZEFTBLOCKREFERENCE" && std::stod(e.value(10)) == x && std::stod(e.value(20)) == y;
        return n;
    };
    const int atOriginBefore = at(dxfEntities(doors), 0, 0);
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\n(c:_binsert \"DOOR\" (list 10.0 20.0 0.0))\n" +
                  "(c:_binsert \"DOOR\" 5)\n(c:_binsert \"DOOR\")\n(c:_binsert \"NOSUCH\" (list 1 2 3))\n" +
                  "SAVEAS\n" + saved + "\n"),
              0)
        << out;
    EXPECT_EQ(out.find("Door mark"), std::string::npos) << "no prompts\n" << out;
    const auto entities = dxfEntities(saved);
    ASSERT_EQ(count(entities, "ZEFTBLOCKREFERENCE"), before + 2) << "a name alone or an unknown block inserts nothing";
    EXPECT_EQ(at(entities, 10, 20), 1);
    EXPECT_EQ(at(entities, 0, 0), atOriginBefore + 1) << "an argument that is no point means the origin";
    EXPECT_EQ(lastOf(entities, "ZEFTATTRIBUTE")->value(1), "D1") << "defaults are kept";
}

TEST_F(Session, BinsertfileMakesTheBlockOnceAndReusesIt) {
    fs::create_directories(folder / "lib");
    const std::string door = path("lib/Door.dwg"), saved = path("withdoor.dxf");
    ::setenv("CADHOST_DRIVES", ("D=" + folder.string()).c_str(), 1);
    const int status = run("OPEN\n" + doors.string() + "\nWBLOCK\n" + door + "\nDOOR\nNEW\n(setvar \"ATTDIA\" 0)\n" +
                           "(c:_binsertfile \"D:/lib/Door.dwg\" (list 0 0 0))\nfirst\n" +
                           "(c:_binsertfile \"D:\\\\lib\\\\Door.dwg\" (list 30 0 0))\nsecond\nSAVEAS\n" + saved + "\n");
    ::unsetenv("CADHOST_DRIVES");
    ASSERT_EQ(status, 0) << out;
    const auto entities = dxfEntities(saved);
    EXPECT_EQ(count(entities, "ZEFTBLOCKREFERENCE"), 2);
    int blocks = 0;
    bool block = false;
    for (const Group& g : dxfGroups(readFile(saved))) {
        if (g.code == 0) block = g.value == "BLOCK";
        else if (block && g.code == 2 && g.value == "Door") ++blocks;
    }
    EXPECT_EQ(blocks, 1) << "the drawing becomes block Door once";
    std::vector<std::string> values;
    for (const DxfEntity& e : entities)
        if (e.type == "ZEFTATTRIBUTE") values.push_back(e.value(1));
    EXPECT_EQ(values, (std::vector<std::string>{"first", "second"})) << "ATTDIA 0 asks on the command line";
}

TEST_F(Session, DrawingHeldByAnotherDocumentIsNotInserted) {
    fs::create_directories(folder / "lib");
    const std::string door = path("lib/Door.dwg"), saved = path("held.dxf");
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nWBLOCK\n" + door + "\nDOOR\nOPEN\n" + door + "\nNEW\n" +
                  "(c:_binsertfile \"" + door + "\" (list 0 0 0))\nSAVEAS\n" + saved + "\n"),
              0)
        << out;
    EXPECT_NE(out.find("Could not load drawing selected. Perhaps it is open by another user."), std::string::npos)
        << out;
    EXPECT_EQ(count(dxfEntities(saved), "ZEFTBLOCKREFERENCE"), 0);
}

TEST_F(Session, ModuleCommandsReplaceTheHostsAndLeaveWithTheModule) {
    ASSERT_EQ(run("DDATTE\n\x1b\nEATTEDIT\n\x1b\n(c:ddatte)\n\x1b\nBLOCKS\n"), 0) << out;
    const size_t ask = out.find("Select a block: ");
    EXPECT_NE(ask, std::string::npos) << "DDATTE is the module's\n" << out;
    const size_t enhanced = out.find("Select a block: ", ask + 1);
    EXPECT_NE(enhanced, std::string::npos) << "and so is EATTEDIT\n" << out;
    EXPECT_NE(out.find("Select a block: ", enhanced + 1), std::string::npos) << "and c:ddatte\n" << out;
    const std::string module = fs::path(moduleUnderTest()).stem().string();
    EXPECT_EQ(run("ARX\nUnload\n" + module + "\nBLOCKS\n"), 1) << out;
    EXPECT_NE(out.find("Unknown command"), std::string::npos) << out;
}
