// Unit conversions as AutoCAD's rtos / angtos / distof / angtof do them, UNITMODE 0.
//
// Choices where the documentation says nothing:
// - Rounding is half away from zero, done on the shortest text that reads back as the same
//   double, so 2.5 -> "3" and 1.005 at two places -> "1.01".
// - DIMZIN bit 8 also trims the scientific mantissa and the inches of engineering; bit 4 is
//   applied to decimal distances and decimal angles only. A zero that DIMZIN 12 would empty
//   stays "0".
// - Feet and inches with DIMZIN 0: zero feet and zero inches are both left out; a value that
//   would leave nothing prints its zero inches (0" or 0.00").
// - D/m/s precision counts the digits after the degrees: 0 -> 45d, 1-2 -> 45d30',
//   3-4 -> 45d30'0", 5-8 -> seconds with prec-4 decimals (90d0'0.76" at 6).
// - Angles are measured from east, counterclockwise; ANGBASE and ANGDIR are not applied.
//   A value that rounds to a full circle in degrees or grads is written as 0.
// - Parsing trims surrounding blanks; fractions (1/2, 17 1/2, 17-1/2) are read in every unit,
//   feet only in engineering and architectural. Angle text may carry d, g or r in any unit;
//   bearings are read in surveyor's units. Parsed angles are normalised into [0, 2pi).
// - NaN and infinities are refused with RTERROR.

#include "db/units.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kDefaultBufferSize = 133;  // 132 characters and the NUL
constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::atomic<AcDbUnitSettings (*)()> g_provider{nullptr};

// ---------------------------------------------------------------------------------------
// Decimal digit strings

// Shortest digits that read back as x, with x == 0.d1d2d3... * 10^(exp + 1).
void shortestDigits(double x, std::string& digits, int& exp) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
    digits.clear();
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    ++p;  // 'e'
    if (p < res.ptr && *p == '+') ++p;
    exp = 0;
    std::from_chars(p, res.ptr, exp);
}

// Adds one to a digit string; returns true when it grew a digit (999 -> 1000).
bool increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// Digits of round(x * 10^decimals) for finite x >= 0, half away from zero.
std::string roundedDigits(double x, int decimals) {
    std::string mant;
    int exp = 0;
    shortestDigits(x, mant, exp);
    const long len = static_cast<long>(mant.size());
    const long shift = exp - (len - 1) + decimals;  // x * 10^decimals == mant * 10^shift
    std::string out;
    if (shift >= 0) {
        out = mant + std::string(static_cast<std::size_t>(shift), '0');
    } else {
        const long keep = len + shift;
        if (keep < 0) return "0";
        out = mant.substr(0, static_cast<std::size_t>(keep));
        if (mant[static_cast<std::size_t>(keep)] >= '5') increment(out);
    }
    const auto nz = out.find_first_not_of('0');
    return nz == std::string::npos ? "0" : out.substr(nz);
}

// Divides a digit string by m > 0; returns the quotient digits and sets rem.
std::string divide(const std::string& digits, std::int64_t m, std::int64_t& rem) {
    std::string q;
    rem = 0;
    for (char c : digits) {
        rem = rem * 10 + (c - '0');
        const std::int64_t d = rem / m;
        rem %= m;
        if (!q.empty() || d != 0) q.push_back(static_cast<char>('0' + d));
    }
    return q.empty() ? "0" : q;
}

std::int64_t pow10(int n) {
    std::int64_t r = 1;
    while (n-- > 0) r *= 10;
    return r;
}

std::string padded(std::int64_t v, int width) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

// Writes "int.frac" from the digits of round(x * 10^decimals), trimming zeros per DIMZIN.
std::string fixedText(const std::string& digits, int decimals, bool trimTrailing, bool trimLeading) {
    std::string d = digits;
    if (static_cast<int>(d.size()) < decimals + 1)
        d.insert(0, static_cast<std::size_t>(decimals + 1) - d.size(), '0');
    std::string ip = d.substr(0, d.size() - static_cast<std::size_t>(decimals));
    std::string fp = d.substr(d.size() - static_cast<std::size_t>(decimals));
    if (trimTrailing) {
        const auto last = fp.find_last_not_of('0');
        fp.erase(last == std::string::npos ? 0 : last + 1);
    }
    if (trimLeading && ip == "0" && !fp.empty()) ip.clear();
    return fp.empty() ? ip : ip + "." + fp;
}

bool isZero(const std::string& digits) { return digits == "0"; }

std::string fractionText(std::int64_t num, std::int64_t den) {
    while (num % 2 == 0 && den % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    return std::to_string(num) + "/" + std::to_string(den);
}

// ---------------------------------------------------------------------------------------
// Distance formats

std::string scientificText(double x, int prec, int dimzin, bool& nonzero) {
    std::string mant(static_cast<std::size_t>(prec) + 1, '0');
    int exp = 0;
    nonzero = x != 0.0;
    if (nonzero) {
        const std::size_t want = static_cast<std::size_t>(prec) + 1;
        std::string m;
        shortestDigits(x, m, exp);
        if (m.size() > want) {
            const bool up = m[want] >= '5';
            m.resize(want);
            if (up && increment(m)) {  // 9.99995 -> 1.0000E+01
                m.pop_back();
                ++exp;
            }
        } else {
            m.append(want - m.size(), '0');
        }
        mant = m;
    }
    std::string text = fixedText(mant, prec, (dimzin & 8) != 0, false);
    text += exp < 0 ? "E-" : "E+";
    text += padded(exp < 0 ? -exp : exp, 2);
    return text;
}

struct ShownParts {
    bool feet = true;
    bool inches = true;
};

// Which of feet and inches are written, as DIMZIN 0-3 asks.
ShownParts shownParts(bool feetZero, bool inchesZero, int dimzin) {
    ShownParts p;
    switch (dimzin & 3) {
        case 0: p.feet = !feetZero; p.inches = !inchesZero; break;
        case 1: break;
        case 2: p.inches = !inchesZero; break;
        case 3: p.feet = !feetZero; break;
    }
    if (!p.feet && !p.inches) p.inches = true;
    return p;
}

std::string feetInches(const std::string& feet, const std::string& inches, ShownParts p) {
    std::string out;
    if (p.feet) out = feet + "'";
    if (p.feet && p.inches) out += "-";
    if (p.inches) out += inches + "\"";
    return out;
}

// Returns false when the value cannot be written (overflow of the scaled value).
bool distanceText(double val, int unit, int prec, int dimzin, std::string& out) {
    const double x = std::fabs(val);
    bool nonzero = false;
    std::string body;
    switch (unit) {
        case 1:
            body = scientificText(x, prec, dimzin, nonzero);
            break;
        case 2: {
            const std::string n = roundedDigits(x, prec);
            nonzero = !isZero(n);
            body = fixedText(n, prec, (dimzin & 8) != 0, (dimzin & 4) != 0);
            break;
        }
        case 3: {
            const std::string n = roundedDigits(x, prec);
            nonzero = !isZero(n);
            const std::int64_t scale = pow10(prec);
            std::int64_t r = 0;
            const std::string feet = divide(n, 12 * scale, r);
            const std::string inches =
                fixedText(std::to_string(r), prec, (dimzin & 8) != 0, false);
            body = feetInches(feet, inches, shownParts(isZero(feet), r == 0, dimzin));
            break;
        }
        case 4:
        case 5: {
            const std::int64_t den = std::int64_t{1} << prec;
            const double scaled = x * static_cast<double>(den);  // exact: power of two
            if (!std::isfinite(scaled)) return false;
            const std::string n = roundedDigits(scaled, 0);
            nonzero = !isZero(n);
            std::int64_t r = 0;
            if (unit == 5) {
                const std::string whole = divide(n, den, r);
                if (r == 0) body = whole;
                else if (isZero(whole)) body = fractionText(r, den);
                else body = whole + " " + fractionText(r, den);
            } else {
                const std::string feet = divide(n, 12 * den, r);
                const std::int64_t whole = r / den, num = r % den;
                const ShownParts parts = shownParts(isZero(feet), r == 0, dimzin);
                std::string inches = std::to_string(whole);
                if (num != 0) {
                    // 1'-0 1/2" but 1/2" once the feet are left out.
                    if (whole == 0 && !parts.feet) inches = fractionText(num, den);
                    else inches += " " + fractionText(num, den);
                }
                body = feetInches(feet, inches, parts);
            }
            break;
        }
        default:
            return false;
    }
    out = (val < 0 && nonzero) ? "-" + body : body;
    return true;
}

// ---------------------------------------------------------------------------------------
// Angle formats

double normalizedAngle(double a) {
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    if (a >= kTwoPi) a = 0;
    return a;
}

// Smallest unit written for d/m/s at a precision, in parts of a degree.
std::int64_t dmsUnitsPerDegree(int prec) {
    if (prec == 0) return 1;
    if (prec <= 2) return 60;
    return 3600 * pow10(prec > 4 ? prec - 4 : 0);
}

// Writes t (in dmsUnitsPerDegree(prec) parts of a degree) as 45d30'0".
std::string dmsText(std::int64_t t, int prec, int dimzin) {
    if (prec == 0) return std::to_string(t) + "d";
    if (prec <= 2) return std::to_string(t / 60) + "d" + std::to_string(t % 60) + "'";
    const int k = prec > 4 ? prec - 4 : 0;
    const std::int64_t scale = pow10(k);
    const std::int64_t perDeg = 3600 * scale, perMin = 60 * scale;
    const std::int64_t d = t / perDeg, rem = t % perDeg;
    const std::int64_t m = rem / perMin, s = rem % perMin;
    const std::string secs = fixedText(std::to_string(s), k, (dimzin & 8) != 0, false);
    return std::to_string(d) + "d" + std::to_string(m) + "'" + secs + "\"";
}

std::int64_t toInt(const std::string& digits) {
    std::int64_t v = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    return v;
}

// Decimal text of value rounded to prec places; a full circle is written as 0.
std::string circularDecimal(double value, int prec, int fullCircle, int dimzin) {
    std::string n = roundedDigits(value, prec);
    if (n == std::to_string(fullCircle) + std::string(static_cast<std::size_t>(prec), '0')) n = "0";
    return fixedText(n, prec, (dimzin & 8) != 0, (dimzin & 4) != 0);
}

std::string angleText(double rad, int unit, int prec, int dimzin) {
    const double a = normalizedAngle(rad);
    const double deg = a * 180.0 / std::numbers::pi;
    switch (unit) {
        case 0:
            return circularDecimal(deg, prec, 360, dimzin);
        case 2:
            return circularDecimal(a * 200.0 / std::numbers::pi, prec, 400, dimzin) + "g";
        case 3:
            return fixedText(roundedDigits(a, prec), prec, (dimzin & 8) != 0, (dimzin & 4) != 0) + "r";
        case 1:
        case 4: {
            const std::int64_t u = dmsUnitsPerDegree(prec);
            const std::int64_t q = 90 * u;
            const std::int64_t t = toInt(roundedDigits(deg * static_cast<double>(u), 0)) % (4 * q);
            if (unit == 1) return dmsText(t, prec, dimzin);
            // Bearings: exactly on a compass point gives the single letter.
            if (t == 0) return "E";
            if (t == q) return "N";
            if (t == 2 * q) return "W";
            if (t == 3 * q) return "S";
            if (t < q) return "N " + dmsText(q - t, prec, dimzin) + " E";
            if (t < 2 * q) return "N " + dmsText(t - q, prec, dimzin) + " W";
            if (t < 3 * q) return "S " + dmsText(3 * q - t, prec, dimzin) + " W";
            return "S " + dmsText(t - 3 * q, prec, dimzin) + " E";
        }
    }
    return {};
}

int emit(const std::string& text, char* str, std::size_t size) {
    if (text.size() + 1 > size) {
        str[0] = '\0';
        return RTERROR;
    }
    std::memcpy(str, text.c_str(), text.size() + 1);
    return RTNORM;
}

// ---------------------------------------------------------------------------------------
// Parsing

class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {
        while (!s_.empty() && isBlank(s_.front())) s_.remove_prefix(1);
        while (!s_.empty() && isBlank(s_.back())) s_.remove_suffix(1);
    }

    bool atEnd() const { return i_ == s_.size(); }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    bool accept(char c) {
        if (peek() != c) return false;
        ++i_;
        return true;
    }
    bool acceptNoCase(char upper) {
        if (peek() != upper && peek() != upper - 'A' + 'a') return false;
        ++i_;
        return true;
    }
    void skipSpaces() {
        while (peek() == ' ' || peek() == '\t') ++i_;
    }
    std::size_t pos() const { return i_; }
    void reset(std::size_t p) { i_ = p; }

    // A leading + or -; returns -1.0 or 1.0.
    double sign() {
        if (accept('-')) return -1.0;
        accept('+');
        return 1.0;
    }

    // Unsigned real: digits[.digits][e[+-]digits], at least one digit before the exponent.
    bool number(double& out, bool* integral = nullptr) {
        const std::size_t start = i_;
        std::size_t digits = skipDigits();
        bool whole = true;
        if (peek() == '.') {
            ++i_;
            digits += skipDigits();
            whole = false;
        }
        if (digits == 0) {
            i_ = start;
            return false;
        }
        if (peek() == 'e' || peek() == 'E') {
            const std::size_t save = i_;
            ++i_;
            if (peek() == '+' || peek() == '-') ++i_;
            if (skipDigits() == 0) i_ = save;
            else whole = false;
        }
        if (integral) *integral = whole;
        return convert(start, out);
    }

    // digits/digits with a nonzero denominator.
    bool fraction(double& out) {
        const std::size_t start = i_;
        double num = 0, den = 0;
        if (skipDigits() > 0 && convert(start, num) && accept('/')) {
            const std::size_t d = i_;
            if (skipDigits() > 0 && convert(d, den) && den != 0) {
                out = num / den;
                return true;
            }
        }
        i_ = start;
        return false;
    }

    // 17.5 | 1/2 | 17 1/2 | 17-1/2 (no sign).
    bool amount(double& out) {
        if (fraction(out)) return true;
        bool integral = false;
        if (!number(out, &integral)) return false;
        if (integral) {
            const std::size_t save = i_;
            const bool spaced = peek() == ' ' || peek() == '\t';
            skipSpaces();
            if (!spaced) accept('-');
            double f = 0;
            if (i_ != save && fraction(f)) out += f;
            else i_ = save;
        }
        return true;
    }

private:
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    std::size_t skipDigits() {
        const std::size_t start = i_;
        while (isDigit(peek())) ++i_;
        return i_ - start;
    }
    bool convert(std::size_t start, double& out) const {
        const char* first = s_.data() + start;
        const char* last = s_.data() + i_;
        auto res = std::from_chars(first, last, out);
        return res.ec == std::errc() && res.ptr == last && std::isfinite(out);
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

bool parseDistance(std::string_view text, int unit, double& out) {
    Scanner sc(text);
    const double sign = sc.sign();
    double value = 0;
    if (unit == 3 || unit == 4) {
        const std::size_t start = sc.pos();
        double feet = 0;
        if (sc.number(feet) && sc.accept('\'')) {
            value = feet * 12.0;
            sc.skipSpaces();
            const bool dash = sc.accept('-');
            sc.skipSpaces();
            if (!sc.atEnd()) {
                double inches = 0;
                if (!sc.amount(inches)) return false;
                sc.skipSpaces();
                sc.accept('"');
                value += inches;
            } else if (dash) {
                return false;
            }
        } else {
            sc.reset(start);
            if (!sc.amount(value)) return false;
            sc.skipSpaces();
            sc.accept('"');
        }
    } else if (!sc.amount(value)) {
        return false;
    }
    if (!sc.atEnd() || !std::isfinite(value)) return false;
    out = sign * value;
    return true;
}

// After the degrees and their 'd': optional minutes (') and seconds (").
bool dmsRest(Scanner& sc, double& degrees) {
    bool haveMin = false, haveSec = false;
    for (;;) {
        const std::size_t save = sc.pos();
        double v = 0;
        if (!sc.number(v)) {
            sc.reset(save);
            return true;
        }
        if (!haveMin && !haveSec && sc.accept('\'')) {
            degrees += v / 60.0;
            haveMin = true;
        } else if (!haveSec && sc.accept('"')) {
            degrees += v / 3600.0;
            haveSec = true;
        } else {
            return false;
        }
    }
}

// A directional angle in degrees, from "45", "45d30'15\"", "50g" or "0.7854r".
bool angleDegrees(Scanner& sc, int unit, double& deg) {
    double v = 0;
    if (!sc.number(v)) return false;
    if (sc.acceptNoCase('D')) {
        deg = v;
        return dmsRest(sc, deg);
    }
    if (sc.acceptNoCase('G')) deg = v * 0.9;
    else if (sc.acceptNoCase('R')) deg = v * 180.0 / std::numbers::pi;
    else if (unit == 2) deg = v * 0.9;
    else if (unit == 3) deg = v * 180.0 / std::numbers::pi;
    else deg = v;
    return true;
}

// "N 45d0'0\" E", "N45dE", "S 12.5 W" or a single compass letter.
bool bearingDegrees(Scanner& sc, double& deg) {
    if (sc.acceptNoCase('E')) { deg = 0; return true; }
    if (sc.acceptNoCase('W')) { deg = 180; return true; }
    const bool north = sc.acceptNoCase('N');
    if (!north && !sc.acceptNoCase('S')) return false;
    sc.skipSpaces();
    if (sc.atEnd()) {
        deg = north ? 90 : 270;
        return true;
    }
    double b = 0;
    if (!sc.number(b)) return false;
    if (sc.acceptNoCase('D') && !dmsRest(sc, b)) return false;
    sc.skipSpaces();
    const bool east = sc.acceptNoCase('E');
    if (!east && !sc.acceptNoCase('W')) return false;
    if (b > 90) return false;
    if (north) deg = east ? 90 - b : 90 + b;
    else deg = east ? 270 + b : 270 - b;
    return true;
}

bool parseAngle(std::string_view text, int unit, double& out) {
    Scanner sc(text);
    double deg = 0;
    const char c = sc.peek();
    const bool compass = c == 'N' || c == 'n' || c == 'S' || c == 's' || c == 'E' || c == 'e' ||
                         c == 'W' || c == 'w';
    if (unit == 4 && compass) {
        if (!bearingDegrees(sc, deg)) return false;
    } else {
        const double sign = sc.sign();
        if (!angleDegrees(sc, unit, deg)) return false;
        deg *= sign;
    }
    if (!sc.atEnd() || !std::isfinite(deg)) return false;
    out = normalizedAngle(deg * std::numbers::pi / 180.0);
    return true;
}

}  // namespace

// -------------------------------------------------------------------------------------------

AcDbUnitSettings acdbCurrentUnitSettings() {
    auto provider = g_provider.load();
    return provider ? provider() : AcDbUnitSettings{};
}

void acdbSetUnitSettingsProvider(AcDbUnitSettings (*provider)()) { g_provider.store(provider); }

int acdbRToS(double val, int unit, int prec, char* str, std::size_t size) {
    if (!str || size == 0) return RTERROR;
    str[0] = '\0';
    const AcDbUnitSettings cur = acdbCurrentUnitSettings();
    if (unit == -1) unit = cur.lunits;
    if (prec == -1) prec = cur.luprec;
    if (unit < 1 || unit > 5 || prec < 0 || prec > 8 || !std::isfinite(val)) return RTERROR;
    std::string text;
    if (!distanceText(val, unit, prec, cur.dimzin, text)) return RTERROR;
    return emit(text, str, size);
}

int acdbRToS(double val, int unit, int prec, char* str) {
    return acdbRToS(val, unit, prec, str, kDefaultBufferSize);
}

int acdbAngToS(double angle, int unit, int prec, char* str, std::size_t size) {
    if (!str || size == 0) return RTERROR;
    str[0] = '\0';
    const AcDbUnitSettings cur = acdbCurrentUnitSettings();
    if (unit == -1) unit = cur.aunits;
    if (prec == -1) prec = cur.auprec;
    if (unit < 0 || unit > 4 || prec < 0 || prec > 8 || !std::isfinite(angle)) return RTERROR;
    return emit(angleText(angle, unit, prec, cur.dimzin), str, size);
}

int acdbAngToS(double angle, int unit, int prec, char* str) {
    return acdbAngToS(angle, unit, prec, str, kDefaultBufferSize);
}

int acdbDisToF(const char* str, int unit, double* ret) {
    if (!str || !ret) return RTERROR;
    if (unit == -1) unit = acdbCurrentUnitSettings().lunits;
    if (unit < 1 || unit > 5) return RTERROR;
    double v = 0;
    if (!parseDistance(str, unit, v)) return RTERROR;
    *ret = v;
    return RTNORM;
}

int acdbAngToF(const char* str, int unit, double* ret) {
    if (!str || !ret) return RTERROR;
    if (unit == -1) unit = acdbCurrentUnitSettings().aunits;
    if (unit < 0 || unit > 4) return RTERROR;
    double v = 0;
    if (!parseAngle(str, unit, v)) return RTERROR;
    *ret = v;
    return RTNORM;
}
