#pragma once
// The statement parser of the resource script reader (rcscript.cpp, rcdialog.cpp, rcmenu.cpp).
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include "win/rcscript.h"

namespace cadhost::res {

inline NameOrId numberedName(std::uint32_t n) {
    NameOrId id;
    id.number = n;
    return id;
}

// A text name as given (window classes, control texts) or upper-cased (resource names and types).
inline NameOrId textName(const std::string& text, bool upperCase) {
    NameOrId id;
    id.isText = true;
    id.text = text;
    if (upperCase)
        for (char& c : id.text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return id;
}

class RcParser {
public:
    RcParser(RcSource& source, const RcOptions& options) : m_src(source), m_options(options) {}
    void parse(ResourceScript& out);

private:
    // Tokens.
    const RcToken& peek(std::size_t ahead = 0) const;
    RcToken take();
    bool isWord(const char* word, std::size_t ahead = 0) const;  // an identifier, any case
    bool isPunct(const char* p, std::size_t ahead = 0) const;
    bool acceptPunct(const char* p);
    bool acceptComma() { return acceptPunct(","); }
    void expectComma(const char* what);
    bool atBegin() const { return isWord("BEGIN") || isPunct("{"); }
    bool atEnd() const { return isWord("END") || isPunct("}"); }
    void expectBegin(const char* what);
    void expectEnd(const char* what);
    [[noreturn]] void fail(const std::string& message) const;
    [[noreturn]] void failAt(const RcToken& t, const std::string& message) const;

    // Values.
    std::uint32_t expression();                 // | + - & ~ NOT and parentheses
    std::uint32_t style(std::uint32_t base);    // OR-ed onto base; NOT clears bits of it
    std::uint32_t orTerm(int depth);
    std::uint32_t orOperand(std::uint32_t value, int depth);  // one operand after '|'
    std::uint32_t unaryOrAdd(int depth);
    std::uint32_t addTerm(int depth);
    std::uint32_t unaryTerm(int depth);
    bool atExpression() const;
    std::string string(const char* what);       // adjacent strings are joined
    NameOrId nameOrId(const char* what);
    void skipMemoryOptions();
    // LANGUAGE, CHARACTERISTICS, VERSION before a block; answers the language.
    bool commonOption(std::uint16_t& language);

    // Statements.
    void language(std::uint16_t& language);
    void stringTable();
    void dialog(const NameOrId& name, bool extended);
    void control(DialogTemplate& dialog, const RcToken& keyword);
    void menu(const NameOrId& name, bool extended);
    void menuItems(std::vector<MenuItem>& items, bool extended, int depth);
    void fileOrData(const NameOrId& name, const NameOrId& type);
    void iconOrCursor(const NameOrId& name, bool cursor);
    void bitmap(const NameOrId& name);
    std::string namedFile(std::string& path);
    void add(const NameOrId& type, const NameOrId& name, std::uint16_t language, std::vector<unsigned char> data,
             const RcToken& at);

    RcSource& m_src;
    const RcOptions& m_options;
    std::size_t m_pos = 0;
    std::uint16_t m_language = 0;
    std::uint32_t m_nextImageId = 1;
    std::vector<ResourceEntry> m_entries;
    std::set<std::string> m_dependencies;
    std::map<std::pair<std::uint16_t, std::uint32_t>, std::array<std::optional<std::string>, 16>> m_strings;
};

}  // namespace cadhost::res
