#include "ed/prompts.h"
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "db/units.h"
#include "ed/commandline.h"
#include "ed/sysvar.h"
#include "rx/print.h"

namespace {
struct Keyword {
    std::string local, global;
};

struct GetOptions {
    int flags = 0;
    std::vector<Keyword> keywords;
};

GetOptions& pendingOptions() {
    static GetOptions options;
    return options;
}

std::string& lastKeyword() {
    static std::string kw;
    return kw;
}

std::string& lastAlert() {
    static std::string text;
    return text;
}

// The options of acedInitGet apply to one prompt.
GetOptions takeOptions() {
    GetOptions o = std::move(pendingOptions());
    pendingOptions() = GetOptions{};
    return o;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool matchesKeyword(const std::string& answer, const std::string& keyword) {
    if (answer.empty() || answer.size() > keyword.size()) return false;
    if (upper(keyword.substr(0, answer.size())) != upper(answer)) {
        std::string capitals;
        for (char c : keyword)
            if (std::isupper(static_cast<unsigned char>(c))) capitals += c;
        return !capitals.empty() && upper(answer) == capitals;
    }
    size_t lastCapital = 0;
    bool anyCapital = false;
    for (size_t i = 0; i < keyword.size(); ++i)
        if (std::isupper(static_cast<unsigned char>(keyword[i]))) {
            lastCapital = i;
            anyCapital = true;
        }
    // Without capitals (or all capitals) the whole word is needed.
    bool allCapitals = anyCapital && upper(keyword) == keyword;
    if (!anyCapital || allCapitals) return answer.size() == keyword.size();
    return answer.size() >= lastCapital + 1;
}

// The keyword's global name when the answer is one of the options' keywords.
bool findKeyword(const GetOptions& o, const std::string& answer, std::string& keyword) {
    bool global = !answer.empty() && answer[0] == '_';
    std::string a = global ? answer.substr(1) : answer;
    for (const Keyword& k : o.keywords)
        if (matchesKeyword(a, global ? k.global : k.local)) {
            keyword = k.global;
            return true;
        }
    return false;
}

bool parseDistance(const std::string& text, double& value) {
    std::string t = trim(text);
    if (t.empty()) return false;
    double v = 0.0;
    if (acdbDisToF(t.c_str(), -1, &v) != RTNORM || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool parseAngle(const std::string& text, double& value) {
    std::string t = trim(text);
    if (t.empty()) return false;
    double v = 0.0;
    if (acdbAngToF(t.c_str(), -1, &v) != RTNORM) return false;
    value = v;
    return true;
}

bool parseReal(const std::string& text, double& value) {
    std::string t = trim(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (errno == ERANGE || !end || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

AcGePoint3d lastPoint() {
    resbuf rb;
    if (acedGetVar("LASTPOINT", &rb) == RTNORM && (rb.restype == RT3DPOINT || rb.restype == RTPOINT))
        return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.restype == RT3DPOINT ? rb.resval.rpoint[2] : 0);
    return AcGePoint3d::kOrigin;
}

void setLastPoint(const AcGePoint3d& p) {
    resbuf rb;
    rb.restype = RT3DPOINT;
    rb.resval.rpoint[0] = p.x;
    rb.resval.rpoint[1] = p.y;
    rb.resval.rpoint[2] = p.z;
    acedHostSetVar("LASTPOINT", &rb, false);
}

void copyPoint(const AcGePoint3d& p, ads_point out) {
    out[0] = p.x;
    out[1] = p.y;
    out[2] = p.z;
}

bool copyText(const std::string& text, char* out, size_t size) {
    if (!out || size == 0 || text.size() + 1 > size) return false;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

int ask(const char* prompt, AcEdCommandLine::AnswerMode mode, const AcEdCommandLine::AnswerParser& parse) {
    return AcEdCommandLine::instance().ask(prompt, mode, parse);
}

// The answers every kind of prompt shares: empty, keyword, anything else (RSG_OTHER).
int commonAnswer(const GetOptions& o, const std::string& answer, std::string& message, const char* required,
                 bool& handled) {
    handled = true;
    if (answer.empty()) {
        if (o.flags & RSG_NONULL) {
            message = required;
            return RTERROR;
        }
        return RTNONE;
    }
    std::string kw;
    if (findKeyword(o, answer, kw)) {
        lastKeyword() = kw;
        return RTKWORD;
    }
    handled = false;
    return RTERROR;
}

int otherOrError(const GetOptions& o, const std::string& answer, std::string& message, const char* required) {
    if (o.flags & RSG_OTHER) {
        lastKeyword() = answer;
        return RTKWORD;
    }
    message = o.keywords.empty() ? std::string(required) : std::string(required) + " or option keyword required.";
    return RTERROR;
}

int getPoint(const ads_point, const char* prompt, ads_point result) {
    GetOptions o = takeOptions();
    AcGePoint3d point;
    int rc = ask(prompt, AcEdCommandLine::AnswerMode::kWord, [&](const std::string& answer, std::string& message) {
        bool handled = false;
        int r = commonAnswer(o, answer, message, "A point is required.", handled);
        if (handled) return r;
        std::string why;
        if (acedHostParsePoint(answer, point, &why)) return RTNORM;
        if (o.flags & RSG_OTHER) return otherOrError(o, answer, message, "Point");
        message = o.keywords.empty() ? why : "Point or option keyword required.";
        return RTERROR;
    });
    if (rc == RTNORM) {
        setLastPoint(point);
        if (result) copyPoint(point, result);
    }
    return rc;
}
}  // namespace

// ---- Points ----

bool acedHostParsePoint(const std::string& text, AcGePoint3d& point, std::string* message) {
    std::string t = trim(text);
    auto fail = [&](const char* why) {
        if (message) *message = std::string(why) + " \"" + t + "\"";
        return false;
    };
    if (t.empty()) return fail("A point is required:");
    bool relative = t[0] == '@';
    AcGePoint3d base = relative ? lastPoint() : AcGePoint3d::kOrigin;
    if (relative) t = trim(t.substr(1));
    if (relative && t.empty()) {
        point = base;
        return true;
    }
    if (size_t lt = t.find('<'); lt != std::string::npos) {
        double dist = 0, angle = 0;
        if (!parseDistance(t.substr(0, lt), dist) || !parseAngle(t.substr(lt + 1), angle))
            return fail("Invalid point:");
        point = AcGePoint3d(base.x + dist * std::cos(angle), base.y + dist * std::sin(angle), base.z);
        return true;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = t.find(',', start);
        parts.push_back(t.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return fail("Invalid point:");
    double c[3] = {0, 0, 0};
    for (size_t i = 0; i < parts.size(); ++i)
        if (!parseDistance(parts[i], c[i])) return fail("Invalid point:");
    if (relative) point = AcGePoint3d(base.x + c[0], base.y + c[1], base.z + c[2]);
    else point = AcGePoint3d(c[0], c[1], c[2]);
    return true;
}

// ---- Options ----

int acedInitGet(int flags, const char* keywords) {
    GetOptions o;
    o.flags = flags;
    std::vector<std::string> local, global;
    bool inGlobal = false;
    std::string list = keywords ? keywords : "";
    size_t pos = 0;
    while (pos < list.size()) {
        size_t b = list.find_first_not_of(" \t,", pos);
        if (b == std::string::npos) break;
        size_t e = list.find_first_of(" \t,", b);
        std::string word = list.substr(b, e == std::string::npos ? std::string::npos : e - b);
        pos = e == std::string::npos ? list.size() : e;
        if (word == "_") {
            inGlobal = true;
            continue;
        }
        (inGlobal ? global : local).push_back(word);
    }
    if (!global.empty() && global.size() != local.size()) return RTERROR;
    for (size_t i = 0; i < local.size(); ++i) o.keywords.push_back(Keyword{local[i], global.empty() ? local[i] : global[i]});
    pendingOptions() = std::move(o);
    return RTNORM;
}

int acedGetInput(char* str) {
    if (!str) return RTERROR;
    return copyText(lastKeyword(), str, 133) ? RTNORM : RTERROR;
}

// ---- Prompts ----

int acedGetPoint(const ads_point basePoint, const char* prompt, ads_point result) {
    return getPoint(basePoint, prompt, result);
}

int acedGetCorner(const ads_point basePoint, const char* prompt, ads_point result) {
    return getPoint(basePoint, prompt, result);
}

int acedGetString(int cronly, const char* prompt, char* result, size_t bufLen) {
    takeOptions();
    if (!result || bufLen == 0) return RTERROR;
    std::string text;
    int rc = ask(prompt, cronly ? AcEdCommandLine::AnswerMode::kLine : AcEdCommandLine::AnswerMode::kText,
                 [&](const std::string& answer, std::string& message) {
                     if (answer.size() + 1 > bufLen) {
                         message = "The text is too long (at most " + std::to_string(bufLen - 1) + " characters).";
                         return RTERROR;
                     }
                     text = answer;
                     return RTNORM;
                 });
    if (rc == RTNORM) copyText(text, result, bufLen);
    return rc;
}

int acedGetString(int cronly, const char* prompt, char* result) { return acedGetString(cronly, prompt, result, 133); }

int acedGetInt(const char* prompt, int* result) {
    GetOptions o = takeOptions();
    int value = 0;
    int rc = ask(prompt, AcEdCommandLine::AnswerMode::kWord, [&](const std::string& answer, std::string& message) {
        bool handled = false;
        int r = commonAnswer(o, answer, message, "Requires an integer value.", handled);
        if (handled) return r;
        std::string t = trim(answer);
        errno = 0;
        char* end = nullptr;
        long v = std::strtol(t.c_str(), &end, 10);
        if (t.empty() || !end || *end != '\0' || errno == ERANGE || v < -32768 || v > 32767)
            return otherOrError(o, answer, message, "Requires an integer value");
        if ((o.flags & RSG_NOZERO) && v == 0) {
            message = "Value must be nonzero.";
            return RTERROR;
        }
        if ((o.flags & RSG_NONEG) && v < 0) {
            message = "Value must be positive.";
            return RTERROR;
        }
        value = static_cast<int>(v);
        return RTNORM;
    });
    if (rc == RTNORM && result) *result = value;
    return rc;
}

namespace {
int getNumber(const char* prompt, ads_real* result, const ads_point basePoint, bool distance) {
    GetOptions o = takeOptions();
    double value = 0;
    const char* required = distance ? "Requires numeric distance or two points" : "Requires numeric value";
    int rc = ask(prompt, AcEdCommandLine::AnswerMode::kWord, [&](const std::string& answer, std::string& message) {
        bool handled = false;
        int r = commonAnswer(o, answer, message, required, handled);
        if (handled) return r;
        double v = 0;
        AcGePoint3d p;
        bool ok = distance ? parseDistance(answer, v) : parseReal(answer, v);
        if (!ok && distance && acedHostParsePoint(answer, p)) {
            AcGePoint3d from = basePoint ? AcGePoint3d(basePoint[0], basePoint[1], basePoint[2]) : lastPoint();
            v = p.distanceTo(from);
            ok = true;
        }
        if (!ok) return otherOrError(o, answer, message, required);
        if ((o.flags & RSG_NOZERO) && v == 0) {
            message = "Value must be nonzero.";
            return RTERROR;
        }
        if ((o.flags & RSG_NONEG) && v < 0) {
            message = "Value must be positive.";
            return RTERROR;
        }
        value = v;
        return RTNORM;
    });
    if (rc == RTNORM && result) *result = value;
    return rc;
}
}  // namespace

int acedGetReal(const char* prompt, ads_real* result) { return getNumber(prompt, result, nullptr, false); }

int acedGetDist(const ads_point basePoint, const char* prompt, ads_real* result) {
    return getNumber(prompt, result, basePoint, true);
}

int acedGetKword(const char* prompt, char* result) {
    GetOptions o = takeOptions();
    std::string keyword;
    int rc = ask(prompt, AcEdCommandLine::AnswerMode::kText, [&](const std::string& answer, std::string& message) {
        if (answer.empty()) {
            if (o.flags & RSG_NONULL) {
                message = "Invalid option keyword.";
                return RTERROR;
            }
            return RTNONE;
        }
        if (findKeyword(o, answer, keyword) || (o.flags & RSG_OTHER)) {
            if (keyword.empty()) keyword = answer;
            return RTNORM;
        }
        message = "Invalid option keyword.";
        return RTERROR;
    });
    if (rc == RTNORM) {
        lastKeyword() = keyword;
        if (result && !copyText(keyword, result, 133)) return RTERROR;
    }
    return rc;
}

int acedPrompt(const char* message) {
    if (message) acutPrintf("%s", message);
    return RTNORM;
}

int acedAlert(const char* message) {
    lastAlert() = message ? message : "";
    std::string shown = lastAlert();
    while (!shown.empty() && (shown.front() == '\n' || shown.front() == '\r')) shown.erase(0, 1);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    acutPrintf("\n** %s **\n", shown.c_str());
    return RTNORM;
}

int acedUsrBrk() { return 0; }

std::string acedHostLastAlert() { return lastAlert(); }
