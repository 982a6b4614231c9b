#pragma once
// New result values of the formula functions; the interpreter takes ownership.
#include <cmath>
#include <cstdint>
#include "Variable.h"

inline CVariable* newFormulaValue(uint16_t kind) {
    auto* value = new CVariable;
    value->kind = kind;
    return value;
}

inline CVariable* newRealValue(double real) {
    CVariable* value = newFormulaValue(RTREAL);
    value->realValue = real;
    return value;
}

// 16 bits: larger integers keep their low 16 bits.
inline CVariable* newShortValue(int32_t integer) {
    CVariable* value = newFormulaValue(RTSHORT);
    value->shortValue = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(integer)));
    return value;
}

inline CVariable* newTextValue(const CString& text) {
    CVariable* value = newFormulaValue(RTSTR);
    value->stringValue = text;
    return value;
}

inline CVariable* newTruthValue(bool truth) { return newFormulaValue(truth ? RTT : RTNIL); }

inline CVariable* newPointValue(double x, double y, double z) {
    CVariable* value = newFormulaValue(RTPOINT);
    value->point[0] = x;
    value->point[1] = y;
    value->point[2] = z;
    return value;
}

// Truncation toward zero that stays defined for NaN and reals beyond 32 bits.
inline int32_t truncatedInt(double real) {
    if (std::isnan(real)) return 0;
    if (real >= 2147483647.0) return INT32_MAX;
    if (real <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(real);
}
