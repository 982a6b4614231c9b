#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <vector>
#include "CondFormula.h"
#include "FormulaContext.h"
#include "GripBinding.h"
#include "GripDragContext.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/rotateddim.h"
#include "db/text.h"
#include "theFunctions.h"
#include "zeft_blockref_support.h"

namespace {
using zefttest::Drawing;
using zefttest::Open;

// Values for a call; owns them, and the results that are not one of them.
struct Values {
    std::vector<std::unique_ptr<CVariable>> owned;
    CVariable* add(uint16_t kind) {
        owned.push_back(std::make_unique<CVariable>());
        owned.back()->kind = kind;
        return owned.back().get();
    }
    CVariable* real(double v) {
        CVariable* value = add(RTREAL);
        value->realValue = v;
        return value;
    }
    CVariable* shortInt(int v) {
        CVariable* value = add(RTSHORT);
        value->shortValue = static_cast<int16_t>(v);
        return value;
    }
    CVariable* point(double x, double y, double z = 0.0) {
        CVariable* value = add(RTPOINT);
        value->point[0] = x;
        value->point[1] = y;
        value->point[2] = z;
        return value;
    }
    CVariable* entity(AcDbObjectId id) {
        CVariable* value = add(RTENAME);
        value->objectId = id;
        return value;
    }
    // Calls f with the arguments (null entries kept); a new result is owned here too.
    CVariable* call(FormulaFunction f, std::initializer_list<CVariable*> args, ZEFTGripPoint* grip = nullptr) {
        CVariableList list;
        for (CVariable* a : args) list.AddTail(a);
        setFormulaContext(grip, &list);
        CVariable* result = f();
        setFormulaContext(nullptr, nullptr);
        bool isArgument = false;
        for (CVariable* a : args) isArgument = isArgument || a == result;
        bool known = false;
        for (auto& v : owned) known = known || v.get() == result;
        if (result && !isArgument && !known) owned.emplace_back(result);
        return result;
    }
};

void expectPoint(const CVariable* v, double x, double y, double z) {
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->kind, RTPOINT);
    EXPECT_DOUBLE_EQ(v->point[0], x);
    EXPECT_DOUBLE_EQ(v->point[1], y);
    EXPECT_DOUBLE_EQ(v->point[2], z);
}

class FunctionsGeometry : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zefttest::registerClasses(); }
    void SetUp() override { setStretchBlockReference(nullptr); }
    void TearDown() override { setStretchBlockReference(nullptr); }
    Values v;
};

TEST_F(FunctionsGeometry, SetVarAssignsOrClears) {
    CVariable* target = v.real(1.0);
    EXPECT_EQ(v.call(FnSetVar, {target, v.real(4.5)}), target);
    EXPECT_EQ(target->kind, RTREAL);
    EXPECT_DOUBLE_EQ(target->realValue, 4.5);
    EXPECT_EQ(v.call(FnSetVar, {target, nullptr}), target);
    EXPECT_EQ(target->kind, RTNIL);
    EXPECT_EQ(v.call(FnSetVar, {}), nullptr);
    EXPECT_EQ(v.call(FnSetVar, {nullptr, v.real(1)}), nullptr);
}

TEST_F(FunctionsGeometry, ThisPointBySubPointAndType) {
    std::unique_ptr<ZEFTGripPoint> rect(
        zefttest::gripPoint(5, {9, 9, 0}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));
    expectPoint(v.call(FnGetThisPoint, {v.shortInt(2)}, rect.get()), 2, 0, 0);
    expectPoint(v.call(FnGetThisPoint, {v.shortInt(9)}, rect.get()), 3, 0, 0);
    expectPoint(v.call(FnGetThisPoint, {}, rect.get()), 0, 0, 0);
    expectPoint(v.call(FnGetThisPoint, {v.shortInt(-4)}, rect.get()), 0, 0, 0);

    std::unique_ptr<ZEFTGripPoint> radius(zefttest::gripPoint(3, {5, 0, 0}));
    radius->setCenterOfRadius({1, 1, 0});
    expectPoint(v.call(FnGetThisPoint, {}, radius.get()), 5, 0, 0);
    expectPoint(v.call(FnGetThisPoint, {v.shortInt(1)}, radius.get()), 5, 0, 0);
    expectPoint(v.call(FnGetThisPoint, {v.shortInt(2)}, radius.get()), 1, 1, 0);

    std::unique_ptr<ZEFTGripPoint> bare(zefttest::gripPoint(4, {7, 8, 0}));
    expectPoint(v.call(FnGetThisPoint, {}, bare.get()), 7, 8, 0);
    EXPECT_EQ(v.call(FnGetThisPoint, {}), nullptr);

    setCurrentGripOffset({1, -2, 3});
    expectPoint(v.call(FnGetOffset, {}), 1, -2, 3);
}

TEST_F(FunctionsGeometry, PointArithmetic) {
    CVariable* r = v.call(FnDist, {v.point(0, 0), v.point(3, 4)});
    ASSERT_NE(r, nullptr);
    EXPECT_DOUBLE_EQ(r->realValue, 5.0);
    EXPECT_DOUBLE_EQ(v.call(FnDistX, {v.point(5, 0), v.point(2, 0)})->realValue, 3.0);
    EXPECT_DOUBLE_EQ(v.call(FnDistZ, {v.point(0, 0, -1), v.point(0, 0, 2)})->realValue, 3.0);
    expectPoint(v.call(FnMidY, {v.point(0, 2), v.point(4, 6)}), 0, 4, 0);
    expectPoint(v.call(FnMid, {v.point(0, 2, 2), v.point(4, 6, 0)}), 2, 4, 1);

    CVariable* base = v.point(1, 1);
    CVariable* moved = v.call(FnFromTo, {base, v.real(1), v.real(2), v.real(3)});
    expectPoint(moved, 2, 3, 3);
    EXPECT_NE(moved, base);
    expectPoint(base, 1, 1, 0);

    CVariable* p = v.point(1, 2, 3);
    EXPECT_EQ(v.call(FnSetX, {p, v.real(7)}), p);
    expectPoint(p, 7, 2, 3);
    EXPECT_EQ(v.call(FnSetX, {v.real(1), v.real(7)}), nullptr);
    EXPECT_DOUBLE_EQ(v.call(FnGetY, {p})->realValue, 2.0);
    expectPoint(v.call(FnSetPt, {v.real(1), v.real(2)}), 1, 2, 0);
    expectPoint(v.call(FnSetPt, {v.real(1), v.real(2), v.real(5)}), 1, 2, 5);

    CVariable* polar = v.call(FnPolar, {v.point(1, 1), v.real(3.1415926535898 / 2), v.real(2)});
    ASSERT_NE(polar, nullptr);
    EXPECT_NEAR(polar->point[0], 1.0, 1e-9);
    EXPECT_NEAR(polar->point[1], 3.0, 1e-9);
    EXPECT_NEAR(v.call(FnGetAngle, {v.point(0, 0), v.point(0, -1)})->realValue, 3 * 3.14159265358979 / 2, 1e-9);
}

TEST_F(FunctionsGeometry, PointFunctionsRefuseMissingArguments) {
    for (FormulaFunction f : {FnDist, FnDistX, FnMid, FnMidX, FnGetAngle, FnGetX, FnSetX, FnSetPt, FnPolar, FnFromTo}) {
        EXPECT_EQ(v.call(f, {}), nullptr);
        EXPECT_EQ(v.call(f, {nullptr}), nullptr);
    }
    EXPECT_EQ(v.call(FnDist, {v.point(1, 1), nullptr}), nullptr);
    EXPECT_EQ(v.call(FnSetPt, {v.real(1)}), nullptr);
    EXPECT_EQ(v.call(FnPolar, {v.point(1, 1), v.real(1)}), nullptr);
    EXPECT_EQ(v.call(FnFromTo, {v.point(1, 1), v.real(1), v.real(1)}), nullptr);
}

TEST_F(FunctionsGeometry, EntityQueriesAndChanges) {
    Drawing drawing;
    std::vector<AcDbObjectId> ids;
    auto* text = new AcDbText({0, 0, 0}, "old", AcDbObjectId::kNull, 1.0, 0.0);
    drawing.block("PARTS",
                  {new AcDbCircle({0, 0, 0}, AcGeVector3d::kZAxis, 1.0), new AcDbArc({0, 0, 0}, 2.0, 0.0, 1.0), text,
                   new AcDbRotatedDimension(0.0, {0, 0, 0}, {4, 0, 0}, {0, 1, 0})},
                  AcGePoint3d::kOrigin, &ids);
    ASSERT_EQ(ids.size(), 4u);
    CVariable* circle = v.entity(ids[0]);
    EXPECT_EQ(v.call(FnSetDia, {circle, v.real(10)}), nullptr);
    EXPECT_DOUBLE_EQ(Open<AcDbCircle>(ids[0])->radius(), 5.0);
    EXPECT_DOUBLE_EQ(v.call(FnQueryRadius, {circle})->realValue, 5.0);
    v.call(FnSetRadius, {v.entity(ids[1]), v.real(3)});
    EXPECT_DOUBLE_EQ(v.call(FnQueryDia, {v.entity(ids[1])})->realValue, 6.0);

    CVariable* label = v.add(RTSTR);
    label->stringValue = "new";
    v.call(FnSetText, {v.entity(ids[2]), label});
    CVariable* read = v.call(FnQueryText, {v.entity(ids[2])});
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->kind, RTSTR);
    EXPECT_STREQ(read->stringValue.GetString(), "new");

    CVariable* measured = v.call(FnQueryText, {v.entity(ids[3])});
    ASSERT_NE(measured, nullptr);
    EXPECT_EQ(measured->kind, RTREAL);
    EXPECT_DOUBLE_EQ(measured->realValue, 4.0);
    EXPECT_DOUBLE_EQ(v.call(FnQueryDim, {v.entity(ids[3])})->realValue, 4.0);
    EXPECT_DOUBLE_EQ(v.call(FnQueryDim, {circle})->realValue, 0.0);

    v.call(FnHide, {circle, nullptr, v.entity(ids[1])});
    EXPECT_EQ(Open<AcDbEntity>(ids[0])->visibility(), AcDb::kInvisible);
    EXPECT_EQ(Open<AcDbEntity>(ids[1])->visibility(), AcDb::kInvisible);
    v.call(FnShow, {circle});
    EXPECT_EQ(Open<AcDbEntity>(ids[0])->visibility(), AcDb::kVisible);

    // An entity that is open already cannot be opened: null, nothing changed.
    {
        Open<AcDbCircle> busy(ids[0], AcDb::kForWrite);
        EXPECT_EQ(v.call(FnQueryRadius, {circle}), nullptr);
        v.call(FnHide, {circle, v.entity(ids[1])});
    }
    EXPECT_EQ(Open<AcDbEntity>(ids[1])->visibility(), AcDb::kInvisible);
    for (FormulaFunction f : {FnSetText, FnQueryText, FnSetRadius, FnQueryDia, FnQueryDim}) {
        EXPECT_EQ(v.call(f, {}), nullptr);
        EXPECT_EQ(v.call(f, {nullptr}), nullptr);
    }
}

TEST_F(FunctionsGeometry, EntityValuesAndTokens) {
    CVariable* plain = v.add(RTLONG);
    plain->longValue = 42;
    CVariable* got = v.call(FnGetEnt, {plain});
    ASSERT_NE(got, nullptr);
    EXPECT_NE(got, plain);
    EXPECT_EQ(got->kind, RTLONG);
    EXPECT_EQ(got->longValue, 42);
    EXPECT_EQ(v.call(FnGetEnt, {}), nullptr);

    CVariable* list = v.call(FnGetEnts, {plain, v.shortInt(7)});
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, RTLB);
    ASSERT_EQ(list->items.GetCount(), 2);
    EXPECT_EQ(list->items.GetHead()->longValue, 42);
    EXPECT_EQ(list->items.GetTail()->longValue, 7);
    while (!list->items.IsEmpty()) delete list->items.RemoveHead();

    CFormulaObject token;
    CVariable* bound = v.add(RTLB);
    bound->sourceToken = &token;
    EXPECT_EQ(v.call(FnGetFence, {bound}), bound);
    EXPECT_EQ(v.call(FnGetPoint, {bound}), bound);
    EXPECT_EQ(v.call(FnGetFence, {v.point(1, 1)}), nullptr);
    EXPECT_EQ(v.call(FnGetFence, {}), nullptr);
}

TEST_F(FunctionsGeometry, BoundStretchPointsMove) {
    Drawing drawing;
    std::vector<AcDbObjectId> ids;
    drawing.block("LINES", {new AcDbLine({0, 0, 0}, {5, 0, 0}), new AcDbLine({1, 1, 0}, {1, 6, 0})},
                  AcGePoint3d::kOrigin, &ids);
    CFormulaObject token;
    token.type = 7;
    token.ids.append(ids[0]);
    token.ids.append(ids[1]);
    AcDbIntArray first, second;
    first.append(1);
    second.append(0);
    second.append(1);
    token.stretchIds.append(first);
    token.stretchIds.append(second);
    CVariable* bound = v.add(RTLB);
    bound->sourceToken = &token;

    expectPoint(v.call(FnQueryPt, {bound, v.point(0, 0)}), 5, 0, 0);
    EXPECT_EQ(v.call(FnMovePtTo, {bound, v.point(10, 10)}), nullptr);
    {
        Open<AcDbLine> a(ids[0]), b(ids[1]);
        EXPECT_EQ(a->startPoint(), AcGePoint3d(0, 0, 0));
        EXPECT_EQ(a->endPoint(), AcGePoint3d(10, 10, 0));
        EXPECT_EQ(b->startPoint(), AcGePoint3d(10, 10, 0));
        EXPECT_EQ(b->endPoint(), AcGePoint3d(10, 15, 0));
    }
    v.call(FnMovePtBy, {bound, v.point(1, 0)});
    EXPECT_EQ(Open<AcDbLine>(ids[1])->endPoint(), AcGePoint3d(11, 15, 0));

    // Without a bound token or a target nothing moves.
    EXPECT_EQ(v.call(FnMovePtBy, {v.point(0, 0), v.point(1, 0)}), nullptr);
    EXPECT_EQ(v.call(FnMovePts, {bound, nullptr}), nullptr);
    EXPECT_EQ(Open<AcDbLine>(ids[1])->endPoint(), AcGePoint3d(11, 15, 0));
}

TEST_F(FunctionsGeometry, MoveGripNeedsAnEntityValue) {
    Drawing drawing;
    std::vector<AcDbObjectId> ids;
    drawing.block("GRIP", {zefttest::gripPoint(1, {2, 2, 0})}, AcGePoint3d::kOrigin, &ids);
    EXPECT_EQ(v.call(FnMoveGripBy, {v.real(1), v.real(1), v.point(1, 0)}), nullptr);
    EXPECT_EQ(v.call(FnMoveGripBy, {v.entity(ids[0]), nullptr, v.point(1, 0)}), nullptr);
    EXPECT_EQ(Open<ZEFTGripPoint>(ids[0])->position(), AcGePoint3d(2, 2, 0));
    v.call(FnMoveGripTo, {v.entity(ids[0]), v.real(3), v.point(5, 6)});
    EXPECT_EQ(Open<ZEFTGripPoint>(ids[0])->position(), AcGePoint3d(5, 6, 0));
    v.call(FnMoveGripBy, {v.entity(ids[0]), v.point(1, 1)});
    EXPECT_EQ(Open<ZEFTGripPoint>(ids[0])->position(), AcGePoint3d(6, 7, 0));
    // The lowest grip number there is (a one-point grip point has only its own grip).
    v.call(FnMoveGripTo, {v.entity(ids[0]), v.real(-3e9), v.point(0, 0)});
    EXPECT_EQ(Open<ZEFTGripPoint>(ids[0])->position(), AcGePoint3d(0, 0, 0));
}

}  // namespace

namespace {

TEST_F(FunctionsGeometry, MoveGripReshapesTheGripsChildren) {
    Drawing drawing;
    std::vector<AcDbObjectId> ids;
    ZEFTGripPoint* grip = zefttest::gripPoint(-1, {2, 2, 0});
    grip->setLeftRight(1);
    grip->setTopBottom(1);
    const AcDbObjectId definition =
        drawing.block("MOVER", {new AcDbLine({2, 2, 0}, {10, 0, 0}), grip}, AcGePoint3d::kOrigin, &ids);
    {
        Open<AcDbBlockTableRecord> record(definition);
        AcDbBlockTableRecordIterator* it = nullptr;
        ASSERT_EQ(record->newIterator(it), Acad::eOk);
        ZEFTGripPoint* closed = nullptr;
        ASSERT_EQ(acdbOpenObject(closed, ids[1], AcDb::kForRead), Acad::eOk);
        closed->close();
        EXPECT_TRUE(setChildEntities(closed, it));
        delete it;
    }
    const AcDbObjectId refId = drawing.reference(definition);
    {
        Open<ZEFTBlockReference> reference(refId, AcDb::kForWrite);
        ASSERT_EQ(reference.status, Acad::eOk);
        setStretchBlockReference(reference.object);
        v.call(FnMoveGripBy, {v.entity(ids[1]), v.point(1, 1)});
        setStretchBlockReference(nullptr);
    }
    EXPECT_EQ(Open<ZEFTGripPoint>(ids[1])->position(), AcGePoint3d(3, 3, 0));
    Open<AcDbLine> line(ids[0]);
    EXPECT_EQ(line->startPoint(), AcGePoint3d(3, 3, 0));
    EXPECT_EQ(line->endPoint(), AcGePoint3d(10, 0, 0));
}

}  // namespace
