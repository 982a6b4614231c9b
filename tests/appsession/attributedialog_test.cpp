// The module's attribute dialog: DDATTE, and the insertions with ATTDIA 1.
#include "appsession_support.h"

using namespace appsession;

namespace {
// A block PLAIN with three attribute definitions, inserted at 5,5 as an intelligent reference
// with the default texts "one", "two", "three".
const std::string kPlainReference =
    "ATTDEF\nA1\nFirst\none\n0,0\n2.5\n"
    "ATTDEF\nA2\nSecond\ntwo\n0,5\n\n"
    "ATTDEF\nA3\nThird\nthree\n0,10\n\n"
    "LINE\n0,0\n10,10\n\n"
    "BLOCK\nPLAIN\n0,0\nALL\n\n"
    "(setvar \"ATTREQ\" 0)\nINSERT\nPLAIN\n5,5\n1\n0\n";

// Width and height of a PNG file from its header.
std::pair<unsigned, unsigned> pngSize(const fs::path& file) {
    const std::string bytes = readFile(file);
    if (bytes.size() < 24) return {0, 0};
    auto word = [&](size_t at) {
        unsigned v = 0;
        for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {word(16), word(20)};
}

std::vector<std::string> attributeValues(const fs::path& saved, int code = 1) {
    std::vector<std::string> values;
    for (const DxfEntity& e : dxfEntities(saved))
        if (e.type == "ZEFTATTRIBUTE") values.push_back(e.value(code));
    return values;
}
}  // namespace

TEST_F(Session, DdatteEditsTheValuesInPlace) {
    const std::string edited = path("edited.dxf"), undone = path("undone.dxf"), picture = path("ddatte.png");
    ASSERT_EQ(run(kPlainReference + "DDATTE\n15,15\nclick #220@150,25\ntype \"alpha\"\nkey down\ntype \"beta\"\n" +
                  "picture active \"" + picture + "\"\nkey down\ntype \"gamma\"\nkey enter\nSAVEAS\n" + edited +
                  "\nU\nU\nSAVEAS\n" + undone + "\n"),
              0)
        << out;
    EXPECT_EQ(attributeValues(edited), (std::vector<std::string>{"alpha", "beta", "gamma"})) << out;
    EXPECT_TRUE(fs::file_size(picture) > 0);
    EXPECT_EQ(attributeValues(undone), (std::vector<std::string>{"one", "two", "three"})) << "U takes the edit back";
}

TEST_F(Session, DownWrapsAndUnchangedCellsAreKept) {
    const std::string saved = path("wrapped.dxf");
    // Up from the first row goes to the last, Down from there to the first; a cell typed back to
    // its starting text keeps the last text that differed.
    ASSERT_EQ(run(kPlainReference + "DDATTE\n15,15\nclick #220@150,25\nkey up\ntype \"last\"\nkey down\nkey down\n" +
                  "type \"twox\"\nkey backspace\nkey tab\nclick #223\nSAVEAS\n" + saved + "\n"),
              0)
        << out;
    EXPECT_EQ(attributeValues(saved), (std::vector<std::string>{"one", "twox", "last"})) << out;
}

TEST_F(Session, CancelAndTheEndOfInputWriteNothing) {
    const std::string saved = path("cancelled.dxf");
    ASSERT_EQ(run(kPlainReference + "DDATTE\n15,15\nclick #220@150,25\ntype \"lost\"\nkey escape\nSAVEAS\n" + saved +
                  "\n"),
              0)
        << out;
    EXPECT_EQ(attributeValues(saved), (std::vector<std::string>{"one", "two", "three"}));
    // Input that ends inside the dialog cancels it and leaves nothing open.
    EXPECT_EQ(run(kPlainReference + "DDATTE\n15,15\nclick #220@150,25\ntype \"lost\"\n"), 0) << out;
    EXPECT_EQ(out.find("open object"), std::string::npos) << out;
}

TEST_F(Session, InsertWithTheAttributeDialogAsksNoPrompts) {
    const std::string saved = path("dialog.dxf");
    ASSERT_EQ(run(kPlainReference + "(setvar \"ATTREQ\" 1)\n(setvar \"ATTDIA\" 1)\nINSERT\nPLAIN\n40,5\n1\n0\n" +
                  "click #220@150,25\ntype \"from dialog\"\nkey enter\nkey enter\nkey enter\n" + "SAVEAS\n" + saved + "\n"),
              0)
        << out;
    EXPECT_EQ(out.find("First <one>"), std::string::npos) << "no command-line prompts\n" << out;
    const auto values = attributeValues(saved);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[3], "from dialog");
    EXPECT_EQ(attributeValues(saved, 1).back(), "three");
}

TEST_F(Session, AttributeDialogLaysItsControlsOutInDialogUnits) {
    // 272 x 207 dialog units; the list 258 x 166 at 7,18 and the buttons 50 x 14 at y 189, with
    // base units of 6 x 13 pixels (x * 6 / 4, y * 13 / 8).
    const std::string dialog = path("dialog.png"), list = path("list.png"), ok = path("ok.png");
    ASSERT_EQ(run(kPlainReference + "DDATTE\n15,15\npicture active \"" + dialog + "\"\npicture #220 \"" + list +
                  "\"\npicture #223 \"" + ok + "\"\nkey escape\n"),
              0)
        << out;
    EXPECT_EQ(pngSize(list), std::make_pair(387u, 270u));
    EXPECT_EQ(pngSize(ok), std::make_pair(75u, 23u));
    const auto [width, height] = pngSize(dialog);
    EXPECT_GE(width, 408u) << "the client area is 408 x 336";
    EXPECT_GE(height, 336u);
}

// The example's PANEL: WIDTH carries the statement "(> Value 0" of kind "W=\i", NOTE none. An edit
// becomes the attribute's default and the holding statement composes the text from it.
TEST_F(Session, EditedIntelligentAttributesFollowTheirStatements) {
    const std::string saved = path("panel.dxf");
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\n(setvar \"ATTREQ\" 0)\nINSERT\nPANEL\n100,100\n1\n0\n" +
                  "DDATTE\n110,100\n;open objects\nclick #220@150,25\ntype \"wide\"\n;open objects\nkey down\n" +
                  "type \"open\"\nkey enter\nLIST\nW\n99,99\n125,110\n\nSAVEAS\n" + saved + "\n"),
              0)
        << out;
    EXPECT_NE(out.find("Value = W=wide"), std::string::npos) << out;
    EXPECT_NE(out.find("Value = open"), std::string::npos) << out;
    EXPECT_EQ(attributeValues(saved), (std::vector<std::string>{"W=wide", "open"}));
    EXPECT_EQ(attributeValues(saved, 3), (std::vector<std::string>{"wide", "open"})) << "the edit is the new default";
    // Nothing stays open while the dialog waits or while a cell is edited; the save after it
    // would be refused with an object left open.
    EXPECT_EQ(openCounts, (std::vector<int>{0, 0}));
}
