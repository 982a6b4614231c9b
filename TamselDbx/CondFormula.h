#pragma once
// Formula statements and their tokens: grip programs and attribute conditions.
#include <cstdint>
#include "FilerGroups.h"
#include "ZeftExport.h"
#include "db/filer.h"
#include "db/objectid.h"
#include "db/types.h"
#include "ge/vector.h"
#include "ui/collections.h"
#include "ui/cstring.h"

// One token of a statement. Copying a token copies nothing: CCondFormula(CCondFormula*) is
// the one deep copy.
class ZEFT_API CFormulaObject : public CObject {
public:
    CFormulaObject();
    CFormulaObject(const CFormulaObject& source);
    explicit CFormulaObject(const CFormulaObject* source);
    CFormulaObject& operator=(const CFormulaObject& source);
    ~CFormulaObject() override;

    // Index of id in ids, appended when it is not there yet; stretchIds is left alone.
    int AddObjectId(AcDbObjectId& id);

    int16_t type = 1;
    CString text;
    double value = 0.0;
    AcGePoint3d point;
    AcDbObjectIdArray ids;
    AcArray<AcDbIntArray> stretchIds;  // per entry of ids, that entity's stretch-point indices
};

using CFormulaObjectList = CTypedPtrList<CPtrList, CFormulaObject*>;

// One statement: its tokens (owned), its text and its kind (for an attribute statement, how
// its text composes the attribute's text).
class ZEFT_API CCondFormula : public CObject {
public:
    CCondFormula();
    CCondFormula(const CCondFormula& source);
    // Deep copy of every token, its ids and its stretch-point index lists.
    explicit CCondFormula(CCondFormula* source);
    CCondFormula& operator=(const CCondFormula& source);
    ~CCondFormula() override;

    void Clear();
    // The condition as text: " (> Value 5.0000 ".
    CString GetFormulaStr() const;
    // Tests the prefix condition against value from position (null: the first token) and
    // leaves position at the last token used.
    bool TestFormula(double& value, POSITION& position);
    // The attribute text this statement gives, by kind, from the attribute's default value;
    // currentText when the kind leaves the text unchanged.
    CString ComposeText(const CString& defaultValue, const CString& currentText) const;

    // Embedded record of the statement and its tokens.
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);

    CFormulaObjectList tokens;
    CString text;
    int16_t kind = 1;

private:
    bool test(double& value, POSITION& position, int depth);
};

using CCondFormulaList = CTypedPtrList<CPtrList, CCondFormula*>;

// Operations of an owned statement list shared by the attribute classes.
// The statement at a 0-based index, or null when there is none.
ZEFT_API CCondFormula* formulaAt(const CCondFormulaList& list, int index);
// Deletes every statement and empties the list.
ZEFT_API void deleteFormulas(CCondFormulaList& list);
// The first statement whose condition holds for the value, or null.
ZEFT_API CCondFormula* firstHoldingFormula(const CCondFormulaList& list, double value);
