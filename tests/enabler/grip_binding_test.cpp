#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "CondFormula.h"
#include "GripBinding.h"
#include "db/circle.h"
#include "db/line.h"
#include "ge/tol.h"
#include "zeft_blockref_support.h"

namespace {
using zefttest::Drawing;
using zefttest::Open;

struct Bound {
    AcDbObjectId id;
    std::vector<int> indices;
    bool operator==(const Bound&) const = default;
};

std::vector<Bound> childList(AcDbObjectId gripId, int list) {
    Open<ZEFTGripPoint> grip(gripId);
    std::vector<Bound> result;
    for (int i = 0; i < grip->childEntityCount(list); ++i) {
        Bound b{grip->getChildEntityId(i, list), {}};
        const AcDbIntArray& ids = grip->getChildStretchPointIds(i, list);
        for (int k = 0; k < ids.length(); ++k) b.indices.push_back(ids[k]);
        result.push_back(b);
    }
    return result;
}

class GripBinding : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zefttest::registerClasses(); }

    // Builds the definition, the grip point first, and binds it through an iterator.
    void build(ZEFTGripPoint* grip, std::initializer_list<AcDbEntity*> entities) {
        std::vector<AcDbEntity*> all{grip};
        all.insert(all.end(), entities.begin(), entities.end());
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(drawing.db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* record = new AcDbBlockTableRecord();
        record->setName("DEF");
        table->add(definition, record);
        table->close();
        for (AcDbEntity* e : all) {
            AcDbObjectId id;
            record->appendAcDbEntity(id, e);
            e->close();
            ids.push_back(id);
        }
        record->close();
        gripPtr = grip;
    }
    bool bind(bool formula = false) {
        Open<AcDbBlockTableRecord> record(definition);
        AcDbBlockTableRecordIterator* it = nullptr;
        EXPECT_EQ(record->newIterator(it), Acad::eOk);
        const bool ok = formula ? setFormulaChildEntities(gripPtr, it) : setChildEntities(gripPtr, it);
        delete it;
        return ok;
    }

    Drawing drawing;
    AcDbObjectId definition;
    std::vector<AcDbObjectId> ids;
    ZEFTGripPoint* gripPtr = nullptr;
};

TEST_F(GripBinding, PositionMatchesBindTheirStretchPoints) {
    build(zefttest::gripPoint(0, {0, 0, 0}),
          {new AcDbLine({0, 0, 0}, {5, 0, 0}), new AcDbLine({1, 1, 0}, {5, 0, 0}),
           new AcDbLine({3, 0, 0}, {2e-08, 0, 0}), new AcDbLine({5e-08, 0, 0}, {3, 3, 0})});
    const double tolerance = AcGeContext::gTol.equalPoint();
    ASSERT_TRUE(bind());
    EXPECT_EQ(AcGeContext::gTol.equalPoint(), tolerance);
    const std::vector<Bound> expected{{ids[1], {0}}, {ids[3], {1}}};
    EXPECT_EQ(childList(ids[0], 0), expected);
    ASSERT_TRUE(bind());
    EXPECT_EQ(childList(ids[0], 0), expected);
}

TEST_F(GripBinding, OutlinesBindInsideAndBoundaryPoints) {
    ZEFTGripPoint* grip = zefttest::gripPoint(1, {50, 50, 0});
    for (AcGePoint3d p : {AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(10, 10, 0), AcGePoint3d(0, 10, 0)})
        grip->pointLists[0].append(p);
    build(grip, {new AcDbLine({5, 5, 0}, {20, 5, 0}), new AcDbLine({10, 3, 0}, {20, 3, 0}),
                 new AcDbLine({30, 0, 0}, {40, 0, 0})});
    ASSERT_TRUE(bind());
    const std::vector<Bound> expected{{ids[1], {0}}, {ids[2], {0}}};
    EXPECT_EQ(childList(ids[0], 0), expected);
}

TEST_F(GripBinding, SubPointsFillTwoLists) {
    build(zefttest::gripPoint(4, {0, 0, 0}, {{0, 0, 0}, {10, 0, 0}}),
          {new AcDbLine({0, 0, 0}, {10, 0, 0}), new AcDbLine({10, 0, 0}, {10, 5, 0}),
           new AcDbCircle({0, 0, 0}, AcGeVector3d::kZAxis, 1.0)});
    ASSERT_TRUE(bind());
    EXPECT_EQ(childList(ids[0], 0), (std::vector<Bound>{{ids[1], {0}}, {ids[3], {0}}}));
    EXPECT_EQ(childList(ids[0], 1), (std::vector<Bound>{{ids[1], {1}}, {ids[2], {0}}}));
}

TEST_F(GripBinding, GripOpenElsewhereIsRefused) {
    build(zefttest::gripPoint(0, {0, 0, 0}), {new AcDbLine({0, 0, 0}, {5, 0, 0})});
    {
        Open<ZEFTGripPoint> busy(ids[0], AcDb::kForRead);
        EXPECT_FALSE(bind());
    }
    EXPECT_TRUE(childList(ids[0], 0).empty());
}

CFormulaObject* pointToken(CCondFormula* statement, const AcGePoint3d& p) {
    auto* token = new CFormulaObject;
    token->type = 7;
    token->point = p;
    statement->tokens.AddTail(token);
    return token;
}

TEST_F(GripBinding, PointTokenRunsBindByPointOrOutline) {
    ZEFTGripPoint* grip = zefttest::gripPoint(1, {50, 50, 0});
    auto* single = new CCondFormula;
    CFormulaObject* alone = pointToken(single, {3, 4, 0});
    auto* runs = new CCondFormula;
    CFormulaObject* first = pointToken(runs, {0, 0, 0});
    CFormulaObject* second = pointToken(runs, {10, 0, 0});
    pointToken(runs, {0, 10, 0});
    auto* number = new CFormulaObject;
    number->type = 1;
    runs->tokens.AddTail(number);
    CFormulaObject* fourth = pointToken(runs, {3, 4, 0});
    grip->AddFormula(single);
    grip->AddFormula(runs);
    build(grip, {new AcDbLine({20, 20, 0}, {3, 4 + 5e-08, 0}), new AcDbLine({1, 1, 0}, {2, 2, 0}),
                 new AcDbLine({3, 4.001, 0}, {30, 30, 0})});
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(bind(true));
        Open<ZEFTGripPoint> open(ids[0]);
        ASSERT_EQ(alone->ids.length(), 1);
        EXPECT_EQ(alone->ids[0], ids[1]);
        ASSERT_EQ(alone->stretchIds.length(), 1);
        EXPECT_EQ(alone->stretchIds[0].length(), 1);
        EXPECT_EQ(alone->stretchIds[0][0], 1);
        // The triangle holds one end of the first and third lines and all of the second.
        ASSERT_EQ(first->ids.length(), 3);
        ASSERT_EQ(first->stretchIds.length(), 3);
        EXPECT_EQ(first->ids[0], ids[1]);
        EXPECT_EQ(first->stretchIds[0].length(), 1);
        EXPECT_EQ(first->stretchIds[0][0], 1);
        EXPECT_EQ(first->ids[1], ids[2]);
        EXPECT_EQ(first->stretchIds[1].length(), 2);
        EXPECT_EQ(first->ids[2], ids[3]);
        EXPECT_EQ(first->stretchIds[2][0], 0);
        EXPECT_EQ(second->ids.length(), 0);
        ASSERT_EQ(fourth->ids.length(), 1);
        EXPECT_EQ(fourth->ids[0], ids[1]);
    }
}

}  // namespace
