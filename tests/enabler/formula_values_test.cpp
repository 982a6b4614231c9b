#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include "Variable.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"

namespace {
CVariable* val(unsigned kind, double real = 0.0) {
    auto* v = new CVariable;
    v->kind = static_cast<uint16_t>(kind);
    v->realValue = real;
    v->shortValue = static_cast<int16_t>(real);
    v->longValue = static_cast<int32_t>(real);
    return v;
}
CVariable* str(const char* s) {
    CVariable* v = val(RTSTR);
    v->stringValue = s;
    return v;
}
CVariable* pt(unsigned kind, double z) {
    CVariable* v = val(kind);
    v->point[0] = 1;
    v->point[1] = 2;
    v->point[2] = z;
    return v;
}
CVariable* list(std::initializer_list<CVariable*> items) {
    CVariable* l = val(RTLB);
    for (CVariable* i : items) l->items.AddTail(i);
    return l;
}
// A list value takes its items with it, to every depth.
void destroy(CVariable* v) { delete v; }
bool eq(CVariable* l, CVariable* r) {
    bool result = variablesEqual(*l, *r);
    destroy(l);
    destroy(r);
    return result;
}
std::string s(const CString& c) { return c.GetString(); }
}  // namespace

TEST(FormulaValue, Conversions) {
    CVariable r, sh, t, big, notANumber;
    r.kind = big.kind = notANumber.kind = RTREAL;
    r.realValue = -2.7;
    big.realValue = 1e20;
    notANumber.realValue = std::nan("");
    sh.kind = RTSHORT;
    sh.shortValue = 3;
    t.kind = RTSTR;
    t.stringValue = "12";
    EXPECT_EQ(r.GetInt(), -2);
    EXPECT_EQ(big.GetLong(), INT32_MAX);  // saturates instead of overflowing
    EXPECT_EQ(notANumber.GetInt(), 0);
    EXPECT_EQ(t.GetInt(), 0);
    EXPECT_EQ(s(sh.GetString()), "3.0000");
    EXPECT_EQ(s(t.GetString()), "12");
    EXPECT_TRUE(r.GetObjectId().isNull());
}

TEST(FormulaValue, ObjectIdFromTheLongResolvesInADrawing) {
    AcDbDatabase db(false);
    AcDbObjectId known;
    ASSERT_EQ(db.getAcDbObjectId(known, true, AcDbHandle(0x40)), Acad::eOk);
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    AcDbDatabase* previous = services->workingDatabase();
    services->setWorkingDatabase(&db);
    CVariable v;
    v.kind = RTENAME;
    v.longValue = 0x40;
    EXPECT_EQ(v.GetObjectId(), known);
    v.longValue = 12345;  // unknown: the null id, never a stub made up from the bits
    EXPECT_TRUE(v.GetObjectId().isNull());
    services->setWorkingDatabase(previous);
}

TEST(FormulaValue, SerialsCountFromOneAfterAReset) {
    resetVariableCounter();
    CVariable first;
    CVariable copy(first), fromPointer(&first);
    EXPECT_EQ(first.serial, 1);
    EXPECT_EQ(copy.serial, 2);
    EXPECT_EQ(fromPointer.serial, 3);
    copy = first;
    EXPECT_EQ(copy.serial, 2);
}

TEST(FormulaValue, CopiesAreDeepAndAssignmentAppends) {
    CVariable* source = list({val(RTREAL, 2), list({str("a")})});
    source->name = "src";
    CVariable* copy = new CVariable(*source);
    EXPECT_EQ(s(copy->name), "src");
    CVariable* inner = copy->items.GetTail();
    ASSERT_NE(inner, source->items.GetTail());
    inner->items.GetHead()->stringValue = "changed";
    EXPECT_EQ(s(source->items.GetTail()->items.GetHead()->stringValue), "a");

    CVariable* target = list({val(RTREAL, 1)});
    target->name = "kept";
    *target = *source;
    EXPECT_EQ(s(target->name), "kept");
    ASSERT_EQ(target->items.GetCount(), 3);
    EXPECT_DOUBLE_EQ(target->items.GetHead()->realValue, 1);

    // Assigned to itself a list walks only the items it had: doubled once.
    CVariable& self = *target;
    self = self;
    ASSERT_EQ(target->items.GetCount(), 6);
    EXPECT_NE(target->items.GetHead(), target->items.GetAt(target->items.FindIndex(3)));
    destroy(source);
    destroy(copy);
    destroy(target);

    delete list({val(RTREAL, 5), list({str("b")})});  // takes its items with it, nested ones too
}

TEST(FormulaValue, EqualityToleranceAndRuleOrder) {
    EXPECT_FALSE(equalWithin(0.0, 9.999e-9, 9.999e-9));  // strictly below
    EXPECT_TRUE(equalWithin(INFINITY, INFINITY, 1e-9));
    EXPECT_TRUE(eq(val(RTREAL, 1.0), val(RTREAL, 1.0 + 5e-9)));
    EXPECT_FALSE(eq(val(RTREAL, 1.0), val(RTREAL, 1.00000001)));
    EXPECT_TRUE(eq(val(RTANG, 3), val(RTSHORT, 3)));
    EXPECT_FALSE(eq(val(RTLONG, 3), val(RTREAL, 3.4)));  // a real on the right decides as reals
    EXPECT_TRUE(eq(val(RTREAL, 0), val(RTNIL)));         // nil on the right converts to 0.0
    EXPECT_TRUE(eq(val(RTNIL), val(RTLONG, 0)));         // a long decides before nil
    EXPECT_TRUE(eq(val(RTT), val(RTSHORT, 0)));          // and a short before true
    EXPECT_FALSE(eq(val(RTT), val(RTSHORT, 1)));
    EXPECT_TRUE(eq(val(RTT), val(RTT)));
    EXPECT_FALSE(eq(val(RTT), val(RTNIL)));
    EXPECT_FALSE(eq(val(RTNIL), val(RTT)));
    EXPECT_FALSE(eq(val(RTT), str("x")));
    EXPECT_FALSE(eq(str("x"), val(RTT)));
}

TEST(FormulaValue, EqualityByKind) {
    EXPECT_TRUE(eq(pt(RTPOINT, 3), pt(RTPOINT, 7)));  // z ignored
    EXPECT_FALSE(eq(pt(RT3DPOINT, 3), pt(RT3DPOINT, 7)));
    EXPECT_FALSE(eq(pt(RTPOINT, 3), pt(RT3DPOINT, 3)));
    EXPECT_FALSE(eq(str("Abc"), str("abc")));
    CVariable* a = val(RTENAME, 1);
    CVariable* b = val(RTENAME, 2);
    a->objectId = b->objectId = AcDbObjectId(reinterpret_cast<AcDbStub*>(0x20));
    EXPECT_TRUE(eq(a, b));
    EXPECT_FALSE(eq(val(RTVOID), val(RTVOID)));
    EXPECT_TRUE(eq(list({}), list({})));
    EXPECT_TRUE(eq(list({val(RTREAL, 1), val(RTSHORT, 1)}), list({val(RTREAL, 1), val(RTREAL, 1)})));
    // Equal position by position, but every pair is compared and 1 differs from 2.
    EXPECT_FALSE(eq(list({val(RTREAL, 1), val(RTREAL, 2)}), list({val(RTREAL, 1), val(RTREAL, 2)})));
    EXPECT_FALSE(eq(list({val(RTREAL, 1)}), list({val(RTREAL, 1), val(RTREAL, 1)})));
}

TEST(FormulaValue, RecordsFileNameAndFlagOnly) {
    CVariable v;
    v.kind = RTREAL;
    v.realValue = 8.5;
    v.name = "len";
    v.flag = 0;
    AcDbDwgMemoryFiler dwg, expected;
    ASSERT_EQ(v.dwgOutFields(&dwg), Acad::eOk);
    expected.writeString("len");
    expected.writeBoolean(0);
    EXPECT_EQ(dwg.bytes(), expected.bytes());
    dwg.rewind();
    CVariable back;
    ASSERT_EQ(back.dwgInFields(&dwg), Acad::eOk);
    EXPECT_EQ(s(back.name), "len");
    EXPECT_EQ(back.flag, 0);

    AcDbDxfMemoryFiler dxf;
    v.flag = 1;
    ASSERT_EQ(v.dxfOutFields(&dxf), Acad::eOk);
    ASSERT_EQ(dxf.groups().size(), 2u);
    EXPECT_EQ(dxf.groups()[0].code, 100);
    EXPECT_EQ(dxf.groups()[0].text, "len");
    EXPECT_EQ(dxf.groups()[1].code, 280);
    dxf.rewind();
    ASSERT_EQ(back.dxfInFields(&dxf), Acad::eOk);
    EXPECT_EQ(back.flag, 1);

    AcDbDxfMemoryFiler wrong;
    wrong.writeString(100, "len");
    wrong.writeUInt16(281, 1);
    wrong.rewind();
    EXPECT_EQ(back.dxfInFields(&wrong), Acad::eInvalidDxfCode);
    EXPECT_NE(std::string(wrong.errorMessage()).find("nError: expected group code 280"), std::string::npos);
    EXPECT_EQ(wrong.peekCode(), 281);  // pushed back for the owner
}
