#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "db/symtab.h"
#include "gi/recorder.h"

namespace {
CFormulaObject* tok(int16_t type, const char* text = "", double value = 0.0) {
    auto* t = new CFormulaObject;
    t->type = type;
    t->text = text;
    t->value = value;
    return t;
}
// A statement of the given kind and text whose condition is "(op Value limit".
CCondFormula* statement(const char* op, double limit, int16_t kind, const char* text) {
    auto* s = new CCondFormula;
    s->tokens.AddTail(tok(1, op));
    s->tokens.AddTail(tok(2));
    s->tokens.AddTail(tok(3, "", limit));
    s->kind = kind;
    s->text = text;
    return s;
}
std::string text(const AcDbText& t) { return t.textStringConst(); }
std::string defaultOf(const ZEFTAttribute& a) {
    char* d = a.defaultValue();
    std::string s = d ? d : "<null>";
    std::free(d);
    return s;
}
AcGePoint3d cp(const ZEFTAttribute& a, int which) {
    AcGePoint3d p;
    EXPECT_EQ(which == 1 ? a.conditionalPoint1(p) : a.conditionalPoint2(p), Acad::eOk);
    return p;
}

class ZeftAttribute : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        acrxBuildClassHierarchy();
    }
    // Conditional points 3 apart, text "old", default value D.
    std::unique_ptr<ZEFTAttribute> make(const char* defaultValue = "D") {
        auto a = std::make_unique<ZEFTAttribute>();
        a->setTextString("old");
        a->setTag("TAG");
        a->setDefaultValue(defaultValue);
        a->setConditionalPoint1(AcGePoint3d(0, 0, 0));
        a->setConditionalPoint2(AcGePoint3d(3, 0, 0));
        return a;
    }
    void stretchPoint2By(ZEFTAttribute& a, double dx) {
        EXPECT_EQ(a.moveStretchPointsAt(AcDbIntArray{2}, AcGeVector3d(dx, 0, 0)), Acad::eOk);
    }
};
}  // namespace

TEST_F(ZeftAttribute, TextsAreOwnedCopies) {
    ZEFTAttribute a;
    EXPECT_EQ(a.tag(), nullptr);
    EXPECT_EQ(defaultOf(a), "");  // never set: an empty copy, never a null to free
    a.setTag("T1");
    a.setTag("T2");  // the old text is released (ASan)
    EXPECT_EQ(a.setTag(nullptr), Acad::eInvalidInput);
    EXPECT_STREQ(a.tag(), "T2");
    a.setDefaultValue("dv");
    char* one = a.defaultValue();
    char* two = a.defaultValue();
    EXPECT_NE(one, two);
    EXPECT_STREQ(one, "dv");
    std::free(one);
    std::free(two);
    a.AddFormula(statement("(<", 1, 3, "x"));
    a.AddFormula(statement("(<", 2, 3, "y"));
    EXPECT_EQ(a.GetFormula(1)->text, "y");
    EXPECT_EQ(a.GetFormula(2), nullptr);
}

TEST_F(ZeftAttribute, FirstHoldingStatementSetsTheText) {
    auto a = make();
    a->AddFormula(statement("(<", 2, 3, "short"));
    a->AddFormula(statement("(>=", 2, 3, "long"));
    a->AddFormula(statement("(>=", 0, 3, "never reached"));
    stretchPoint2By(*a, 0.0);
    EXPECT_EQ(text(*a), "long");
    stretchPoint2By(*a, -2.0);  // distance 1
    EXPECT_EQ(text(*a), "short");

    auto none = make();
    none->AddFormula(statement("(<", 2, 3, "short"));
    none->AddFormula(statement("(>", 5, 3, "far"));
    stretchPoint2By(*none, 0.0);
    EXPECT_EQ(text(*none), "old");
}

TEST_F(ZeftAttribute, CompositionKinds) {
    struct Case {
        int16_t kind;
        const char* defaultValue;
        const char* formula;
        const char* expected;
    } cases[] = {
        {1, "mm", "12", "12mm"},
        {2, "mm", "12", "mm12"},
        {3, "mm", "12", "12"},
        {4, "Width \\i mm \\i", "12", "Width 12 mm 12"},
        {4, "5", "<\\i>", "<5>"},
        {4, "Width", "12", "old"},
        {7, "mm", "12", "old"},
    };
    for (const Case& c : cases) {
        auto a = make(c.defaultValue);
        a->AddFormula(statement("(>", 0, c.kind, c.formula));
        a->CheckFormulaForStretch();
        EXPECT_EQ(text(*a), c.expected) << "kind " << c.kind;
    }
}

TEST_F(ZeftAttribute, WithoutConditionalPointsOnlyTheTextStretches) {
    ZEFTAttribute a;
    a.setTextString("old");
    a.AddFormula(statement("(>=", 0, 3, "new"));
    AcGePoint3dArray points;
    a.getStretchPoints(points);
    EXPECT_EQ(points.length(), 1);
    a.moveStretchPointsAt(AcDbIntArray{1, 2}, AcGeVector3d(1, 0, 0));
    EXPECT_EQ(cp(a, 1), AcGePoint3d::kOrigin);
    EXPECT_EQ(cp(a, 2), AcGePoint3d::kOrigin);
    EXPECT_EQ(a.position(), AcGePoint3d::kOrigin);
    EXPECT_EQ(text(a), "old");  // no formula run
}

TEST_F(ZeftAttribute, TextPointFollowsTheJustification) {
    auto a = make();
    a->setPosition(AcGePoint3d(1, 1, 0));
    a->moveGripPointsAt(AcDbIntArray{5}, AcGeVector3d(1, 0, 0));  // any index moves the text
    EXPECT_EQ(a->position(), AcGePoint3d(2, 1, 0));
    a->setHorizontalMode(AcDb::kTextCenter);
    a->setAlignmentPoint(AcGePoint3d(4, 4, 0));
    a->adjustAlignment();
    a->moveStretchPointsAt(AcDbIntArray{0}, AcGeVector3d(0, 1, 0));
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    a->getGripPoints(grips, modes, ids);
    EXPECT_EQ(grips, AcGePoint3dArray{AcGePoint3d(4, 5, 0)});
}

TEST_F(ZeftAttribute, CentredTextFollowsHalfTheMove) {
    auto a = make();  // points at x 0 and 3
    a->setHorizontalMode(AcDb::kTextCenter);
    a->setAlignmentPoint(AcGePoint3d(1.5, 1, 0));
    a->adjustAlignment();
    stretchPoint2By(*a, 2.0);
    EXPECT_NEAR(a->alignmentPoint().x, 2.5, 1e-12);
    EXPECT_EQ(cp(*a, 2), AcGePoint3d(5, 0, 0));

    a->setAlignmentPoint(AcGePoint3d(1, 1, 0));  // off centre
    a->adjustAlignment();
    a->moveStretchPointsAt(AcDbIntArray{1}, AcGeVector3d(-1, 0, 0));
    EXPECT_EQ(a->alignmentPoint(), AcGePoint3d(1, 1, 0));
    EXPECT_EQ(cp(*a, 1), AcGePoint3d(-1, 0, 0));
}

TEST_F(ZeftAttribute, TransformMovesTheConditionalPoints) {
    auto a = make();
    EXPECT_EQ(a->transformBy(AcGeMatrix3d::scaling(2.0)), Acad::eOk);
    EXPECT_EQ(cp(*a, 2), AcGePoint3d(6, 0, 0));
    AcGeMatrix3d flat;
    flat.entry[0][0] = 0.0;  // refused by the text
    EXPECT_NE(a->transformBy(flat), Acad::eOk);
    EXPECT_EQ(cp(*a, 2), AcGePoint3d(6, 0, 0));
}

TEST_F(ZeftAttribute, DrawsOnlyThroughItsReference) {
    auto a = make();
    AcGiRecordingDraw rec;
    rec.draw(a.get());
    EXPECT_TRUE(rec.primitives().empty());
    a->subWorldDraw(&rec.worldDraw());
    a->subViewportDraw(&rec.viewportDraw());
    ASSERT_EQ(rec.count(AcGiPrimitiveType::kText), 1u);
    EXPECT_EQ(rec.first(AcGiPrimitiveType::kText)->text, "old");
}

namespace {
void fill(ZEFTAttribute& a) {
    a.setTextString("shown");
    a.setTag("TAG");
    a.setDefaultValue("def");
    a.setFieldLength(12.5);
    a.setConstant(1);
    a.setInvisible(0);
    a.setPreset(1);
    a.setVerifiable(1);
    a.setConditionalPoint1(AcGePoint3d(1.25, 2, 3));
    a.setConditionalPoint2(AcGePoint3d(4, 5.5, 6));
    a.AddFormula(statement("(<", 2, 1, "a"));
    a.AddFormula(statement("(>=", 2, 4, "b"));
}
void expectSame(const ZEFTAttribute& r, const ZEFTAttribute& a) {
    EXPECT_EQ(text(r), text(a));
    EXPECT_STREQ(r.tag(), a.tag());
    EXPECT_EQ(defaultOf(r), defaultOf(a));
    EXPECT_EQ(r.fieldLength(), a.fieldLength());
    EXPECT_EQ((std::vector<int>{r.isConstant(), r.isInvisible(), r.isPreset(), r.isVerifiable()}),
              (std::vector<int>{a.isConstant(), a.isInvisible(), a.isPreset(), a.isVerifiable()}));
    EXPECT_EQ(r.hasConditionalPoints(), a.hasConditionalPoints());
    EXPECT_EQ(cp(r, 1), cp(a, 1));
    EXPECT_EQ(cp(r, 2), cp(a, 2));
    EXPECT_EQ(r.definitionId(), a.definitionId());
    ASSERT_EQ(r.FormulaCount(), a.FormulaCount());
    for (int i = 0; i < a.FormulaCount(); ++i) EXPECT_EQ(r.GetFormula(i)->text, a.GetFormula(i)->text);
}
std::vector<int> ownCodes(const AcDbDxfMemoryFiler& f, const char* marker) {
    std::vector<int> codes;
    bool own = false;
    for (const AcDbDxfGroup& g : f.groups()) {
        if (g.code == 100 && g.text == marker) own = true;
        else if (own) codes.push_back(g.code);
    }
    return codes;
}
}  // namespace

TEST_F(ZeftAttribute, DwgRoundTripKeepsTheDefinitionLink) {
    AcDbDatabase db(true, true);
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId defId;
    auto* def = new ZEFTAttributeDefinition;
    ASSERT_EQ(space->appendAcDbEntity(defId, def), Acad::eOk);
    def->close();
    space->close();

    ZEFTAttribute a;
    fill(a);
    a.setDefinitionId(defId);
    AcDbDwgMemoryFiler out(AcDb::kCopyFiler, &db);
    ASSERT_EQ(a.dwgOutFields(&out), Acad::eOk);
    out.rewind();
    ZEFTAttribute r;
    r.AddFormula(statement("(<", 9, 3, "stale"));
    ASSERT_EQ(r.dwgInFields(&out), Acad::eOk);
    EXPECT_EQ(out.remaining(), 0u);
    expectSame(r, a);

    // Without the drawing the stored value resolves to nothing.
    out.rewind();
    out.setDatabase(nullptr);
    ZEFTAttribute lost;
    ASSERT_EQ(lost.dwgInFields(&out), Acad::eOk);
    EXPECT_TRUE(lost.definitionId().isNull());
}

TEST_F(ZeftAttribute, DwgRecordWithoutConditionalPointsHasNoPoints) {
    ZEFTAttribute with, without;
    with.setConditionalPoint1(AcGePoint3d(1, 2, 3));
    AcDbDwgMemoryFiler a, b, points;
    with.dwgOutFields(&a);
    without.dwgOutFields(&b);
    points.writePoint3d(AcGePoint3d());
    points.writePoint3d(AcGePoint3d());
    EXPECT_EQ(a.size() - b.size(), points.size());
}

TEST_F(ZeftAttribute, VersionOneRecordEndsAfterTheTag) {
    ZEFTAttribute source;
    source.setTextString("v1");
    AcDbDwgMemoryFiler dwg;
    source.AcDbText::dwgOutFields(&dwg);
    dwg.writeUInt16(1);
    dwg.writeDouble(8.0);
    for (int flag : {1, 1, 0, 1}) dwg.writeBoolean(flag);
    dwg.writeString("OLD");
    dwg.rewind();
    ZEFTAttribute r;
    ASSERT_EQ(r.dwgInFields(&dwg), Acad::eOk);
    EXPECT_EQ(dwg.remaining(), 0u);
    EXPECT_STREQ(r.tag(), "OLD");
    EXPECT_EQ(r.fieldLength(), 8.0);
    EXPECT_EQ(r.isInvisible(), 1);
    EXPECT_EQ(r.isPreset(), 0);
    EXPECT_EQ(r.hasConditionalPoints(), 0);

    AcDbDxfMemoryFiler dxf;
    source.AcDbText::dxfOutFields(&dxf);
    dxf.writeSubclass("ZEFTAttribute");
    dxf.writeUInt16(70, 1);
    dxf.writeDouble(70, 8.5);
    for (int code : {72, 71, 74, 73}) dxf.writeBoolean(code, 1);
    dxf.writeString(2, "OLD");
    dxf.rewind();
    ZEFTAttribute d;
    ASSERT_EQ(d.dxfInFields(&dxf), Acad::eOk);
    EXPECT_EQ(dxf.cursor(), dxf.groups().size());
    EXPECT_STREQ(d.tag(), "OLD");
    EXPECT_EQ(d.fieldLength(), 8.5);
}

TEST_F(ZeftAttribute, NewerVersionAsksForAProxy) {
    ZEFTAttribute source;
    AcDbDwgMemoryFiler dwg;
    source.AcDbText::dwgOutFields(&dwg);
    dwg.writeUInt16(3);
    dwg.rewind();
    ZEFTAttribute r;
    EXPECT_EQ(r.dwgInFields(&dwg), Acad::eMakeMeProxy);

    AcDbDxfMemoryFiler dxf;
    source.AcDbText::dxfOutFields(&dxf);
    dxf.writeSubclass("ZEFTAttribute");
    dxf.writeUInt16(70, 3);
    dxf.rewind();
    EXPECT_EQ(r.dxfInFields(&dxf), Acad::eMakeMeProxy);
}

TEST_F(ZeftAttribute, DxfRecord) {
    ZEFTAttribute a;
    fill(a);
    AcDbDxfMemoryFiler f;
    ASSERT_EQ(a.dxfOutFields(&f), Acad::eOk);
    std::vector<int> codes = ownCodes(f, "ZEFTAttribute");
    // Points under integer codes are spread over code, code+10 and code+20 as in a file.
    ASSERT_GE(codes.size(), 15u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 15),
              (std::vector<int>{70, 70, 72, 71, 74, 73, 2, 71, 75, 85, 95, 76, 86, 96, 77}));
    EXPECT_EQ(std::vector<int>(codes.end() - 2, codes.end()), (std::vector<int>{330, 3}));

    f.rewind();
    ZEFTAttribute r;
    ASSERT_EQ(r.dxfInFields(&f), Acad::eOk);
    expectSame(r, a);

    ZEFTAttribute plain;
    AcDbDxfMemoryFiler g;
    plain.dxfOutFields(&g);
    codes = ownCodes(g, "ZEFTAttribute");
    EXPECT_EQ(std::vector<int>(codes.begin() + 7, codes.begin() + 9), (std::vector<int>{71, 77}));
}

// Through DXF text: reals filed under integer codes (field length, conditional points, token
// values) must come back exactly, not as integers or as a read error.
TEST_F(ZeftAttribute, DxfTextKeepsRealsUnderIntegerCodes) {
    ZEFTAttribute a;
    fill(a);
    CCondFormula* fractional = statement("(<", 2, 1, "c");
    fractional->tokens.GetAt(fractional->tokens.FindIndex(2))->value = 2.5;
    a.AddFormula(fractional);
    cadhost::dxf::TokenWriter writer;
    AcDbDxfOutFiler out(writer, nullptr);
    ASSERT_EQ(a.dxfOutFields(&out), Acad::eOk);
    cadhost::dxf::TokenReader reader(writer.str());
    AcDbDxfInFiler in(reader, nullptr);
    ZEFTAttribute r;
    ASSERT_EQ(r.dxfInFields(&in), Acad::eOk) << in.errorMessage();
    expectSame(r, a);
    EXPECT_EQ(r.fieldLength(), 12.5);
    EXPECT_EQ(cp(r, 1), AcGePoint3d(1.25, 2, 3));
    const CCondFormula* back = r.GetFormula(r.FormulaCount() - 1);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tokens.GetAt(back->tokens.FindIndex(2))->value, 2.5);
}
