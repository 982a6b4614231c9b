#include "db/proxygroups.h"
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "db/dxffiler.h"
#include "db/dxftext.h"
#include "db/dxftokens.h"
#include "db/entitysupport.h"
#include "db/hostinternal.h"

using cadhost::dxf::ValueKind;

namespace cadhost::db {
namespace {

std::string realText(double v) {
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf - 3, v);
    char* p = r.ptr;
    if (!std::memchr(buf, '.', static_cast<size_t>(p - buf)) && !std::memchr(buf, 'e', static_cast<size_t>(p - buf)) &&
        !std::memchr(buf, 'n', static_cast<size_t>(p - buf))) {
        *p++ = '.';
        *p++ = '0';
    }
    return std::string(buf, p);
}

bool isPointCode(int code) {
    return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
           (code >= 1010 && code <= 1013);
}

// A group read from a filer as the text its value has in a file.
void keepGroup(const resbuf& rb, ProxyDxfGroups& groups) {
    const int code = rb.restype;
    switch (cadhost::dxf::kindOfGroupCode(code)) {
        case ValueKind::String: groups.append({code, cadhost::ent::groupString(rb)}); break;
        case ValueKind::Double:
            if (isPointCode(code)) {
                for (int i = 0; i < 3; ++i) groups.append({code + 10 * i, realText(rb.resval.rpoint[i])});
            } else {
                groups.append({code, realText(rb.resval.rreal)});
            }
            break;
        case ValueKind::Int16:
        case ValueKind::Bool: groups.append({code, std::to_string(rb.resval.rint)}); break;
        case ValueKind::Int32: groups.append({code, std::to_string(rb.resval.rlong)}); break;
        case ValueKind::Int64: groups.append({code, std::to_string(rb.resval.rlname[0])}); break;
        case ValueKind::Handle:
            groups.append({code, AcDbHandle(static_cast<uint64_t>(rb.resval.rlname[0])).ascii()});
            break;
        case ValueKind::Binary: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            std::string hex;
            const auto* bytes = reinterpret_cast<const unsigned char*>(rb.resval.rbinary.buf);
            for (int i = 0; bytes && i < rb.resval.rbinary.clen; ++i) {
                hex += kHex[bytes[i] >> 4];
                hex += kHex[bytes[i] & 15];
            }
            groups.append({code, hex});
            break;
        }
    }
}

// A kept group through a filer that is not a file: typed by its code (a point from its
// coordinate groups).
Acad::ErrorStatus writeTyped(AcDbDxfFiler* filer, const ProxyDxfGroups& groups, int& i) {
    const int code = groups[i].first;
    const std::string& text = groups[i].second;
    auto real = [](const std::string& t) { return cadhost::dxf::parseDouble(t); };
    switch (cadhost::dxf::kindOfGroupCode(code)) {
        case ValueKind::Double: {
            auto x = real(text);
            if (!x) break;
            if (!isPointCode(code)) return filer->writeDouble(code, *x);
            double xyz[3] = {*x, 0, 0};
            int dims = 1;
            while (dims < 3 && i + 1 < groups.length() && groups[i + 1].first == code + 10 * dims) {
                auto c = real(groups[i + 1].second);
                if (!c) break;
                xyz[dims++] = *c;
                ++i;
            }
            if (dims == 2) return filer->writePoint2d(code, AcGePoint2d(xyz[0], xyz[1]));
            return filer->writePoint3d(code, AcGePoint3d(xyz[0], xyz[1], xyz[2]));
        }
        case ValueKind::Int16:
        case ValueKind::Bool: {
            auto v = cadhost::dxf::parseInt(text);
            if (v && *v >= -32768 && *v <= 32767) return filer->writeInt16(code, static_cast<Adesk::Int16>(*v));
            if (auto x = real(text)) return filer->writeDouble(code, *x);  // a real filed under an integer code
            break;
        }
        case ValueKind::Int32: {
            auto v = cadhost::dxf::parseInt(text);
            if (v) return filer->writeInt32(code, *v);
            if (auto x = real(text)) return filer->writeDouble(code, *x);
            break;
        }
        case ValueKind::Handle: {
            auto h = cadhost::dxf::parseHandle(text);
            if (h) return filer->writeAcDbHandle(code, AcDbHandle(*h));
            break;
        }
        case ValueKind::Binary: {
            std::vector<uint8_t> bytes;
            bool ok = text.size() % 2 == 0;
            for (size_t k = 0; ok && k < text.size(); k += 2) {
                int hi = cadhost::dxf::hexDigit(text[k]), lo = cadhost::dxf::hexDigit(text[k + 1]);
                ok = hi >= 0 && lo >= 0;
                bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            }
            if (ok) return filer->writeBytes(code, bytes.data(), static_cast<uint32_t>(bytes.size()));
            break;
        }
        default: break;
    }
    return filer->writeString(code, text.c_str());
}

}  // namespace

Acad::ErrorStatus readProxyGroups(AcDbDxfFiler* filer, ProxyDxfGroups& groups) {
    ProxyDxfGroups read;
    resbuf rb;
    Acad::ErrorStatus es = Acad::eOk;
    while (cadhost::ent::nextGroup(filer, rb, es)) keepGroup(rb, read);
    if (es != Acad::eOk) return es;
    groups = read;
    return filer->filerStatus();
}

Acad::ErrorStatus writeProxyGroups(AcDbDxfFiler* filer, const ProxyDxfGroups& groups) {
    const bool file = dynamic_cast<AcDbDxfOutFiler*>(filer) != nullptr;
    for (int i = 0; i < groups.length(); ++i) {
        Acad::ErrorStatus es =
            file ? filer->writeString(groups[i].first, groups[i].second.c_str()) : writeTyped(filer, groups, i);
        if (es != Acad::eOk) return es;
    }
    return filer->filerStatus();
}

void writeProxyGroups(AcDbDwgFiler* filer, const ProxyDxfGroups& groups) {
    filer->writeInt32(groups.length());
    for (const ProxyDxfGroup& g : groups) {
        filer->writeInt32(g.first);
        filer->writeString(g.second.c_str());
    }
}

Acad::ErrorStatus readProxyGroups(AcDbDwgFiler* filer, ProxyDxfGroups& groups) {
    Adesk::Int32 count = 0;
    filer->readInt32(&count);
    if (filer->filerStatus() == Acad::eOk && count < 0) filer->setFilerStatus(Acad::eFilerError);
    ProxyDxfGroups read;
    for (Adesk::Int32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        Adesk::Int32 code = 0;
        filer->readInt32(&code);
        std::string text = readDwgText(filer);
        read.append({code, text});
    }
    if (filer->filerStatus() == Acad::eOk) groups = read;
    return filer->filerStatus();
}

}  // namespace cadhost::db
