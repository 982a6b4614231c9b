#include <gtest/gtest.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "ModuleState.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "db/line.h"
#include "db/symtab.h"
#include "ed/command.h"
#include "ed/commandline.h"
#include "gi/recorder.h"

namespace {
using Pts = std::vector<AcGePoint3d>;

CCondFormula* pointStatement(const AcGePoint3d& p) {
    auto* s = new CCondFormula;
    s->text = "movePts(";
    for (int16_t type : {3, 7}) {
        auto* t = new CFormulaObject;
        t->type = type;
        t->point = type == 7 ? p : AcGePoint3d();
        s->tokens.AddTail(t);
    }
    return s;
}
CVariable* variable(const char* name, int32_t flag) {
    auto* v = new CVariable;
    v->name = name;
    v->flag = flag;
    return v;
}
std::string nameAt(const ZEFTGripPoint& g, int index) {
    char* text = nullptr;
    EXPECT_EQ(g.dimensionalSettings(index, text), Acad::eOk);
    std::string s = text ? text : "<null>";
    std::free(text);
    return s;
}
Pts pts(const AcGePoint3dArray& a) { return Pts(a.begin(), a.end()); }
Pts gripsOf(const ZEFTGripPoint& g) {
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    EXPECT_EQ(g.getGripPoints(grips, modes, ids), Acad::eOk);
    return pts(grips);
}

// Two lines in model space, for child ids.
struct Drawing {
    Drawing() : db(true, true) {
        a = append(new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 1, 0)), db.modelSpaceId());
        b = append(new AcDbLine(AcGePoint3d(), AcGePoint3d(2, 1, 0)), db.modelSpaceId());
    }
    AcDbObjectId append(AcDbEntity* entity, AcDbObjectId spaceId) {
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(space, spaceId, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
        entity->close();
        space->close();
        return id;
    }
    AcDbDatabase db;
    AcDbObjectId a, b;
};

// Every filed field set.
void fill(ZEFTGripPoint& g, AcDbObjectId a, AcDbObjectId b) {
    g.setTopBottom(1);
    g.setLeftRight(1);
    g.setCenterOfRadius(AcGePoint3d(1, 2, 3));
    g.setGripType(5);
    g.setPosition(AcGePoint3d(4, 5, 6));
    g.setInsBase(AcGePoint3d(7, 8, 9));
    g.pointLists[0] = AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(10, 10, 0)};
    g.pointLists[1] = AcGePoint3dArray{AcGePoint3d(20, 0, 0), AcGePoint3d(30, 0, 0)};
    AcDbIntArray s0{0, 2}, s1{1}, none;
    g.appendChildEntity(a, 0);
    g.setChildStretchPointIds(s0, 0);
    g.appendChildEntity(b, 0);
    g.setChildStretchPointIds(none, 0);
    g.appendChildEntity(b, 1);
    g.setChildStretchPointIds(s1, 1);
    g.subPoints = AcGePoint3dArray{AcGePoint3d(1, 0, 0), AcGePoint3d(1, 1, 0), AcGePoint3d(0, 1, 0), AcGePoint3d()};
    g.setDimensionalSettings(0, "width");
    g.smartGripData[0].minimum = 2.5;
    g.smartGripData[0].maximum = 40;
    g.smartGripData[0].values.append(5);
    g.setDimensionalSettings(1, "height");
    g.smartGripData[1].values.append(10);
    g.smartGripData[1].values.append(20);
    g.setDimensionalSettings(2, nullptr);
    g.AddFormula(pointStatement(AcGePoint3d(3, 3, 0)));
    g.AddFormula(pointStatement(AcGePoint3d(6, 6, 0)));
    g.variables.AddTail(variable("a", 1));
    g.variables.AddTail(variable("b", 0));
}

void expectSameRecord(const ZEFTGripPoint& r, const ZEFTGripPoint& g) {
    EXPECT_EQ(r.topBottom(), g.topBottom());
    EXPECT_EQ(r.leftRight(), g.leftRight());
    EXPECT_EQ(r.centerOfRadius(), g.centerOfRadius());
    EXPECT_EQ(r.gripType(), g.gripType());
    EXPECT_EQ(r.position(), g.position());
    EXPECT_EQ(r.insBase(), g.insBase());
    for (int l = 0; l < 2; ++l) {
        EXPECT_EQ(r.pointLists[l], g.pointLists[l]) << "list " << l;
        EXPECT_EQ(r.childIds[l], g.childIds[l]) << "list " << l;
        EXPECT_EQ(r.childStretchIds[l], g.childStretchIds[l]) << "list " << l;
    }
    EXPECT_EQ(r.subPoints, g.subPoints);
    ASSERT_EQ(r.smartGripData.length(), g.smartGripData.length());
    for (int i = 0; i < g.smartGripData.length(); ++i) {
        const CSmartGripData &x = r.smartGripData[i], &y = g.smartGripData[i];
        EXPECT_EQ(nameAt(r, i), nameAt(g, i));
        EXPECT_TRUE(!x.name || x.name != y.name) << "names are never shared between grip points";
        EXPECT_EQ(x.minimum, y.minimum);
        EXPECT_EQ(x.maximum, y.maximum);
        EXPECT_EQ(x.values, y.values);
    }
    ASSERT_EQ(r.formulas.GetCount(), g.formulas.GetCount());
    for (POSITION p = r.formulas.GetHeadPosition(), q = g.formulas.GetHeadPosition(); p && q;) {
        const CCondFormula *x = r.formulas.GetNext(p), *y = g.formulas.GetNext(q);
        EXPECT_NE(x, y);
        EXPECT_STREQ(x->text, y->text);
        EXPECT_EQ(x->tokens.GetTail()->point, y->tokens.GetTail()->point);
    }
    ASSERT_EQ(r.variables.GetCount(), g.variables.GetCount());
    for (POSITION p = r.variables.GetHeadPosition(), q = g.variables.GetHeadPosition(); p && q;) {
        const CVariable *x = r.variables.GetNext(p), *y = g.variables.GetNext(q);
        EXPECT_NE(x, y);
        EXPECT_STREQ(x->name, y->name);
        EXPECT_EQ(x->flag, y->flag);
    }
}

// DWG records written by hand: the entity part and the common head of a version.
void writeHead(AcDbDwgFiler& f, Adesk::UInt16 version) {
    ZEFTGripPoint plain;
    plain.AcDbCurve::dwgOutFields(&f);
    f.writeUInt16(version);
    f.writeBoolean(1);
    f.writeBoolean(0);
    f.writePoint3d(AcGePoint3d(1, 1, 0));
    f.writeInt16(4);
    f.writePoint3d(AcGePoint3d(2, 2, 0));
    f.writePoint3d(AcGePoint3d(3, 3, 0));
}
void writePoints(AcDbDwgFiler& f, const Pts& points) {
    f.writeUInt16(static_cast<Adesk::UInt16>(points.size()));
    for (const AcGePoint3d& p : points) f.writePoint3d(p);
}
// Versions 7 to 11: both lists without children, then two sub-points.
void writeLists(AcDbDwgFiler& f) {
    writePoints(f, {AcGePoint3d(5, 0, 0)});
    f.writeUInt16(0);
    writePoints(f, {AcGePoint3d(6, 0, 0)});
    f.writeUInt16(0);
    writePoints(f, {AcGePoint3d(), AcGePoint3d(9, 0, 0)});
}
// The reader stopped right before the end marker.
void expectEndMarker(AcDbDwgFiler& f) {
    Adesk::UInt16 next = 0;
    f.readUInt16(&next);
    EXPECT_EQ(next, 0xBEEF);
}

size_t indexOf(const AcDbDxfMemoryFiler& f, int code) {
    for (size_t i = 0; i < f.groups().size(); ++i)
        if (f.groups()[i].code == code) return i;
    return f.groups().size();
}

class ZeftGripPoint : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ZEFTGripPoint::rxInit();
        acrxBuildClassHierarchy();
    }
};
}  // namespace

TEST_F(ZeftGripPoint, RegistersAsACurveOfTheModule) {
    ZEFTGripPoint::rxInit();  // a second registration finds its own descriptor
    AcRxClass* cls = ZEFTGripPoint::desc();
    ASSERT_NE(cls, nullptr);
    EXPECT_STREQ(cls->dxfName(), "ZEFTGRIPPOINT");
    EXPECT_TRUE(cls->isDerivedFrom(AcDbCurve::desc()));
    int maintenance = -1;
    EXPECT_EQ(cls->dwgVersion(maintenance), 25);
    EXPECT_EQ(cls->proxyFlags(), 0x3ff);
    EXPECT_EQ(std::string(cls->appName()).rfind("\"ZEFTTAMSELDBX4APP\" \"|Product Desc:", 0), 0u);
    std::unique_ptr<AcRxObject> made(cls->create());
    EXPECT_NE(ZEFTGripPoint::cast(made.get()), nullptr);
    CLSID id{};
    ASSERT_EQ(ZEFTGripPoint().getClassID(&id), Acad::eOk);
    EXPECT_TRUE((id == CLSID{0x90032FEB, 0x21E2, 0x46FA, {0x9F, 0xED, 0x05, 0x29, 0x7F, 0x7C, 0x9D, 0xC2}}));
}

TEST_F(ZeftGripPoint, DimensionalSettingsAppendAtTheCountAndFreeEachNameOnce) {
    ZEFTGripPoint g;
    char* text = reinterpret_cast<char*>(0x1);
    EXPECT_EQ(g.dimensionalSettings(0, text), Acad::eInvalidIndex);
    EXPECT_EQ(text, reinterpret_cast<char*>(0x1));  // left alone
    EXPECT_EQ(g.setDimensionalSettings(1, "gap"), Acad::eInvalidIndex);
    std::string source = "width";
    ASSERT_EQ(g.setDimensionalSettings(0, source.c_str()), Acad::eOk);
    source[0] = 'X';
    EXPECT_EQ(nameAt(g, 0), "width");
    EXPECT_TRUE(g.smartGripData[0].values.isEmpty());
    ASSERT_EQ(g.setDimensionalSettings(0, "depth"), Acad::eOk);  // the old name is freed (ASan)
    EXPECT_EQ(g.smartGripData.length(), 1);
    ASSERT_EQ(g.setDimensionalSettings(0, g.smartGripData[0].name), Acad::eOk);  // its own name (ASan)
    EXPECT_EQ(nameAt(g, 0), "depth");
    // Growing the array copies settings and their name pointers; each name is still freed once.
    for (int i = 1; i < 40; ++i) ASSERT_EQ(g.setDimensionalSettings(i, std::to_string(i).c_str()), Acad::eOk);
    EXPECT_EQ(nameAt(g, 39), "39");
    ASSERT_EQ(g.setDimensionalSettings(40, nullptr), Acad::eOk);
    EXPECT_EQ(nameAt(g, 40), "<null>");

    CSmartGripData a;
    a.name = strdup("span");
    {
        CSmartGripData b(a), c;
        c = a;
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(c.name, a.name);
    }  // copies die without freeing the shared name
    EXPECT_STREQ(a.name, "span");
    a.releaseName();
    EXPECT_EQ(a.name, nullptr);
}

TEST_F(ZeftGripPoint, ChildListsAndStatementsAreKeptAsSpecified) {
    Drawing d;
    ZEFTGripPoint g;
    AcDbIntArray s{1, 3};
    g.appendChildEntity(d.a, 0);
    g.appendChildEntity(d.a, 0);
    g.setChildStretchPointIds(s, 0);
    g.setChildStretchPointIds(s, 0);
    EXPECT_EQ(g.childEntityCount(0), 1);
    EXPECT_EQ(g.childStretchIds[0].length(), 2);
    EXPECT_TRUE(g.hasChildEntity(d.a, 0));
    EXPECT_FALSE(g.hasChildEntity(d.a, 1));
    g.appendChildEntity(d.b, 1);
    g.appendChildEntity(d.a, 1);
    g.setGripType(5);
    EXPECT_EQ(g.childEntityCount(2), 2);  // list 2 reads list 1 for grip type 5
    EXPECT_EQ(g.getChildEntityId(1, 2), d.a);
    g.setGripType(4);
    EXPECT_EQ(g.childEntityCount(2), 0);  // outside the lists, answered safely
    EXPECT_TRUE(g.getChildStretchPointIds(0, 2).isEmpty());
    EXPECT_EQ(g.appendChildEntity(d.a, 2), Acad::eInvalidIndex);
    g.clearChildEntities(0);
    EXPECT_TRUE(g.childIds[0].isEmpty() && g.childStretchIds[0].isEmpty());

    CCondFormula* first = pointStatement(AcGePoint3d());
    g.AddFormula(first);
    g.AddFormula(pointStatement(AcGePoint3d()));
    g.variables.AddTail(variable("x", 1));
    EXPECT_EQ(g.GetFormula(0), first);
    EXPECT_EQ(g.GetFormula(2), nullptr);
    g.ClearFormula();  // deletes both kinds (ASan)
    EXPECT_EQ(g.formulas.GetCount() + g.variables.GetCount(), 0);

    // Temporaries belong to the interpreter: the destructor leaves them alone.
    CVariable temporary;
    auto* h = new ZEFTGripPoint;
    h->temporaries.AddTail(&temporary);
    h->variables.AddTail(variable("y", 1));
    h->AddFormula(pointStatement(AcGePoint3d()));
    delete h;
}

TEST_F(ZeftGripPoint, OwnGripsAndTheirMovesFollowTheGripType) {
    ZEFTGripPoint g;
    EXPECT_EQ(gripsOf(g), Pts{AcGePoint3d()});
    AcGePoint3dArray stretch;
    ASSERT_EQ(g.getStretchPoints(stretch), Acad::eOk);
    EXPECT_EQ(stretch.length(), 1);

    const AcGePoint3d P(1, 1, 0), C(5, 5, 0), A(0, 0, 0), B(2, 0, 0), D(2, 2, 0);
    g.setPosition(P);
    g.setCenterOfRadius(C);
    g.pointLists[0] = AcGePoint3dArray{A, B, D};
    g.setGripType(3);
    EXPECT_EQ(gripsOf(g), (Pts{P, C, A, B, D}));
    g.moveGripPointsAt(AcDbIntArray{4}, AcGeVector3d(0, 1, 0));
    EXPECT_EQ(pts(g.pointLists[0]), (Pts{A, B, AcGePoint3d(2, 3, 0)}));
    g.setGripType(1);
    g.moveStretchPointsAt(AcDbIntArray{0, 1}, AcGeVector3d(-1, 0, 0));  // grip 0: the position only
    EXPECT_EQ(g.position(), AcGePoint3d(0, 1, 0));
    EXPECT_EQ(g.centerOfRadius(), C);
    EXPECT_EQ(g.pointLists[0][0], AcGePoint3d(-1, 0, 0));

    const AcGePoint3d S0(1, 0, 0), S1(9, 0, 0), a(0, 1, 0), b(0, 2, 0), c(10, 1, 0), e(10, 2, 0);
    ZEFTGripPoint h;
    h.setGripType(4);
    h.subPoints = AcGePoint3dArray{S0, S1};
    h.pointLists[0] = AcGePoint3dArray{a, b};
    h.pointLists[1] = AcGePoint3dArray{c, e};
    EXPECT_EQ(gripsOf(h), (Pts{AcGePoint3d(), S0, a, b, S1, c, e}));
    h.moveGripPointsAt(AcDbIntArray{4, 0, 99}, AcGeVector3d(1, 0, 0));  // 0 moves nothing, 99 is past the grips
    EXPECT_EQ(pts(h.subPoints), (Pts{S0, AcGePoint3d(10, 0, 0)}));
    EXPECT_EQ(h.position(), AcGePoint3d());

    // For the position-only types grip 0 carries the centre and both outlines along.
    for (short type : {-1, 0, 2}) {
        h.setGripType(type);
        h.moveGripPointsAt(AcDbIntArray{0}, AcGeVector3d(0, 1, 0));
        EXPECT_EQ(h.position(), AcGePoint3d(0, 1, 0)) << type;
        EXPECT_EQ(h.centerOfRadius(), AcGePoint3d(0, 1, 0)) << type;
        EXPECT_EQ(h.pointLists[1][1], AcGePoint3d(10, 3, 0)) << type;
        EXPECT_EQ(h.subPoints[0], S0) << type;
        h.moveGripPointsAt(AcDbIntArray{0}, AcGeVector3d(0, -1, 0));
    }
}

TEST_F(ZeftGripPoint, TransformCarriesPointTokensButNotTheInsertionBase) {
    ZEFTGripPoint g;
    g.setInsBase(AcGePoint3d(1, 1, 0));
    g.setPosition(AcGePoint3d(1, 0, 0));
    g.pointLists[1] = AcGePoint3dArray{AcGePoint3d(3, 0, 0)};
    g.subPoints = AcGePoint3dArray{AcGePoint3d(4, 0, 0)};
    g.AddFormula(pointStatement(AcGePoint3d(5, 0, 0)));
    const AcGeMatrix3d shift = AcGeMatrix3d::translation(AcGeVector3d(0, 10, 0));
    EXPECT_EQ(g.transformBy(shift), Acad::eOk);  // not the entity level's eNotApplicable
    EXPECT_EQ(g.position(), AcGePoint3d(1, 10, 0));
    EXPECT_EQ(g.centerOfRadius(), AcGePoint3d(0, 10, 0));
    EXPECT_EQ(g.pointLists[1][0], AcGePoint3d(3, 10, 0));
    EXPECT_EQ(g.subPoints[0], AcGePoint3d(4, 10, 0));
    EXPECT_EQ(g.GetFormula(0)->tokens.GetTail()->point, AcGePoint3d(5, 10, 0));
    EXPECT_EQ(g.GetFormula(0)->tokens.GetHead()->point, AcGePoint3d());  // not a point token
    EXPECT_EQ(g.insBase(), AcGePoint3d(1, 1, 0));
    AcDbEntity* copy = nullptr;  // explode and the copy commands go through this
    ASSERT_EQ(g.getTransformedCopy(shift, copy), Acad::eOk);
    EXPECT_EQ(ZEFTGripPoint::cast(copy)->position(), AcGePoint3d(1, 20, 0));
    delete copy;
}

TEST_F(ZeftGripPoint, MidSnapsCloseTheOutline) {
    ZEFTGripPoint g;
    g.setPosition(AcGePoint3d(7, 7, 0));
    g.pointLists[0] = AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 2, 0)};
    g.subPoints = AcGePoint3dArray{AcGePoint3d(9, 9, 0)};
    auto snaps = [&g](AcDb::OsnapMode mode) {
        AcGePoint3dArray points;
        AcDbIntArray ids;
        EXPECT_EQ(g.getOsnapPoints(mode, 0, AcGePoint3d(), AcGePoint3d(), AcGeMatrix3d(), points, ids), Acad::eOk);
        return pts(points);
    };
    EXPECT_EQ(snaps(AcDb::kOsModeMid), (Pts{AcGePoint3d(2, 0, 0), AcGePoint3d(4, 1, 0), AcGePoint3d(2, 1, 0)}));
    EXPECT_EQ(snaps(AcDb::kOsModeNode), Pts{AcGePoint3d(7, 7, 0)});
    EXPECT_EQ(snaps(AcDb::kOsModeCen), Pts{});
    g.setGripType(5);
    EXPECT_EQ(snaps(AcDb::kOsModeNode), Pts{AcGePoint3d(9, 9, 0)});
}

TEST_F(ZeftGripPoint, CopiesAndDeepClonesOwnTheirStatementsAndVariables) {
    Drawing d;
    auto* g = new ZEFTGripPoint;
    fill(*g, d.a, d.b);
    {
        std::unique_ptr<AcRxObject> made(g->clone());
        auto* copy = ZEFTGripPoint::cast(made.get());
        ASSERT_NE(copy, nullptr);
        expectSameRecord(*copy, *g);
    }  // the copy's lists die with it, the source's stay (ASan)
    const AcDbObjectId id = d.append(g, d.db.modelSpaceId());

    AcDbIdMapping map;
    AcDbObjectIdArray ids{id};
    ASSERT_EQ(d.db.deepCloneObjects(ids, d.db.modelSpaceId(), map), Acad::eOk);
    AcDbIdPair pair(id, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair) && pair.isCloned());
    ZEFTGripPoint *source = nullptr, *clone = nullptr;
    ASSERT_EQ(acdbOpenObject(source, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(clone, pair.value(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(clone->ownerId(), d.db.modelSpaceId());
    expectSameRecord(*clone, *source);
    clone->close();

    // A map that already holds the clone makes nothing new.
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, d.db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    const size_t before = space->entityIds().size();
    AcDbObject* again = reinterpret_cast<AcDbObject*>(0x1);
    EXPECT_EQ(source->deepClone(space, again, map, true), Acad::eOk);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(space->entityIds().size(), before);
    space->close();
    source->close();
}

TEST_F(ZeftGripPoint, XrefBindSkipsPaperSpaceGripPoints) {
    Drawing d;
    const AcDbObjectId paper = d.append(new ZEFTGripPoint, d.db.paperSpaceId());
    const AcDbObjectId model = d.append(new ZEFTGripPoint, d.db.modelSpaceId());
    AcDbDatabase dest(true, true);
    AcDbBlockTableRecord* target = nullptr;
    ASSERT_EQ(acdbOpenObject(target, dest.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbIdMapping map;
    map.setDeepCloneContext(AcDb::kDcXrefBind);
    for (AcDbObjectId id : {paper, model}) {
        ZEFTGripPoint* g = nullptr;
        ASSERT_EQ(acdbOpenObject(g, id, AcDb::kForRead), Acad::eOk);
        AcDbObject* clone = nullptr;
        EXPECT_EQ(g->wblockClone(target, clone, map, true), Acad::eOk);
        EXPECT_EQ(clone == nullptr, id == paper);
        if (clone) clone->close();
        g->close();
    }
    target->close();
}

TEST_F(ZeftGripPoint, DwgRoundTripReplacesEveryList) {
    Drawing d;
    ZEFTGripPoint g;
    fill(g, d.a, d.b);
    g.firstGripIndex = 7;
    AcDbDwgMemoryFiler f(AcDb::kCopyFiler, &d.db);
    ASSERT_EQ(g.dwgOutFields(&f), Acad::eOk);
    f.rewind();
    ZEFTGripPoint r;
    r.AddFormula(pointStatement(AcGePoint3d()));
    r.setDimensionalSettings(0, "old");
    r.appendChildEntity(d.a, 1);
    ASSERT_EQ(r.dwgInFields(&f), Acad::eOk);
    EXPECT_EQ(f.remaining(), 0u);
    expectSameRecord(r, g);
    EXPECT_EQ(r.firstGripIndex, 0);  // transient
}

TEST_F(ZeftGripPoint, OlderDwgVersionsReadTheirOwnLayout) {
    Drawing d;
    AcDbDwgMemoryFiler six(AcDb::kCopyFiler, &d.db);
    writeHead(six, 6);
    writePoints(six, {AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0)});
    six.writeUInt16(1);
    six.writeSoftPointerId(d.a);
    six.writeUInt16(0);  // its stretch-point index list, empty
    writePoints(six, {AcGePoint3d(5, 0, 0)});
    six.writeUInt16(11);  // two values read and dropped
    six.writeUInt16(12);
    six.writeUInt16(0xBEEF);
    six.rewind();
    ZEFTGripPoint r;
    r.AddFormula(pointStatement(AcGePoint3d()));
    r.pointLists[1] = AcGePoint3dArray{AcGePoint3d(9, 9, 9)};
    r.setDimensionalSettings(0, "kept");
    ASSERT_EQ(r.dwgInFields(&six), Acad::eOk);
    expectEndMarker(six);
    EXPECT_EQ(r.topBottom(), 1);
    EXPECT_EQ(r.gripType(), 4);
    EXPECT_EQ(r.insBase(), AcGePoint3d(3, 3, 0));
    EXPECT_EQ(pts(r.pointLists[0]), (Pts{AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0)}));
    EXPECT_EQ(r.getChildEntityId(0, 0), d.a);
    EXPECT_EQ(pts(r.subPoints), Pts{AcGePoint3d(5, 0, 0)});
    EXPECT_EQ(r.formulas.GetCount(), 0);  // emptied for every version
    EXPECT_EQ(pts(r.pointLists[1]), Pts{AcGePoint3d(9, 9, 9)});  // not in this version
    EXPECT_EQ(nameAt(r, 0), "kept");

    AcDbDwgMemoryFiler five;
    writeHead(five, 5);
    writePoints(five, {});
    five.writeUInt16(0);
    writePoints(five, {});
    five.writeUInt16(11);  // one value dropped
    five.writeUInt16(0xBEEF);
    five.rewind();
    ASSERT_EQ(r.dwgInFields(&five), Acad::eOk);
    expectEndMarker(five);

    // Version 8 settings: name, then three optional values (minimum, maximum, the one value).
    AcDbDwgMemoryFiler eight;
    writeHead(eight, 8);
    writeLists(eight);
    eight.writeUInt16(2);
    eight.writeString("first");
    eight.writeBoolean(1);
    eight.writeDouble(1.5);
    eight.writeBoolean(0);
    eight.writeBoolean(1);
    eight.writeDouble(0.25);
    eight.writeString("");
    eight.writeBoolean(0);
    eight.writeBoolean(1);
    eight.writeDouble(30);
    eight.writeBoolean(0);
    eight.writeUInt16(0xBEEF);
    eight.rewind();
    ASSERT_EQ(r.dwgInFields(&eight), Acad::eOk);
    expectEndMarker(eight);
    EXPECT_EQ(pts(r.pointLists[1]), Pts{AcGePoint3d(6, 0, 0)});
    ASSERT_EQ(r.smartGripData.length(), 2);
    EXPECT_EQ(nameAt(r, 0), "first");
    EXPECT_EQ(r.smartGripData[0].minimum, 1.5);
    EXPECT_EQ(r.smartGripData[0].maximum, 0.0);
    EXPECT_EQ(r.smartGripData[0].values, (AcArray<double>{0.25}));
    EXPECT_EQ(nameAt(r, 1), "<null>");  // empty text is no name
    EXPECT_EQ(r.smartGripData[1].maximum, 30.0);
    EXPECT_TRUE(r.smartGripData[1].values.isEmpty());

    AcDbDwgMemoryFiler nine;
    writeHead(nine, 9);
    writeLists(nine);
    nine.writeUInt16(1);
    nine.writeString("w");
    for (double v : {1.0, 2.0, 3.0}) nine.writeDouble(v);
    nine.writeUInt16(0xBEEF);
    nine.rewind();
    ASSERT_EQ(r.dwgInFields(&nine), Acad::eOk);
    expectEndMarker(nine);
    ASSERT_EQ(r.smartGripData.length(), 1);
    EXPECT_EQ(r.smartGripData[0].maximum, 2.0);
    EXPECT_EQ(r.smartGripData[0].values, (AcArray<double>{3.0}));

    AcDbDwgMemoryFiler newer;
    writeHead(newer, 12);
    newer.rewind();
    r.setGripType(2);
    EXPECT_EQ(r.dwgInFields(&newer), Acad::eMakeMeProxy);
    EXPECT_EQ(r.gripType(), 2);  // nothing further read
}

TEST_F(ZeftGripPoint, DxfRecordAppendsWhatTheSpecifiedGroupsLeaveOut) {
    Drawing d;
    ZEFTGripPoint g;
    fill(g, d.a, d.b);
    AcDbDxfMemoryFiler f(&d.db);
    ASSERT_EQ(g.dxfOutFields(&f), Acad::eOk);
    std::vector<int> all;
    size_t start = 0;
    for (const AcDbDxfGroup& group : f.groups()) {
        if (group.code == 100 && group.text == "ZEFTGripPoint") start = all.size();
        all.push_back(group.code);
    }
    ASSERT_GT(start, 0u);
    EXPECT_EQ(std::vector<int>(all.begin() + static_cast<long>(start) + 1, all.begin() + static_cast<long>(start) + 13),
              (std::vector<int>{70, 280, 281, 11, 170, 10, 16, 171, 17, 17, 17, 72}));
    const size_t appended = indexOf(f, 173);
    EXPECT_EQ(all[appended - 5], 78);  // the variable count, then two variables of two groups
    EXPECT_EQ(std::vector<int>(all.begin() + static_cast<long>(appended), all.end()),
              (std::vector<int>{173, 18, 18, 174, 330, 73, 74, 175, 12, 12, 12, 12, 176, 302, 140, 141, 177,
                                142, 302, 140, 141, 177, 142, 142, 302, 140, 141, 177}));
    f.rewind();
    ZEFTGripPoint r;
    r.AddFormula(pointStatement(AcGePoint3d()));
    r.setDimensionalSettings(0, "old");
    ASSERT_EQ(r.dxfInFields(&f), Acad::eOk);
    EXPECT_EQ(f.cursor(), f.groups().size());
    expectSameRecord(r, g);

    // A record without the appended groups reads and leaves those fields alone.
    f.groups().resize(appended);
    f.writeString(1001, "APP");  // extended data follows the record
    f.rewind();
    ZEFTGripPoint older;
    older.subPoints = AcGePoint3dArray{AcGePoint3d(8, 8, 8)};
    older.setDimensionalSettings(0, "kept");
    ASSERT_EQ(older.dxfInFields(&f), Acad::eOk);
    EXPECT_EQ(older.childStretchIds[0], g.childStretchIds[0]);
    EXPECT_EQ(older.variables.GetCount(), 2);
    EXPECT_TRUE(older.pointLists[1].isEmpty());
    EXPECT_EQ(pts(older.subPoints), Pts{AcGePoint3d(8, 8, 8)});
    EXPECT_EQ(nameAt(older, 0), "kept");
}

TEST_F(ZeftGripPoint, DxfFaultsAreReportedThroughTheFiler) {
    ZEFTGripPoint g, r;
    AcDbDxfMemoryFiler f;
    ASSERT_EQ(g.dxfOutFields(&f), Acad::eOk);
    f.groups().erase(f.groups().begin() + static_cast<long>(indexOf(f, 10)));
    f.rewind();
    EXPECT_EQ(r.dxfInFields(&f), Acad::eInvalidDxfCode);
    EXPECT_NE(std::strstr(f.errorMessage(), "nError: expected group code 10"), nullptr) << f.errorMessage();

    AcDbDxfMemoryFiler noVersion, noMarker, newer;
    for (AcDbDxfMemoryFiler* m : {&noVersion, &noMarker, &newer}) g.AcDbCurve::dxfOutFields(m);
    noVersion.writeSubclass("ZEFTGripPoint");
    noVersion.writeUInt16(71, 11);
    noVersion.rewind();
    EXPECT_EQ(r.dxfInFields(&noVersion), Acad::eInvalidDxfCode);
    EXPECT_NE(std::strstr(noVersion.errorMessage(), "nError: expected object version group code 70"), nullptr);
    noMarker.writeUInt16(70, 11);
    noMarker.rewind();
    EXPECT_EQ(r.dxfInFields(&noMarker), Acad::eInvalidDxfCode);  // never a silent success
    newer.writeSubclass("ZEFTGripPoint");
    newer.writeUInt16(70, 12);
    newer.rewind();
    EXPECT_EQ(r.dxfInFields(&newer), Acad::eMakeMeProxy);
}

// Statements stay out: their token values are reals under group 70, which the host's DXF text
// reader refuses.
TEST_F(ZeftGripPoint, DxfFileRoundTripKeepsTheAppendedGroups) {
    Drawing d;
    auto* g = new ZEFTGripPoint;
    fill(*g, d.a, d.b);
    g->ClearFormula();
    g->variables.AddTail(variable("kept", 0));
    const AcDbObjectId id = d.append(g, d.db.modelSpaceId());
    char path[] = "/tmp/grippointXXXXXX.dxf";
    const int fd = mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(d.db.dxfOut(path), Acad::eOk) << d.db.lastError();
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(path), Acad::eOk) << back.lastError();
    std::remove(path);

    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, back.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    const std::vector<AcDbObjectId> ids = space->entityIds();
    space->close();
    ASSERT_EQ(ids.size(), 3u);
    ZEFTGripPoint *source = nullptr, *read = nullptr;
    ASSERT_EQ(acdbOpenObject(source, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(read, ids[2], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(read->pointLists[1], source->pointLists[1]);
    EXPECT_EQ(read->subPoints, source->subPoints);
    EXPECT_EQ(read->getChildEntityId(0, 1), ids[1]);  // the second line of the read drawing
    EXPECT_EQ(read->childStretchIds[1], source->childStretchIds[1]);
    ASSERT_EQ(read->smartGripData.length(), 3);
    EXPECT_EQ(nameAt(*read, 1), "height");
    EXPECT_EQ(read->smartGripData[1].values, source->smartGripData[1].values);
    EXPECT_STREQ(read->variables.GetHead()->name, "kept");
    read->close();
    source->close();
}

class ZeftGripGlyphs : public ZeftGripPoint {
protected:
    void SetUp() override {
        m_TabIndex = 2;
        rec.setViewport(AcGePoint2d(0, 0), AcGePoint2d(800, 600), AcGePoint2d(0, 0), 600);  // s = 1
    }
    void TearDown() override { m_TabIndex = 0; }
    size_t polylinesOfColor(Adesk::UInt16 color) const {
        size_t n = 0;
        for (const AcGiPrimitive* p : rec.primitives(AcGiPrimitiveType::kPolyline)) n += p->traits.color == color;
        return n;
    }
    // Draws while a host command of that name runs (CMDNAMES is kept by the command line).
    void drawDuring(const char* command, ZEFTGripPoint& g) {
        static AcGiRecordingDraw* recorder;
        static ZEFTGripPoint* grip;
        recorder = &rec;
        grip = &g;
        AcEdHostCommandDef saved{};
        const bool had = acedHostFindCommand(command, &saved, true);
        const std::string name = command;
        ASSERT_TRUE(acedHostDefineCommand({command, +[]() -> int { return recorder->draw(grip) ? RTNORM : RTERROR; }}));
        AcEdCommandLine::instance().runCommand(command);
        if (had) {
            saved.name = name.c_str();
            acedHostDefineCommand(saved);
        } else {
            acedHostRemoveCommand(command);
        }
    }
    AcGiRecordingDraw rec;
};

TEST_F(ZeftGripGlyphs, DrawnOnlyFromTabIndexTwoOutsideWblockAtPixelSize) {
    ZEFTGripPoint g;
    g.setGripType(-1);
    for (int tab : {0, 1}) {
        m_TabIndex = tab;
        rec.clear();
        rec.draw(&g);
        EXPECT_TRUE(rec.primitives().empty()) << tab;
    }
    m_TabIndex = 2;
    rec.clear();
    rec.draw(&g);
    ASSERT_EQ(rec.primitives().size(), 1u);  // the grip square alone
    EXPECT_EQ(rec.primitives()[0].traits.color, 5);
    EXPECT_EQ(rec.primitives()[0].points[2], AcGePoint3d(3, 3, 0));
    rec.clear();
    drawDuring("WBLOCK", g);
    EXPECT_TRUE(rec.primitives().empty());
    rec.clear();
    drawDuring("ZEFTGLYPHTEST", g);
    EXPECT_EQ(rec.primitives().size(), 1u);
    rec.clear();
    rec.setViewport(AcGePoint2d(0, 0), AcGePoint2d(800, 600), AcGePoint2d(0, 0), 300);  // zoomed in 2x
    rec.draw(&g);
    ASSERT_EQ(rec.primitives().size(), 1u);
    EXPECT_EQ(rec.primitives()[0].points[2], AcGePoint3d(1.5, 1.5, 0));
}

TEST_F(ZeftGripGlyphs, EachGripTypeDrawsItsOwnGlyphs) {
    ZEFTGripPoint one;
    one.setGripType(1);
    one.setLeftRight(1);
    one.pointLists[0] = AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(12, 0, 0), AcGePoint3d(12, 12, 0)};
    rec.draw(&one);
    EXPECT_EQ(polylinesOfColor(5), 1u);
    EXPECT_EQ(polylinesOfColor(2), 2u);  // right and left, no up and down
    EXPECT_EQ(rec.primitives()[1].points[1], AcGePoint3d(18, 0, 0));
    EXPECT_EQ(polylinesOfColor(0), 10u);  // edges of 12, 12 and about 17: 3 + 3 + 4 dashes

    ZEFTGripPoint two;  // radius arrow with its directional pair, never up/down arrows
    two.setGripType(2);
    two.setTopBottom(1);
    two.setPosition(AcGePoint3d(10, 0, 0));
    rec.clear();
    rec.draw(&two);
    EXPECT_EQ(rec.count(AcGiPrimitiveType::kPolyline), 5u);
    for (const AcGiPrimitive* p : rec.primitives(AcGiPrimitiveType::kPolyline))
        for (const AcGePoint3d& q : p->points) EXPECT_LE(std::abs(q.y), 15.0);
    const AcGiPrimitive* arc = rec.first(AcGiPrimitiveType::kArc);
    ASSERT_NE(arc, nullptr);
    EXPECT_LT(arc->startPoint().distanceTo(AcGePoint3d(10, -15, 0)), 1e-6);
    EXPECT_LT(arc->endPoint().distanceTo(AcGePoint3d(10, 15, 0)), 1e-6);

    ZEFTGripPoint five;
    five.setGripType(5);
    five.subPoints = AcGePoint3dArray{AcGePoint3d(0, 0, 0), AcGePoint3d(100, 0, 0), AcGePoint3d(100, 100, 0),
                                      AcGePoint3d(0, 100, 0)};
    rec.clear();
    rec.draw(&five);
    Pts centres;
    for (const AcGiPrimitive* p : rec.primitives(AcGiPrimitiveType::kPolyline))
        if (p->traits.color == 5) centres.push_back(p->points[0] + AcGeVector3d(3, 3, 0));
    EXPECT_EQ(centres, (Pts{AcGePoint3d(0, 0, 0), AcGePoint3d(100, 0, 0), AcGePoint3d(100, 100, 0)}));
    EXPECT_EQ(polylinesOfColor(2), 8u);  // four arrow pairs
}

TEST_F(ZeftGripGlyphs, DashedLinesEndOnTheirEndPoint) {
    ZEFTGripPoint g;
    double s = 1.0;
    using Dashes = std::vector<std::pair<double, double>>;
    auto dashes = [&](double length) {
        rec.clear();
        AcGePoint3d a(0, 0, 0), b(length, 0, 0);
        g.DrawDashedLine(&rec.viewportDraw(), s, a, b);
        Dashes out;
        for (const AcGiPrimitive* p : rec.primitives(AcGiPrimitiveType::kPolyline))
            out.emplace_back(p->points.front().x, p->points.back().x);
        return out;
    };
    EXPECT_EQ(dashes(12), (Dashes{{0, 2}, {5, 7}, {10, 12}}));
    EXPECT_EQ(dashes(11), (Dashes{{0, 2}, {5, 7}, {10, 11}}));
    EXPECT_EQ(dashes(0.5), Dashes{});
    EXPECT_EQ(dashes(4.5), (Dashes{{0, 2}}));  // nothing past the end after the gap
    g.pointLists[0] = AcGePoint3dArray{AcGePoint3d(1, 1, 0)};
    rec.clear();
    g.DrawStretchCrossing(&rec.viewportDraw(), s, 0);
    EXPECT_TRUE(rec.primitives().empty());
}
