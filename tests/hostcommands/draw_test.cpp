#include <cmath>
#include "commands_fixture.h"
#include "db/arc.h"
#include "db/attdef.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/text.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

class Drawing : public CommandTest {
protected:
    void addLayer(const char* name) {
        AcDbLayerTable* layers = nullptr;
        ASSERT_EQ(db->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
        auto* layer = new AcDbLayerTableRecord;
        layer->setName(name);
        EXPECT_EQ(layers->add(layer), Acad::eOk);
        layer->close();
        layers->close();
    }
    std::vector<std::pair<AcGePoint3d, AcGePoint3d>> lines() const {
        std::vector<std::pair<AcGePoint3d, AcGePoint3d>> found;
        for (AcDbObjectId id : entities())
            read<AcDbLine>(id, [&](AcDbLine* l) { found.emplace_back(l->startPoint(), l->endPoint()); });
        return found;
    }
};

TEST_F(Drawing, LineDrawsSegmentsOnTheCurrentLayer) {
    addLayer("walls");
    ASSERT_EQ(script("SETVAR CLAYER walls\nLINE 0,0 100,0 @0,50 C\n"), 0) << out;
    auto segments = lines();
    ASSERT_EQ(segments.size(), 3u);
    expectPoint(segments[0].first, AcGePoint3d(0, 0, 0));
    expectPoint(segments[1].first, AcGePoint3d(100, 0, 0));
    expectPoint(segments[1].second, AcGePoint3d(100, 50, 0), "relative to the last point");
    expectPoint(segments[2].second, AcGePoint3d(0, 0, 0), "Close returns to the start");
    for (AcDbObjectId id : entities()) {
        read<AcDbEntity>(id, [](AcDbEntity* e) { EXPECT_STREQ(e->layer(), "walls"); });
        EXPECT_EQ(id.database(), db);
    }
}

TEST_F(Drawing, PaperSpaceTakesTheEntitiesWhileTilemodeIsZero) {
    ASSERT_EQ(script("SETVAR TILEMODE 0\nLINE 0,0 10,10\n\nCIRCLE 0,0 4\n"), 0) << out;
    EXPECT_TRUE(entities().empty());
    EXPECT_EQ(entities(db->paperSpaceId()).size(), 2u);
}

TEST_F(Drawing, LineUndoDropsTheLastPoint) {
    ASSERT_EQ(script("LINE 0,0 10,0 10,10 U @5,0\n\n"), 0) << out;
    auto segments = lines();
    ASSERT_EQ(segments.size(), 2u);
    expectPoint(segments[1].second, AcGePoint3d(15, 0, 0), "@ after Undo is relative to the point kept");
}

TEST_F(Drawing, CircleByCentreRadiusDiameterAndPoints) {
    ASSERT_EQ(script("CIRCLE 10,10 5\nCIRCLE 0,0 D 8\nCIRCLE 2P 0,0 10,0\nCIRCLE 3P 0,0 10,0 5,5\n"), 0) << out;
    std::vector<std::pair<AcGePoint3d, double>> circles;
    for (AcDbObjectId id : entities())
        read<AcDbCircle>(id, [&](AcDbCircle* c) { circles.emplace_back(c->center(), c->radius()); });
    ASSERT_EQ(circles.size(), 4u);
    expectPoint(circles[0].first, AcGePoint3d(10, 10, 0));
    EXPECT_DOUBLE_EQ(circles[0].second, 5);
    EXPECT_DOUBLE_EQ(circles[1].second, 4);
    expectPoint(circles[2].first, AcGePoint3d(5, 0, 0));
    EXPECT_DOUBLE_EQ(circles[2].second, 5);
    expectPoint(circles[3].first, AcGePoint3d(5, 0, 0));
    EXPECT_NEAR(circles[3].second, 5, 1e-9);
}

TEST_F(Drawing, ArcThroughThreePointsRunsCounterClockwise) {
    // Clockwise and counter-clockwise picks of the same points make the same arc.
    ASSERT_EQ(script("ARC 10,0 0,10 -10,0\nARC -10,0 0,10 10,0\nARC C 0,0 10,0 0,10\nARC C 0,0 10,0 A -90\n"), 0)
        << out;
    std::vector<AcDbObjectId> ids = entities();
    ASSERT_EQ(ids.size(), 4u);
    for (int i = 0; i < 2; ++i)
        read<AcDbArc>(ids[i], [](AcDbArc* a) {
            expectPoint(a->center(), AcGePoint3d(0, 0, 0));
            EXPECT_NEAR(a->radius(), 10, 1e-9);
            EXPECT_NEAR(a->startAngle(), 0, 1e-9);
            EXPECT_NEAR(a->endAngle(), kPi, 1e-9);
        });
    read<AcDbArc>(ids[2], [](AcDbArc* a) { EXPECT_NEAR(a->endAngle(), kPi / 2, 1e-9); });
    read<AcDbArc>(ids[3], [](AcDbArc* a) {
        EXPECT_NEAR(a->startAngle(), 3 * kPi / 2, 1e-9) << "a negative included angle runs clockwise";
        EXPECT_NEAR(a->endAngle(), 0, 1e-9);
    });
}

TEST_F(Drawing, PolylineAndText) {
    ASSERT_EQ(script("PLINE 0,0,5 10,0 10,10 C\nTEXT 5,5 3 45 Hello world\n"), 0) << out;
    std::vector<AcDbObjectId> ids = entities();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_TRUE(read<AcDbPolyline>(ids[0], [](AcDbPolyline* p) {
        EXPECT_EQ(p->numVerts(), 3u);
        EXPECT_TRUE(p->closed());
        EXPECT_DOUBLE_EQ(p->elevation(), 5);
    }));
    EXPECT_TRUE(read<AcDbText>(ids[1], [](AcDbText* t) {
        EXPECT_STREQ(t->textStringConst(), "Hello world");
        EXPECT_DOUBLE_EQ(t->height(), 3);
        EXPECT_NEAR(t->rotation(), kPi / 4, 1e-12);
    }));
    EXPECT_DOUBLE_EQ(db->textsize(), 3) << "the height typed becomes TEXTSIZE";
}

TEST_F(Drawing, AttdefAsksTagPromptDefaultPointAndHeight) {
    ASSERT_EQ(script("ATTDEF\nname\nYour name\nNobody\n1,2\n\nATTDEF\nplain\n\n\n0,0\n4\n"), 0) << out;
    std::vector<AcDbObjectId> ids = entities();
    ASSERT_EQ(ids.size(), 2u);
    read<AcDbAttributeDefinition>(ids[0], [](AcDbAttributeDefinition* d) {
        EXPECT_STREQ(d->tagConst(), "NAME");
        EXPECT_STREQ(d->promptConst(), "Your name");
        EXPECT_STREQ(d->textStringConst(), "Nobody");
        expectPoint(d->position(), AcGePoint3d(1, 2, 0));
        EXPECT_DOUBLE_EQ(d->height(), 2.5) << "an empty height answer takes TEXTSIZE";
    });
    read<AcDbAttributeDefinition>(ids[1], [](AcDbAttributeDefinition* d) {
        EXPECT_STREQ(d->promptConst(), "PLAIN") << "without a prompt the tag asks";
        EXPECT_STREQ(d->textStringConst(), "");
        EXPECT_DOUBLE_EQ(d->height(), 4);
    });
}

TEST_F(Drawing, EscapeDuringAPromptChangesNothing) {
    ASSERT_EQ(script("LINE 0,0 10,0 20,5 \x1b\nCIRCLE 0,0 \x1b\nTEXT 0,0 2 0 \x1b\nATTDEF tag \x1b\n"), 0) << out;
    EXPECT_TRUE(entities().empty());
    EXPECT_TRUE(printed("*Cancel*"));
    EXPECT_FALSE(doc->isModified());
}

TEST_F(Drawing, WrongAnswerFailsTheScriptWithAMessage) {
    EXPECT_EQ(script("LINE 0,0 abc\n"), 1);
    EXPECT_TRUE(printed("Point or option keyword required.")) << out;
    EXPECT_TRUE(printed("LINE failed")) << out;
    EXPECT_EQ(script("CIRCLE 0,0 0\n"), 1);
    EXPECT_TRUE(printed("nonzero")) << out;
    EXPECT_EQ(script("ARC 0,0 5,0 10,0\n"), 1);
    EXPECT_TRUE(printed("lie on one line")) << out;
    EXPECT_TRUE(entities().empty());
}

TEST_F(Drawing, PersonIsAskedAgainAfterAWrongAnswer) {
    AcEdLineSource typed(true, true);
    line().setInput(&typed);
    typed.push("CIRCLE 2P 0,0 0,0 4,0\n");
    EXPECT_EQ(line().run(true), 0);
    EXPECT_TRUE(printed("must differ")) << out;
    ASSERT_EQ(entities().size(), 1u);
    read<AcDbCircle>(entities()[0], [](AcDbCircle* c) { EXPECT_DOUBLE_EQ(c->radius(), 2); });
    line().setInput(&input);
}
}  // namespace
