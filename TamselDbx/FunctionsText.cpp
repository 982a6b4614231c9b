// Formula functions on texts; positions count from 0.
#include <algorithm>
#include <stdexcept>
#include <string>
#include "FormulaContext.h"
#include "FormulaValues.h"
#include "db/units.h"
#include "theFunctions.h"

namespace {

// Longer texts cannot be addressed by the 16-bit positions; a result beyond this fails the call,
// so that a formula that keeps doubling a text ends instead of exhausting memory.
constexpr int kMaxTextLength = 32767;

CVariable* textResult(const CString& text) {
    if (text.GetLength() > kMaxTextLength) throw std::length_error("formula text too long");
    return newTextValue(text);
}

// The arguments when there are at least n and none is null.
bool atLeast(const FormulaArguments& args, int n) { return args.count() >= n && args.noneNull(); }

// Exactly one argument, not null.
bool single(const FormulaArguments& args) { return args.count() == 1 && args.first(); }

CString textOf(const CVariable* value) { return value->GetString(); }

// Unit or precision from an optional argument, -1 (the drawing's own) when it is not there.
int optionalInt(const FormulaArguments& args, int index) {
    return index < args.count() ? args.at(index)->GetInt() : -1;
}

template <class Format>
CVariable* formatted(Format format) {
    FormulaArguments args;
    if (args.empty() || !args.noneNull()) return nullptr;
    char buffer[256] = "";
    if (format(args.first()->GetReal(), optionalInt(args, 1), optionalInt(args, 2), buffer, sizeof buffer) !=
        RTNORM)
        return newTextValue("0");
    return newTextValue(buffer);
}

template <class Parse>
CVariable* parsed(Parse parse) {
    FormulaArguments args;
    if (args.empty() || !args.noneNull()) return nullptr;
    double result = 0.0;
    if (parse(textOf(args.first()), optionalInt(args, 1), &result) != RTNORM) result = 0.0;
    return newRealValue(result);
}

}  // namespace

CVariable* FnLeft() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    return textResult(textOf(args.first()).Left(args.last()->GetInt()));
}

CVariable* FnMidText() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    const CString text = textOf(args.first());
    const int from = args.at(1)->GetInt();
    if (args.count() >= 3) return textResult(text.Mid(from, args.at(2)->GetInt()));
    return textResult(text.Mid(from));
}

CVariable* FnRight() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    return textResult(textOf(args.first()).Right(args.last()->GetInt()));
}

CVariable* FnFind() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    const int from = args.count() >= 3 ? args.at(2)->GetInt() : 0;
    return newShortValue(textOf(args.first()).Find(textOf(args.at(1)), from));
}

CVariable* FnFindOneOf() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    const CString text = textOf(args.first());
    const CString set = textOf(args.last());
    const size_t at = text.str().find_first_of(set.str());
    return newShortValue(at == std::string::npos ? -1 : static_cast<int32_t>(at));
}

CVariable* FnInsert() {
    FormulaArguments args;
    if (!atLeast(args, 3)) return nullptr;
    CString text = textOf(args.first());
    text.Insert(args.at(1)->GetInt(), textOf(args.at(2)));
    return textResult(text);
}

CVariable* FnMakeLower() {
    FormulaArguments args;
    if (!single(args)) return nullptr;
    CString text = textOf(args.first());
    return textResult(text.MakeLower());
}

CVariable* FnMakeUpper() {
    FormulaArguments args;
    if (!single(args)) return nullptr;
    CString text = textOf(args.first());
    return textResult(text.MakeUpper());
}

CVariable* FnLength() {
    FormulaArguments args;
    if (!single(args)) return nullptr;
    return newShortValue(textOf(args.first()).GetLength());
}

CVariable* FnPutTogether() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    CString text;
    for (int i = 0; i < args.count() && text.GetLength() <= kMaxTextLength; ++i) text += textOf(args.at(i));
    return textResult(text);
}

CVariable* FnReplace() {
    FormulaArguments args;
    if (!atLeast(args, 3)) return nullptr;
    CString text = textOf(args.first());
    const CString from = textOf(args.at(1));
    const CString to = textOf(args.at(2));
    // A bound of the result's length, before it is made.
    const std::string& s = text.str();
    const size_t growth = to.str().size() - std::min(to.str().size(), from.str().size());
    size_t length = s.size();
    if (!from.IsEmpty() && growth > 0)
        for (size_t at = s.find(from.str()); at != std::string::npos && length <= kMaxTextLength;
             at = s.find(from.str(), at + from.str().size()))
            length += growth;
    if (length > kMaxTextLength) throw std::length_error("formula text too long");
    text.Replace(from, to);
    return textResult(text);
}

// The last occurrence of the first character of aN; -1 for an empty aN.
CVariable* FnRevFind() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    const CString set = textOf(args.last());
    if (set.IsEmpty()) return newShortValue(-1);
    return newShortValue(textOf(args.first()).ReverseFind(set.GetAt(0)));
}

CVariable* FnTrimLeft() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    CString text = textOf(args.first());
    return textResult(text.TrimLeft(textOf(args.last())));
}

CVariable* FnTrimRight() {
    FormulaArguments args;
    if (!atLeast(args, 2)) return nullptr;
    CString text = textOf(args.first());
    return textResult(text.TrimRight(textOf(args.last())));
}

CVariable* FnAngToStr() {
    return formatted([](double v, int unit, int prec, char* out, size_t size) {
        return acdbAngToS(v, unit, prec, out, size);
    });
}

CVariable* FnNumToStr() {
    return formatted([](double v, int unit, int prec, char* out, size_t size) {
        return acdbRToS(v, unit, prec, out, size);
    });
}

CVariable* FnStrToAng() {
    return parsed([](const CString& text, int unit, double* out) { return acdbAngToF(text, unit, out); });
}

CVariable* FnStrToNum() {
    return parsed([](const CString& text, int unit, double* out) { return acdbDisToF(text, unit, out); });
}
