// The registry of dialog templates by module and id.
#include "win/dialogtemplates.h"
#include <strings.h>
#include <map>
#include <string>
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

namespace {
// Predefined control classes by the names resource scripts give them.
WORD classAtom(const std::string& name) {
    static const std::pair<const char*, WORD> atoms[] = {
        {"BUTTON", DLGATOM_BUTTON},       {"EDIT", DLGATOM_EDIT},         {"STATIC", DLGATOM_STATIC},
        {"LISTBOX", DLGATOM_LISTBOX},     {"SCROLLBAR", DLGATOM_SCROLLBAR}, {"COMBOBOX", DLGATOM_COMBOBOX}};
    for (const auto& [text, atom] : atoms)
        if (strcasecmp(name.c_str(), text) == 0) return atom;
    return 0;
}
}  // namespace

DialogTemplate cadhostDialogTemplateOf(const cadhost::res::DialogTemplate& compiled) {
    DialogTemplate t;
    t.style = compiled.style;
    t.exStyle = compiled.exStyle;
    t.x = static_cast<short>(compiled.x);
    t.y = static_cast<short>(compiled.y);
    t.cx = static_cast<short>(compiled.cx);
    t.cy = static_cast<short>(compiled.cy);
    t.caption = compiled.caption;
    if (compiled.windowClass.isText) t.className = compiled.windowClass.text;
    if (compiled.pointSize) {
        t.pointSize = static_cast<WORD>(compiled.pointSize);
        t.faceName = compiled.face;
        if (compiled.weight) t.weight = static_cast<WORD>(compiled.weight);
        t.italic = compiled.italic;
    }
    for (const cadhost::res::DialogControl& c : compiled.controls) {
        DialogItemTemplate item;
        if (c.windowClass.isText) {
            item.classAtom = classAtom(c.windowClass.text);
            if (!item.classAtom) item.className = c.windowClass.text;
        } else {
            item.classAtom = static_cast<WORD>(c.windowClass.number);
        }
        // An icon or bitmap named by number keeps the number as "#id", as the platform writes it.
        item.text = c.text.isText ? c.text.text : c.text.number ? "#" + std::to_string(c.text.number) : std::string();
        item.id = c.id;
        item.style = c.style;
        item.exStyle = c.exStyle;
        item.x = static_cast<short>(c.x);
        item.y = static_cast<short>(c.y);
        item.cx = static_cast<short>(c.cx);
        item.cy = static_cast<short>(c.cy);
        t.items.push_back(std::move(item));
    }
    return t;
}

const DialogTemplate* cadhostFindDialogTemplate(HINSTANCE module, UINT id) {
    auto& t = templates();
    auto it = t.find({module, id});
    if (it != t.end()) return &it->second;
    cadhost::res::DialogTemplate compiled;
    if (!module || !cadhostFindDialogTemplate(module, MAKEINTRESOURCE(id), compiled)) return nullptr;
    return &(t[{module, id}] = cadhostDialogTemplateOf(compiled));
}
