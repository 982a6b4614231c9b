// Menu templates of the resource script reader: MENU with item options, MENUEX with numbers.
#include <strings.h>
#include "win/rcparser.h"
#include "win/winstyles.h"

namespace cadhost::res {
namespace {
struct MenuOption {
    const char* word;
    std::uint32_t type;
    std::uint32_t state;
};
const MenuOption kOptions[] = {
    {"CHECKED", 0, MF_CHECKED},          {"GRAYED", 0, MF_GRAYED},         {"INACTIVE", 0, MF_DISABLED},
    {"MENUBARBREAK", MF_MENUBARBREAK, 0}, {"MENUBREAK", MF_MENUBREAK, 0}, {"HELP", MF_HELP, 0},
};
}  // namespace

void RcParser::menu(const NameOrId& name, bool extended) {
    const RcToken at = peek();
    MenuTemplate m;
    m.extended = extended;
    std::uint16_t lang = m_language;
    while (commonOption(lang)) {
    }
    if (extended && atExpression()) m.helpId = expression();
    expectBegin("the menu");
    menuItems(m.items, extended, 1);
    add(numberedName(kTypeMenu), name, lang, encodeMenu(m), at);
}

// The items up to the closing END (which is consumed).
void RcParser::menuItems(std::vector<MenuItem>& items, bool extended, int depth) {
    if (depth > kMaxMenuDepth) fail("menus nest too deeply");
    while (!atEnd()) {
        bool popup = isWord("POPUP");
        if (!popup && !isWord("MENUITEM")) fail("expected MENUITEM, POPUP or END");
        take();
        MenuItem item;
        item.popup = popup;
        if (!popup && isWord("SEPARATOR")) {
            take();
            item.type = MF_SEPARATOR;
            items.push_back(std::move(item));
            continue;
        }
        item.text = string("menu text");
        if (extended) {
            // MENUITEM text [, id [, type [, state]]]; POPUP text [, id [, type [, state [, help id]]]]
            std::uint32_t* fields[] = {nullptr, &item.type, &item.state, &item.helpId};
            for (int i = 0; i < (popup ? 4 : 3) && acceptComma(); ++i) {
                if (atEnd() || atBegin() || isWord("MENUITEM") || isWord("POPUP")) break;
                std::uint32_t value = expression();
                if (i == 0) item.id = static_cast<int>(value);
                else *fields[i] = value;
            }
        } else {
            if (!popup) {
                expectComma("the menu item's id");
                item.id = static_cast<int>(expression());
            }
            for (;;) {
                bool comma = acceptComma();
                const MenuOption* option = nullptr;
                for (const MenuOption& o : kOptions)
                    if (isWord(o.word)) option = &o;
                if (!option) {
                    if (comma) fail("expected a menu item option");
                    break;
                }
                take();
                item.type |= option->type;
                item.state |= option->state;
            }
        }
        if (popup) {
            expectBegin("the popup menu");
            menuItems(item.items, extended, depth + 1);
        }
        items.push_back(std::move(item));
    }
    take();
}

}  // namespace cadhost::res
