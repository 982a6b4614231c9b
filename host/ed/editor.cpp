#include "ed/editor.h"
#include "ed/lispfuncs.h"
#include "rx/dictionary.h"

ACRX_HOST_DEFINE_MEMBERS(AcEditorReactor, AcRxObject, "", ACRX_NO_CONS)
ACRX_HOST_DEFINE_MEMBERS(AcEditor, AcRxObject, "", ACRX_NO_CONS)

namespace {
// Kept in the system registry, which is never destroyed.
AcEditor* registeredEditor() {
    static AcEditor* editor = [] {
        auto* e = new AcEditor;
        if (AcRxObject* old = acrxSysRegistry()->atPut("AcEditor", e)) delete old;
        return e;
    }();
    return editor;
}
const bool g_editorRegistered = (registeredEditor(), true);
}  // namespace

AcEditor* acedEditorPtr() {
    (void)g_editorRegistered;
    return registeredEditor();
}

// A reactor deleted while still added takes itself out, so the editor never calls a dead one.
AcEditorReactor::~AcEditorReactor() {
    AcEditor* editor = acedEditorPtr();
    if (editor->hasReactor(this)) editor->removeReactor(this);
}

void AcEditor::addReactor(AcEditorReactor* reactor) {
    if (!reactor || hasReactor(reactor)) return;
    m_reactors.push_back(Entry{reactor, acedHostCurrentModule()});
}

void AcEditor::removeReactor(AcEditorReactor* reactor) {
    std::erase_if(m_reactors, [reactor](const Entry& e) { return e.reactor == reactor; });
}

bool AcEditor::hasReactor(const AcEditorReactor* reactor) const {
    return std::any_of(m_reactors.begin(), m_reactors.end(), [reactor](const Entry& e) { return e.reactor == reactor; });
}

int AcEditor::removeReactorsOf(void* module) {
    if (!module) return 0;
    return static_cast<int>(std::erase_if(m_reactors, [module](const Entry& e) { return e.module == module; }));
}
