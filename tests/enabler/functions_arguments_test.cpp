// Every formula function against missing, null and wrong-kind arguments: no call crashes or
// leaves an object open, and a null where a value is read makes the result null.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "CondFormula.h"
#include "FormulaContext.h"
#include "db/circle.h"
#include "db/text.h"
#include "theFunctions.h"
#include "zeft_blockref_support.h"

namespace {
using zefttest::Drawing;
using zefttest::Open;

// What each keyword's function reads, one letter an argument: r real, s text, p point,
// c circle, t text entity, b list bound to the circle. checked: a null in any of these places
// must give null (false for functions whose null arguments mean something, or that give null
// anyway and are checked by the drawing staying as it was).
struct Signature {
    int keyword;
    const char* reads;
    bool checked;
};

const std::vector<Signature> kSignatures = {
    {1, "rr", false},                                                   // setVar: a null source is nil
    {7, "rr", true},   {8, "rr", true},   {9, "rr", true},   {10, "rr", true},  {11, "r", true},
    {12, "r", true},   {13, "rr", true},  {15, "r", true},   {16, "rr", true},  {17, "r", true},
    {18, "r", true},   {19, "r", true},   {20, "r", true},   {21, "rr", true},  {22, "r", true},
    {23, "r", true},   {24, "r", true},   {25, "r", true},   {26, "r", true},   {27, "r", true},
    {28, "r", true},   {29, "r", true},   {30, "rr", true},  {31, "r", true},   {32, "r", true},
    {33, "rr", true},  {34, "rr", true},  {35, "rr", true},  {36, "r", true},   {37, "r", true},
    {38, "pp", true},  {39, "pp", true},  {40, "pp", true},  {41, "pp", true},  {42, "pp", true},
    {43, "pp", true},  {44, "pp", true},  {45, "pp", true},  {46, "prr", true}, {47, "prrr", true},
    {48, "cc", false}, {49, "cc", false},                               // hide, show pass over nulls
    {51, "", false},   {52, "", false},   {53, "", false},   {54, "", false},   {55, "", false},
    {56, "ts", false}, {57, "b", true},   {58, "cr", false}, {59, "cr", false}, {60, "bp", false},
    {61, "t", true},   {62, "c", true},   {63, "c", true},   {64, "s", false},  {65, "c", true},
    {66, "cc", false},                                                  // getEnts: a null item is 0
    {67, "b", true},   {68, "b", true},   {69, "", false},   {70, "", false},   {72, "pp", true},
    {73, "bp", false}, {74, "", false},   {75, "crp", false},
    {76, "rr", false}, {77, "rr", false}, {78, "rr", false}, {79, "rr", false}, {80, "rr", false},
    {81, "rr", false}, {82, "rr", false}, {83, "rr", false},            // null is nil or 0 here
    {84, "b", true},   {85, "b", true},   {86, "bp", false}, {87, "p", true},   {88, "p", true},
    {89, "p", true},   {90, "pr", true},  {91, "pr", true},  {92, "pr", true},  {93, "rrr", true},
    {94, "rrrr", true}, {95, "rrr", true}, {96, "crp", false}, {97, "rp", false},
    {99, "sr", true},  {100, "srr", true}, {101, "sr", true}, {102, "ssr", true}, {103, "ss", true},
    {104, "srs", true}, {105, "s", true}, {106, "s", true},  {107, "s", true},  {108, "ss", true},
    {109, "sss", true}, {110, "ss", true}, {111, "ss", true}, {112, "ss", true}, {113, "rrr", true},
    {114, "rrr", true}, {115, "sr", true}, {116, "sr", true}, {117, "c", true},
};

constexpr const char* kAllKinds = "rispnlcteb";

class FunctionArguments : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zefttest::registerClasses(); }
    void SetUp() override {
        setStretchBlockReference(nullptr);
        circle = drawing.append(new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2.0));
        text = drawing.append(new AcDbText(AcGePoint3d(0, 0, 0), "old", AcDbObjectId::kNull, 1.0, 0.0));
        token.type = 7;
        token.ids.append(circle);
        AcDbIntArray first;
        first.append(0);
        token.stretchIds.append(first);
    }

    // A value of one kind; 'x' is a missing value (null).
    CVariable* value(char kind) {
        if (kind == 'x') return nullptr;
        owned.push_back(std::make_unique<CVariable>());
        CVariable* v = owned.back().get();
        switch (kind) {
        case 'r': v->kind = RTREAL; v->realValue = 2.0; break;
        case 'i': v->kind = RTSHORT; v->shortValue = 3; break;
        case 'l': v->kind = RTLONG; v->longValue = 70000; break;
        case 's': v->kind = RTSTR; v->stringValue = "ab"; break;
        case 'p': v->kind = RTPOINT; v->point[0] = 3; v->point[1] = 4; v->point[2] = 0; break;
        case 'n': v->kind = RTNIL; break;
        case 'e': v->kind = RTLB; break;  // a list of no token
        case 'c': v->kind = RTENAME; v->objectId = circle; break;
        case 't': v->kind = RTENAME; v->objectId = text; break;
        case 'b':
            v->kind = RTLB;
            v->point[0] = 5;
            v->sourceToken = &token;
            break;
        default: v->kind = RTT; break;
        }
        return v;
    }

    // Calls the function with arguments of these kinds; answers whether the result was null.
    bool call(FormulaFunction f, const std::string& kinds) {
        CVariableList list;
        std::vector<CVariable*> args;
        for (char k : kinds) {
            args.push_back(value(k));
            list.AddTail(args.back());
        }
        setFormulaContext(nullptr, &list);
        CVariable* result = f();
        setFormulaContext(nullptr, nullptr);
        EXPECT_EQ(acdbHostOpenObjectCount(), 0) << kinds;
        bool isArgument = false;
        for (CVariable* a : args) isArgument = isArgument || (a && a == result);
        if (result && !isArgument) delete result;
        owned.clear();
        return result == nullptr;
    }

    // What the calls may change: the circle and the text.
    std::string state() {
        Open<AcDbCircle> c(circle);
        Open<AcDbText> t(text);
        if (!c.object || !t.object) return "unopenable";
        return std::to_string(c->radius()) + " " + std::to_string(c->center().x) + " " +
               std::to_string(c->visibility()) + " " + t->textStringConst();
    }

    Drawing drawing;
    AcDbObjectId circle, text;
    CFormulaObject token;
    std::vector<std::unique_ptr<CVariable>> owned;
};

TEST_F(FunctionArguments, EveryKeywordFunctionHasASignature) {
    for (int k = 0; k < kFormulaKeywordCount; ++k) {
        if (!formulaFunction(k)) continue;
        bool found = false;
        for (const Signature& s : kSignatures) found = found || s.keyword == k;
        EXPECT_TRUE(found) << formulaKeyword(k);
    }
}

// A null in a place the function reads: null, and the drawing stays as it was.
TEST_F(FunctionArguments, ANullWhereAValueIsReadGivesNull) {
    for (const Signature& s : kSignatures) {
        FormulaFunction f = formulaFunction(s.keyword);
        ASSERT_NE(f, nullptr) << s.keyword;
        const std::string reads = s.reads;
        for (size_t i = 0; i < reads.size(); ++i) {
            std::string kinds = reads;
            kinds[i] = 'x';
            const std::string before = state();
            const bool null = call(f, kinds);
            if (s.checked) {
                EXPECT_TRUE(null) << formulaKeyword(s.keyword) << " " << kinds;
            }
            if (s.keyword != 48 && s.keyword != 49 && s.keyword != 1) {
                EXPECT_EQ(state(), before) << formulaKeyword(s.keyword) << " " << kinds;
            }
        }
    }
}

// Missing arguments, nulls anywhere and values of every other kind in every place: each call
// ends and leaves nothing open (the sanitizers watch the reads).
TEST_F(FunctionArguments, MissingNullAndWrongKindArgumentsAreSurvived) {
    for (const Signature& s : kSignatures) {
        FormulaFunction f = formulaFunction(s.keyword);
        const std::string reads = s.reads;
        std::vector<std::string> lists = {"", "x", "xx", "xxxx"};
        for (size_t n = 0; n < reads.size(); ++n) lists.push_back(reads.substr(0, n));
        lists.push_back(reads + "x");
        for (size_t i = 0; i < reads.size(); ++i)
            for (const char* k = kAllKinds; *k; ++k) {
                std::string kinds = reads;
                kinds[i] = *k;
                lists.push_back(kinds);
            }
        for (const char* k = kAllKinds; *k; ++k) lists.push_back(std::string(4, *k));
        for (const std::string& kinds : lists) call(f, kinds);
    }
    EXPECT_NE(state(), "unopenable");
}

// The drag of a grip whose statement names no variable in the value's place runs to its end.
TEST_F(FunctionArguments, AGripStatementWithAnUnknownNameChangesNothing) {
    for (const char* keyword : {"setRadius(", "setDia(", "setText("}) {
        ZEFTGripPoint grip;
        auto* target = new CVariable;
        target->name = "c";
        target->kind = RTENAME;
        target->objectId = std::string(keyword) == "setText(" ? text : circle;
        grip.variables.AddTail(target);
        auto* s = new CCondFormula;
        for (const char* word : {keyword, "c", "nosuch", ")"}) {
            auto* t = new CFormulaObject;
            t->text = word;
            t->type = word == std::string(keyword) || word == std::string(")") ? 3 : 4;
            for (int k = 0; t->type == 3 && k < kFormulaKeywordCount; ++k)
                if (std::string(formulaKeyword(k)) == word) t->value = k;
            s->tokens.AddTail(t);
        }
        grip.AddFormula(s);
        const std::string before = state();
        EXPECT_TRUE(grip.CheckFormulaForStretch()) << keyword;
        EXPECT_EQ(state(), before) << keyword;
        EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    }
}

}  // namespace
