#include "rx/ads.h"
#include <cstdarg>
#include <cstdlib>
#include <cstring>

int acdbGroupCodeToType(int code) {
    if (code == -1 || code == -2) return RTENAME;
    if (code == -3) return RTNONE;  // start of extended data, no value
    if (code == -4) return RTSTR;
    if (code == -5) return RTSHORT;
    if (code >= 0 && code <= 9) return RTSTR;
    if (code >= 10 && code <= 18) return RT3DPOINT;
    if (code >= 19 && code <= 59) return RTREAL;
    if (code >= 60 && code <= 79) return RTSHORT;
    if (code >= 90 && code <= 99) return RTLONG;
    if (code == 100 || code == 101 || code == 102 || code == 105) return RTSTR;
    if (code >= 110 && code <= 112) return RT3DPOINT;
    if (code >= 113 && code <= 149) return RTREAL;
    if (code >= 160 && code <= 169) return RTLONG;
    if (code >= 170 && code <= 179) return RTSHORT;
    if (code == 210) return RT3DPOINT;
    if (code >= 211 && code <= 239) return RTREAL;
    if (code >= 270 && code <= 299) return RTSHORT;
    if (code >= 300 && code <= 309) return RTSTR;
    if (code >= 310 && code <= 319) return RTBINARY;
    if (code >= 320 && code <= 369) return RTENAME;
    if (code >= 370 && code <= 389) return RTSHORT;
    if (code >= 390 && code <= 399) return RTENAME;
    if (code >= 400 && code <= 409) return RTSHORT;
    if (code >= 410 && code <= 419) return RTSTR;
    if (code >= 420 && code <= 429) return RTLONG;
    if (code >= 430 && code <= 439) return RTSTR;
    if (code >= 440 && code <= 459) return RTLONG;
    if (code >= 460 && code <= 469) return RTREAL;
    if (code >= 470 && code <= 479) return RTSTR;
    if (code == 480 || code == 481) return RTENAME;
    if (code == 999) return RTSTR;
    if (code == 1004) return RTBINARY;
    if (code >= 1000 && code <= 1009) return RTSTR;
    if (code >= 1010 && code <= 1019) return RT3DPOINT;
    if (code >= 1020 && code <= 1059) return RTREAL;
    if (code >= 1060 && code <= 1070) return RTSHORT;
    if (code == 1071) return RTLONG;
    return RTNONE;
}

namespace cadhost::rx {

int resbufKind(int restype) {
    if (restype >= 5000) return restype == RTDXF0 ? RTSTR : restype;
    return acdbGroupCodeToType(restype);
}

resbuf* copyResbufChain(const resbuf* chain) {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
        resbuf* c = acutNewRb(rb->restype);
        c->resval = rb->resval;
        const int kind = resbufKind(rb->restype);
        if (kind == RTSTR) {
            c->resval.rstring = rb->resval.rstring ? strdup(rb->resval.rstring) : nullptr;
        } else if (kind == RTBINARY) {
            c->resval.rbinary.buf = nullptr;
            c->resval.rbinary.clen = 0;
            if (rb->resval.rbinary.buf && rb->resval.rbinary.clen > 0) {
                const auto n = static_cast<size_t>(rb->resval.rbinary.clen);
                c->resval.rbinary.buf = static_cast<char*>(std::malloc(n));
                std::memcpy(c->resval.rbinary.buf, rb->resval.rbinary.buf, n);
                c->resval.rbinary.clen = rb->resval.rbinary.clen;
            }
        }
        *tail = c;
        tail = &c->rbnext;
    }
    return head;
}

}  // namespace cadhost::rx

using cadhost::rx::resbufKind;

resbuf* acutNewRb(int type) {
    auto* rb = new resbuf;
    rb->restype = static_cast<short>(type);
    return rb;
}

int acutRelRb(resbuf* rb) {
    while (rb) {
        resbuf* next = rb->rbnext;
        int kind = resbufKind(rb->restype);
        if (kind == RTSTR) std::free(rb->resval.rstring);
        else if (kind == RTBINARY) std::free(rb->resval.rbinary.buf);
        delete rb;
        rb = next;
    }
    return RTNORM;
}

// Values by kind: strings as const char*, reals as double, shorts and longs as int, points as
// const double[3], names as const int64_t[2], binary chunks as const ads_u_val::ads_binary*.
// Markers (RTLB, RTLE, RTDOTE, RTNIL, RTT, RTVOID, -3) take no value; 0 or RTNONE ends the list.
resbuf* acutBuildList(int type, ...) {
    va_list args;
    va_start(args, type);
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (; type != 0 && type != RTNONE; type = va_arg(args, int)) {
        resbuf* rb = acutNewRb(type);
        switch (resbufKind(type)) {
        case RTSTR: {
            const char* s = va_arg(args, const char*);
            rb->resval.rstring = strdup(s ? s : "");
            break;
        }
        case RTREAL:
        case RTANG:
        case RTORINT: rb->resval.rreal = va_arg(args, double); break;
        case RTSHORT: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
        case RTLONG: rb->resval.rlong = va_arg(args, int); break;
        case RTPOINT:
        case RT3DPOINT: {
            const double* p = va_arg(args, const double*);
            if (p) {
                rb->resval.rpoint[0] = p[0];
                rb->resval.rpoint[1] = p[1];
                rb->resval.rpoint[2] = type == RTPOINT ? 0.0 : p[2];
            }
            break;
        }
        case RTENAME:
        case RTPICKS: {
            const int64_t* n = va_arg(args, const int64_t*);
            if (n) {
                rb->resval.rlname[0] = n[0];
                rb->resval.rlname[1] = n[1];
            }
            break;
        }
        case RTBINARY: {
            const auto* b = va_arg(args, const ads_u_val::ads_binary*);
            if (b && b->clen > 0 && b->buf) {
                rb->resval.rbinary.clen = b->clen;
                rb->resval.rbinary.buf = static_cast<char*>(std::malloc(static_cast<size_t>(b->clen)));
                std::memcpy(rb->resval.rbinary.buf, b->buf, static_cast<size_t>(b->clen));
            }
            break;
        }
        default: break;  // markers carry no value
        }
        if (tail) tail->rbnext = rb;
        else head = rb;
        tail = rb;
    }
    va_end(args);
    return head;
}
