#include "CondFormula.h"
#include <cstdlib>
#include <memory>
#include "db/units.h"

// ---- CFormulaObject ----

CFormulaObject::CFormulaObject() = default;

CFormulaObject::CFormulaObject(const CFormulaObject&) : CObject() {}

CFormulaObject::CFormulaObject(const CFormulaObject*) {}

CFormulaObject& CFormulaObject::operator=(const CFormulaObject&) { return *this; }

CFormulaObject::~CFormulaObject() = default;

int CFormulaObject::AddObjectId(AcDbObjectId& id) {
    int index = ids.find(id);
    return index >= 0 ? index : ids.append(id);
}

// ---- CCondFormula ----

namespace {
// String of the enabler's table printed for the tested value.
constexpr unsigned kValueStringId = 103;

// Nested conditions deeper than this answer false instead of exhausting the stack.
constexpr int kMaxConditionDepth = 256;

bool isClosing(const CFormulaObject* token) { return token->type == 1 && token->text == ")"; }
bool isNestedCondition(const CFormulaObject* token) { return token->type == 1 && token->text != ")"; }

// The token at pos, or null at the end of the list.
CFormulaObject* tokenAt(CFormulaObjectList& tokens, POSITION pos) { return pos ? tokens.GetAt(pos) : nullptr; }

void advance(CFormulaObjectList& tokens, POSITION& pos) {
    if (pos) tokens.GetNext(pos);
}
}  // namespace

CCondFormula::CCondFormula() = default;

CCondFormula::CCondFormula(const CCondFormula&) : CObject() {}

CCondFormula::CCondFormula(CCondFormula* source) {
    if (!source) return;
    for (POSITION pos = source->tokens.GetHeadPosition(); pos;) {
        const CFormulaObject* from = source->tokens.GetNext(pos);
        if (!from) continue;
        auto* token = new CFormulaObject;
        token->value = from->value;
        token->type = from->type;
        token->text = from->text;
        token->point = from->point;
        for (int i = 0; i < from->ids.length(); ++i) {
            token->ids.append(from->ids[i]);
            token->stretchIds.append(AcDbIntArray());
            if (i < from->stretchIds.length()) {
                for (int index : from->stretchIds[i]) token->stretchIds[i].append(index);
            }
        }
        tokens.AddTail(token);
    }
    text = source->text;
    kind = source->kind;
}

CCondFormula& CCondFormula::operator=(const CCondFormula&) { return *this; }

CCondFormula::~CCondFormula() { Clear(); }

void CCondFormula::Clear() {
    while (!tokens.IsEmpty()) delete tokens.RemoveHead();
}

CString CCondFormula::GetFormulaStr() const {
    CString result(" ");
    for (POSITION pos = tokens.GetHeadPosition(); pos;) {
        const CFormulaObject* token = tokens.GetNext(pos);
        if (token) {
            if (token->type == 1) {
                result += token->text;
            } else if (token->type == 2) {
                CString name;
                if (!name.LoadString(kValueStringId)) name = "Value";
                result += name;
            } else if (token->type == 3) {
                char buffer[256];
                result += acdbRToS(token->value, -1, -1, buffer) == RTNORM ? buffer : "0";
            }
        }
        result += ' ';
    }
    return result;
}

bool CCondFormula::TestFormula(double& value, POSITION& position) { return test(value, position, 0); }

// Prefix form: operator, first operand, second operand; an operand may be a nested condition,
// which is followed by ")". With one operand the tested value is compared against it.
bool CCondFormula::test(double& value, POSITION& position, int depth) {
    if (!position) position = tokens.GetHeadPosition();
    bool a = false;
    bool b = false;
    if (!position) return true;
    if (depth > kMaxConditionDepth) return false;

    CFormulaObject tested;
    tested.type = 2;
    tested.value = value;

    const CFormulaObject* op = tokenAt(tokens, position);
    if (!op) return false;
    advance(tokens, position);

    CFormulaObject* first = tokenAt(tokens, position);
    if (!first) return false;
    const bool firstNested = isNestedCondition(first);
    if (firstNested) a = test(value, position, depth + 1);
    if (first->type == 2) first->value = value;

    // The second operand; position moves onto a token only when it is used.
    POSITION next = position;
    advance(tokens, next);
    CFormulaObject* second = tokenAt(tokens, next);
    if (firstNested && second && isClosing(second)) {
        // The ")" closes the first operand and the second follows it. A further ")" belongs to
        // an outer condition, and the end of the list leaves the second operand missing.
        position = next;
        advance(tokens, next);
        second = tokenAt(tokens, next);
        if (second && isClosing(second)) second = nullptr;
        if (second) position = next;
    } else if (!second || isClosing(second)) {
        if (firstNested) {
            second = nullptr;  // an unclosed nested condition ends the list
        } else {
            // One operand (the list ends, or ")" ends this condition): the tested value
            // against it.
            second = first;
            first = &tested;
        }
    } else {
        position = next;
    }
    if (second && isNestedCondition(second)) {
        b = test(value, position, depth + 1);
        // A nested condition leaves its ")" to the caller.
        next = position;
        advance(tokens, next);
        if (tokenAt(tokens, next) && isClosing(tokenAt(tokens, next))) position = next;
    }
    if (second && second->type == 2) second->value = value;

    const CString& o = op->text;
    if (o == "(and") return a && b;
    if (o == "(or") return a || b;
    const bool compare = o == "(=" || o == "(/=" || o == "(<" || o == "(>" || o == "(<=" || o == "(>=";
    if (!compare) return true;
    if (!second) return false;  // the second operand is missing after a nested condition
    const double f = first->value;
    const double s = second->value;
    if (o == "(=") return f == s;
    if (o == "(/=") return f != s;
    if (o == "(<") return f < s;
    if (o == "(>") return f > s;
    if (o == "(<=") return f <= s;
    return f >= s;
}

CString CCondFormula::ComposeText(const CString& defaultValue, const CString& currentText) const {
    switch (kind) {
    case 1:
        return text + defaultValue;
    case 2:
        return defaultValue + text;
    case 3:
        return text;
    case 4: {
        if (defaultValue.Find("\\i") >= 0) {
            CString result = defaultValue;
            result.Replace("\\i", text);
            return result;
        }
        if (text.Find("\\i") >= 0) {
            CString result = text;
            result.Replace("\\i", defaultValue);
            return result;
        }
        return currentText;
    }
    default:
        return currentText;
    }
}

// ---- filing ----

namespace {
// Null entries are not filed, as the deep copy skips them.
int tokenCount(const CFormulaObjectList& tokens) {
    int n = 0;
    for (POSITION pos = tokens.GetHeadPosition(); pos;)
        if (tokens.GetNext(pos)) ++n;
    return n;
}

AcDbObjectId firstId(const CFormulaObject& token) { return token.ids.isEmpty() ? AcDbObjectId::kNull : token.ids[0]; }

const AcDbIntArray& stretchList(const CFormulaObject& token, int i) {
    static const AcDbIntArray empty;
    return i < token.stretchIds.length() ? token.stretchIds[i] : empty;
}

void readString(AcDbDwgFiler* filer, CString& into) {
    char* value = nullptr;
    filer->readString(&value);
    into = value;
    std::free(value);
}
}  // namespace

Acad::ErrorStatus CCondFormula::dwgOutFields(AcDbDwgFiler* filer) const {
    filer->writeString(text);
    filer->writeUInt16(static_cast<Adesk::UInt16>(kind));
    const Adesk::UInt16 count = filedCount(tokenCount(tokens));
    filer->writeUInt16(count);
    POSITION pos = tokens.GetHeadPosition();
    for (int n = 0; n < count && pos;) {
        const CFormulaObject* entry = tokens.GetNext(pos);
        if (!entry) continue;
        ++n;
        const CFormulaObject& token = *entry;
        filer->writeDouble(token.value);
        filer->writeUInt16(static_cast<Adesk::UInt16>(token.type));
        if (token.type == 7) {
            filer->writePoint3d(token.point);
            const Adesk::UInt16 idCount = filedCount(token.ids.length());
            filer->writeUInt16(idCount);
            for (int i = 0; i < idCount; ++i) {
                filer->writeSoftPointerId(token.ids[i]);
                dwgOutIntList(filer, stretchList(token, i));
            }
        } else if (token.type == 6) {
            filer->writeSoftPointerId(firstId(token));
        }
        filer->writeString(token.text);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus CCondFormula::dwgInFields(AcDbDwgFiler* filer) {
    Clear();
    readString(filer, text);
    Adesk::UInt16 value16 = 0;
    filer->readUInt16(&value16);
    kind = static_cast<int16_t>(value16);
    Adesk::UInt16 count = 0;
    filer->readUInt16(&count);
    for (int n = 0; n < count && filer->filerStatus() == Acad::eOk; ++n) {
        auto token = std::make_unique<CFormulaObject>();
        filer->readDouble(&token->value);
        Adesk::UInt16 type = 0;
        filer->readUInt16(&type);
        token->type = static_cast<int16_t>(type);
        if (token->type == 7) {
            filer->readPoint3d(&token->point);
            Adesk::UInt16 idCount = 0;
            filer->readUInt16(&idCount);
            for (int i = 0; i < idCount && filer->filerStatus() == Acad::eOk; ++i) {
                AcDbSoftPointerId id;
                filer->readSoftPointerId(&id);
                token->ids.append(id);
                token->stretchIds.append(AcDbIntArray());
                dwgInIntList(filer, token->stretchIds.last());
            }
        } else if (token->type == 6) {
            AcDbSoftPointerId id;
            filer->readSoftPointerId(&id);
            if (!id.isNull()) token->ids.append(id);
        }
        readString(filer, token->text);
        if (filer->filerStatus() != Acad::eOk) break;
        tokens.AddTail(token.release());
    }
    return filer->filerStatus();
}

Acad::ErrorStatus CCondFormula::dxfOutFields(AcDbDxfFiler* filer) const {
    filer->writeString(100, text);
    filer->writeUInt16(170, static_cast<Adesk::UInt16>(kind));
    const Adesk::UInt16 count = filedCount(tokenCount(tokens));
    filer->writeUInt16(78, count);
    POSITION pos = tokens.GetHeadPosition();
    for (int n = 0; n < count && pos;) {
        const CFormulaObject* entry = tokens.GetNext(pos);
        if (!entry) continue;
        ++n;
        const CFormulaObject& token = *entry;
        filer->writeDouble(70, token.value);
        filer->writeUInt16(73, static_cast<Adesk::UInt16>(token.type));
        if (token.type == 7) {
            filer->writePoint3d(15, token.point);
            const Adesk::UInt16 idCount = filedCount(token.ids.length());
            filer->writeUInt16(79, idCount);
            for (int i = 0; i < idCount; ++i) {
                filer->writeInt32(330, token.ids[i].asOldId());
                dxfOutIntList(filer, stretchList(token, i), 80, 81);
            }
        } else if (token.type == 6) {
            filer->writeInt32(330, firstId(token).asOldId());
        }
        filer->writeString(2, token.text);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus CCondFormula::dxfInFields(AcDbDxfFiler* filer) {
    Clear();
    resbuf rb;
    if (dxfReadGroup(filer, 100, &rb) != Acad::eOk) return filer->filerStatus();
    text = dxfGroupText(rb);
    if (dxfReadGroup(filer, 170, &rb) != Acad::eOk) return filer->filerStatus();
    kind = static_cast<int16_t>(dxfGroupInt(rb));
    if (dxfReadGroup(filer, 78, &rb) != Acad::eOk) return filer->filerStatus();
    const int count = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
    for (int n = 0; n < count; ++n) {
        auto token = std::make_unique<CFormulaObject>();
        if (dxfReadGroup(filer, 70, &rb) != Acad::eOk) return filer->filerStatus();
        token->value = dxfGroupReal(filer, rb);
        if (dxfReadGroup(filer, 73, &rb) != Acad::eOk) return filer->filerStatus();
        token->type = static_cast<int16_t>(dxfGroupInt(rb));
        if (token->type == 7) {
            if (dxfReadGroup(filer, 15, &rb) != Acad::eOk) return filer->filerStatus();
            token->point = dxfGroupPoint(rb);
            if (dxfReadGroup(filer, 79, &rb) != Acad::eOk) return filer->filerStatus();
            const int idCount = static_cast<Adesk::UInt16>(dxfGroupInt(rb));
            for (int i = 0; i < idCount; ++i) {
                if (dxfReadGroup(filer, 330, &rb) != Acad::eOk) return filer->filerStatus();
                token->ids.append(dxfGroupOldId(rb, filer->database()));
                token->stretchIds.append(AcDbIntArray());
                if (dxfInIntList(filer, token->stretchIds.last(), 80, 81) != Acad::eOk)
                    return filer->filerStatus();
            }
        } else if (token->type == 6) {
            if (dxfReadGroup(filer, 330, &rb) != Acad::eOk) return filer->filerStatus();
            AcDbObjectId id = dxfGroupOldId(rb, filer->database());
            if (!id.isNull()) token->ids.append(id);
        }
        if (dxfReadGroup(filer, 2, &rb) != Acad::eOk) return filer->filerStatus();
        token->text = dxfGroupText(rb);
        tokens.AddTail(token.release());
    }
    return Acad::eOk;
}

CCondFormula* formulaAt(const CCondFormulaList& list, int index) {
    if (index < 0) return nullptr;
    POSITION pos = list.FindIndex(index);
    return pos ? list.GetAt(pos) : nullptr;
}

void deleteFormulas(CCondFormulaList& list) {
    while (!list.IsEmpty()) delete list.RemoveHead();
}

CCondFormula* firstHoldingFormula(const CCondFormulaList& list, double value) {
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        CCondFormula* formula = list.GetNext(pos);
        if (!formula) continue;
        double tested = value;
        POSITION at = nullptr;
        if (formula->TestFormula(tested, at)) return formula;
    }
    return nullptr;
}
