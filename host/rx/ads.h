#pragma once
#include <cstdint>
#include "rx/export.h"

// Result codes of the host's C interface.
#ifndef RTNORM
#define RTNORM 5100
#endif
#ifndef RTERROR
#define RTERROR (-5001)
#endif
#define RTNONE 5000
#define RTCAN (-5002)
#define RTREJ (-5003)
#define RTFAIL (-5004)
#define RTKWORD (-5005)

// Result-buffer value types.
#define RTREAL 5001
#define RTPOINT 5002
#define RTSHORT 5003
#define RTANG 5004
#define RTSTR 5005
#define RTENAME 5006
#define RTPICKS 5007
#define RTORINT 5008
#define RT3DPOINT 5009
#define RTLONG 5010
#define RTVOID 5014
#define RTLB 5016
#define RTLE 5017
#define RTDOTE 5018
#define RTNIL 5019
#define RTDXF0 5020
#define RTT 5021
// Binary chunks (groups 310-319 and 1004) use resval.rbinary; the host's own kind.
#define RTBINARY 5090

typedef double ads_real;
typedef ads_real ads_point[3];
typedef int64_t ads_name[2];
enum { X = 0, Y = 1, Z = 2 };

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    char* rstring;
    int64_t rlname[2];
    int32_t rlong;
    struct ads_binary {
        short clen;
        char* buf;
    } rbinary;
    unsigned char ihandle[8];
};

struct resbuf {
    resbuf* rbnext = nullptr;
    short restype = 0;
    ads_u_val resval{.rpoint = {0.0, 0.0, 0.0}};  // the widest member: every byte starts zero
};

CADHOST_API resbuf* acutNewRb(int type);
CADHOST_API int acutRelRb(resbuf* rb);  // frees the whole chain and its strings
CADHOST_API resbuf* acutBuildList(int type, ...);  // pairs of (type, value), ending with 0
// Value kind of a DXF group code inside result buffers (RTREAL, RTSHORT, RTSTR, ...).
CADHOST_API int acdbGroupCodeToType(int groupCode);  // RTNONE for unknown codes

namespace cadhost::rx {
// Kind of value a buffer holds by its restype (RTSTR, RTBINARY, RTREAL, ...): restypes from 5000
// up are value types, the rest group codes (acdbGroupCodeToType). Allocation, release and copying
// of buffers all go by it: RTSTR owns a malloc'd string, RTBINARY a malloc'd chunk.
CADHOST_API int resbufKind(int restype);
// Deep copy of a chain (strings and binary chunks duplicated); free with acutRelRb.
CADHOST_API resbuf* copyResbufChain(const resbuf* chain);
}  // namespace cadhost::rx
