#pragma once
// State of the formula run in progress, shared by the interpreter and the formula functions.
#include <optional>
#include <vector>
#include "Variable.h"
#include "ge/vector.h"
#include "ZeftExport.h"

class ZEFTGripPoint;

// The grip point whose statements run and the arguments of the call being made. Between calls
// the arguments are an empty list, never a dangling one.
struct FormulaCallContext {
    ZEFTGripPoint* grip = nullptr;
    CVariableList* arguments = nullptr;
};

// Set when "cancel(" has been called; cleared at the start of each run.
ZEFT_API extern bool formulaCancelled;

// A null argument list stands for an empty one.
ZEFT_API void setFormulaContext(ZEFTGripPoint* grip, CVariableList* arguments);
ZEFT_API const FormulaCallContext& formulaCallContext();

// The current call's arguments by position, null entries kept. Functions read values through
// the typed accessors: a missing or null argument reads as empty, and the call then gives null;
// a value of another kind reads as that value's real, integer, text or point.
class ZEFT_API FormulaArguments {
public:
    FormulaArguments();

    int count() const { return static_cast<int>(m_items.size()); }
    bool empty() const { return m_items.empty(); }
    // Null past the end.
    CVariable* at(int index) const {
        return index >= 0 && index < count() ? m_items[static_cast<size_t>(index)] : nullptr;
    }
    CVariable* first() const { return at(0); }
    CVariable* last() const { return at(lastIndex()); }
    int lastIndex() const { return count() - 1; }
    // The first n arguments exist and none of them is null.
    bool present(int n) const;
    // No argument is null.
    bool noneNull() const;

    std::optional<double> real(int index) const;
    std::optional<int32_t> integer(int index) const;
    std::optional<CString> text(int index) const;
    std::optional<AcGePoint3d> point(int index) const;

private:
    std::vector<CVariable*> m_items;
};

// The warning a failed formula function gives: "An error occured in the function: " and the
// keyword.
ZEFT_API void showFormulaFailure(const char* keyword);
// Queues the host's undo ("_u ") on the current document, as "cancel(" does.
ZEFT_API void queueFormulaUndo();
