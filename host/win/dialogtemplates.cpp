// The registry of dialog templates by module and id.
#include "win/dialogtemplates.h"
#include <map>
#include <utility>

namespace {
std::map<std::pair<HINSTANCE, UINT>, DialogTemplate>& templates() {
    static std::map<std::pair<HINSTANCE, UINT>, DialogTemplate> t;
    return t;
}
}  // namespace

void cadhostRegisterDialogTemplate(HINSTANCE module, UINT id, const DialogTemplate& dialogTemplate) {
    templates()[{module, id}] = dialogTemplate;
}

void cadhostUnregisterDialogTemplates(HINSTANCE module) {
    auto& t = templates();
    for (auto it = t.begin(); it != t.end();) it = it->first.first == module ? t.erase(it) : std::next(it);
}

const DialogTemplate* cadhostFindDialogTemplate(HINSTANCE module, UINT id) {
    auto it = templates().find({module, id});
    return it == templates().end() ? nullptr : &it->second;
}
