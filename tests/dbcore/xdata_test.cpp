#include <gtest/gtest.h>
#include <cstring>
#include <new>
#include "db/dwgmemfiler.h"
#include "db/dxftokens.h"
#include "testentities.h"

namespace {

int count(const resbuf* rb) {
    int n = 0;
    for (; rb; rb = rb->rbnext) ++n;
    return n;
}

const resbuf* find(const resbuf* rb, int code) {
    for (; rb; rb = rb->rbnext)
        if (rb->restype == code) return rb;
    return nullptr;
}

TEST(ExtendedData, ReplacesOnlyTheNamedApplication) {
    DbTestPoint p;
    resbuf* a = acutBuildList(1001, "APP_A", 1000, "first", 1070, 5, 0);
    resbuf* b = acutBuildList(1001, "APP_B", 1040, 2.5, 0);
    ASSERT_EQ(p.setXData(a), Acad::eOk);
    ASSERT_EQ(p.setXData(b), Acad::eOk);
    acutRelRb(a);
    acutRelRb(b);
    resbuf* a2 = acutBuildList(1001, "app_a", 1000, "second", 0);
    ASSERT_EQ(p.setXData(a2), Acad::eOk);
    acutRelRb(a2);

    resbuf* all = p.xData();
    EXPECT_EQ(count(all), 4);  // APP_B's two groups and the new APP_A's two
    acutRelRb(all);
    resbuf* onlyA = p.xData("APP_A");
    ASSERT_NE(onlyA, nullptr);
    EXPECT_EQ(count(onlyA), 2);
    EXPECT_STREQ(find(onlyA, 1000)->resval.rstring, "second");
    EXPECT_EQ(find(onlyA, 1070), nullptr);
    acutRelRb(onlyA);
    EXPECT_EQ(p.xData("NOBODY"), nullptr);

    // The name alone takes the application's data away.
    resbuf* drop = acutBuildList(1001, "APP_B", 0);
    ASSERT_EQ(p.setXData(drop), Acad::eOk);
    acutRelRb(drop);
    EXPECT_EQ(p.xData("APP_B"), nullptr);
    all = p.xData();
    EXPECT_EQ(count(all), 2);
    acutRelRb(all);
}

TEST(ExtendedData, RefusesMalformedChains) {
    DbTestPoint p;
    resbuf* noApp = acutBuildList(1000, "x", 0);
    EXPECT_EQ(p.setXData(noApp), Acad::eInvalidInput);
    resbuf* badCode = acutBuildList(1001, "APP", 8, "layer", 0);
    EXPECT_EQ(p.setXData(badCode), Acad::eInvalidResBuf);
    resbuf* open = acutBuildList(1001, "APP", 1002, "{", 0);
    EXPECT_EQ(p.setXData(open), Acad::eInvalidInput);
    EXPECT_EQ(p.setXData(nullptr), Acad::eInvalidInput);
    EXPECT_EQ(p.xData(), nullptr);
    acutRelRb(noApp);
    acutRelRb(badCode);
    acutRelRb(open);
}

TEST(ExtendedData, TransformMovesScalesAndTurns) {
    DbTestPoint p;
    ads_point pos = {1, 0, 0}, disp = {1, 0, 0}, dir = {1, 0, 0}, plain = {1, 0, 0};
    resbuf* x = acutBuildList(1001, "APP", 1010, plain, 1011, pos, 1012, disp, 1013, dir, 1041, 2.0, 1042, 3.0,
                              1040, 4.0, 0);
    ASSERT_EQ(p.setXData(x), Acad::eOk);
    acutRelRb(x);
    AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)) *
                     AcGeMatrix3d::rotation(std::acos(-1.0) / 2, AcGeVector3d::kZAxis) * AcGeMatrix3d::scaling(2.0);
    ASSERT_EQ(p.xDataTransformBy(m), Acad::eOk);
    resbuf* out = p.xData("APP");
    auto pt = [&](int code) {
        const double* v = find(out, code)->resval.rpoint;
        return AcGePoint3d(v[0], v[1], v[2]);
    };
    EXPECT_TRUE(pt(1010).isEqualTo(AcGePoint3d(1, 0, 0)));
    EXPECT_TRUE(pt(1011).isEqualTo(AcGePoint3d(10, 2, 0), AcGeTol()));
    EXPECT_NEAR(pt(1012).y, 2.0, 1e-12);
    EXPECT_NEAR(pt(1013).y, 1.0, 1e-12);
    EXPECT_NEAR(pt(1013).x, 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(find(out, 1041)->resval.rreal, 4.0);
    EXPECT_DOUBLE_EQ(find(out, 1042)->resval.rreal, 6.0);
    EXPECT_DOUBLE_EQ(find(out, 1040)->resval.rreal, 4.0);
    acutRelRb(out);
}

TEST(ExtendedData, SurvivesDwgFiling) {
    AcDbDatabase db(true, true);
    auto* p = new DbTestPoint(AcGePoint3d(1, 2, 3));
    char bytes[] = {1, 2, 3, 0, 5};
    ads_u_val::ads_binary chunk{5, bytes};
    resbuf* x = acutBuildList(1001, "APP", 1000, "text", 1004, &chunk, 1071, 70000, 1005, "1F", 0);
    ASSERT_EQ(p->setXData(x), Acad::eOk);
    acutRelRb(x);
    AcDbObjectId id = addToModelSpace(&db, p);

    AcDbDwgMemoryFiler filer(AcDb::kCopyFiler, &db);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(e->dwgOutFields(&filer), Acad::eOk);
    e->close();
    filer.rewind();
    DbTestPoint copy;
    ASSERT_EQ(copy.dwgInFields(&filer), Acad::eOk);
    EXPECT_EQ(copy.ownerId(), db.modelSpaceId());
    EXPECT_TRUE(copy.position().isEqualTo(AcGePoint3d(1, 2, 3)));
    resbuf* back = copy.xData("APP");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(count(back), 5);
    const resbuf* bin = find(back, 1004);
    ASSERT_EQ(bin->resval.rbinary.clen, 5);
    EXPECT_EQ(std::memcmp(bin->resval.rbinary.buf, bytes, 5), 0);
    EXPECT_EQ(find(back, 1071)->resval.rlong, 70000);
    EXPECT_STREQ(find(back, 1005)->resval.rstring, "1F");
    acutRelRb(back);
}

// The DXF reader hands on extended data groups as result buffers: for every code it can hand on,
// what its values own (a string, a binary chunk, nothing) is what release and copying free.
TEST(ResultBuffers, ExtendedDataCodesOwnWhatReleaseAndCopyFree) {
    using cadhost::dxf::ValueKind;
    for (int code = 1000; code <= 1071; ++code) {
        const ValueKind text = cadhost::dxf::kindOfGroupCode(code);
        const int kind = cadhost::rx::resbufKind(code);
        EXPECT_EQ(text == ValueKind::String, kind == RTSTR) << code;
        EXPECT_EQ(text == ValueKind::Binary, kind == RTBINARY) << code;
        EXPECT_NE(kind, RTNONE) << code;
    }
    // Value types stand for themselves, group codes beyond the known ones own nothing.
    EXPECT_EQ(cadhost::rx::resbufKind(RTBINARY), RTBINARY);
    EXPECT_EQ(cadhost::rx::resbufKind(RTDXF0), RTSTR);
    EXPECT_EQ(cadhost::rx::resbufKind(1072), RTNONE);

    const char bytes[] = {1, 2, 3};
    ads_u_val::ads_binary chunk{3, const_cast<char*>(bytes)};
    resbuf* chain = acutBuildList(1001, "APP", 1004, &chunk, 1000, "x", RTBINARY, &chunk, RTDXF0, "LINE", 0);
    resbuf* copy = cadhost::rx::copyResbufChain(chain);
    ASSERT_EQ(count(copy), 5);
    EXPECT_NE(find(copy, 1004)->resval.rbinary.buf, find(chain, 1004)->resval.rbinary.buf);
    EXPECT_EQ(std::memcmp(find(copy, 1004)->resval.rbinary.buf, bytes, 3), 0);
    EXPECT_STREQ(find(copy, RTDXF0)->resval.rstring, "LINE");
    acutRelRb(chain);
    acutRelRb(copy);
}

TEST(ResultBuffers, StartWithEveryByteOfTheValueZero) {
    alignas(resbuf) unsigned char storage[sizeof(resbuf)];
    std::memset(storage, 0xAB, sizeof storage);
    auto* rb = new (storage) resbuf;
    EXPECT_EQ(rb->resval.rpoint[1], 0.0);
    EXPECT_EQ(rb->resval.rpoint[2], 0.0);
    EXPECT_EQ(rb->resval.rlname[1], 0);
    EXPECT_EQ(rb->resval.rbinary.buf, nullptr);
    rb->~resbuf();
}

TEST(ResultBuffers, BuildListReadsEachKind) {
    ads_point p = {1, 2, 3};
    ads_name n = {0x2A, 0};
    resbuf* list = acutBuildList(RTSTR, "abc", RTREAL, 1.5, RTSHORT, 7, RTLONG, 100000, RT3DPOINT, p, RTENAME, n,
                                 RTLB, RTLE, 0);
    ASSERT_EQ(count(list), 8);
    const resbuf* rb = list;
    EXPECT_STREQ(rb->resval.rstring, "abc");
    rb = rb->rbnext;
    EXPECT_DOUBLE_EQ(rb->resval.rreal, 1.5);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rint, 7);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rlong, 100000);
    rb = rb->rbnext;
    EXPECT_DOUBLE_EQ(rb->resval.rpoint[2], 3.0);
    rb = rb->rbnext;
    EXPECT_EQ(rb->resval.rlname[0], 0x2A);
    EXPECT_EQ(rb->rbnext->restype, RTLB);
    EXPECT_EQ(acutRelRb(list), RTNORM);
}

}  // namespace
