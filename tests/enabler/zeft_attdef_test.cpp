#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "ClassParams.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "gi/recorder.h"
#include "win/guiddef.h"

namespace {
CCondFormula* condition(const char* op, double limit, const char* text = "t") {
    auto* s = new CCondFormula;
    auto add = [&](int16_t type, const char* t, double v) {
        auto* token = new CFormulaObject;
        token->type = type;
        token->text = t;
        token->value = v;
        s->tokens.AddTail(token);
    };
    add(1, op, 0);
    add(2, "", 0);
    add(3, "", limit);
    s->kind = 3;
    s->text = text;
    return s;
}
class ZeftAttDef : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        acrxBuildClassHierarchy();
    }
    std::unique_ptr<ZEFTAttributeDefinition> make() {
        auto d = std::make_unique<ZEFTAttributeDefinition>();
        d->setTextString("default");
        d->setTag("TAG");
        d->setPrompt("Value?");
        d->setPosition(AcGePoint3d(1, 1, 0));
        d->setConditionalPoint1(AcGePoint3d(0, 0, 0));
        d->setConditionalPoint2(AcGePoint3d(4, 0, 0));
        return d;
    }
};
}  // namespace

TEST_F(ZeftAttDef, Registration) {
    struct Expected {
        AcRxClass* cls;
        const char* parent;
        const char* dxf;
    } classes[] = {{ZEFTAttribute::desc(), "AcDbText", "ZEFTATTRIBUTE"},
                   {ZEFTAttributeDefinition::desc(), "AcDbAttributeDefinition", "ZEFTATTRIBUTEDEFINITION"}};
    for (const Expected& e : classes) {
        ASSERT_NE(e.cls, nullptr);
        ASSERT_NE(e.cls->myParent(), nullptr);
        EXPECT_STREQ(e.cls->myParent()->name(), e.parent);
        EXPECT_STREQ(e.cls->dxfName(), e.dxf);
        EXPECT_STREQ(e.cls->appName(), ZEFT_APP_NAME);
        int maintenance = -1;
        EXPECT_EQ(e.cls->dwgVersion(maintenance), ZEFT_DWG_VERSION);
        EXPECT_EQ(maintenance, ZEFT_MAINT_VERSION);
        EXPECT_EQ(e.cls->proxyFlags(), ZEFT_PROXY_FLAGS);
    }

    ZEFTAttributeDefinition d;
    CLSID id{};
    EXPECT_EQ(d.getClassID(&id), Acad::eOk);
#ifdef CADHOST_R15
    const GUID expected = {0x65792D5A, 0x90D9, 0x4657, {0xA8, 0x2A, 0x23, 0x56, 0x1D, 0xC4, 0x34, 0x57}};
#else
    const GUID expected = {0xBD659503, 0x0CB1, 0x4E36, {0x97, 0x89, 0x89, 0x82, 0x57, 0x28, 0x65, 0x25}};
#endif
    EXPECT_TRUE(id == expected);
}

TEST_F(ZeftAttDef, MarkersOnlyWithStatements) {
    auto d = make();
    AcGiRecordingDraw rec;
    rec.draw(d.get());
    EXPECT_EQ(rec.count(AcGiPrimitiveType::kText), 1u);
    EXPECT_EQ(rec.count(AcGiPrimitiveType::kPolyline), 0u);

    d->setConditionalPoint2(AcGePoint3d(0, 0, 0));  // coinciding points still get both markers
    d->AddFormula(condition("(>", 1));
    rec.clear();
    rec.draw(d.get());
    auto markers = rec.primitives(AcGiPrimitiveType::kPolyline);
    ASSERT_EQ(markers.size(), 2u);
    for (const AcGiPrimitive* m : markers) {
        EXPECT_EQ(m->points, (std::vector<AcGePoint3d>{AcGePoint3d::kOrigin, AcGePoint3d::kOrigin}));
        EXPECT_FALSE(m->hasNormal);
        EXPECT_EQ(m->baseMarker, -1);
    }
}

TEST_F(ZeftAttDef, GripsAndStretchMoveOnePointEach) {
    auto d = make();
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    d->getGripPoints(grips, modes, ids);
    EXPECT_EQ(grips, (AcGePoint3dArray{AcGePoint3d(1, 1, 0), AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0)}));

    d->moveGripPointsAt(AcDbIntArray{1}, AcGeVector3d(0, 2, 0));
    EXPECT_EQ(d->conditionalPoint1(), AcGePoint3d(0, 2, 0));
    EXPECT_EQ(d->conditionalPoint2(), AcGePoint3d(4, 0, 0));
    EXPECT_EQ(d->position(), AcGePoint3d(1, 1, 0));

    d->AddFormula(condition("(>", 0, "never shown"));
    d->moveStretchPointsAt(AcDbIntArray{0, 2, 7}, AcGeVector3d(1, 0, 0));
    EXPECT_EQ(d->position(), AcGePoint3d(2, 1, 0));
    EXPECT_EQ(d->conditionalPoint2(), AcGePoint3d(5, 0, 0));
    EXPECT_STREQ(d->textStringConst(), "default");  // its statements never change its text

    d->transformBy(AcGeMatrix3d::scaling(2.0));
    EXPECT_EQ(d->conditionalPoint1(), AcGePoint3d(0, 4, 0));
    EXPECT_EQ(d->conditionalPoint2(), AcGePoint3d(10, 0, 0));
}

TEST_F(ZeftAttDef, Records) {
    auto d = make();
    d->AddFormula(condition("(<", 2, "a"));
    d->AddFormula(condition("(>=", 2, "b"));

    AcDbDwgMemoryFiler dwg;
    ASSERT_EQ(d->dwgOutFields(&dwg), Acad::eOk);
    dwg.rewind();
    ZEFTAttributeDefinition r;
    r.AddFormula(condition("(<", 9, "stale"));
    ASSERT_EQ(r.dwgInFields(&dwg), Acad::eOk);
    EXPECT_EQ(dwg.remaining(), 0u);
    EXPECT_STREQ(r.tagConst(), "TAG");
    EXPECT_EQ(r.conditionalPoint2(), AcGePoint3d(4, 0, 0));
    ASSERT_EQ(r.FormulaCount(), 2);
    EXPECT_EQ(r.GetFormula(0)->text, "a");

    AcDbDxfMemoryFiler dxf;
    ASSERT_EQ(d->dxfOutFields(&dxf), Acad::eOk);
    std::vector<int> codes;
    bool own = false;
    for (const AcDbDxfGroup& g : dxf.groups()) {
        if (g.code == 100 && g.text == "ZEFTAttributeDefinition") own = true;
        else if (own && codes.size() < 5) codes.push_back(g.code);
    }
    EXPECT_EQ(codes, (std::vector<int>{70, 12, 13, 72, 100}));
    dxf.rewind();
    ZEFTAttributeDefinition x;
    ASSERT_EQ(x.dxfInFields(&dxf), Acad::eOk);
    EXPECT_STREQ(x.tagConst(), "TAG");
    EXPECT_EQ(x.conditionalPoint1(), AcGePoint3d(0, 0, 0));
    EXPECT_EQ(x.conditionalPoint2(), AcGePoint3d(4, 0, 0));
    ASSERT_EQ(x.FormulaCount(), 2);
    EXPECT_EQ(x.GetFormula(1)->text, "b");

    AcDbDwgMemoryFiler newer;
    d->AcDbAttributeDefinition::dwgOutFields(&newer);
    newer.writeUInt16(2);
    newer.rewind();
    EXPECT_EQ(r.dwgInFields(&newer), Acad::eMakeMeProxy);

    AcDbDxfMemoryFiler noVersion;
    d->AcDbAttributeDefinition::dxfOutFields(&noVersion);
    noVersion.writeSubclass("ZEFTAttributeDefinition");
    noVersion.writePoint3d(12, AcGePoint3d());
    noVersion.rewind();
    EXPECT_EQ(x.dxfInFields(&noVersion), Acad::eInvalidDxfCode);
    EXPECT_NE(std::string(noVersion.errorMessage()).find("expected object version group code 70"),
              std::string::npos);
}
