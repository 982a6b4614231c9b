// Formula functions on texts; positions count from 0.
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>
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

// Texts of the arguments from the first when there are at least n of them; false when one is null.
bool textsOf(const FormulaArguments& args, int n, std::vector<CString>& texts) {
    if (args.count() < n) return false;
    texts.clear();
    for (int i = 0; i < args.count(); ++i) {
        std::optional<CString> text = args.text(i);
        if (!text) return false;
        texts.push_back(std::move(*text));
    }
    return true;
}

// Exactly one argument, not null: its text.
std::optional<CString> singleText(const FormulaArguments& args) {
    return args.count() == 1 ? args.text(0) : std::nullopt;
}

// The integer of an argument; false for a null or missing one.
bool integerOf(const FormulaArguments& args, int index, int& value) {
    const std::optional<int32_t> read = args.integer(index);
    if (read) value = *read;
    return read.has_value();
}

// The integer of an optional argument: one past the end reads as `absent`; false for a null.
bool optionalInt(const FormulaArguments& args, int index, int absent, int& value) {
    if (index < args.count()) return integerOf(args, index, value);
    value = absent;
    return true;
}

// Unit and precision are optional, -1 (the drawing's own) when they are not there.
template <class Format>
CVariable* formatted(Format format) {
    FormulaArguments args;
    const std::optional<double> number = args.real(0);
    int unit = -1, precision = -1;
    if (!number || !optionalInt(args, 1, -1, unit) || !optionalInt(args, 2, -1, precision) || !args.noneNull())
        return nullptr;
    char buffer[256] = "";
    if (format(*number, unit, precision, buffer, sizeof buffer) != RTNORM) return newTextValue("0");
    return newTextValue(buffer);
}

template <class Parse>
CVariable* parsed(Parse parse) {
    FormulaArguments args;
    const std::optional<CString> text = args.text(0);
    int unit = -1;
    if (!text || !optionalInt(args, 1, -1, unit) || !args.noneNull()) return nullptr;
    double result = 0.0;
    if (parse(*text, unit, &result) != RTNORM) result = 0.0;
    return newRealValue(result);
}

}  // namespace

CVariable* FnLeft() {
    FormulaArguments args;
    std::vector<CString> t;
    int count = 0;
    if (!textsOf(args, 2, t) || !integerOf(args, args.lastIndex(), count)) return nullptr;
    return textResult(t.front().Left(count));
}

CVariable* FnMidText() {
    FormulaArguments args;
    std::vector<CString> t;
    int from = 0, count = 0;
    if (!textsOf(args, 2, t) || !integerOf(args, 1, from)) return nullptr;
    if (args.count() < 3) return textResult(t.front().Mid(from));
    if (!integerOf(args, 2, count)) return nullptr;
    return textResult(t.front().Mid(from, count));
}

CVariable* FnRight() {
    FormulaArguments args;
    std::vector<CString> t;
    int count = 0;
    if (!textsOf(args, 2, t) || !integerOf(args, args.lastIndex(), count)) return nullptr;
    return textResult(t.front().Right(count));
}

CVariable* FnFind() {
    FormulaArguments args;
    std::vector<CString> t;
    int from = 0;
    if (!textsOf(args, 2, t) || !optionalInt(args, 2, 0, from)) return nullptr;
    return newShortValue(t[0].Find(t[1], from));
}

CVariable* FnFindOneOf() {
    FormulaArguments args;
    std::vector<CString> t;
    if (!textsOf(args, 2, t)) return nullptr;
    const size_t at = t.front().str().find_first_of(t.back().str());
    return newShortValue(at == std::string::npos ? -1 : static_cast<int32_t>(at));
}

CVariable* FnInsert() {
    FormulaArguments args;
    std::vector<CString> t;
    int at = 0;
    if (!textsOf(args, 3, t) || !integerOf(args, 1, at)) return nullptr;
    CString text = t[0];
    text.Insert(at, t[2]);
    return textResult(text);
}

CVariable* FnMakeLower() {
    std::optional<CString> text = singleText(FormulaArguments());
    return text ? textResult(text->MakeLower()) : nullptr;
}

CVariable* FnMakeUpper() {
    std::optional<CString> text = singleText(FormulaArguments());
    return text ? textResult(text->MakeUpper()) : nullptr;
}

CVariable* FnLength() {
    const std::optional<CString> text = singleText(FormulaArguments());
    return text ? newShortValue(text->GetLength()) : nullptr;
}

CVariable* FnPutTogether() {
    FormulaArguments args;
    std::vector<CString> t;
    if (!textsOf(args, 2, t)) return nullptr;
    CString text;
    for (size_t i = 0; i < t.size() && text.GetLength() <= kMaxTextLength; ++i) text += t[i];
    return textResult(text);
}

CVariable* FnReplace() {
    FormulaArguments args;
    std::vector<CString> t;
    if (!textsOf(args, 3, t)) return nullptr;
    CString text = t[0];
    const CString& from = t[1];
    const CString& to = t[2];
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
    std::vector<CString> t;
    if (!textsOf(args, 2, t)) return nullptr;
    if (t.back().IsEmpty()) return newShortValue(-1);
    return newShortValue(t.front().ReverseFind(t.back().GetAt(0)));
}

CVariable* FnTrimLeft() {
    FormulaArguments args;
    std::vector<CString> t;
    if (!textsOf(args, 2, t)) return nullptr;
    return textResult(t.front().TrimLeft(t.back()));
}

CVariable* FnTrimRight() {
    FormulaArguments args;
    std::vector<CString> t;
    if (!textsOf(args, 2, t)) return nullptr;
    return textResult(t.front().TrimRight(t.back()));
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
