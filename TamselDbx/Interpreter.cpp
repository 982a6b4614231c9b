// The statement interpreter of grip points: runs `formulas` when the grip is dragged.
#include <cxxabi.h>
#include <exception>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "FormulaContext.h"
#include "FormulaValues.h"
#include "ZEFTGripPoint.h"
#include "theFunctions.h"

namespace {

// Calls nest at most this deep; a deeper formula ends its run.
constexpr int kMaxCallDepth = 128;

enum class RunEnd { none, cancelled, tooDeep };
RunEnd g_end = RunEnd::none;
int g_depth = 0;

bool runEnded() { return g_end != RunEnd::none; }

// The statements of the grip point whose formulas run, indexed once per run.
struct StatementTable {
    const ZEFTGripPoint* grip = nullptr;
    std::vector<CCondFormula*> statements;
    StatementTable* outer = nullptr;
};
StatementTable* g_table = nullptr;

// Makes the grip point's statement table current unless it already is.
class TableScope {
public:
    explicit TableScope(ZEFTGripPoint* grip) {
        if (g_table && g_table->grip == grip) {
            m_table = g_table;
            return;
        }
        m_own.grip = grip;
        m_own.statements.reserve(static_cast<size_t>(grip->formulas.GetCount()));
        for (POSITION pos = grip->formulas.GetHeadPosition(); pos;)
            m_own.statements.push_back(grip->formulas.GetNext(pos));
        m_own.outer = g_table;
        g_table = &m_own;
        m_table = &m_own;
    }
    ~TableScope() {
        if (m_table == &m_own) g_table = m_own.outer;
    }
    TableScope(const TableScope&) = delete;
    TableScope& operator=(const TableScope&) = delete;

    int count() const { return static_cast<int>(m_table->statements.size()); }
    CCondFormula* at(int index) const {
        return index >= 0 && index < count() ? m_table->statements[static_cast<size_t>(index)] : nullptr;
    }

private:
    StatementTable m_own;
    StatementTable* m_table = nullptr;
};

class DepthGuard {
public:
    DepthGuard() : m_outermost(g_depth == 0) { ++g_depth; }
    ~DepthGuard() { --g_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool outermost() const { return m_outermost; }
    bool tooDeep() const { return g_depth > kMaxCallDepth; }

private:
    bool m_outermost;
};

// What a grip point's temporaries hold, so that adding a value does not walk the list. It
// answers only while the list is as it left it (same grip, count and ends); else it is rebuilt.
struct TemporaryIndex {
    const ZEFTGripPoint* grip = nullptr;
    int count = 0;
    POSITION head = nullptr;
    POSITION tail = nullptr;
    std::unordered_set<const CVariable*> values;
    std::unordered_map<int32_t, int> serials;  // of the values that are not named variables

    bool current(const ZEFTGripPoint& owner) const {
        return grip == &owner && count == owner.temporaries.GetCount() && count > 0 &&
               head == owner.temporaries.GetHeadPosition() && tail == owner.temporaries.GetTailPosition();
    }
    void clear() {
        grip = nullptr;
        count = 0;
        head = tail = nullptr;
        values.clear();
        serials.clear();
    }
    void note(ZEFTGripPoint& owner, CVariable* value, bool named) {
        values.insert(value);
        if (value && !named) ++serials[value->serial];
        grip = &owner;
        count = owner.temporaries.GetCount();
        head = owner.temporaries.GetHeadPosition();
        tail = owner.temporaries.GetTailPosition();
    }
    void rebuild(ZEFTGripPoint& owner) {
        clear();
        for (POSITION pos = owner.temporaries.GetHeadPosition(); pos;) {
            CVariable* held = owner.temporaries.GetNext(pos);
            note(owner, held, held && owner.hasVar(held));
        }
        grip = &owner;
    }
};
TemporaryIndex g_temporaries;

// A position may lie in any statement's token list: it is read and moved on its own.
const CFormulaObjectList g_anyTokens;
CFormulaObject* tokenAt(POSITION position) { return g_anyTokens.GetAt(position); }
void advance(POSITION& position) { g_anyTokens.GetNext(position); }

CFormulaObject* headOf(const CCondFormula* statement) {
    return statement && !statement->tokens.IsEmpty() ? statement->tokens.GetHead() : nullptr;
}

// The keyword index of a function token, -1 for any other token.
int keywordOf(const CFormulaObject* token) {
    return token && token->type == 3 ? truncatedInt(token->value) : -1;
}

bool beginsWith(const CCondFormula* statement, char c) {
    const CFormulaObject* head = headOf(statement);
    return head && head->text.GetAt(0) == c;
}

bool isConstant(int k) {
    return (k >= kKeywordPi && k <= kKeywordZeroDeg) || k == kKeywordTrue || k == kKeywordFalse;
}

// A failure inside the function is reported and the call gives no value.
CVariable* callFunction(ZEFTGripPoint* grip, CVariableList& args, FormulaFunction function, int keyword) {
    setFormulaContext(grip, &args);
    CVariable* result = nullptr;
    bool failed = false;
    try {
        result = function();
    } catch (abi::__forced_unwind&) {
        setFormulaContext(grip, nullptr);
        throw;
    } catch (const std::exception&) {
        failed = true;
    } catch (...) {
        failed = true;
    }
    setFormulaContext(grip, nullptr);
    if (failed) showFormulaFailure(formulaKeyword(keyword));
    return result;
}

void endTooDeep(POSITION position) {
    if (runEnded()) return;
    g_end = RunEnd::tooDeep;
    const CFormulaObject* token = position ? tokenAt(position) : nullptr;
    if (!token) showFormulaFailure("");
    else if (token->type == 3) showFormulaFailure(formulaKeyword(keywordOf(token)));
    else showFormulaFailure(token->text);
}

// Runs every call of the statement at statementIndex, as the top level does.
void runStatement(ZEFTGripPoint& grip, const TableScope& table, int& statementIndex, POSITION& position,
                  CVariableList& args) {
    const CCondFormula* statement = table.at(statementIndex);
    position = statement ? statement->tokens.GetHeadPosition() : nullptr;
    while (position) {
        const int before = statementIndex;
        const POSITION from = position;
        CVariable* value = grip.DoFormula(statementIndex, position);
        args.AddTail(value);
        grip.AddVariableToTemps(value);
        if (runEnded() || statementIndex >= table.count()) return;
        if (statementIndex == before && position == from) position = nullptr;
    }
}

// The branch after statementIndex: that statement, or the block it opens. Leaves statementIndex
// on the branch's last statement, or at the count when the branch runs past the last one.
void runBranch(ZEFTGripPoint& grip, const TableScope& table, int& statementIndex, POSITION& position,
               CVariableList& args) {
    const int count = table.count();
    ++statementIndex;
    if (statementIndex < count && beginsWith(table.at(statementIndex), '{')) {
        for (++statementIndex; statementIndex < count; ++statementIndex) {
            if (beginsWith(table.at(statementIndex), '}')) break;
            runStatement(grip, table, statementIndex, position, args);
            if (runEnded() || statementIndex >= count) break;
        }
    } else if (statementIndex < count) {
        runStatement(grip, table, statementIndex, position, args);
    }
    if (statementIndex > count) statementIndex = count;
    position = nullptr;
}

// After a branch that ran: passes the "else if" and "else do" statements that follow it, each
// with its branch, leaving statementIndex on the last statement passed.
void skipElseChain(const TableScope& table, int& statementIndex) {
    const int count = table.count();
    while (statementIndex + 1 < count) {
        const int k = keywordOf(headOf(table.at(statementIndex + 1)));
        if (k != kKeywordElseIf && k != kKeywordElseDo) return;
        const int branch = statementIndex + 2;
        if (branch >= count || !beginsWith(table.at(branch), '{')) {
            statementIndex = branch < count ? branch : count - 1;
            continue;
        }
        int depth = 0;
        int j = branch;
        for (; j < count; ++j) {
            if (beginsWith(table.at(j), '{')) ++depth;
            else if (beginsWith(table.at(j), '}') && --depth == 0) break;
        }
        statementIndex = j < count ? j : count - 1;
    }
}

// The search for an else stops at a one-statement branch; an else right after that branch
// belongs to the same "if".
int elseAfterBranch(const TableScope& table, int conditionEnd, int stoppedAt) {
    if (stoppedAt <= conditionEnd || stoppedAt + 1 >= table.count()) return -1;
    const CFormulaObject* branch = headOf(table.at(stoppedAt));
    if (!branch || branch->type != 3) return -1;
    for (int j = conditionEnd + 1; j < stoppedAt; ++j)
        if (beginsWith(table.at(j), '{') || beginsWith(table.at(j), '}')) return -1;
    const int k = keywordOf(headOf(table.at(stoppedAt + 1)));
    return k == kKeywordElseIf || k == kKeywordElseDo ? stoppedAt + 1 : -1;
}

// "if" (or an "else if" whose turn has come) at position: the condition is the next complete
// call; a nil or missing value does not hold.
CVariable* runIf(ZEFTGripPoint& grip, const TableScope& table, int& statementIndex, POSITION& position,
                 CVariableList& args) {
    const int count = table.count();
    for (;;) {
        advance(position);
        if (!position) ++statementIndex;  // the condition starts on the next statement
        CVariable* condition = statementIndex < count ? grip.DoFormula(statementIndex, position) : nullptr;
        grip.AddVariableToTemps(condition);
        if (runEnded()) return nullptr;
        if (statementIndex >= count) {
            statementIndex = count;
            position = nullptr;
            return nullptr;
        }
        if (!condition || condition->kind == RTNIL) {
            const int conditionEnd = statementIndex;
            int found = grip.FindElseStatment(statementIndex, false);
            if (found < 0) found = elseAfterBranch(table, conditionEnd, statementIndex);
            if (found < 0) return nullptr;
            statementIndex = found;
            if (keywordOf(headOf(table.at(found))) == kKeywordElseIf) {
                position = table.at(found)->tokens.GetHeadPosition();
                continue;
            }
        }
        runBranch(grip, table, statementIndex, position, args);
        if (!runEnded() && statementIndex < count) skipElseChain(table, statementIndex);
        position = nullptr;
        return nullptr;
    }
}

}  // namespace

bool ZEFTGripPoint::CheckFormulaForStretch() {
    formulaCancelled = false;
    g_end = RunEnd::none;
    resetVariableCounter();
    TableScope table(this);
    const int count = table.count();
    for (int i = 0; i < count; ++i) {
        const CCondFormula* statement = table.at(i);
        if (!statement) continue;
        POSITION position = statement->tokens.GetHeadPosition();
        while (position) {
            const int before = i;
            const POSITION from = position;
            DoFormula(i, position);
            if (formulaCancelled || runEnded() || i >= count) {
                CleanUpArgs();
                return false;
            }
            if (i == before && position == from) position = nullptr;
        }
    }
    CleanUpArgs();
    return true;
}

CVariable* ZEFTGripPoint::DoFormula(int& statementIndex, POSITION& position) {
    TableScope table(this);
    DepthGuard depth;
    if (depth.outermost()) g_end = RunEnd::none;
    if (depth.tooDeep()) {
        endTooDeep(position);
        return nullptr;
    }
    const int count = table.count();
    if (statementIndex >= count) {
        position = nullptr;
        return nullptr;
    }
    CVariableList args;
    int pending = -1;
    CVariable* last = nullptr;
    for (int i = statementIndex; i < count; ++i) {
        statementIndex = i;
        const CCondFormula* statement = table.at(i);
        if (!statement) {
            position = nullptr;
            return nullptr;
        }
        if (!position) position = statement->tokens.GetHeadPosition();
        while (position) {
            CFormulaObject* token = tokenAt(position);
            if (!token) {
                advance(position);
                continue;
            }
            if (token->type == 3) {
                const int k = truncatedInt(token->value);
                // A call inside the pending call's arguments.
                if (pending != -1 && token->value != 2.0) {
                    const int before = statementIndex;
                    const POSITION from = position;
                    CVariable* value = DoFormula(statementIndex, position);
                    args.AddTail(value);
                    AddVariableToTemps(value);
                    if (runEnded()) return nullptr;
                    if (statementIndex >= count) {
                        statementIndex = count;
                        position = nullptr;
                        return nullptr;
                    }
                    if (statementIndex == before && position == from) advance(position);
                    i = statementIndex;
                    continue;
                }
                if (k == kKeywordIf) return runIf(*this, table, statementIndex, position, args);
                if (isConstant(k)) {
                    const FormulaFunction constant = formulaFunction(k);
                    if (!constant) {
                        advance(position);
                        continue;
                    }
                    // Evaluated at once; the token then opens a call that the next ")" closes.
                    if (CVariable* value = callFunction(this, args, constant, k)) {
                        AddVariableToTemps(value);
                        last = value;
                    }
                } else if (k == kKeywordGetThisPoint || k == kKeywordQueryThisPt || k == kKeywordGetOffset) {
                    const FormulaFunction function = k == kKeywordGetOffset ? formulaFunction(k) : FnGetThisPoint;
                    CVariable* value = function ? callFunction(this, args, function, k) : nullptr;
                    AddVariableToTemps(value);
                    last = value;
                    args.AddTail(value);
                    advance(position);
                    return value;
                }
                if (token->text != ")") {
                    pending = k;
                    advance(position);
                    continue;
                }
                if (pending == -1) {
                    advance(position);
                    return last;
                }
                const FormulaFunction function = formulaFunction(pending);
                if (!function) {  // the call stays open
                    advance(position);
                    continue;
                }
                CVariable* value = callFunction(this, args, function, pending);
                if (value && !(pending == kKeywordSetVar && hasVar(value))) AddVariableToTemps(value);
                last = value;
                if (pending == kKeywordCancel) {
                    formulaCancelled = true;
                    g_end = RunEnd::cancelled;
                    return nullptr;
                }
                advance(position);
                return last;
            }
            if (token->text == "{" || token->text == "}") {
                position = nullptr;  // the caller moves on to the next statement
                return nullptr;
            }
            CVariable* value = nullptr;
            switch (token->type) {
            case 4:
                last = GetVar(token->text);
                args.AddTail(last);
                break;
            case 5:
                value = newTextValue(token->text.Mid(1, token->text.GetLength() - 2));
                break;
            case 1:
                value = newRealValue(token->value);
                break;
            case 6:
                value = newFormulaValue(RTENAME);
                value->longValue = truncatedInt(token->value);
                if (token->ids.length() > 0) value->objectId = token->ids[0];
                break;
            case 7:
                value = newPointValue(token->point.x, token->point.y, token->point.z);
                if (token->ids.length() > 0) {
                    value->kind = RTLB;
                    value->sourceToken = token;
                }
                break;
            default:
                break;
            }
            if (value) {
                AddVariableToTemps(value);
                last = value;
                args.AddTail(value);
            }
            advance(position);
        }
    }
    args.RemoveAll();
    return last;
}

int ZEFTGripPoint::FindElseStatment(int& statementIndex, bool afterBlock) {
    TableScope table(this);
    const int count = table.count();
    const int next = statementIndex + 1;
    if (next >= count) return -1;
    if (afterBlock) {
        const CCondFormula* statement = table.at(statementIndex);
        if (!statement) return -1;
        const CFormulaObject* head = headOf(statement);
        if (head && head->type == 3 && head->value == 3.0) return statementIndex;
    }
    int depth = 0;
    for (int j = next; j < count; ++j) {
        const CCondFormula* statement = table.at(j);
        if (!statement) return -1;
        const CFormulaObject* head = headOf(statement);
        if (!head) continue;
        if (head->text.GetAt(0) == '{') ++depth;
        if (head->text.GetAt(0) == '}') {
            --depth;
            if (depth == 0) statementIndex = j + 1;
        }
        if (head->type == 3 && depth == 0) {
            const int k = truncatedInt(head->value);
            if (k == kKeywordElseIf || k == kKeywordElseDo) return j;
            statementIndex = j;
            return -1;
        }
    }
    return -1;
}

CVariable* ZEFTGripPoint::GetVar(CString& name) {
    for (POSITION pos = variables.GetHeadPosition(); pos;) {
        CVariable* variable = variables.GetNext(pos);
        if (variable && variable->name == name) return variable;
    }
    return nullptr;
}

bool ZEFTGripPoint::hasVar(CVariable* value) {
    return value && variables.Find(value) != nullptr;
}

// The same value is kept once: by pointer, or by serial among values made in the run (named
// variables keep serials from earlier runs, which must not hide a new value).
void ZEFTGripPoint::AddVariableToTemps(CVariable* value) {
    if (!value) return;
    if (!g_temporaries.current(*this)) g_temporaries.rebuild(*this);
    const bool named = hasVar(value);
    if (g_temporaries.values.count(value)) return;
    if (!named && g_temporaries.serials.count(value->serial)) return;
    temporaries.AddTail(value);
    g_temporaries.note(*this, value, named);
}

void ZEFTGripPoint::AddVariablesToTemps(CVariableList& values) {
    for (POSITION pos = values.GetHeadPosition(); pos;) AddVariableToTemps(values.GetNext(pos));
}

// Deletes every value of the run except the named variables, each once.
void ZEFTGripPoint::CleanUpArgs() {
    setFormulaContext(this, nullptr);
    if (g_temporaries.grip == this) g_temporaries.clear();
    std::unordered_set<CVariable*> deleted;
    while (!temporaries.IsEmpty()) {
        CVariable* value = temporaries.RemoveHead();
        if (!value || hasVar(value) || !deleted.insert(value).second) continue;
        delete value;
    }
}
