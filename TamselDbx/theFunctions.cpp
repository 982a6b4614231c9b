#include "theFunctions.h"

FormulaKeyword FormulaKeywordTable[kFormulaKeywordCount] = {
    {"moveThisGrip(", nullptr},   // 0
    {"setVar(", FnSetVar},
    {")", nullptr},
    {"if", nullptr},
    {"else if", nullptr},
    {"else do", nullptr},         // 5
    {"do", nullptr},
    {"(+", FnPlus},
    {"(-", FnMinus},
    {"(*", FnTimes},
    {"(/", FnDivide},             // 10
    {"rndUp(", FnRndUp},
    {"exp(", FnExp},
    {"expt(", FnExpt},
    {"fix(", nullptr},
    {"rndDown(", FnRndDown},      // 15
    {"gcd(", FnGcd},
    {"neg(", FnNeg},
    {"pos(", FnPos},
    {"sqrt(", FnSqrt},
    {"sqrd(", FnSqrd},            // 20
    {"rem(", FnRem},
    {"cos(", FnCos},
    {"sin(", FnSin},
    {"tan(", FnTan},
    {"cosh(", FnCosh},            // 25
    {"sinh(", FnSinh},
    {"tanh(", FnTanh},
    {"acos(", FnAcos},
    {"asin(", FnAsin},
    {"atan(", FnAtan},            // 30
    {"log(", FnLog},
    {"log10(", FnLog10},
    {"logand(", FnLogAnd},
    {"logior(", FnLogIor},
    {"lsh(", FnLsh},              // 35
    {"radToDeg(", FnRadToDeg},
    {"degToRad(", FnDegToRad},
    {"dist(", FnDist},
    {"distX(", FnDistX},
    {"distY(", FnDistY},          // 40
    {"distZ(", FnDistZ},
    {"mid(", FnMid},
    {"midX(", FnMidX},
    {"midY(", FnMidY},
    {"midZ(", FnMidZ},            // 45
    {"polar(", FnPolar},
    {"fromTo(", FnFromTo},
    {"hide(", FnHide},
    {"show(", FnShow},
    {"move(", nullptr},           // 50
    {"pi", FnPi},
    {"90deg", Fn90Deg},
    {"180deg", Fn180Deg},
    {"270deg", Fn270Deg},
    {"0deg", Fn0Deg},             // 55
    {"setText(", FnSetText},
    {"queryPt(", FnQueryPt},
    {"setRadius(", FnSetRadius},
    {"setDia(", FnSetDia},
    {"movePts(", FnMovePts},      // 60
    {"queryText(", FnQueryText},
    {"queryRadius(", FnQueryRadius},
    {"queryDia(", FnQueryDia},
    {"cancel(", FnCancel},
    {"getEnt(", FnGetEnt},        // 65
    {"getEnts(", FnGetEnts},
    {"getFence(", FnGetFence},
    {"getPoint(", FnGetPoint},
    {"true", FnTrue},
    {"false", FnFalse},           // 70
    {"getThisPoint()", nullptr},
    {"getAngle(", FnGetAngle},
    {"movePtBy(", FnMovePtBy},
    {"getOffset()", FnGetOffset},
    {"moveGripBy(", FnMoveGripBy},  // 75
    {"(=", FnEqual},
    {"(/=", FnNotEqual},
    {"(<", FnLess},
    {"(>", FnGreater},
    {"(<=", FnLessOrEqual},       // 80
    {"(>=", FnGreaterOrEqual},
    {"(and", FnAnd},
    {"(or", FnOr},
    {"getInFence(", FnGetFence},
    {"getAtPoint(", FnGetPoint},  // 85
    {"movePtTo(", FnMovePtTo},
    {"getX(", FnGetX},
    {"getY(", FnGetY},
    {"getZ(", FnGetZ},
    {"setX(", FnSetX},            // 90
    {"setY(", FnSetY},
    {"setZ(", FnSetZ},
    {"setPt(", FnSetPt},
    {"incCalc(", FnIncCalc},
    {"incDef(", FnIncDef},        // 95
    {"moveGripTo(", FnMoveGripTo},
    {"moveThisGripTo(", FnMoveThisGripTo},
    {"queryThisPt()", nullptr},
    {"left(", FnLeft},
    {"mid(", FnMidText},          // 100
    {"right(", FnRight},
    {"find(", FnFind},
    {"findOneOf(", FnFindOneOf},
    {"insert(", FnInsert},
    {"makeLower(", FnMakeLower},  // 105
    {"makeUpper(", FnMakeUpper},
    {"length(", FnLength},
    {"putTogether(", FnPutTogether},
    {"replace(", FnReplace},
    {"revFind(", FnRevFind},      // 110
    {"trimLeft(", FnTrimLeft},
    {"trimRight(", FnTrimRight},
    {"angToStr(", FnAngToStr},
    {"numToStr(", FnNumToStr},
    {"strToAng(", FnStrToAng},    // 115
    {"strToNum(", FnStrToNum},
    {"queryDim(", FnQueryDim},
};

FormulaFunction formulaFunction(int index) {
    return index >= 0 && index < kFormulaKeywordCount ? FormulaKeywordTable[index].function : nullptr;
}

const char* formulaKeyword(int index) {
    return index >= 0 && index < kFormulaKeywordCount ? FormulaKeywordTable[index].keyword : "";
}
