#pragma once
// The value type of the formula language and the named variables of grip points.
#include <cstdint>
#include "ZeftExport.h"
#include "db/filer.h"
#include "db/objectid.h"
#include "rx/ads.h"
#include "ui/collections.h"
#include "ui/cstring.h"

class CFormulaObject;
class CVariable;

using CVariableList = CTypedPtrList<CPtrList, CVariable*>;

// Serial of the value made last; the grip point resets it at the start of each formula run.
ZEFT_API extern int32_t variableSerialCounter;
ZEFT_API void resetVariableCounter();

// A tagged value: `kind` is a result-buffer type code (RTREAL, RTPOINT, RTSTR, RTLB, ...)
// naming the member that holds the value.
class ZEFT_API CVariable : public CObject {
public:
    CVariable();
    CVariable(const CVariable& source);
    explicit CVariable(const CVariable* source);
    ~CVariable() override;

    // Copies the value, keeps name, flag and serial, and appends deep copies of the
    // source's items to this value's own items.
    CVariable& operator=(const CVariable& source);

    double GetReal() const;
    int32_t GetInt() const;
    int32_t GetLong() const;
    CString GetString() const;
    AcDbObjectId GetObjectId() const;

    // Embedded record: the name and the flag, never the value.
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);

    int32_t serial;
    CString name;
    int32_t flag = 1;
    double realValue = 0.0;
    ads_point point = {0.0, 0.0, 0.0};
    int16_t shortValue = 0;
    CString stringValue;
    int32_t longValue = 0;
    CFormulaObject* sourceToken = nullptr;  // not owned
    AcDbObjectId objectId;
    uint16_t kind = RTNIL;  // every producer sets its own kind
    CVariableList items;  // owned: deleted with the value

private:
    void copyFrom(const CVariable& source);
    void assignValue(const CVariable& source);
    void appendCopiesOf(const CVariable& source);
};

// a == b, or |a - b| strictly below the tolerance.
ZEFT_API bool equalWithin(double a, double b, double tolerance);
// Equality of the comparison functions; not symmetric (see the rules in Variable.cpp).
ZEFT_API bool variablesEqual(const CVariable& lhs, const CVariable& rhs);
ZEFT_API bool variablesEqual(const CVariable* lhs, const CVariable* rhs);
