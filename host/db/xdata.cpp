// Extended data of objects: groups 1000-1071 in sections that start with a 1001 application name.
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include "db/hostinternal.h"
#include "db/object.h"

namespace cadhost::db {

using cadhost::rx::copyResbufChain;
using cadhost::rx::resbufKind;

Acad::ErrorStatus writeXData(AcDbDwgFiler* filer, const resbuf* chain) {
    Adesk::Int32 n = 0;
    for (const resbuf* rb = chain; rb; rb = rb->rbnext) ++n;
    filer->writeInt32(n);
    for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
        filer->writeInt16(rb->restype);
        switch (resbufKind(rb->restype)) {
        case RTSTR: filer->writeString(rb->resval.rstring ? rb->resval.rstring : ""); break;
        case RTBINARY:
            filer->writeBinaryChunk(rb->resval.rbinary.buf,
                                    rb->resval.rbinary.buf && rb->resval.rbinary.clen > 0
                                        ? static_cast<uint32_t>(rb->resval.rbinary.clen) : 0u);
            break;
        case RT3DPOINT:
            filer->writePoint3d(AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]));
            break;
        case RTREAL: filer->writeDouble(rb->resval.rreal); break;
        case RTSHORT: filer->writeInt16(rb->resval.rint); break;
        case RTLONG: filer->writeInt32(rb->resval.rlong); break;
        default: break;
        }
    }
    return filer->filerStatus();
}

Acad::ErrorStatus readXData(AcDbDwgFiler* filer, resbuf*& chain) {
    chain = nullptr;
    Adesk::Int32 n = 0;
    if (filer->readInt32(&n) != Acad::eOk || filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    if (n < 0) {
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
    resbuf** tail = &chain;
    for (Adesk::Int32 i = 0; i < n && filer->filerStatus() == Acad::eOk; ++i) {
        Adesk::Int16 code = 0;
        filer->readInt16(&code);
        if (filer->filerStatus() != Acad::eOk) break;
        if (code < 1000 || code > 1071) {
            filer->setFilerStatus(Acad::eFilerError);
            break;
        }
        resbuf* rb = acutNewRb(code);
        *tail = rb;
        tail = &rb->rbnext;
        switch (resbufKind(code)) {
        case RTSTR: {
            char* s = nullptr;
            filer->readString(&s);
            rb->resval.rstring = s ? s : strdup("");
            break;
        }
        case RTBINARY: {
            void* buf = nullptr;
            uint32_t len = 0;
            filer->readBinaryChunk(&buf, &len);
            if (len > 32767) {
                std::free(buf);
                filer->setFilerStatus(Acad::eFilerError);
                break;
            }
            rb->resval.rbinary.buf = static_cast<char*>(buf);
            rb->resval.rbinary.clen = static_cast<short>(buf ? len : 0);
            break;
        }
        case RT3DPOINT: {
            AcGePoint3d p;
            filer->readPoint3d(&p);
            rb->resval.rpoint[0] = p.x;
            rb->resval.rpoint[1] = p.y;
            rb->resval.rpoint[2] = p.z;
            break;
        }
        case RTREAL: filer->readDouble(&rb->resval.rreal); break;
        case RTSHORT: filer->readInt16(&rb->resval.rint); break;
        case RTLONG: {
            Adesk::Int32 v = 0;
            filer->readInt32(&v);
            rb->resval.rlong = v;
            break;
        }
        default: break;
        }
    }
    if (filer->filerStatus() != Acad::eOk) {
        acutRelRb(chain);
        chain = nullptr;
    }
    return filer->filerStatus();
}

}  // namespace cadhost::db

using namespace cadhost::db;

namespace {
bool sameApp(const resbuf* rb, const char* app) {
    return rb && rb->restype == 1001 && rb->resval.rstring && app && strcasecmp(rb->resval.rstring, app) == 0;
}

// Detaches the section of one application (1001 group up to the next 1001) from a chain.
resbuf* detachApp(resbuf*& chain, const char* app) {
    resbuf** link = &chain;
    while (*link && !sameApp(*link, app)) link = &(*link)->rbnext;
    if (!*link) return nullptr;
    resbuf* start = *link;
    resbuf* last = start;
    while (last->rbnext && last->rbnext->restype != 1001) last = last->rbnext;
    *link = last->rbnext;
    last->rbnext = nullptr;
    return start;
}
}  // namespace

resbuf* AcDbObject::xData(const char* appName) const {
    assertReadEnabled();
    if (!appName) return copyResbufChain(m_xdata);
    for (const resbuf* rb = m_xdata; rb; rb = rb->rbnext) {
        if (!sameApp(rb, appName)) continue;
        const resbuf* last = rb;
        while (last->rbnext && last->rbnext->restype != 1001) last = last->rbnext;
        resbuf* rest = last->rbnext;
        const_cast<resbuf*>(last)->rbnext = nullptr;
        resbuf* copy = copyResbufChain(rb);
        const_cast<resbuf*>(last)->rbnext = rest;
        return copy;
    }
    return nullptr;
}

// Each application named in the chain gets the chain's groups in place of its own; an
// application given by its name alone loses its extended data.
Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
    if (!xdata) return Acad::eInvalidInput;
    if (xdata->restype != 1001 || !xdata->resval.rstring || !*xdata->resval.rstring) return Acad::eInvalidInput;
    int braces = 0;
    for (const resbuf* rb = xdata; rb; rb = rb->rbnext) {
        if (rb->restype < 1000 || rb->restype > 1071 || resbufKind(rb->restype) == RTNONE) return Acad::eInvalidResBuf;
        if (rb->restype == 1001) {
            if (!rb->resval.rstring || !*rb->resval.rstring || braces != 0) return Acad::eInvalidInput;
        } else if (rb->restype == 1002) {
            const char* s = rb->resval.rstring ? rb->resval.rstring : "";
            if (std::strcmp(s, "{") == 0) ++braces;
            else if (std::strcmp(s, "}") == 0 && --braces < 0) return Acad::eInvalidInput;
        }
    }
    if (braces != 0) return Acad::eInvalidInput;
    assertWriteEnabled();
    resbuf* incoming = copyResbufChain(xdata);
    while (incoming) {
        resbuf* section = detachApp(incoming, incoming->resval.rstring);
        acutRelRb(detachApp(m_xdata, section->resval.rstring));
        resbuf** tail = &m_xdata;
        while (*tail) tail = &(*tail)->rbnext;
        if (section->rbnext) *tail = section;
        else acutRelRb(section);
    }
    return Acad::eOk;
}

// World positions move, displacements transform, directions turn (keeping their length),
// distances and scale factors scale.
Acad::ErrorStatus AcDbObject::xDataTransformBy(const AcGeMatrix3d& m) {
    assertWriteEnabled();
    const double scale = m.scale();
    for (resbuf* rb = m_xdata; rb; rb = rb->rbnext) {
        double* p = rb->resval.rpoint;
        switch (rb->restype) {
        case 1011: {
            AcGePoint3d q = m * AcGePoint3d(p[0], p[1], p[2]);
            p[0] = q.x, p[1] = q.y, p[2] = q.z;
            break;
        }
        case 1012:
        case 1013: {
            AcGeVector3d v(p[0], p[1], p[2]);
            double len = v.length();
            AcGeVector3d w = m * v;
            if (rb->restype == 1013 && !w.isZeroLength()) w = w * (len / w.length());
            p[0] = w.x, p[1] = w.y, p[2] = w.z;
            break;
        }
        case 1041:
        case 1042: rb->resval.rreal *= scale; break;
        default: break;
        }
    }
    return Acad::eOk;
}
