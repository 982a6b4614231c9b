#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "CondFormula.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"

namespace {
CFormulaObject* tok(int16_t type, const char* text = "", double value = 0.0) {
    auto* t = new CFormulaObject;
    t->type = type;
    t->text = text;
    t->value = value;
    return t;
}
CFormulaObject* op(const char* text) { return tok(1, text); }
CFormulaObject* V() { return tok(2); }
CFormulaObject* n(double v) { return tok(3, "", v); }
CFormulaObject* close() { return op(")"); }

std::unique_ptr<CCondFormula> stmt(std::initializer_list<CFormulaObject*> tokens) {
    auto s = std::make_unique<CCondFormula>();
    for (CFormulaObject* t : tokens) s->tokens.AddTail(t);
    return s;
}
bool holds(const std::unique_ptr<CCondFormula>& s, double value) {
    POSITION pos = nullptr;
    return s->TestFormula(value, pos);
}
AcDbObjectId fake(uintptr_t bits) { return AcDbObjectId(reinterpret_cast<AcDbStub*>(bits)); }

// A point token with two ids and the index lists {0, 2} and {}, an entity token, a number.
std::unique_ptr<CCondFormula> filed(AcDbObjectId a, AcDbObjectId b) {
    CFormulaObject* p = tok(7, "pt", 98);
    p->point.set(1, 2, 3);
    p->ids.append(a);
    p->ids.append(b);
    p->stretchIds.append(AcDbIntArray{0, 2});
    p->stretchIds.append(AcDbIntArray());
    CFormulaObject* e = tok(6, "ent", 4);
    e->ids.append(b);
    auto s = stmt({p, nullptr, e, n(2)});  // a null entry is neither copied nor filed
    s->text = "stmt";
    s->kind = 3;
    return s;
}
std::vector<int> codes(const AcDbDxfMemoryFiler& f) {
    std::vector<int> c;
    for (const AcDbDxfGroup& g : f.groups()) c.push_back(g.code);
    return c;
}
std::string str(const CString& c) { return c.GetString(); }
}  // namespace

TEST(FormulaStatement, DeepCopySharesNothing) {
    auto source = filed(fake(0x100), fake(0x200));
    source->tokens.GetHead()->stretchIds.removeLast();  // fewer index lists than ids
    auto copy = std::make_unique<CCondFormula>(source.get());
    EXPECT_EQ(str(copy->text), "stmt");
    EXPECT_EQ(copy->kind, 3);
    ASSERT_EQ(copy->tokens.GetCount(), 3);
    CFormulaObject* p = copy->tokens.GetHead();
    ASSERT_NE(p, source->tokens.GetHead());
    EXPECT_EQ(p->point, AcGePoint3d(1, 2, 3));
    EXPECT_EQ(p->ids[1], fake(0x200));
    ASSERT_EQ(p->stretchIds.length(), 2);
    EXPECT_EQ(p->stretchIds[0], (AcDbIntArray{0, 2}));
    EXPECT_TRUE(p->stretchIds[1].isEmpty());
    p->stretchIds[0].append(9);
    EXPECT_EQ(source->tokens.GetHead()->stretchIds[0].length(), 2);
    copy.reset();  // frees only its own tokens
    EXPECT_EQ(source->tokens.GetHead()->ids.length(), 2);

    CCondFormula shallow(*source);  // the copy constructor copies nothing
    EXPECT_TRUE(shallow.tokens.IsEmpty());
    CFormulaObject token(*source->tokens.GetHead());
    EXPECT_TRUE(token.ids.isEmpty());
}

TEST(FormulaStatement, ConditionText) {
    EXPECT_EQ(str(CCondFormula().GetFormulaStr()), " ");
    EXPECT_EQ(str(stmt({op("(>"), V(), n(5), tok(4, "name")})->GetFormulaStr()), " (> Value 5.0000  ");
}

TEST(FormulaStatement, PlainConditions) {
    EXPECT_TRUE(holds(stmt({}), 1));
    EXPECT_TRUE(holds(stmt({op("(>"), V(), n(5)}), 5.5));
    EXPECT_FALSE(holds(stmt({op("(>"), V(), n(5)}), 5));
    EXPECT_FALSE(holds(stmt({op("(="), V(), n(3)}), 3.0000000001));  // no tolerance
    EXPECT_TRUE(holds(stmt({op("(<="), n(2), V()}), 2));
    EXPECT_TRUE(holds(stmt({op("(>"), n(5)}), 6));  // one operand: the tested value against it
    EXPECT_FALSE(holds(stmt({op("(>"), n(5)}), 4));
    EXPECT_TRUE(holds(stmt({op("(max"), V(), n(1)}), -1));  // unknown operator
    EXPECT_FALSE(holds(stmt({op("(and"), V(), n(5)}), 5));  // plain operands count false

    auto s = stmt({op("(>"), V(), n(5), n(9)});
    double value = 7.5;
    POSITION pos = nullptr;
    EXPECT_TRUE(s->TestFormula(value, pos));
    EXPECT_EQ(pos, s->tokens.FindIndex(2));
    EXPECT_DOUBLE_EQ(s->tokens.GetAt(s->tokens.FindIndex(1))->value, 7.5);  // filed with it
}

TEST(FormulaStatement, NestedConditions) {
    auto between = stmt({op("(and"), op("(>"), V(), n(2), close(), op("(<"), V(), n(9), close(), close()});
    EXPECT_TRUE(holds(between, 5));
    EXPECT_FALSE(holds(between, 2));
    EXPECT_FALSE(holds(between, 9));
    auto outside = stmt({op("(or"), op("(>"), V(), n(5), close(), op("(<"), V(), n(1), close(), close()});
    EXPECT_TRUE(holds(outside, 0));
    EXPECT_TRUE(holds(outside, 6));
    EXPECT_FALSE(holds(outside, 3));
    auto oneOperand = stmt({op("(and"), op("(>"), n(2), close(), op("(<"), n(9), close(), close()});
    EXPECT_TRUE(holds(oneOperand, 5));
    EXPECT_FALSE(holds(oneOperand, 10));
    auto deeper = stmt({op("(or"), op("(and"), op("(>"), V(), n(2), close(), op("(<"), V(), n(3), close(), close(),
                        op("(="), V(), n(7), close(), close()});
    EXPECT_TRUE(holds(deeper, 2.5));
    EXPECT_TRUE(holds(deeper, 7));
    EXPECT_FALSE(holds(deeper, 5));
}

TEST(FormulaStatement, BrokenConditionsStayInsideTheList) {
    EXPECT_FALSE(holds(stmt({nullptr, V(), n(1)}), 2));
    EXPECT_FALSE(holds(stmt({op("(>")}), 2));
    EXPECT_FALSE(holds(stmt({op("(>"), nullptr}), 2));
    EXPECT_FALSE(holds(stmt({op("(and"), op("(>"), V(), n(2), close()}), 3));  // ends after ")"
    EXPECT_TRUE(holds(stmt({op("(or"), op("(>"), V(), n(2), close()}), 3));
    EXPECT_TRUE(holds(stmt({op("(or"), op("(>"), V(), n(2)}), 3));  // unclosed
    auto deep = std::make_unique<CCondFormula>();
    for (int i = 0; i < 20000; ++i) deep->tokens.AddTail(op("(and"));
    EXPECT_FALSE(holds(deep, 1));  // no stack exhaustion
}

TEST(FormulaStatement, TextCompositionKinds) {
    CCondFormula s;
    s.text = "12";
    const CString current("old");
    const std::pair<int16_t, const char*> expected[] = {{1, "12mm"}, {2, "mm12"}, {3, "12"}, {0, "old"}};
    for (auto [kind, text] : expected) {
        s.kind = kind;
        EXPECT_EQ(str(s.ComposeText("mm", current)), text) << kind;
    }
    s.kind = 4;
    EXPECT_EQ(str(s.ComposeText("width \\i mm \\i", current)), "width 12 mm 12");
    s.text = "x\\iy";
    EXPECT_EQ(str(s.ComposeText("abc", current)), "xabcy");
    EXPECT_EQ(str(s.ComposeText("a\\ib", current)), "ax\\iyb");  // the default value's wins
    s.text = "plain";
    EXPECT_EQ(str(s.ComposeText("abc", current)), "old");
}

TEST(FormulaStatement, DwgRecord) {
    auto s = filed(fake(0x100), fake(0x200));
    AcDbDwgMemoryFiler out, e;
    ASSERT_EQ(s->dwgOutFields(&out), Acad::eOk);
    e.writeString("stmt");
    for (int v : {3, 3}) e.writeUInt16(static_cast<Adesk::UInt16>(v));
    e.writeDouble(98);
    e.writeUInt16(7);
    e.writePoint3d(AcGePoint3d(1, 2, 3));
    e.writeUInt16(2);
    e.writeSoftPointerId(fake(0x100));
    for (int v : {2, 0, 2}) e.writeUInt16(static_cast<Adesk::UInt16>(v));
    e.writeSoftPointerId(fake(0x200));
    e.writeUInt16(0);
    e.writeString("pt");
    e.writeDouble(4);
    e.writeUInt16(6);
    e.writeSoftPointerId(fake(0x200));
    e.writeString("ent");
    e.writeDouble(2);
    e.writeUInt16(3);
    e.writeString("");
    EXPECT_EQ(out.bytes(), e.bytes());

    out.rewind();
    auto back = stmt({op("stale")});
    ASSERT_EQ(back->dwgInFields(&out), Acad::eOk);
    EXPECT_EQ(out.remaining(), 0u);
    EXPECT_EQ(back->kind, 3);
    ASSERT_EQ(back->tokens.GetCount(), 3);
    CFormulaObject* p = back->tokens.GetHead();
    EXPECT_EQ(str(p->text), "pt");
    EXPECT_EQ(p->ids[0], fake(0x100));
    EXPECT_EQ(p->stretchIds[0], (AcDbIntArray{0, 2}));
    EXPECT_EQ(back->tokens.GetAt(back->tokens.FindIndex(1))->ids[0], fake(0x200));

    AcDbDwgMemoryFiler cut(e.data(), e.size() - 3, AcDb::kCopyFiler, nullptr);
    EXPECT_NE(back->dwgInFields(&cut), Acad::eOk);  // foreign ids and a short record
    EXPECT_TRUE(back->tokens.IsEmpty());
}

TEST(FormulaStatement, DxfRecordInADrawing) {
    AcDbDatabase db(false);
    AcDbObjectId a, b;
    ASSERT_EQ(db.getAcDbObjectId(a, true, AcDbHandle(0x2A)), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(b, true, AcDbHandle(0x1F0)), Acad::eOk);
    auto s = filed(a, b);
    AcDbDxfMemoryFiler f(&db);
    ASSERT_EQ(s->dxfOutFields(&f), Acad::eOk);
    const std::vector<int> expected = {100, 170, 78, 70, 73, 15, 79, 330, 80, 81, 81, 330, 80, 2,
                                       70, 73, 330, 2, 70, 73, 2};
    ASSERT_EQ(codes(f), expected);
    EXPECT_EQ(f.groups()[3].type, AcDbDxfGroup::kReal);  // a real under group 70
    EXPECT_EQ(f.groups()[7].integer, 0x2A);              // the 32-bit in-memory form
    EXPECT_EQ(f.groups()[6].integer, 2);
    EXPECT_EQ(f.groups()[12].integer, 0);

    f.writeString(0, "NEXT");
    f.rewind();
    auto back = stmt({op("stale")});
    ASSERT_EQ(back->dxfInFields(&f), Acad::eOk);
    EXPECT_EQ(f.peekCode(), 0);
    ASSERT_EQ(back->tokens.GetCount(), 3);
    CFormulaObject* p = back->tokens.GetHead();
    EXPECT_DOUBLE_EQ(p->value, 98);
    EXPECT_EQ(p->point, AcGePoint3d(1, 2, 3));
    ASSERT_EQ(p->ids.length(), 2);
    EXPECT_EQ(p->ids[1], b);
    EXPECT_EQ(p->stretchIds[0], (AcDbIntArray{0, 2}));
    EXPECT_EQ(back->tokens.GetAt(back->tokens.FindIndex(1))->ids[0], b);

    // Without the drawing the values cannot be resolved: the ids stay null.
    AcDbDxfMemoryFiler bare;
    bare.groups() = f.groups();
    for (AcDbDxfGroup& g : bare.groups()) g.db = nullptr;
    ASSERT_EQ(back->dxfInFields(&bare), Acad::eOk);
    EXPECT_TRUE(back->tokens.GetHead()->ids[0].isNull());
}

TEST(FormulaStatement, DxfReaderStopsAtAWrongGroup) {
    AcDbDxfMemoryFiler f;
    f.writeString(100, "stmt");
    f.writeUInt16(171, 1);
    f.rewind();
    CCondFormula back;
    EXPECT_EQ(back.dxfInFields(&f), Acad::eInvalidDxfCode);
    EXPECT_NE(std::string(f.errorMessage()).find("nError: expected group code 170"), std::string::npos);
    EXPECT_EQ(f.peekCode(), 171);  // pushed back

    AcDbDxfMemoryFiler ends;  // a missing group is reported the same way
    ends.writeString(100, "stmt");
    ends.writeUInt16(170, 1);
    ends.rewind();
    EXPECT_EQ(back.dxfInFields(&ends), Acad::eInvalidDxfCode);
    EXPECT_NE(std::string(ends.errorMessage()).find("expected group code 78"), std::string::npos);
}

TEST(FormulaStatement, IntegerListForms) {
    const AcDbIntArray items{4, 0, 65535};
    AcDbDwgMemoryFiler dwg, e;
    ASSERT_EQ(dwgOutIntList(&dwg, items), Acad::eOk);
    for (int v : {3, 4, 0, 65535}) e.writeUInt16(static_cast<Adesk::UInt16>(v));
    EXPECT_EQ(dwg.bytes(), e.bytes());
    dwg.rewind();
    AcDbIntArray back{9, 9};
    ASSERT_EQ(dwgInIntList(&dwg, back), Acad::eOk);
    EXPECT_EQ(back, items);

    AcDbDxfMemoryFiler dxf;
    ASSERT_EQ(dxfOutIntList(&dxf, items), Acad::eOk);
    EXPECT_EQ(codes(dxf), (std::vector<int>{73, 74, 74, 74}));
    dxf.rewind();
    ASSERT_EQ(dxfInIntList(&dxf, back), Acad::eOk);
    EXPECT_EQ(back, items);
    dxf.groups().pop_back();
    dxf.rewind();
    EXPECT_EQ(dxfInIntList(&dxf, back), Acad::eInvalidDxfCode);
    EXPECT_NE(std::string(dxf.errorMessage()).find("expected group code 74"), std::string::npos);
}
