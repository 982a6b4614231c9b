// The module's enhanced attribute editor (EATTEDIT): the list written by APPLY and OK, the two
// pages writing each change at once, and the command's selection loop.
#include "appsession_support.h"
#include "db/symtab.h"
#include "db/text.h"
#include "rx/rxclass.h"
#include "win/winuser.h"

using namespace appsession;

namespace {
// The example's DOOR inserted at 50,50 (converted to an intelligent block, MARK "D1"); the door
// frame's bottom line runs through 55,50.
std::string doorAt50(const fs::path& doors) {
    return "OPEN\n" + doors.string() + "\n(setvar \"ATTREQ\" 0)\nINSERT\nDOOR\n50,50\n1\n0\n";
}

struct AttributeState {
    std::string text, layer;
    double height = 0;
    int horizontal = 0, vertical = 0, color = 0;
};

// Every intelligent attribute of the working drawing's model space, in drawing order.
std::vector<AttributeState> intelligentAttributes() {
    std::vector<AttributeState> found;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTableRecord* space = nullptr;
    if (!db || acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return found;
    AcDbBlockTableRecordIterator* it = nullptr;
    if (space->newIterator(it) == Acad::eOk) {
        for (; !it->done(); it->step()) {
            AcDbEntity* entity = nullptr;
            if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
            auto* text = AcDbText::cast(entity);
            if (text && std::string(entity->isA()->name()) == "ZEFTAttribute")
                found.push_back({text->textStringConst(), entity->layer(), text->height(), text->horizontalMode(),
                                 text->verticalMode(), entity->colorIndex()});
            entity->close();
        }
        delete it;
    }
    space->close();
    return found;
}

bool applyEnabled() { return IsWindowEnabled(GetDlgItem(GetActiveWindow(), 3)) != FALSE; }
}  // namespace

TEST_F(Session, EnhancedEditorWritesTheListOnApplyAndEachPageChangeAtOnce) {
    const std::string list = path("list.png"), options = path("options.png"), properties = path("properties.png");
    std::map<std::string, AttributeState> at;
    std::map<std::string, bool> apply;
    probe = [&](const std::string& name) {
        const auto attributes = intelligentAttributes();
        if (!attributes.empty()) at[name] = attributes.back();
        apply[name] = applyEnabled();
    };
    // Tabs: "Attributes" at x 10..60, "Text Options" 60..130, "Properties" 130..195 of the tab control.
    ASSERT_EQ(run(doorAt50(doors) + "EATTEDIT\n55,50\n;start\nclick #253@150,25\ntype \"D9\"\n;typed\n" +
                  "picture active \"" + list + "\"\nclick #3\n;applied\n" +
                  "click #200@90,10\nclick #256\nkey end\nkey backspace 6\ntype \"3.5\"\n;typing\nkey tab\n;height\n" +
                  "picture active \"" + options + "\"\n" +
                  "click #255\nkey down 7\nkey enter\n;justified\n" +
                  "click #200@160,10\nclick #262\nkey down 2\nkey enter\nclick #268\nkey down\nkey enter\n;properties\n" +
                  "picture active \"" + properties + "\"\nclick #1\nLIST\nL\n\n"),
              0)
        << out;
    EXPECT_FALSE(apply["start"]);
    EXPECT_EQ(at["typed"].text, "D1") << "typing writes nothing";
    EXPECT_TRUE(apply["typed"]);
    EXPECT_EQ(at["applied"].text, "D9");
    EXPECT_FALSE(apply["applied"]);
    EXPECT_DOUBLE_EQ(at["typing"].height, 2.0) << "an edit writes when it loses the focus";
    EXPECT_DOUBLE_EQ(at["height"].height, 3.5);
    EXPECT_TRUE(apply["height"]) << "a page change enables APPLY";
    EXPECT_EQ(at["justified"].horizontal, AcDb::kTextCenter);
    EXPECT_EQ(at["justified"].vertical, AcDb::kTextTop);
    EXPECT_EQ(at["properties"].color, 1) << "Red";
    EXPECT_EQ(at["properties"].layer, "NOTES");
    // LIST of the last entity: the attribute, as OK left it.
    EXPECT_NE(out.find("Value = D9"), std::string::npos) << out;
    EXPECT_NE(out.find("Height = 3.5"), std::string::npos) << out;
    EXPECT_NE(out.find("Layer: \"NOTES\""), std::string::npos) << out;
    for (const std::string& picture : {list, options, properties}) EXPECT_TRUE(fs::exists(picture)) << picture;
}

TEST_F(Session, EnhancedEditorCancelWritesNothingAndUndoTakesApplyBack) {
    const std::string saved = path("cancelled.dxf"), undone = path("undone.dxf");
    ASSERT_EQ(run(doorAt50(doors) + "EATTEDIT\n55,50\nclick #253@150,25\ntype \"lost\"\nkey escape\nSAVEAS\n" + saved +
                  "\nEATTEDIT\n55,50\nclick #253@150,25\ntype \"kept\"\nclick #1\nU\nSAVEAS\n" + undone + "\n"),
              0)
        << out;
    auto marks = [](const fs::path& file) {
        std::vector<std::string> values;
        for (const DxfEntity& e : dxfEntities(file))
            if (e.type == "ZEFTATTRIBUTE") values.push_back(e.value(1));
        return values;
    };
    EXPECT_EQ(marks(saved).back(), "D1");
    EXPECT_EQ(marks(undone).back(), "D1") << "U takes the editor's OK back\n" << out;
}

TEST_F(Session, SelectBlockButtonAsksAgainAndOtherReferencesAreRefused) {
    const fs::path minsert = folder / "minsert.dxf";
    // A block B with one attribute definition, inserted as a two-column multiple insert.
    std::ofstream(minsert) << "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nB\n70\n2\n10\n0\n20\n0\n30\n0\n3\nB\n"
                              "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n"
                              "0\nATTDEF\n8\n0\n10\n0\n20\n2\n30\n0\n40\n1\n1\nx\n100\nAcDbAttributeDefinition\n3\nValue\n"
                              "2\nT\n70\n0\n0\nENDBLK\n8\n0\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\n0\n2\nB\n"
                              "10\n0\n20\n0\n30\n0\n70\n2\n71\n1\n44\n20\n0\nENDSEC\n0\nEOF\n";
    ASSERT_EQ(run("OPEN\n" + minsert.string() + "\nEATTEDIT\n5,0\nSAVEAS\n" + path("refused.dxf") + "\n"), 0) << out;
    EXPECT_NE(out.find("A block insert was not selected."), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(path("refused.dxf"))) << "the refused pick is closed\n" << out;

    int dialogs = 0;
    probe = [&](const std::string&) { ++dialogs; };
    ASSERT_EQ(run(doorAt50(doors) + "EATTEDIT\n55,50\n;first\nclick #253@150,25\ntype \"lost\"\nclick #251\n" +
                  "55,50\n;second\nkey escape\nLIST\nL\n\n"),
              0)
        << out;
    EXPECT_EQ(dialogs, 2);
    const size_t first = out.find("Select a block: ");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find("Select a block: ", first + 1), std::string::npos) << "a fresh prompt\n" << out;
    EXPECT_NE(out.find("Value = D1"), std::string::npos) << "nothing written\n" << out;
}

TEST_F(Session, AttributesPastTheLastRowKeepTheirText) {
    // A plain reference of B (one attribute definition T) that carries two attributes, T and U.
    const fs::path drawing = folder / "extra.dxf";
    std::ofstream(drawing) << "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nB\n70\n2\n10\n0\n20\n0\n30\n0\n3\nB\n"
                              "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n"
                              "0\nATTDEF\n8\n0\n10\n0\n20\n2\n30\n0\n40\n1\n1\nx\n100\nAcDbAttributeDefinition\n3\nValue\n"
                              "2\nT\n70\n0\n0\nENDBLK\n8\n0\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
                              "0\nINSERT\n8\n0\n66\n1\n2\nB\n10\n0\n20\n0\n30\n0\n"
                              "0\nATTRIB\n8\n0\n100\nAcDbText\n10\n0\n20\n2\n30\n0\n40\n1\n1\nfirst\n100\nAcDbAttribute\n2\nT\n70\n0\n"
                              "0\nATTRIB\n8\n0\n100\nAcDbText\n10\n0\n20\n4\n30\n0\n40\n1\n1\nextra\n100\nAcDbAttribute\n2\nU\n70\n0\n"
                              "0\nSEQEND\n8\n0\n0\nENDSEC\n0\nEOF\n";
    const std::string saved = path("written.dxf");
    ASSERT_EQ(run("OPEN\n" + drawing.string() + "\nEATTEDIT\n5,0\nclick #253@150,25\ntype \"new\"\nclick #1\nSAVEAS\n" +
                  saved + "\n"),
              0)
        << out;
    std::vector<std::string> values;
    for (const DxfEntity& e : dxfEntities(saved))
        if (e.type == "ATTRIB") values.push_back(e.value(1));
    EXPECT_EQ(values, (std::vector<std::string>{"new", "extra"})) << out;
}
