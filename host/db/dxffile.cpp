#include "db/dxffile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include "db/dxftokens.h"
#include "rx/rxclass.h"

namespace cadhost::dxf {

namespace {

// Header variables of AC1018 files whose code is not the one their type suggests
// (ints 70, reals 40, texts 1, points 10/20/30).
const std::unordered_map<std::string_view, HeaderVarCode>& headerCodes() {
    static const std::unordered_map<std::string_view, HeaderVarCode> codes = [] {
        std::unordered_map<std::string_view, HeaderVarCode> m;
        for (const char* n : {"LIMMIN", "LIMMAX", "PLIMMIN", "PLIMMAX", "VIEWCTR"}) m[n] = {10, 2};
        for (const char* n : {"INSBASE", "EXTMIN", "EXTMAX", "UCSORG", "UCSXDIR", "UCSYDIR", "PUCSORG",
                              "PUCSXDIR", "PUCSYDIR", "PINSBASE", "PEXTMIN", "PEXTMAX", "UCSORGTOP",
                              "UCSORGBOTTOM", "UCSORGLEFT", "UCSORGRIGHT", "UCSORGFRONT", "UCSORGBACK",
                              "PUCSORGTOP", "PUCSORGBOTTOM", "PUCSORGLEFT", "PUCSORGRIGHT",
                              "PUCSORGFRONT", "PUCSORGBACK"})
            m[n] = {10, 3};
        m["CLAYER"] = {8, 0};
        m["CELTYPE"] = {6, 0};
        m["TEXTSTYLE"] = {7, 0};
        for (const char* n : {"DIMSTYLE", "UCSNAME", "PUCSNAME", "CMLSTYLE", "UCSBASE", "PUCSBASE",
                              "UCSORTHOREF", "PUCSORTHOREF", "FINGERPRINTGUID", "VERSIONGUID"})
            m[n] = {2, 0};
        m["DWGCODEPAGE"] = {3, 0};
        m["HANDSEED"] = {5, 0};
        m["CECOLOR"] = {62, 0};
        m["ANGBASE"] = {50, 0};
        for (const char* n : {"CELWEIGHT", "DIMLWD", "DIMLWE"}) m[n] = {370, 0};
        m["CEPSNTYPE"] = {380, 0};
        m["DIMTXSTY"] = {340, 0};
        m["CEPSNID"] = {390, 0};
        for (const char* n : {"ENDCAPS", "JOINSTYLE", "DIMASSOC", "HALOGAP", "OBSLTYPE", "INDEXCTL",
                              "SORTENTS", "HIDETEXT", "DWFFRAME", "DGNFRAME", "DIMFIT", "SHADEDGE",
                              "CSHADOW", "INTERFERECOLOR"})
            m[n] = {280, 0};
        for (const char* n : {"XEDIT", "PSTYLEMODE", "EXTNAMES", "LWDISPLAY", "XCLIPFRAME",
                              "INTERSECTIONDISPLAY", "DIMTALN"})
            m[n] = {290, 0};
        m["REQUIREDVERSIONS"] = {160, 0};
        for (const char* n : {"MENU", "DIMPOST", "DIMAPOST", "DIMBLK", "DIMBLK1", "DIMBLK2", "DIMLDRBLK",
                              "PROJECTNAME", "HYPERLINKBASE", "STYLESHEET", "ACADVER"})
            m[n] = {1, 0};
        return m;
    }();
    return codes;
}

}  // namespace

namespace {
// Whether a group of the code reads back as the value (a file may give a variable under a code
// of another kind, which the value then keeps).
bool codeHolds(const HeaderVarCode& hc, const AcDbHeaderValue& value) {
    if (std::holds_alternative<AcGePoint3d>(value)) return hc.dims != 0;
    if (hc.dims != 0) return false;
    const ValueKind kind = kindOfGroupCode(hc.code);
    if (std::holds_alternative<std::string>(value)) return kind == ValueKind::String || kind == ValueKind::Handle;
    if (std::holds_alternative<double>(value)) return kind == ValueKind::Double;
    const int i = std::get<int>(value);
    switch (kind) {
    case ValueKind::Int16: return i >= -32768 && i <= 65535;
    case ValueKind::Bool: return i >= -32768 && i <= 32767;
    case ValueKind::Int32:
    case ValueKind::Int64: return true;
    default: return false;
    }
}
}  // namespace

HeaderVarCode headerVarCode(const std::string& name, const AcDbHeaderValue& value) {
    auto it = headerCodes().find(name);
    if (it != headerCodes().end() && codeHolds(it->second, value)) return it->second;
    if (const int* i = std::get_if<int>(&value)) return {*i >= -32768 && *i <= 32767 ? 70 : 90, 0};
    if (std::holds_alternative<double>(value)) return {40, 0};
    if (std::holds_alternative<std::string>(value)) return {1, 0};
    return {10, 3};
}

namespace {
constexpr const char* kTextCodes = "1 7 10 11 39 40 41 50 51 71 72 210";
const R12Layout kLayouts[] = {
    {"ARC", {"AcDbCircle", "AcDbArc", nullptr}, "10 39 40 210", nullptr},
    {"TEXT", {"AcDbText", "AcDbText", nullptr}, kTextCodes, nullptr},
    {"ATTDEF", {"AcDbText", "AcDbAttributeDefinition", nullptr}, kTextCodes, nullptr},
    {"ATTRIB", {"AcDbText", "AcDbAttribute", nullptr}, kTextCodes, nullptr},
    {"VERTEX", {"AcDbVertex", "AcDb2dVertex", nullptr}, "", nullptr},
    {"SOLID", {"AcDbTrace", nullptr}, nullptr, nullptr},
    {"TRACE", {"AcDbTrace", nullptr}, nullptr, nullptr},
    {"SHAPE", {"AcDbShape", nullptr}, nullptr, nullptr},
    {"POLYLINE", {"AcDb2dPolyline", nullptr}, nullptr, nullptr},
    {"DIMENSION", {"AcDbDimension", nullptr}, nullptr, nullptr},
    {"VIEWPORT", {"AcDbViewport", nullptr}, nullptr, nullptr},
    {"3DFACE", {"AcDbFace", nullptr}, nullptr, nullptr},
};
}  // namespace

const R12Layout* r12Layout(std::string_view dxfName) {
    for (const R12Layout& l : kLayouts)
        if (dxfName == l.dxfName) return &l;
    return nullptr;
}

bool isCommonEntityCode(int code) {
    switch (code) {
    case 6: case 8: case 48: case 60: case 62: case 67: case 284: case 347: case 370: case 390:
    case 410: case 420: case 430: case 440:
        return true;
    default:
        return false;
    }
}

std::string dxfNameOf(const AcDbObject* object) {
    for (const AcRxClass* cls = object ? object->isA() : nullptr; cls; cls = cls->myParent())
        if (*cls->dxfName()) return cls->dxfName();
    return {};
}

Acad::ErrorStatus openRegularFile(const char* path, int& fd, std::size_t& size, std::string& error) {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        error = std::string(path) + ": " + std::strerror(e);
        return e == ENOENT ? Acad::eFileNotFound : Acad::eFileAccessErr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = std::string(path) + ": not a regular file";
        ::close(fd);
        fd = -1;
        return Acad::eFileAccessErr;
    }
    size = static_cast<std::size_t>(st.st_size);
    return Acad::eOk;
}

long readSome(int fd, char* buffer, std::size_t size, std::string& error) {
    while (true) {
        ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        error = std::strerror(errno);
        return -1;
    }
}

Acad::ErrorStatus readWholeFile(const char* path, std::string& data, std::string& error) {
    int fd = -1;
    std::size_t size = 0;
    if (Acad::ErrorStatus es = openRegularFile(path, fd, size, error); es != Acad::eOk) return es;
    data.clear();
    data.resize(size);
    size_t done = 0;
    std::string ignored;
    while (done < data.size()) {
        long n = readSome(fd, data.data() + done, data.size() - done, ignored);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    if (done != data.size()) {
        error = std::string(path) + ": read failed";
        return Acad::eFileAccessErr;
    }
    return Acad::eOk;
}

}  // namespace cadhost::dxf
