#include "win/rcscript.h"
#include <algorithm>
#include <cctype>
#include <strings.h>
#include "win/bytestream.h"
#include "win/rcparser.h"

namespace cadhost::res {
namespace {
constexpr int kMaxExpressionDepth = 64;

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

NameOrId numbered(std::uint32_t n) { return numberedName(n); }
NameOrId named(const std::string& text) { return textName(text, true); }

std::string describe(const NameOrId& n) { return n.isText ? n.text : std::to_string(n.number); }

// Statements of the platform's syntax that this reader does not compile.
bool isUnsupportedStatement(const std::string& word) {
    static const char* const words[] = {"ACCELERATORS", "VERSIONINFO", "TOOLBAR", "MESSAGETABLE", "DLGINCLUDE",
                                        "FONT", "PLUGPLAY", "VXD", "ANICURSOR", "ANIICON", "TEXTINCLUDE"};
    for (const char* w : words)
        if (strcasecmp(w, word.c_str()) == 0) return true;
    return false;
}
}  // namespace

const RcToken& RcParser::peek(std::size_t ahead) const {
    std::size_t at = std::min(m_pos + ahead, m_src.tokens.size() - 1);
    return m_src.tokens[at];
}

RcToken RcParser::take() {
    RcToken t = peek();
    if (m_pos < m_src.tokens.size() - 1) ++m_pos;
    return t;
}

bool RcParser::isWord(const char* word, std::size_t ahead) const {
    const RcToken& t = peek(ahead);
    return t.kind == RcToken::Ident && strcasecmp(t.text.c_str(), word) == 0;
}

bool RcParser::isPunct(const char* p, std::size_t ahead) const {
    const RcToken& t = peek(ahead);
    return t.kind == RcToken::Punct && t.text == p;
}

bool RcParser::acceptPunct(const char* p) {
    if (!isPunct(p)) return false;
    take();
    return true;
}

void RcParser::expectComma(const char* what) {
    if (!acceptComma()) fail(std::string("expected ',' before ") + what);
}

void RcParser::expectBegin(const char* what) {
    if (!atBegin()) fail(std::string("expected BEGIN or '{' to open ") + what);
    take();
}

void RcParser::expectEnd(const char* what) {
    if (!atEnd()) fail(std::string("expected END or '}' to close ") + what);
    take();
}

void RcParser::fail(const std::string& message) const { failAt(peek(), message); }

void RcParser::failAt(const RcToken& t, const std::string& message) const {
    std::string found;
    switch (t.kind) {
    case RcToken::End: found = "the end of the script"; break;
    case RcToken::String: found = "a string"; break;
    case RcToken::Number: found = std::to_string(t.number); break;
    default: found = "'" + t.text + "'";
    }
    throw RcError(m_src.where(t) + ": " + message + " (at " + found + ")");
}

bool RcParser::atExpression() const {
    const RcToken& t = peek();
    return t.kind == RcToken::Number || isPunct("(") || isPunct("-") || isPunct("~") || isWord("NOT");
}

std::uint32_t RcParser::expression() { return orTerm(0); }

std::uint32_t RcParser::style(std::uint32_t base) {
    std::uint32_t value = base;
    do value = orOperand(value, 1);
    while (acceptPunct("|"));
    return value;
}

std::uint32_t RcParser::orOperand(std::uint32_t value, int depth) {
    if (!isWord("NOT")) return value | addTerm(depth + 1);
    take();
    return value & ~unaryTerm(depth + 1);
}

std::uint32_t RcParser::orTerm(int depth) {
    std::uint32_t value = unaryOrAdd(depth);
    while (acceptPunct("|")) value = orOperand(value, depth);
    return value;
}

std::uint32_t RcParser::unaryOrAdd(int depth) { return isWord("NOT") ? unaryTerm(depth + 1) : addTerm(depth + 1); }

std::uint32_t RcParser::addTerm(int depth) {
    std::uint32_t value = unaryTerm(depth + 1);
    for (;;) {
        if (acceptPunct("+")) value += unaryTerm(depth + 1);
        else if (acceptPunct("-")) value -= unaryTerm(depth + 1);
        else if (acceptPunct("&")) value &= unaryTerm(depth + 1);
        else return value;
    }
}

std::uint32_t RcParser::unaryTerm(int depth) {
    if (depth > kMaxExpressionDepth) fail("expression nests too deeply");
    const RcToken& t = peek();
    if (t.kind == RcToken::Number) return take().number;
    if (acceptPunct("-")) return 0u - unaryTerm(depth + 1);
    if (acceptPunct("~")) return ~unaryTerm(depth + 1);
    if (isWord("NOT")) {
        take();
        return ~unaryTerm(depth + 1);
    }
    if (acceptPunct("(")) {
        std::uint32_t v = orTerm(depth + 1);
        if (!acceptPunct(")")) fail("expected ')'");
        return v;
    }
    if (t.kind == RcToken::Ident) fail("unknown name '" + t.text + "' in an expression");
    fail("expected a number");
}

std::string RcParser::string(const char* what) {
    if (peek().kind != RcToken::String) fail(std::string("expected a quoted ") + what);
    std::string s;
    while (peek().kind == RcToken::String) s += take().text;
    return s;
}

NameOrId RcParser::nameOrId(const char* what) {
    if (peek().kind == RcToken::Ident && !isWord("NOT")) return named(take().text);
    if (peek().kind == RcToken::String) return named(take().text);
    if (!atExpression()) fail(std::string("expected ") + what);
    return numbered(expression() & 0xFFFF);
}

void RcParser::skipMemoryOptions() {
    static const char* const options[] = {"PRELOAD", "LOADONCALL", "FIXED", "MOVEABLE", "DISCARDABLE",
                                          "PURE", "IMPURE", "SHARED", "NONSHARED"};
    for (;;) {
        bool any = false;
        for (const char* o : options)
            if (isWord(o)) {
                take();
                any = true;
            }
        if (!any) return;
    }
}

void RcParser::language(std::uint16_t& lang) {
    take();
    std::uint32_t primary = expression();
    expectComma("the sublanguage");
    std::uint32_t sub = expression();
    lang = static_cast<std::uint16_t>(((sub & 0x3F) << 10) | (primary & 0x3FF));
}

bool RcParser::commonOption(std::uint16_t& lang) {
    if (isWord("LANGUAGE")) {
        language(lang);
        return true;
    }
    if (isWord("CHARACTERISTICS") || isWord("VERSION")) {
        take();
        expression();
        return true;
    }
    return false;
}

void RcParser::add(const NameOrId& type, const NameOrId& name, std::uint16_t lang, std::vector<unsigned char> data,
                   const RcToken& at) {
    for (const ResourceEntry& e : m_entries)
        if (e.type == type && e.name == name && e.language == lang)
            failAt(at, "duplicate resource " + describe(name) + " of type " + describe(type));
    ResourceEntry e;
    e.type = type;
    e.name = name;
    e.language = lang;
    e.data = std::move(data);
    m_entries.push_back(std::move(e));
}

void RcParser::stringTable() {
    take();
    skipMemoryOptions();
    std::uint16_t lang = m_language;
    while (commonOption(lang)) {
    }
    expectBegin("the string table");
    while (!atEnd()) {
        const RcToken at = peek();
        std::uint32_t id = expression() & 0xFFFF;
        acceptComma();
        std::string text = string("string");
        if (text.size() > 0xFFFF) failAt(at, "string " + std::to_string(id) + " is too long");
        auto& block = m_strings[{lang, (id >> 4) + 1}];
        auto& slot = block[id & 15];
        if (slot) failAt(at, "duplicate string id " + std::to_string(id));
        slot = std::move(text);
    }
    expectEnd("the string table");
}

std::string RcParser::namedFile(std::string& path) {
    const RcToken at = peek();
    std::string name = string("file name");
    std::replace(name.begin(), name.end(), '\\', '/');
    std::vector<std::string> candidates;
    if (!name.empty() && name[0] == '/') {
        candidates.push_back(name);
    } else {
        candidates.push_back(joinPath(folderOf(m_src.files[static_cast<std::size_t>(at.file)]), name));
        candidates.push_back(joinPath(folderOf(m_src.files[1]), name));
        for (const std::string& dir : m_options.includeDirs) candidates.push_back(joinPath(dir, name));
    }
    for (const std::string& candidate : candidates) {
        std::string bytes;
        bool found = m_options.readFile ? m_options.readFile(candidate, bytes) : readFileBytes(candidate, bytes);
        if (found) {
            path = candidate;
            m_dependencies.insert(candidate);
            return bytes;
        }
    }
    failAt(at, "cannot open file '" + name + "'");
}

// Raw data: a named file, or BEGIN numbers (16-bit, 32-bit with an L suffix) and strings END.
void RcParser::fileOrData(const NameOrId& name, const NameOrId& type) {
    const RcToken at = peek();
    std::uint16_t lang = m_language;
    while (commonOption(lang)) {
    }
    std::vector<unsigned char> data;
    if (peek().kind == RcToken::String) {
        std::string path;
        std::string bytes = namedFile(path);
        data.assign(bytes.begin(), bytes.end());
    } else if (atBegin()) {
        take();
        ByteWriter w;
        while (!atEnd()) {
            if (peek().kind == RcToken::String) {
                for (char c : take().text) w.u8(static_cast<unsigned char>(c));
            } else {
                w.u16(expression() & 0xFFFF);
            }
            acceptComma();
        }
        take();
        data = std::move(w.data());
    } else {
        fail("expected a quoted file name or BEGIN after the resource type " + describe(type));
    }
    add(type, name, lang, std::move(data), at);
}

void RcParser::parse(ResourceScript& out) {
    while (peek().kind != RcToken::End) {
        if (isWord("LANGUAGE")) {
            language(m_language);
            continue;
        }
        if (isWord("STRINGTABLE")) {
            stringTable();
            continue;
        }
        const RcToken start = peek();
        if (start.kind == RcToken::Punct && !atExpression()) fail("expected a resource name or a statement");
        NameOrId name = nameOrId("a resource name");
        const RcToken typeToken = peek();
        if (typeToken.kind == RcToken::End) failAt(start, "resource " + describe(name) + " has no type");
        if (typeToken.kind == RcToken::Ident) {
            std::string word = upper(typeToken.text);
            if (isUnsupportedStatement(word)) failAt(typeToken, "unsupported resource statement " + word);
            take();
            skipMemoryOptions();
            if (word == "DIALOG" || word == "DIALOGEX") dialog(name, word == "DIALOGEX");
            else if (word == "MENU" || word == "MENUEX") menu(name, word == "MENUEX");
            else if (word == "ICON" || word == "CURSOR") iconOrCursor(name, word == "CURSOR");
            else if (word == "BITMAP") bitmap(name);
            else if (word == "RCDATA") fileOrData(name, numbered(kTypeRcData));
            else if (word == "HTML") fileOrData(name, numbered(kTypeHtml));
            else if (word == "MANIFEST") fileOrData(name, numbered(kTypeManifest));
            else if (word == "DLGINIT") fileOrData(name, numbered(kTypeDlgInit));
            else if (peek().kind == RcToken::String || atBegin() || isWord("LANGUAGE")) fileOrData(name, named(word));
            else failAt(typeToken, "unknown statement " + word);
        } else if (typeToken.kind == RcToken::Number || isPunct("(")) {
            NameOrId type = numbered(expression() & 0xFFFF);
            if (type.number == kTypeString || type.number == 0)
                failAt(typeToken, "resource type " + describe(type) + " cannot be given as raw data");
            skipMemoryOptions();
            fileOrData(name, type);
        } else {
            failAt(typeToken, "expected a resource type after " + describe(name));
        }
    }
    // String tables: blocks of 16 strings, each a 16-bit length and its bytes.
    for (const auto& [key, strings] : m_strings) {
        ByteWriter w;
        for (const auto& s : strings) {
            w.u16(s ? static_cast<unsigned>(s->size()) : 0u);
            if (s)
                for (char c : *s) w.u8(static_cast<unsigned char>(c));
        }
        ResourceEntry e;
        e.type = numbered(kTypeString);
        e.name = numbered(key.second);
        e.language = key.first;
        e.data = std::move(w.data());
        m_entries.push_back(std::move(e));
    }
    out.entries = std::move(m_entries);
    out.dependencies.assign(m_src.files.begin() + 1, m_src.files.end());
    for (const std::string& d : m_dependencies)
        if (std::find(out.dependencies.begin(), out.dependencies.end(), d) == out.dependencies.end())
            out.dependencies.push_back(d);
}

bool readResourceScript(const std::string& path, const RcOptions& options, ResourceScript& out, std::string& error) {
    out = ResourceScript();
    try {
        RcSource source;
        preprocessScript(path, options, source);
        RcParser(source, options).parse(out);
        return true;
    } catch (const RcError& e) {
        error = e.what();
    } catch (const std::bad_alloc&) {
        error = path + ": out of memory";
    }
    out = ResourceScript();
    return false;
}

}  // namespace cadhost::res
