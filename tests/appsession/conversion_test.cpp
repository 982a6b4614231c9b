// Plain block references that the host's own commands insert become intelligent ones.
#include "appsession_support.h"

using namespace appsession;

namespace {
// A plain block PLAIN with three attribute definitions and a line, made by the host's commands.
const std::string kPlainBlock =
    "ATTDEF\nA1\nFirst\none\n0,0\n2.5\n"
    "ATTDEF\nA2\nSecond\ntwo\n0,5\n\n"
    "ATTDEF\nA3\nThird\nthree\n0,10\n\n"
    "LINE\n0,0\n10,10\n\n"
    "BLOCK\nPLAIN\n0,0\nALL\n\n";

std::vector<std::string> attributeValues(const std::vector<DxfEntity>& entities) {
    std::vector<std::string> values;
    for (const DxfEntity& e : entities)
        if (e.type == "ZEFTATTRIBUTE") values.push_back(e.value(1));
    return values;
}
}  // namespace

TEST_F(Session, InsertAsksForAttributesAndLeavesAnIntelligentReference) {
    const std::string saved = path("plain.dxf");
    ASSERT_EQ(run(kPlainBlock + "(setvar \"ATTREQ\" 1)\n(setvar \"ATTDIA\" 0)\nINSERT\nPLAIN\n5,5\n2\n90\nalpha\n\ngamma\n"
                                "(princ (getvar \"ATTREQ\"))\nSAVEAS\n" + saved + "\n"),
              0)
        << out;
    const size_t first = out.find("\nFirst <one>: alpha");
    const size_t second = out.find("\nSecond <two>: ", first);
    const size_t third = out.find("\nThird <three>: gamma", second);
    EXPECT_TRUE(first != std::string::npos && second != std::string::npos && third != std::string::npos) << out;
    EXPECT_NE(out.find("(princ (getvar \"ATTREQ\"))\n1"), std::string::npos) << "ATTREQ is back to 1\n" << out;

    const auto entities = dxfEntities(saved);
    EXPECT_EQ(count(entities, "INSERT"), 0) << "the plain reference is erased";
    ASSERT_EQ(count(entities, "ZEFTBLOCKREFERENCE"), 1);
    EXPECT_EQ(attributeValues(entities), (std::vector<std::string>{"alpha", "two", "gamma"}));
    // Attributes sit at their definition's place plus the insertion point, unrotated and unscaled.
    for (const DxfEntity& e : entities)
        if (e.type == "ZEFTATTRIBUTE" && e.value(1) == "two") {
            EXPECT_DOUBLE_EQ(std::stod(e.value(10)), 5.0);
            EXPECT_DOUBLE_EQ(std::stod(e.value(20)), 10.0);
        }
    for (const DxfEntity& e : entities)
        if (e.type == "ZEFTBLOCKREFERENCE") {
            EXPECT_EQ(e.value(2), "PLAIN");
            EXPECT_DOUBLE_EQ(std::stod(e.value(50)), 90.0) << "the reference keeps its rotation";
            EXPECT_DOUBLE_EQ(std::stod(e.value(41)), 2.0) << "and its scale";
        }
}

TEST_F(Session, InsertWithoutAttributeRequestsKeepsTheDefaults) {
    const std::string saved = path("defaults.dxf");
    ASSERT_EQ(run(kPlainBlock + "(setvar \"ATTREQ\" 0)\nINSERT\nPLAIN\n5,5\n1\n0\n(princ (getvar \"ATTREQ\"))\nSAVEAS\n" +
                  saved + "\n"),
              0)
        << out;
    EXPECT_EQ(out.find("First <one>"), std::string::npos) << out;
    EXPECT_NE(out.find("(princ (getvar \"ATTREQ\"))\n0"), std::string::npos) << out;
    EXPECT_EQ(attributeValues(dxfEntities(saved)), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(Session, CancelledInsertConvertsNothing) {
    const std::string saved = path("cancelled.dxf");
    const int before = count(dxfEntities(doors), "ZEFTBLOCKREFERENCE");
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\n(setvar \"ATTREQ\" 1)\nINSERT\nDOOR\n\x1b\n(princ (getvar \"ATTREQ\"))\n"
                  "SAVEAS\n" + saved + "\n"),
              0)
        << out;
    EXPECT_NE(out.find("(princ (getvar \"ATTREQ\"))\n1"), std::string::npos) << out;
    const auto entities = dxfEntities(saved);
    EXPECT_EQ(count(entities, "ZEFTBLOCKREFERENCE"), before);
    EXPECT_EQ(count(entities, "INSERT"), 0);
}

TEST_F(Session, BlockWithGripPointsIsInsertedOnAPrivateCopy) {
    const std::string saved = path("grips.dxf");
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nINSERT\nDOOR\n70,0\n1\n0\nD7\nSAVEAS\n" + saved + "\n"), 0) << out;
    const auto entities = dxfEntities(saved);
    ASSERT_FALSE(entities.empty());
    const DxfEntity* last = nullptr;
    for (const DxfEntity& e : entities)
        if (e.type == "ZEFTBLOCKREFERENCE") last = &e;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->value(2).rfind("*DOOR", 0), 0u) << last->value(2);
    EXPECT_DOUBLE_EQ(std::stod(last->value(10)), 70.0);
    EXPECT_EQ(attributeValues(entities).back(), "D7");
}

TEST_F(Session, UndoOfAConvertedInsertRestoresTheDrawing) {
    const std::string before = path("before.dxf"), after = path("after.dxf");
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nSAVEAS\n" + before + "\nINSERT\nDOOR\n70,0\n1\n0\nD7\nU\nSAVEAS\n" +
                  after + "\n"),
              0)
        << out;
    EXPECT_EQ(readFile(before), readFile(after));
}
