#pragma once
// The formula language's keywords and functions. A function token stores its keyword's index
// in this table, so the order of the entries is part of the drawing format.
#include "Variable.h"
#include "ZeftExport.h"

// A keyword function reads its arguments from the formula call context and returns a new
// value, one of its arguments, or null.
using FormulaFunction = CVariable* (*)();

struct FormulaKeyword {
    const char* keyword;
    FormulaFunction function;  // null for keywords the interpreter handles or passes over
};

constexpr int kFormulaKeywordCount = 118;
ZEFT_API extern FormulaKeyword FormulaKeywordTable[kFormulaKeywordCount];

// Indices the interpreter names itself.
enum FormulaKeywordIndex : int {
    kKeywordSetVar = 1,
    kKeywordClose = 2,
    kKeywordIf = 3,
    kKeywordElseIf = 4,
    kKeywordElseDo = 5,
    kKeywordPi = 51,
    kKeywordZeroDeg = 55,
    kKeywordCancel = 64,
    kKeywordTrue = 69,
    kKeywordFalse = 70,
    kKeywordGetThisPoint = 71,
    kKeywordGetOffset = 74,
    kKeywordQueryThisPt = 98,
};

// The function of an index, null for none or an index outside the table.
ZEFT_API FormulaFunction formulaFunction(int index);
// The keyword text of an index, "" outside the table.
ZEFT_API const char* formulaKeyword(int index);

// Arithmetic.
ZEFT_API CVariable* FnPlus();
ZEFT_API CVariable* FnMinus();
ZEFT_API CVariable* FnTimes();
ZEFT_API CVariable* FnDivide();
ZEFT_API CVariable* FnRndUp();
ZEFT_API CVariable* FnExp();
ZEFT_API CVariable* FnExpt();
ZEFT_API CVariable* FnRndDown();
ZEFT_API CVariable* FnGcd();
ZEFT_API CVariable* FnNeg();
ZEFT_API CVariable* FnPos();
ZEFT_API CVariable* FnSqrt();
ZEFT_API CVariable* FnSqrd();
ZEFT_API CVariable* FnRem();
ZEFT_API CVariable* FnCos();
ZEFT_API CVariable* FnSin();
ZEFT_API CVariable* FnTan();
ZEFT_API CVariable* FnCosh();
ZEFT_API CVariable* FnSinh();
ZEFT_API CVariable* FnTanh();
ZEFT_API CVariable* FnAcos();
ZEFT_API CVariable* FnAsin();
ZEFT_API CVariable* FnAtan();
ZEFT_API CVariable* FnLog();
ZEFT_API CVariable* FnLog10();
ZEFT_API CVariable* FnLogAnd();
ZEFT_API CVariable* FnLogIor();
ZEFT_API CVariable* FnLsh();
ZEFT_API CVariable* FnRadToDeg();
ZEFT_API CVariable* FnDegToRad();

// Constants.
ZEFT_API CVariable* FnPi();
ZEFT_API CVariable* Fn90Deg();
ZEFT_API CVariable* Fn180Deg();
ZEFT_API CVariable* Fn270Deg();
ZEFT_API CVariable* Fn0Deg();
ZEFT_API CVariable* FnTrue();
ZEFT_API CVariable* FnFalse();

// Comparison, logic and snapping.
ZEFT_API CVariable* FnEqual();
ZEFT_API CVariable* FnNotEqual();
ZEFT_API CVariable* FnLess();
ZEFT_API CVariable* FnGreater();
ZEFT_API CVariable* FnLessOrEqual();
ZEFT_API CVariable* FnGreaterOrEqual();
ZEFT_API CVariable* FnAnd();
ZEFT_API CVariable* FnOr();
ZEFT_API CVariable* FnIncCalc();
ZEFT_API CVariable* FnIncDef();

// Text.
ZEFT_API CVariable* FnLeft();
ZEFT_API CVariable* FnMidText();
ZEFT_API CVariable* FnRight();
ZEFT_API CVariable* FnFind();
ZEFT_API CVariable* FnFindOneOf();
ZEFT_API CVariable* FnInsert();
ZEFT_API CVariable* FnMakeLower();
ZEFT_API CVariable* FnMakeUpper();
ZEFT_API CVariable* FnLength();
ZEFT_API CVariable* FnPutTogether();
ZEFT_API CVariable* FnReplace();
ZEFT_API CVariable* FnRevFind();
ZEFT_API CVariable* FnTrimLeft();
ZEFT_API CVariable* FnTrimRight();
ZEFT_API CVariable* FnAngToStr();
ZEFT_API CVariable* FnNumToStr();
ZEFT_API CVariable* FnStrToAng();
ZEFT_API CVariable* FnStrToNum();

// The block reference whose grip move or formula run is in progress (null: none); set by the
// grip engine before it runs a grip point's formulas.
class ZEFTBlockReference;
ZEFT_API void setStretchBlockReference(ZEFTBlockReference* reference);

// Variables and this grip.
ZEFT_API CVariable* FnSetVar();
ZEFT_API CVariable* FnGetThisPoint();  // "getThisPoint()" and "queryThisPt()", called directly
ZEFT_API CVariable* FnGetOffset();
ZEFT_API CVariable* FnCancel();

// Point arithmetic.
ZEFT_API CVariable* FnDist();
ZEFT_API CVariable* FnDistX();
ZEFT_API CVariable* FnDistY();
ZEFT_API CVariable* FnDistZ();
ZEFT_API CVariable* FnMid();
ZEFT_API CVariable* FnMidX();
ZEFT_API CVariable* FnMidY();
ZEFT_API CVariable* FnMidZ();
ZEFT_API CVariable* FnPolar();
ZEFT_API CVariable* FnFromTo();
ZEFT_API CVariable* FnGetAngle();
ZEFT_API CVariable* FnGetX();
ZEFT_API CVariable* FnGetY();
ZEFT_API CVariable* FnGetZ();
ZEFT_API CVariable* FnSetX();
ZEFT_API CVariable* FnSetY();
ZEFT_API CVariable* FnSetZ();
ZEFT_API CVariable* FnSetPt();

// Entities.
ZEFT_API CVariable* FnHide();
ZEFT_API CVariable* FnShow();
ZEFT_API CVariable* FnSetText();
ZEFT_API CVariable* FnQueryText();
ZEFT_API CVariable* FnSetRadius();
ZEFT_API CVariable* FnSetDia();
ZEFT_API CVariable* FnQueryRadius();
ZEFT_API CVariable* FnQueryDia();
ZEFT_API CVariable* FnQueryDim();
ZEFT_API CVariable* FnGetEnt();
ZEFT_API CVariable* FnGetEnts();
ZEFT_API CVariable* FnGetFence();  // "getFence(" and "getInFence("
ZEFT_API CVariable* FnGetPoint();  // "getPoint(" and "getAtPoint("

// Stretch points of bound entities.
ZEFT_API CVariable* FnQueryPt();
ZEFT_API CVariable* FnMovePtBy();
ZEFT_API CVariable* FnMovePts();
ZEFT_API CVariable* FnMovePtTo();

// Other grips of the block.
ZEFT_API CVariable* FnMoveGripBy();
ZEFT_API CVariable* FnMoveGripTo();
ZEFT_API CVariable* FnMoveThisGripTo();
