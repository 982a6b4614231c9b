#include "Variable.h"
#include <cmath>
#include <cstdlib>
#include "FilerGroups.h"
#include "db/database.h"
#include "db/units.h"

int32_t variableSerialCounter = 0;

void resetVariableCounter() { variableSerialCounter = 0; }

namespace {
constexpr double kEqualTolerance = 9.999e-9;

bool isRealKind(unsigned kind) { return kind == RTREAL || kind == RTANG || kind == RTORINT; }

// Truncation toward zero that stays defined for NaN and out-of-range reals.
int32_t truncated(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}
}  // namespace

CVariable::CVariable() : serial(++variableSerialCounter) {}

CVariable::CVariable(const CVariable& source) : CObject(), serial(++variableSerialCounter) {
    copyFrom(source);
}

CVariable::CVariable(const CVariable* source) : CVariable() {
    if (source) copyFrom(*source);
}

// The items of a list are made for it alone (getEnts(, copies), so they go with it.
CVariable::~CVariable() {
    while (!items.IsEmpty()) delete items.RemoveHead();
    sourceToken = nullptr;
    objectId = AcDbObjectId::kNull;
}

// Everything but serial; items are appended to a target that has none yet.
void CVariable::copyFrom(const CVariable& source) {
    name = source.name;
    flag = source.flag;
    assignValue(source);
}

CVariable& CVariable::operator=(const CVariable& source) {
    assignValue(source);
    return *this;
}

void CVariable::assignValue(const CVariable& source) {
    kind = source.kind;
    realValue = source.realValue;
    point[0] = source.point[0];
    point[1] = source.point[1];
    point[2] = source.point[2];
    shortValue = source.shortValue;
    stringValue = source.stringValue;
    longValue = source.longValue;
    objectId = source.objectId;
    sourceToken = source.sourceToken;
    appendCopiesOf(source);
}

// Appends a deep copy of each item the source holds now. Only that many items are walked, so
// a value assigned to itself gets its items doubled once instead of chasing its own tail.
void CVariable::appendCopiesOf(const CVariable& source) {
    int count = source.items.GetCount();
    POSITION pos = source.items.GetHeadPosition();
    for (int i = 0; i < count && pos; ++i) {
        const CVariable* item = source.items.GetNext(pos);
        if (!item) continue;
        auto* copy = new CVariable;
        *copy = *item;
        items.AddTail(copy);
    }
}

double CVariable::GetReal() const {
    if (kind == RTSHORT) return shortValue;
    if (isRealKind(kind)) return realValue;
    if (kind == RTLONG) return longValue;
    return 0.0;
}

int32_t CVariable::GetInt() const {
    if (kind == RTSHORT) return shortValue;
    if (isRealKind(kind)) return truncated(realValue);
    if (kind == RTLONG) return longValue;
    return 0;
}

int32_t CVariable::GetLong() const { return GetInt(); }

CString CVariable::GetString() const {
    if (kind == RTSTR) return stringValue;
    double number = realValue;
    if (kind == RTSHORT) number = shortValue;
    else if (kind == RTLONG) number = longValue;
    char buffer[256];
    if (acdbRToS(number, -1, -1, buffer) != RTNORM) return stringValue;
    return CString(buffer);
}

// longValue holds an id in its 32-bit in-memory form; only the working drawing can resolve it,
// and a value it does not know gives the null id rather than a made-up one.
AcDbObjectId CVariable::GetObjectId() const {
    if (!objectId.isNull()) return objectId;
    AcDbObjectId id;
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    if (longValue != 0 && services) id.setFromOldId(longValue, services->workingDatabase());
    return id;
}

Acad::ErrorStatus CVariable::dwgOutFields(AcDbDwgFiler* filer) const {
    filer->writeString(name);
    filer->writeBoolean(flag);
    return filer->filerStatus();
}

Acad::ErrorStatus CVariable::dwgInFields(AcDbDwgFiler* filer) {
    char* text = nullptr;
    filer->readString(&text);
    name = text;
    std::free(text);
    Adesk::Boolean value = Adesk::kFalse;
    filer->readBoolean(&value);
    flag = value;
    return filer->filerStatus();
}

Acad::ErrorStatus CVariable::dxfOutFields(AcDbDxfFiler* filer) const {
    filer->writeString(100, name);
    filer->writeUInt16(280, static_cast<Adesk::UInt16>(flag));
    return filer->filerStatus();
}

Acad::ErrorStatus CVariable::dxfInFields(AcDbDxfFiler* filer) {
    resbuf rb;
    if (dxfReadGroup(filer, 100, &rb) != Acad::eOk) return filer->filerStatus();
    name = dxfGroupText(rb);
    if (dxfReadGroup(filer, 280, &rb) != Acad::eOk) return filer->filerStatus();
    flag = dxfGroupInt(rb);
    return Acad::eOk;
}

bool equalWithin(double a, double b, double tolerance) { return a == b || std::fabs(a - b) < tolerance; }

// The first rule that applies decides:
//  1/2 a real kind on the left (then on the right) compares as reals within the tolerance;
//  3/4 a long, then a short, on either side compares as integers;
//  5/6 nil on the left equals only nil; true on the left equals true or a positive integer;
//  7/8 otherwise the kinds must match and the values are compared by kind.
bool variablesEqual(const CVariable& lhs, const CVariable& rhs) {
    if (isRealKind(lhs.kind)) return equalWithin(lhs.realValue, rhs.GetReal(), kEqualTolerance);
    if (isRealKind(rhs.kind)) return equalWithin(lhs.GetReal(), rhs.realValue, kEqualTolerance);
    if (lhs.kind == RTLONG || rhs.kind == RTLONG) return lhs.GetLong() == rhs.GetLong();
    if (lhs.kind == RTSHORT || rhs.kind == RTSHORT) return lhs.GetInt() == rhs.GetInt();
    if (lhs.kind == RTNIL) return rhs.kind == RTNIL;
    if (lhs.kind == RTT) {
        if (rhs.kind == RTNIL) return false;
        if (rhs.kind == RTT) return true;
        return rhs.GetInt() > 0;
    }
    if (lhs.kind != rhs.kind) return false;
    switch (lhs.kind) {
    case RTPOINT:
        return equalWithin(lhs.point[0], rhs.point[0], kEqualTolerance) &&
               equalWithin(lhs.point[1], rhs.point[1], kEqualTolerance);
    case RT3DPOINT:
        return equalWithin(lhs.point[0], rhs.point[0], kEqualTolerance) &&
               equalWithin(lhs.point[1], rhs.point[1], kEqualTolerance) &&
               equalWithin(lhs.point[2], rhs.point[2], kEqualTolerance);
    case RTSTR:
        return lhs.stringValue == rhs.stringValue;
    case RTENAME:
    case RTPICKS:
        return lhs.objectId == rhs.objectId;
    case RTLB: {
        if (lhs.items.GetCount() != rhs.items.GetCount()) return false;
        // Every item against every item, not position by position.
        for (POSITION l = lhs.items.GetHeadPosition(); l;) {
            const CVariable* left = lhs.items.GetNext(l);
            for (POSITION r = rhs.items.GetHeadPosition(); r;) {
                if (!variablesEqual(left, rhs.items.GetNext(r))) return false;
            }
        }
        return true;
    }
    default:
        return false;
    }
}

bool variablesEqual(const CVariable* lhs, const CVariable* rhs) {
    if (!lhs || !rhs) return lhs == rhs;
    return variablesEqual(*lhs, *rhs);
}
