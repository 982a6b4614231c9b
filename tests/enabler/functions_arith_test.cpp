#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>
#include "FormulaContext.h"
#include "theFunctions.h"

namespace {
constexpr double kPi = 3.1415926535898;

// An argument: a number (real), a text, nil, true, a short, or a missing value (null).
struct Arg {
    enum Kind { real, text, nil, t, shortInt, null } kind;
    double number = 0.0;
    const char* string = "";
};
Arg R(double v) { return {Arg::real, v}; }
Arg S(const char* v) { return {Arg::text, 0.0, v}; }
Arg I(int v) { return {Arg::shortInt, static_cast<double>(v)}; }
const Arg NIL{Arg::nil};
const Arg T{Arg::t};
const Arg NUL{Arg::null};

struct Result {
    bool null = true;
    int argument = -1;  // the result is this argument itself
    unsigned kind = 0;
    double real = 0.0;
    int integer = 0;
    std::string text;
};

// Calls f on fresh values and releases them (and the result) afterwards.
Result call(FormulaFunction f, const std::vector<Arg>& args) {
    CVariableList list;
    std::vector<CVariable*> made;
    for (const Arg& a : args) {
        CVariable* v = nullptr;
        if (a.kind != Arg::null) {
            v = new CVariable;
            made.push_back(v);
            switch (a.kind) {
            case Arg::real: v->kind = RTREAL; v->realValue = a.number; break;
            case Arg::text: v->kind = RTSTR; v->stringValue = a.string; break;
            case Arg::nil: v->kind = RTNIL; break;
            case Arg::t: v->kind = RTT; break;
            default: v->kind = RTSHORT; v->shortValue = static_cast<int16_t>(a.number); break;
            }
        }
        list.AddTail(v);
    }
    struct Release {
        std::vector<CVariable*>& values;
        ~Release() {
            setFormulaContext(nullptr, nullptr);
            for (CVariable* v : values) delete v;
        }
    } release{made};
    setFormulaContext(nullptr, &list);
    CVariable* out = f();
    Result r;
    if (out) {
        r.null = false;
        r.kind = out->kind;
        r.real = out->GetReal();
        r.integer = out->GetInt();
        r.text = out->stringValue.GetString();
        for (size_t i = 0, n = 0; i < args.size(); ++i)
            if (args[i].kind != Arg::null && made[n++] == out) r.argument = static_cast<int>(i);
        if (r.argument < 0) delete out;
    }
    return r;
}
double real(FormulaFunction f, const std::vector<Arg>& args) {
    Result r = call(f, args);
    EXPECT_FALSE(r.null);
    EXPECT_EQ(r.kind, static_cast<unsigned>(RTREAL));
    return r.real;
}
int shortOf(FormulaFunction f, const std::vector<Arg>& args) {
    Result r = call(f, args);
    EXPECT_FALSE(r.null);
    EXPECT_EQ(r.kind, static_cast<unsigned>(RTSHORT));
    return r.integer;
}
std::string text(FormulaFunction f, const std::vector<Arg>& args) {
    Result r = call(f, args);
    EXPECT_FALSE(r.null);
    EXPECT_EQ(r.kind, static_cast<unsigned>(RTSTR));
    return r.text;
}
unsigned truth(FormulaFunction f, const std::vector<Arg>& args) { return call(f, args).kind; }

TEST(FormulaTable, KeepsTheStoredOrder) {
    const std::vector<std::pair<int, const char*>> named = {
        {0, "moveThisGrip("}, {1, "setVar("}, {2, ")"}, {4, "else if"}, {5, "else do"}, {14, "fix("},
        {42, "mid("}, {50, "move("}, {51, "pi"}, {64, "cancel("}, {71, "getThisPoint()"}, {74, "getOffset()"},
        {84, "getInFence("}, {98, "queryThisPt()"}, {100, "mid("}, {117, "queryDim("}};
    for (const auto& [index, keyword] : named) EXPECT_STREQ(formulaKeyword(index), keyword) << index;
    for (int none : {0, 2, 3, 4, 5, 6, 14, 50, 71, 98}) EXPECT_EQ(formulaFunction(none), nullptr) << none;
    int withFunction = 0;
    for (int i = 0; i < kFormulaKeywordCount; ++i) withFunction += formulaFunction(i) != nullptr;
    EXPECT_EQ(withFunction, 108);
    EXPECT_EQ(formulaFunction(84), formulaFunction(67));
    EXPECT_EQ(formulaFunction(85), formulaFunction(68));
    EXPECT_NE(formulaFunction(42), formulaFunction(100));
    EXPECT_EQ(formulaFunction(-1), nullptr);
    EXPECT_EQ(formulaFunction(118), nullptr);
    EXPECT_STREQ(formulaKeyword(118), "");
}

TEST(FormulaArithmetic, FoldsFromTheFirstArgument) {
    EXPECT_DOUBLE_EQ(real(FnPlus, {R(1), R(2), I(3)}), 6.0);
    EXPECT_DOUBLE_EQ(real(FnMinus, {R(5)}), 5.0);
    EXPECT_DOUBLE_EQ(real(FnMinus, {R(10), R(2), R(3)}), 5.0);
    EXPECT_DOUBLE_EQ(real(FnTimes, {R(2)}), 2.0);
    EXPECT_DOUBLE_EQ(real(FnDivide, {R(12), R(2), R(3)}), 2.0);
    EXPECT_TRUE(std::isinf(real(FnDivide, {R(1), R(0)})));
    EXPECT_DOUBLE_EQ(real(FnRem, {R(7), R(3)}), 1.0);
    EXPECT_DOUBLE_EQ(real(FnRem, {R(7.5), R(2), R(1)}), 0.5);
    EXPECT_DOUBLE_EQ(real(FnPlus, {S("abc"), R(1)}), 1.0);  // a text's real is 0
    for (FormulaFunction f : {FnPlus, FnMinus, FnTimes, FnDivide, FnRem, FnLogAnd, FnLogIor}) {
        EXPECT_TRUE(call(f, {}).null);
        EXPECT_TRUE(call(f, {R(1), NUL}).null);
    }
}

TEST(FormulaArithmetic, OneArgumentFunctions) {
    EXPECT_DOUBLE_EQ(real(FnRndUp, {R(1.2)}), 2.0);
    EXPECT_DOUBLE_EQ(real(FnRndDown, {R(-1.2)}), -2.0);
    EXPECT_DOUBLE_EQ(real(FnNeg, {R(-3)}), -3.0);
    EXPECT_DOUBLE_EQ(real(FnNeg, {R(3)}), -3.0);
    EXPECT_DOUBLE_EQ(real(FnPos, {R(-3)}), 3.0);
    EXPECT_DOUBLE_EQ(real(FnSqrd, {R(-3)}), 9.0);
    EXPECT_DOUBLE_EQ(real(FnSqrt, {R(9), R(100)}), 3.0);  // later arguments are not read
    EXPECT_DOUBLE_EQ(real(FnLog, {R(-1)}), 0.0);
    EXPECT_DOUBLE_EQ(real(FnLog10, {R(0)}), 0.0);
    EXPECT_DOUBLE_EQ(real(FnLog10, {R(1000)}), 3.0);
    EXPECT_EQ(real(FnLog, {R(0)}), -HUGE_VAL);
    EXPECT_DOUBLE_EQ(real(FnRadToDeg, {R(kPi)}), 180.0);
    EXPECT_DOUBLE_EQ(real(FnDegToRad, {R(90)}), kPi / 2);
    EXPECT_DOUBLE_EQ(real(FnCos, {R(0)}), 1.0);
    EXPECT_DOUBLE_EQ(real(FnAtan, {R(1), R(1)}), std::atan2(1.0, 1.0));
    EXPECT_DOUBLE_EQ(real(FnAtan, {R(1), R(-1)}), std::atan2(1.0, -1.0));  // a1 is the y
    EXPECT_DOUBLE_EQ(real(FnAtan, {R(1), R(1), R(1)}), 0.0);
    for (FormulaFunction f : {FnRndUp, FnExp, FnExpt, FnRndDown, FnGcd, FnNeg, FnPos, FnSqrt, FnSqrd, FnCos,
                              FnAtan, FnLog, FnLog10, FnLsh, FnRadToDeg, FnDegToRad}) {
        EXPECT_TRUE(call(f, {}).null);
        EXPECT_TRUE(call(f, {NUL}).null);
    }
}

TEST(FormulaArithmetic, IntegralPowersAndIntegerFunctions) {
    Result eight = call(FnExpt, {R(2), R(3)});
    EXPECT_EQ(eight.kind, static_cast<unsigned>(RTSHORT));
    EXPECT_EQ(eight.integer, 8);
    EXPECT_DOUBLE_EQ(eight.real, 8.0);
    Result large = call(FnExpt, {R(2), R(20)});  // integral, beyond 16 bits
    EXPECT_EQ(large.integer, 1048576);
    EXPECT_DOUBLE_EQ(large.real, 1048576.0);
    EXPECT_NEAR(real(FnExpt, {R(2), R(0.5)}), std::sqrt(2.0), 1e-15);
    EXPECT_EQ(call(FnExpt, {R(10), R(10)}).kind, static_cast<unsigned>(RTREAL));  // beyond 32 bits

    EXPECT_EQ(shortOf(FnGcd, {R(12), R(18)}), 6);
    EXPECT_EQ(shortOf(FnGcd, {R(0), R(7)}), 7);
    EXPECT_EQ(shortOf(FnGcd, {R(7), R(0)}), 7);
    EXPECT_EQ(shortOf(FnGcd, {R(-4), R(6)}), 2);  // negative numbers end too
    EXPECT_EQ(shortOf(FnGcd, {R(-2147483648.0), R(-1)}), 1);

    EXPECT_EQ(shortOf(FnLsh, {R(1), R(-3)}), 0);  // left by 29, low 16 bits
    EXPECT_EQ(shortOf(FnLsh, {R(16), R(2)}), 4);
    EXPECT_EQ(shortOf(FnLsh, {R(5), R(0)}), 0);
    EXPECT_EQ(shortOf(FnLsh, {R(-8), R(1)}), -4);
    EXPECT_EQ(shortOf(FnLsh, {R(1), R(-17)}), -32768);  // -17 & 31 is 15
    EXPECT_EQ(shortOf(FnLogAnd, {R(12), R(10), R(8)}), 8);
    EXPECT_EQ(shortOf(FnLogIor, {R(65536), R(1)}), 1);  // the low 16 bits
}

TEST(FormulaConstants, IgnoreTheirArguments) {
    EXPECT_DOUBLE_EQ(real(FnPi, {R(5)}), kPi);
    EXPECT_DOUBLE_EQ(real(Fn90Deg, {}), kPi / 2);
    EXPECT_DOUBLE_EQ(real(Fn180Deg, {}), kPi);
    EXPECT_DOUBLE_EQ(real(Fn270Deg, {}), kPi * 1.5);
    EXPECT_DOUBLE_EQ(real(Fn0Deg, {NUL}), 0.0);
    EXPECT_EQ(truth(FnTrue, {}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnFalse, {}), static_cast<unsigned>(RTNIL));
}

TEST(FormulaLogic, ComparesWithTheFirstArgument) {
    EXPECT_EQ(truth(FnEqual, {R(1), R(1.000000005), R(1)}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnEqual, {R(1), R(1), R(2)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnEqual, {R(1), R(1.00000001)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnEqual, {R(1)}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnEqual, {NUL, NIL, NUL}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnEqual, {NUL, R(0)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnNotEqual, {R(1), R(1), R(2)}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnNotEqual, {R(1)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnNotEqual, {S("a"), S("a")}), static_cast<unsigned>(RTNIL));

    EXPECT_EQ(truth(FnLess, {S("abc"), S("abd")}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnLess, {S("B"), S("a")}), static_cast<unsigned>(RTT));  // case-sensitive bytes
    EXPECT_EQ(truth(FnGreater, {R(2), S("abc")}), static_cast<unsigned>(RTT));  // 2 against 0
    EXPECT_EQ(truth(FnLess, {R(1), R(9), R(0)}), static_cast<unsigned>(RTNIL));  // a1 and aN only
    EXPECT_EQ(truth(FnLessOrEqual, {R(3)}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnGreaterOrEqual, {R(2), R(3)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnLess, {NUL, R(1)}), static_cast<unsigned>(RTT));

    EXPECT_EQ(truth(FnAnd, {T, R(0)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnAnd, {T, I(2), R(1)}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnAnd, {S("x"), T}), static_cast<unsigned>(RTNIL));  // a text is not true
    EXPECT_EQ(truth(FnOr, {R(0), R(1), R(1)}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnOr, {R(0), R(1), R(0)}), static_cast<unsigned>(RTNIL));
    EXPECT_EQ(truth(FnOr, {R(1), NUL}), static_cast<unsigned>(RTT));
    EXPECT_EQ(truth(FnOr, {NIL}), static_cast<unsigned>(RTNIL));
    for (FormulaFunction f : {FnEqual, FnNotEqual, FnLess, FnGreater, FnLessOrEqual, FnGreaterOrEqual, FnAnd, FnOr})
        EXPECT_TRUE(call(f, {}).null);
}

TEST(FormulaSnapping, IncrementsAndDefinedValues) {
    EXPECT_DOUBLE_EQ(real(FnIncCalc, {R(0), R(5), R(100), R(12.5)}), 15.0);
    EXPECT_DOUBLE_EQ(real(FnIncCalc, {R(0), R(5), R(100), R(12.4)}), 10.0);
    EXPECT_DOUBLE_EQ(real(FnIncCalc, {R(0), R(5), R(100), R(-3)}), 0.0);
    EXPECT_DOUBLE_EQ(real(FnIncCalc, {R(0), R(5), R(100), R(250)}), 100.0);
    EXPECT_DOUBLE_EQ(real(FnIncCalc, {R(0), R(0), R(100), R(42)}), 42.0);
    EXPECT_TRUE(call(FnIncCalc, {R(0), R(5), R(100)}).null);
    EXPECT_TRUE(call(FnIncCalc, {R(0), NUL, R(100), R(4)}).null);

    EXPECT_EQ(call(FnIncDef, {R(7), R(0), R(5), R(10)}).argument, 2);
    EXPECT_EQ(call(FnIncDef, {R(7.5), R(5), R(10)}).argument, 1);
    EXPECT_TRUE(call(FnIncDef, {R(7), R(5)}).null);
    EXPECT_TRUE(call(FnIncDef, {R(7), R(5), NUL}).null);
}

TEST(FormulaText, PositionsCountFromZero) {
    EXPECT_EQ(text(FnLeft, {S("abcdef"), R(2)}), "ab");
    EXPECT_EQ(text(FnRight, {S("abcdef"), R(2)}), "ef");
    EXPECT_EQ(text(FnMidText, {S("abcdef"), R(2), R(3)}), "cde");
    EXPECT_EQ(text(FnMidText, {S("abcdef"), R(4)}), "ef");
    EXPECT_EQ(text(FnLeft, {S("abc"), R(-5)}), "");
    EXPECT_EQ(text(FnMidText, {S("abc"), R(10), R(2)}), "");
    EXPECT_EQ(shortOf(FnFind, {S("abcabc"), S("c"), R(3)}), 5);
    EXPECT_EQ(shortOf(FnFind, {S("abcabc"), S("c")}), 2);
    EXPECT_EQ(shortOf(FnFind, {S("abcabc"), S("x")}), -1);
    EXPECT_EQ(shortOf(FnFindOneOf, {S("abcabc"), S("xc")}), 2);
    EXPECT_EQ(shortOf(FnFindOneOf, {S("abc"), S("")}), -1);
    EXPECT_EQ(shortOf(FnRevFind, {S("abcabc"), S("bz")}), 4);
    EXPECT_EQ(shortOf(FnRevFind, {S("abcabc"), S("")}), -1);
    EXPECT_EQ(text(FnInsert, {S("abef"), R(2), S("cd")}), "abcdef");
    EXPECT_EQ(text(FnReplace, {S("a-b-c"), S("-"), S("+")}), "a+b+c");
    EXPECT_EQ(text(FnPutTogether, {S("ab"), S("cd"), S("e")}), "abcde");
    EXPECT_EQ(text(FnTrimLeft, {S("xxaxx"), S("x")}), "axx");
    EXPECT_EQ(text(FnTrimRight, {S("xxaxx"), S("x")}), "xxa");
    EXPECT_EQ(text(FnMakeUpper, {S("aBc")}), "ABC");
    EXPECT_EQ(text(FnMakeLower, {S("aBc")}), "abc");
    EXPECT_EQ(shortOf(FnLength, {S("abcd")}), 4);
    for (FormulaFunction f : {FnMakeUpper, FnMakeLower, FnLength}) {
        EXPECT_TRUE(call(f, {S("a"), S("b")}).null);
        EXPECT_TRUE(call(f, {}).null);
    }
    for (FormulaFunction f : {FnLeft, FnMidText, FnRight, FnFind, FnFindOneOf, FnPutTogether, FnRevFind, FnTrimLeft,
                              FnTrimRight}) {
        EXPECT_TRUE(call(f, {S("a")}).null);
        EXPECT_TRUE(call(f, {S("a"), NUL}).null);
    }
    EXPECT_TRUE(call(FnInsert, {S("a"), R(1)}).null);
    EXPECT_TRUE(call(FnReplace, {S("a"), S("a")}).null);
}

// A formula that keeps growing a text fails its call instead of exhausting memory.
TEST(FormulaText, ResultsBeyondTheLengthLimitFail) {
    const std::string half(20000, 'a');
    EXPECT_EQ(shortOf(FnLength, {S(half.c_str())}), 20000);
    EXPECT_THROW(call(FnPutTogether, {S(half.c_str()), S(half.c_str())}), std::length_error);
    EXPECT_THROW(call(FnReplace, {S("aaa"), S("a"), S(half.c_str())}), std::length_error);
    EXPECT_THROW(call(FnInsert, {S(half.c_str()), R(1), S(half.c_str())}), std::length_error);
    EXPECT_EQ(text(FnReplace, {S(half.c_str()), S("a"), S("")}), "");
}

TEST(FormulaText, NumbersAndAnglesAsText) {
    EXPECT_EQ(text(FnNumToStr, {R(1.23456), R(2), R(2)}), "1.23");
    EXPECT_EQ(text(FnNumToStr, {R(2.5), R(99)}), "0");  // the host does not answer
    EXPECT_EQ(text(FnAngToStr, {R(kPi), R(3), R(2)}), "3.14r");
    EXPECT_DOUBLE_EQ(real(FnStrToNum, {S("2.5"), R(2)}), 2.5);
    EXPECT_DOUBLE_EQ(real(FnStrToNum, {S("abc")}), 0.0);
    EXPECT_NEAR(real(FnStrToAng, {S("90"), R(0)}), std::acos(0.0), 1e-12);
    EXPECT_DOUBLE_EQ(real(FnStrToAng, {S("north?"), R(0)}), 0.0);
    for (FormulaFunction f : {FnNumToStr, FnAngToStr, FnStrToNum, FnStrToAng}) EXPECT_TRUE(call(f, {}).null);
}

}  // namespace
