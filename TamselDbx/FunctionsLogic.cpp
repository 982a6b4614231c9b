// Formula functions on truth values: comparisons, logic, and snapping to increments.
#include <cmath>
#include <optional>
#include "FormulaContext.h"
#include "FormulaValues.h"
#include "theFunctions.h"

namespace {

// True is 5021 or an integer of 1 or more; nil, 0, texts and missing values are not.
bool countsAsTrue(const CVariable* value) { return value && (value->kind == RTT || value->GetInt() >= 1); }

bool matches(const CVariable* lhs, const CVariable* rhs) {
    if (!lhs || !rhs) {
        const CVariable* other = lhs ? lhs : rhs;
        return !other || other->kind == RTNIL;
    }
    return variablesEqual(*lhs, *rhs);
}

// a1 against aN only: texts by their bytes, anything else by its real (a missing value is 0).
template <class Test>
CVariable* ordered(Test test) {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    const CVariable* a = args.first();
    const CVariable* b = args.last();
    if (a && b && a->kind == RTSTR && b->kind == RTSTR)
        return newTruthValue(test(a->stringValue.str().compare(b->stringValue.str()), 0));
    const double x = a ? a->GetReal() : 0.0;
    const double y = b ? b->GetReal() : 0.0;
    return newTruthValue(test(x, y));
}

}  // namespace

CVariable* FnTrue() { return newFormulaValue(RTT); }
CVariable* FnFalse() { return newFormulaValue(RTNIL); }

// Every later argument against a1, not against its neighbour.
CVariable* FnEqual() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    for (int i = 1; i < args.count(); ++i)
        if (!matches(args.first(), args.at(i))) return newTruthValue(false);
    return newTruthValue(true);
}

CVariable* FnNotEqual() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    for (int i = 1; i < args.count(); ++i)
        if (!matches(args.first(), args.at(i))) return newTruthValue(true);
    return newTruthValue(false);
}

CVariable* FnLess() { return ordered([](auto x, auto y) { return x < y; }); }
CVariable* FnGreater() { return ordered([](auto x, auto y) { return x > y; }); }
CVariable* FnLessOrEqual() { return ordered([](auto x, auto y) { return x <= y; }); }
CVariable* FnGreaterOrEqual() { return ordered([](auto x, auto y) { return x >= y; }); }

// With a single argument, the truth of that argument.
CVariable* FnAnd() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    const bool first = countsAsTrue(args.first());
    if (args.count() == 1) return newTruthValue(first);
    for (int i = 1; i < args.count(); ++i)
        if (!first || !countsAsTrue(args.at(i))) return newTruthValue(false);
    return newTruthValue(true);
}

CVariable* FnOr() {
    FormulaArguments args;
    if (args.empty()) return nullptr;
    const bool first = countsAsTrue(args.first());
    if (args.count() == 1) return newTruthValue(first);
    for (int i = 1; i < args.count(); ++i)
        if (!first && !countsAsTrue(args.at(i))) return newTruthValue(false);
    return newTruthValue(true);
}

// start, increment, end, value: the value snapped to the nearest step from start (a half step
// rounds up), kept within start and end. A zero increment leaves the value unsnapped.
CVariable* FnIncCalc() {
    FormulaArguments args;
    const std::optional<double> a[4] = {args.real(0), args.real(1), args.real(2), args.real(3)};
    for (const std::optional<double>& x : a)
        if (!x) return nullptr;
    const double start = *a[0];
    const double step = *a[1];
    const double end = *a[2];
    const double value = *a[3];
    if (value <= start) return newRealValue(start);
    if (value >= end) return newRealValue(end);
    if (step == 0.0) return newRealValue(value);
    const double distance = value - start;
    const double steps = std::floor(distance / step);
    const double rest = std::fmod(distance, step);
    if (rest >= step / 2.0) return newRealValue(steps * step + step + start);
    return newRealValue(steps * step + start);
}

// The argument among a2 to aN nearest to a1, itself; the earlier one on equal distance.
CVariable* FnIncDef() {
    FormulaArguments args;
    if (args.count() < 3) return nullptr;
    const std::optional<double> x = args.real(0);
    if (!x) return nullptr;
    CVariable* nearest = nullptr;
    double best = 0.0;
    for (int i = 1; i < args.count(); ++i) {
        const std::optional<double> candidate = args.real(i);
        if (!candidate) return nullptr;
        const double distance = std::fabs(*x - *candidate);
        if (!nearest || distance < best) {
            best = distance;
            nearest = args.at(i);
        }
    }
    return nearest;
}
