#include "FormulaContext.h"
#include "ed/docman.h"
#include "ed/prompts.h"

bool formulaCancelled = false;

namespace {
CVariableList g_noArguments;
FormulaCallContext g_context{nullptr, &g_noArguments};
}  // namespace

void setFormulaContext(ZEFTGripPoint* grip, CVariableList* arguments) {
    g_context.grip = grip;
    g_context.arguments = arguments ? arguments : &g_noArguments;
}

const FormulaCallContext& formulaCallContext() { return g_context; }

FormulaArguments::FormulaArguments() {
    const CVariableList* list = g_context.arguments;
    if (!list) return;
    m_items.reserve(static_cast<size_t>(list->GetCount()));
    for (POSITION pos = list->GetHeadPosition(); pos;) m_items.push_back(list->GetNext(pos));
}

bool FormulaArguments::present(int n) const {
    if (count() < n) return false;
    for (int i = 0; i < n; ++i)
        if (!m_items[static_cast<size_t>(i)]) return false;
    return true;
}

bool FormulaArguments::noneNull() const { return present(count()); }

std::optional<double> FormulaArguments::real(int index) const {
    const CVariable* value = at(index);
    return value ? std::optional<double>(value->GetReal()) : std::nullopt;
}

std::optional<int32_t> FormulaArguments::integer(int index) const {
    const CVariable* value = at(index);
    return value ? std::optional<int32_t>(value->GetInt()) : std::nullopt;
}

std::optional<CString> FormulaArguments::text(int index) const {
    const CVariable* value = at(index);
    return value ? std::optional<CString>(value->GetString()) : std::nullopt;
}

std::optional<AcGePoint3d> FormulaArguments::point(int index) const {
    const CVariable* value = at(index);
    if (!value) return std::nullopt;
    return AcGePoint3d(value->point[0], value->point[1], value->point[2]);
}

// The host's alert box is its warning box with an OK button.
void showFormulaFailure(const char* keyword) {
    const CString text = CString("An error occured in the function: ") + (keyword ? keyword : "");
    acedAlert(text);
}

void queueFormulaUndo() {
    AcApDocManager* manager = acDocManager;
    AcApDocument* document = manager ? manager->curDocument() : nullptr;
    if (!document) return;
    manager->sendStringToExecute(document, "_u ", false, true, false);
}
