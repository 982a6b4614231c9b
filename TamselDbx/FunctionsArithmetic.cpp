// Formula functions on numbers, and the constants.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include "FormulaContext.h"
#include "FormulaValues.h"
#include "theFunctions.h"

namespace {
constexpr double kPi = 3.1415926535898;

// a1 combined with each later argument in turn; null without arguments or with a null one.
template <class Value, class Read, class Op>
std::optional<Value> fold(Read read, Op op) {
    FormulaArguments args;
    std::optional<Value> result = (args.*read)(0);
    for (int i = 1; result && i < args.count(); ++i) {
        const std::optional<Value> x = (args.*read)(i);
        result = x ? std::optional<Value>(op(*result, *x)) : std::nullopt;
    }
    return result;
}

template <class Op>
CVariable* realFold(Op op) {
    const std::optional<double> result = fold<double>(&FormulaArguments::real, op);
    return result ? newRealValue(*result) : nullptr;
}

template <class Op>
CVariable* integerFold(Op op) {
    const std::optional<int32_t> result = fold<int32_t>(&FormulaArguments::integer, op);
    return result ? newShortValue(*result) : nullptr;
}

// A function of the real of a1.
template <class Fn>
CVariable* ofFirstReal(Fn fn) {
    const std::optional<double> x = FormulaArguments().real(0);
    return x ? newRealValue(fn(*x)) : nullptr;
}

// a1 and aN (the same argument when there is one), read by read.
template <class Value>
bool firstAndLast(const FormulaArguments& args, std::optional<Value> (FormulaArguments::*read)(int) const,
                  Value& a, Value& b) {
    const std::optional<Value> first = (args.*read)(0);
    const std::optional<Value> last = (args.*read)(args.lastIndex());
    if (!first || !last) return false;
    a = *first;
    b = *last;
    return true;
}
}  // namespace

CVariable* FnPlus() { return realFold([](double r, double x) { return r + x; }); }
CVariable* FnMinus() { return realFold([](double r, double x) { return r - x; }); }
CVariable* FnTimes() { return realFold([](double r, double x) { return r * x; }); }
CVariable* FnDivide() { return realFold([](double r, double x) { return r / x; }); }
CVariable* FnRem() { return realFold([](double r, double x) { return std::fmod(r, x); }); }

CVariable* FnRndUp() { return ofFirstReal([](double x) { return std::ceil(x); }); }
CVariable* FnRndDown() { return ofFirstReal([](double x) { return std::floor(x); }); }
CVariable* FnExp() { return ofFirstReal([](double x) { return std::exp(x); }); }
CVariable* FnNeg() { return ofFirstReal([](double x) { return x <= 0.0 ? x : -x; }); }
CVariable* FnPos() { return ofFirstReal([](double x) { return std::fabs(x); }); }
CVariable* FnSqrt() { return ofFirstReal([](double x) { return std::sqrt(x); }); }
CVariable* FnSqrd() { return ofFirstReal([](double x) { return x * x; }); }
CVariable* FnCos() { return ofFirstReal([](double x) { return std::cos(x); }); }
CVariable* FnSin() { return ofFirstReal([](double x) { return std::sin(x); }); }
CVariable* FnTan() { return ofFirstReal([](double x) { return std::tan(x); }); }
CVariable* FnCosh() { return ofFirstReal([](double x) { return std::cosh(x); }); }
CVariable* FnSinh() { return ofFirstReal([](double x) { return std::sinh(x); }); }
CVariable* FnTanh() { return ofFirstReal([](double x) { return std::tanh(x); }); }
CVariable* FnAcos() { return ofFirstReal([](double x) { return std::acos(x); }); }
CVariable* FnAsin() { return ofFirstReal([](double x) { return std::asin(x); }); }
CVariable* FnLog() { return ofFirstReal([](double x) { return x >= 0.0 ? std::log(x) : 0.0; }); }
CVariable* FnLog10() { return ofFirstReal([](double x) { return x > 0.0 ? std::log10(x) : 0.0; }); }
CVariable* FnRadToDeg() { return ofFirstReal([](double x) { return 180.0 * x / kPi; }); }
CVariable* FnDegToRad() { return ofFirstReal([](double x) { return kPi * x / 180.0; }); }

// One argument: its arc tangent; two: a1 is the y and a2 the x; more: 0.
CVariable* FnAtan() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    if (args.count() >= 3) return newRealValue(0.0);
    const std::optional<double> y = args.real(0);
    const std::optional<double> x = args.real(args.lastIndex());
    if (!y || !x) return nullptr;
    if (args.count() == 1) return newRealValue(std::atan(*y));
    return newRealValue(std::atan2(*y, *x));
}

// An integral power is kept as an integer: short when it fits 16 bits, else long, so that its
// real and its integer both read as the power itself.
CVariable* FnExpt() {
    double base = 0.0, exponent = 0.0;
    if (!firstAndLast(FormulaArguments(), &FormulaArguments::real, base, exponent)) return nullptr;
    const double power = std::pow(base, exponent);
    const bool integral = std::isfinite(power) && power >= -2147483648.0 && power <= 2147483647.0 &&
                          power == static_cast<double>(static_cast<int32_t>(power));
    if (!integral) return newRealValue(power);
    const auto whole = static_cast<int32_t>(power);
    CVariable* value = newShortValue(whole);
    if (whole < INT16_MIN || whole > INT16_MAX) {
        value->kind = RTLONG;
        value->longValue = whole;
    }
    value->realValue = power;
    return value;
}

// Euclid on the magnitudes, so that negative numbers end as well.
CVariable* FnGcd() {
    int32_t a = 0, b = 0;
    if (!firstAndLast(FormulaArguments(), &FormulaArguments::integer, a, b)) return nullptr;
    if (b == 0) return newShortValue(a);
    if (a == 0) return newShortValue(b);
    int64_t x = std::llabs(a);
    int64_t y = std::llabs(b);
    while (x != 0 && y != 0) {
        if (x < y) y %= x;
        else x %= y;
    }
    return newShortValue(static_cast<int32_t>(x != 0 ? x : y));
}

CVariable* FnLogAnd() { return integerFold([](int32_t r, int32_t x) { return r & x; }); }
CVariable* FnLogIor() { return integerFold([](int32_t r, int32_t x) { return r | x; }); }

// A negative count shifts left, a positive one right (arithmetic), each by its low five bits.
CVariable* FnLsh() {
    int32_t a = 0, n = 0;
    if (!firstAndLast(FormulaArguments(), &FormulaArguments::integer, a, n)) return nullptr;
    const uint32_t bits = static_cast<uint32_t>(n) & 31u;
    int32_t result = 0;
    if (n < 0) result = static_cast<int32_t>(static_cast<uint32_t>(a) << bits);
    else if (n > 0) result = a >> bits;
    return newShortValue(result);
}

CVariable* FnPi() { return newRealValue(kPi); }
CVariable* Fn90Deg() { return newRealValue(kPi * 90.0 / 180.0); }
CVariable* Fn180Deg() { return newRealValue(kPi * 180.0 / 180.0); }
CVariable* Fn270Deg() { return newRealValue(kPi * 270.0 / 180.0); }
CVariable* Fn0Deg() { return newRealValue(0.0); }
