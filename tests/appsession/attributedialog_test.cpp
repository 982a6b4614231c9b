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
