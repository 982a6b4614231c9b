#include "app/commands/commandprompts.h"
#include <cctype>
#include <cmath>
#include <cstring>
#include "app/commands/hostcommands.h"
#include "db/units.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/drawingfiles.h"
#include "ed/prompts.h"
#include "ed/sysvar.h"
#include "rx/print.h"
#include "win/drives.h"

namespace hostcmd {

AcDbDatabase* currentDrawing() {
    AcApDocument* doc = requireDocument();
    return doc ? doc->database() : nullptr;
}

int failWith(const std::string& message) {
    AcEdCommandLine::instance().fail(message);
    return RTERROR;
}

bool retryAfter(const std::string& message) {
    if (AcEdCommandLine::instance().interactive()) {
        acutPrintf("\n%s", message.c_str());
        return true;
    }
    failWith(message);
    return false;
}

namespace {
AcGePoint3d fromAds(const ads_point p) { return AcGePoint3d(p[0], p[1], p[2]); }

void toAds(const AcGePoint3d& p, ads_point out) {
    out[0] = p.x;
    out[1] = p.y;
    out[2] = p.z;
}

void readKeyword(int rc, std::string* keyword) {
    if (rc != RTKWORD || !keyword) return;
    char text[133] = {0};
    acedGetInput(text);
    *keyword = text;
}

AcGePoint3d lastPoint() {
    resbuf rb;
    if (acedGetVar("LASTPOINT", &rb) == RTNORM && (rb.restype == RT3DPOINT || rb.restype == RTPOINT))
        return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.restype == RT3DPOINT ? rb.resval.rpoint[2] : 0);
    return AcGePoint3d::kOrigin;
}
}  // namespace

int askPoint(const char* prompt, AcGePoint3d& point, int flags, const char* keywords, std::string* keyword) {
    acedInitGet(flags, keywords);
    ads_point p;
    int rc = acedGetPoint(nullptr, prompt, p);
    if (rc == RTNORM) point = fromAds(p);
    readKeyword(rc, keyword);
    return rc;
}

int askDistance(const char* prompt, const AcGePoint3d* base, double& value, int flags, const char* keywords,
                std::string* keyword) {
    acedInitGet(flags, keywords);
    ads_point b;
    if (base) toAds(*base, b);
    ads_real v = 0;
    int rc = acedGetDist(base ? b : nullptr, prompt, &v);
    if (rc == RTNORM) value = v;
    readKeyword(rc, keyword);
    return rc;
}

int askReal(const char* prompt, double& value, int flags) {
    acedInitGet(flags, nullptr);
    ads_real v = 0;
    int rc = acedGetReal(prompt, &v);
    if (rc == RTNORM) value = v;
    return rc;
}

int askAngle(const char* prompt, const AcGePoint3d* base, double& angle, bool emptyAllowed) {
    const AcGePoint3d from = base ? *base : lastPoint();
    double value = 0;
    int rc = AcEdCommandLine::instance().ask(
        prompt, AcEdCommandLine::AnswerMode::kWord, [&](const std::string& answer, std::string& message) {
            const std::string t = trimmed(answer);
            if (t.empty()) {
                if (emptyAllowed) return RTNONE;
                message = "Requires valid numeric angle or second point.";
                return RTERROR;
            }
            double a = 0;
            // A leading minus turns the other way (the parser answers [0, 2 pi)).
            const bool negative = t[0] == '-';
            if (acdbAngToF(negative ? t.c_str() + 1 : t.c_str(), -1, &a) == RTNORM && std::isfinite(a)) {
                value = negative ? -a : a;
                return RTNORM;
            }
            AcGePoint3d p;
            if (acedHostParsePoint(t, p)) {
                if (std::hypot(p.x - from.x, p.y - from.y) <= 1e-12) {
                    message = "The second point must differ from the base point.";
                    return RTERROR;
                }
                value = std::atan2(p.y - from.y, p.x - from.x);
                return RTNORM;
            }
            message = "Requires valid numeric angle or second point.";
            return RTERROR;
        });
    if (rc == RTNORM) angle = value;
    return rc;
}

namespace {
// Answers are read whole: through a C string a NUL character would cut them short.
int askWhole(const char* prompt, bool spaces, bool fileName, std::string& text) {
    return AcEdCommandLine::instance().ask(
        prompt, spaces ? AcEdCommandLine::AnswerMode::kLine : AcEdCommandLine::AnswerMode::kText,
        [&](const std::string& answer, std::string& message) {
            if (fileName && !acedHostCheckFileName(answer, message)) return RTERROR;
            if (answer.find('\0') != std::string::npos) {
                message = "The text cannot contain a NUL character.";
                return RTERROR;
            }
            text = answer;
            return RTNORM;
        });
}
}  // namespace

int askText(const char* prompt, std::string& text, bool spaces) { return askWhole(prompt, spaces, false, text); }

int askKeyword(const char* prompt, const char* keywords, std::string& keyword, int flags) {
    acedInitGet(flags, keywords);
    char text[133] = {0};
    int rc = acedGetKword(prompt, text);
    if (rc == RTNORM) keyword = text;
    return rc;
}

int askFileName(const char* prompt, std::string& name) {
    std::string text;
    int rc = askWhole(prompt, true, true, text);
    if (rc != RTNORM) return rc;
    text = trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    std::string error;
    if (!cadhostLinuxPath(text.c_str(), name, &error)) return failWith(error);
    return RTNORM;
}

void setLastPoint(const AcGePoint3d& point) {
    resbuf rb;
    rb.restype = RT3DPOINT;
    toAds(point, rb.resval.rpoint);
    acedSetVar("LASTPOINT", &rb);
}

std::string statusText(Acad::ErrorStatus es) {
    static const std::pair<Acad::ErrorStatus, const char*> names[] = {
        {Acad::eOk, "eOk"},
        {Acad::eNotImplementedYet, "eNotImplementedYet"},
        {Acad::eNotApplicable, "eNotApplicable"},
        {Acad::eInvalidInput, "eInvalidInput"},
        {Acad::eOutOfMemory, "eOutOfMemory"},
        {Acad::eBufferTooSmall, "eBufferTooSmall"},
        {Acad::eInvalidOpenState, "eInvalidOpenState"},
        {Acad::eHandleExists, "eHandleExists"},
        {Acad::eNullHandle, "eNullHandle"},
        {Acad::eUnknownHandle, "eUnknownHandle"},
        {Acad::eNullObjectPointer, "eNullObjectPointer"},
        {Acad::eNullObjectId, "eNullObjectId"},
        {Acad::eNullBlockName, "eNullBlockName"},
        {Acad::eKeyNotFound, "eKeyNotFound"},
        {Acad::eDuplicateKey, "eDuplicateKey"},
        {Acad::eInvalidIndex, "eInvalidIndex"},
        {Acad::eAlreadyInDb, "eAlreadyInDb"},
        {Acad::eInvalidExtents, "eInvalidExtents"},
        {Acad::eInvalidSymbolTableName, "eInvalidSymbolTableName"},
        {Acad::eWrongObjectType, "eWrongObjectType"},
        {Acad::eWrongDatabase, "eWrongDatabase"},
        {Acad::eEndOfObject, "eEndOfObject"},
        {Acad::eEndOfFile, "eEndOfFile"},
        {Acad::eNotOpenForRead, "eNotOpenForRead"},
        {Acad::eNotOpenForWrite, "eNotOpenForWrite"},
        {Acad::eNotThatKindOfClass, "eNotThatKindOfClass"},
        {Acad::eInvalidBlockName, "eInvalidBlockName"},
        {Acad::eMissingDxfField, "eMissingDxfField"},
        {Acad::eDuplicateDxfField, "eDuplicateDxfField"},
        {Acad::eInvalidDxfCode, "eInvalidDxfCode"},
        {Acad::eInvalidResBuf, "eInvalidResBuf"},
        {Acad::eBadDxfSequence, "eBadDxfSequence"},
        {Acad::eFilerError, "eFilerError"},
        {Acad::eDxfPartiallyRead, "eDxfPartiallyRead"},
        {Acad::eDxfReadAborted, "eDxfReadAborted"},
        {Acad::eFileAccessErr, "eFileAccessErr"},
        {Acad::eFileSystemErr, "eFileSystemErr"},
        {Acad::eFileNotFound, "eFileNotFound"},
        {Acad::eWasErased, "eWasErased"},
        {Acad::ePermanentlyErased, "ePermanentlyErased"},
        {Acad::eWasOpenForRead, "eWasOpenForRead"},
        {Acad::eWasOpenForWrite, "eWasOpenForWrite"},
        {Acad::eWasOpenForUndo, "eWasOpenForUndo"},
        {Acad::eWasNotifying, "eWasNotifying"},
        {Acad::eWasOpenForNotify, "eWasOpenForNotify"},
        {Acad::eAtMaxReaders, "eAtMaxReaders"},
        {Acad::eNotAnEntity, "eNotAnEntity"},
        {Acad::eExplodeBeforeTransform, "eExplodeBeforeTransform"},
        {Acad::eCannotScaleNonUniformly, "eCannotScaleNonUniformly"},
        {Acad::eNotInDatabase, "eNotInDatabase"},
        {Acad::eNoDatabase, "eNoDatabase"},
        {Acad::eInvalidOwnerObject, "eInvalidOwnerObject"},
        {Acad::eNotOpenForNotify, "eNotOpenForNotify"},
        {Acad::eLockViolation, "eLockViolation"},
        {Acad::eCannotBeErasedByCaller, "eCannotBeErasedByCaller"},
        {Acad::eMakeMeProxy, "eMakeMeProxy"},
        {Acad::eExplodeAgain, "eExplodeAgain"},
    };
    for (const auto& [value, name] : names)
        if (value == es) return name;
    return "error " + std::to_string(static_cast<int>(es));
}

std::string formatDistance(double value) {
    char text[160];
    if (acdbRToS(value, -1, -1, text, sizeof text) != RTNORM) std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string formatPoint(const AcGePoint3d& p) {
    return formatDistance(p.x) + "," + formatDistance(p.y) + "," + formatDistance(p.z);
}

bool isValidName(const std::string& name, std::string& why) {
    if (name.empty()) {
        why = "A name is required.";
        return false;
    }
    if (name.size() > 255) {
        why = "The name is longer than 255 characters.";
        return false;
    }
    if (name.front() == ' ' || name.back() == ' ') {
        why = "A name cannot begin or end with a space.";
        return false;
    }
    if (name.front() == '*') {
        why = "Names beginning with \"*\" are kept by the host.";
        return false;
    }
    for (unsigned char c : name)
        if (c < 32 || c == 127 || std::strchr("<>/\\\":;?,=`*|", c)) {
            why = "Invalid character in the name \"" + name + "\".";
            return false;
        }
    return true;
}

namespace {
bool matchOne(const char* p, const char* s) {
    for (; *p; ++p, ++s) {
        if (*p == '*') {
            while (p[1] == '*') ++p;
            if (!p[1]) return true;
            for (; *s; ++s)
                if (matchOne(p + 1, s)) return true;
            return matchOne(p + 1, s);
        }
        if (!*s) return false;
        if (*p != '?' && std::toupper(static_cast<unsigned char>(*p)) != std::toupper(static_cast<unsigned char>(*s)))
            return false;
    }
    return *s == '\0';
}
}  // namespace

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    size_t start = 0;
    for (;;) {
        size_t comma = pattern.find(',', start);
        std::string one = trimmed(pattern.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!one.empty() && matchOne(one.c_str(), name.c_str())) return true;
        if (comma == std::string::npos) return false;
        start = comma + 1;
    }
}

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string trimmed(const std::string& text) {
    size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

}  // namespace hostcmd
