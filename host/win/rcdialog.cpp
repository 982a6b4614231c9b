// Dialog templates of the resource script reader.
#include <strings.h>
#include "win/rcparser.h"
#include "win/winstyles.h"

namespace cadhost::res {
namespace {

enum class Operands { TextFirst, NoText, Icon, Control };

struct ControlKind {
    const char* keyword;
    const char* windowClass;
    std::uint32_t style;  // besides WS_CHILD | WS_VISIBLE
    Operands operands;
};

const ControlKind kControls[] = {
    {"LTEXT", "STATIC", SS_LEFT | WS_GROUP, Operands::TextFirst},
    {"RTEXT", "STATIC", SS_RIGHT | WS_GROUP, Operands::TextFirst},
    {"CTEXT", "STATIC", SS_CENTER | WS_GROUP, Operands::TextFirst},
    {"PUSHBUTTON", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, Operands::TextFirst},
    {"DEFPUSHBUTTON", "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, Operands::TextFirst},
    {"PUSHBOX", "BUTTON", BS_PUSHBOX | WS_TABSTOP, Operands::TextFirst},
    {"CHECKBOX", "BUTTON", BS_CHECKBOX | WS_TABSTOP, Operands::TextFirst},
    {"AUTOCHECKBOX", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, Operands::TextFirst},
    {"STATE3", "BUTTON", BS_3STATE | WS_TABSTOP, Operands::TextFirst},
    {"AUTO3STATE", "BUTTON", BS_AUTO3STATE | WS_TABSTOP, Operands::TextFirst},
    {"RADIOBUTTON", "BUTTON", BS_RADIOBUTTON | WS_TABSTOP, Operands::TextFirst},
    {"AUTORADIOBUTTON", "BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, Operands::TextFirst},
    {"GROUPBOX", "BUTTON", BS_GROUPBOX, Operands::TextFirst},
    {"EDITTEXT", "EDIT", ES_LEFT | WS_BORDER | WS_TABSTOP, Operands::NoText},
    {"COMBOBOX", "COMBOBOX", CBS_SIMPLE | WS_TABSTOP, Operands::NoText},
    {"LISTBOX", "LISTBOX", LBS_NOTIFY | WS_BORDER, Operands::NoText},
    {"SCROLLBAR", "SCROLLBAR", SBS_HORZ, Operands::NoText},
    {"ICON", "STATIC", SS_ICON, Operands::Icon},
    {"CONTROL", "", 0, Operands::Control},
};

// The predefined window classes, by the names a CONTROL statement may give them.
NameOrId controlClass(const std::string& given) {
    for (const char* known : {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"})
        if (strcasecmp(known, given.c_str()) == 0) return textName(known, false);
    return textName(given, false);
}

}  // namespace

void RcParser::dialog(const NameOrId& name, bool extended) {
    const RcToken at = peek();
    DialogTemplate d;
    d.extended = extended;
    d.x = static_cast<int>(expression());
    expectComma("the dialog's y");
    d.y = static_cast<int>(expression());
    expectComma("the dialog's width");
    d.cx = static_cast<int>(expression());
    expectComma("the dialog's height");
    d.cy = static_cast<int>(expression());
    if (extended && acceptComma()) d.helpId = expression();
    std::uint16_t lang = m_language;
    bool styled = false, captioned = false;
    std::uint32_t given = 0;
    while (!atBegin()) {
        if (commonOption(lang)) continue;
        const RcToken word = peek();
        if (word.kind != RcToken::Ident) fail("expected a dialog option or BEGIN");
        take();
        if (strcasecmp(word.text.c_str(), "STYLE") == 0) {
            given = style(0);
            styled = true;
        } else if (strcasecmp(word.text.c_str(), "EXSTYLE") == 0) {
            d.exStyle = style(0);
        } else if (strcasecmp(word.text.c_str(), "CAPTION") == 0) {
            d.caption = string("caption");
            captioned = true;
        } else if (strcasecmp(word.text.c_str(), "FONT") == 0) {
            d.pointSize = expression() & 0xFFFF;
            expectComma("the font's face");
            d.face = string("font face");
            if (acceptComma()) {
                d.weight = expression() & 0xFFFF;
                if (acceptComma()) d.italic = expression() != 0;
                if (acceptComma()) d.charset = expression() & 0xFF;
            }
        } else if (strcasecmp(word.text.c_str(), "MENU") == 0) {
            d.menu = nameOrId("a menu name");
        } else if (strcasecmp(word.text.c_str(), "CLASS") == 0) {
            d.windowClass = nameOrId("a window class");
        } else {
            failAt(word, "unknown dialog option " + word.text);
        }
    }
    d.style = styled ? given : WS_POPUP | WS_BORDER | WS_SYSMENU;
    if (captioned) d.style |= WS_CAPTION;
    if (d.pointSize) d.style |= DS_SETFONT;
    take();
    while (!atEnd()) {
        const RcToken keyword = peek();
        if (keyword.kind != RcToken::Ident) fail("expected a control statement or END");
        take();
        control(d, keyword);
    }
    take();
    add(numberedName(kTypeDialog), name, lang, encodeDialog(d), at);
}

void RcParser::control(DialogTemplate& d, const RcToken& keyword) {
    const ControlKind* kind = nullptr;
    for (const ControlKind& k : kControls)
        if (strcasecmp(k.keyword, keyword.text.c_str()) == 0) kind = &k;
    if (!kind) failAt(keyword, "unknown control statement " + keyword.text);
    DialogControl c;
    std::uint32_t base = WS_CHILD | WS_VISIBLE | kind->style;
    if (kind->operands != Operands::NoText) {
        if (peek().kind == RcToken::String) c.text = textName(string("text"), false);
        else c.text = nameOrId("the control's text");
        expectComma("the control's id");
    }
    c.id = static_cast<int>(expression());
    if (kind->operands == Operands::Control) {
        expectComma("the control's class");
        if (peek().kind == RcToken::String) c.windowClass = controlClass(string("class"));
        else if (peek().kind == RcToken::Ident) c.windowClass = controlClass(take().text);
        else fail("expected the control's class");
        expectComma("the control's style");
        c.style = style(WS_CHILD | WS_VISIBLE);
    } else {
        c.windowClass = textName(kind->windowClass, false);
    }
    expectComma("the control's x");
    c.x = static_cast<int>(expression());
    expectComma("the control's y");
    c.y = static_cast<int>(expression());
    bool sized = kind->operands != Operands::Icon;
    if (sized) expectComma("the control's width");
    if (sized || acceptComma()) {
        c.cx = static_cast<int>(expression());
        expectComma("the control's height");
        c.cy = static_cast<int>(expression());
    }
    if (kind->operands == Operands::Control) {
        if (acceptComma()) c.exStyle = style(0);
    } else {
        c.style = base;
        if (acceptComma()) {
            c.style = style(base);
            if (acceptComma()) c.exStyle = style(0);
        }
    }
    if (acceptComma()) {
        if (!d.extended) fail("a help id needs DIALOGEX");
        c.helpId = expression();
    }
    d.controls.push_back(std::move(c));
}

}  // namespace cadhost::res
