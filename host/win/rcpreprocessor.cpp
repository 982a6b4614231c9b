#include "win/rcpreprocessor.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include "win/winstyles.h"

namespace cadhost::res {
namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr std::size_t kMaxTokens = 200'000;
constexpr int kMaxExpressionDepth = 64;

// Platform headers a script includes for the names the reader already knows.
bool isBuiltInHeader(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    name = name.substr(name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    static const std::set<std::string> headers = {"windows.h", "winres.h", "winresrc.h", "afxres.h", "commctrl.h",
                                                  "winuser.h", "winuser.rh", "commctrl.rh", "dlgs.h", "richedit.h",
                                                  "verrsrc.h", "winver.h"};
    return headers.count(name) != 0;
}

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

struct Macro {
    std::vector<RcToken> body;
};

// Tokenizes one span of text; reports the line of every token.
class Lexer {
public:
    Lexer(const std::string& text, std::size_t pos, std::size_t end, int file, int line,
          const std::function<std::string(int)>& where)
        : m_text(text), m_pos(pos), m_end(end), m_file(file), m_line(line), m_where(where) {}

    int line() const { return m_line; }
    std::size_t pos() const { return m_pos; }

    // Skips blanks and comments; stops before a newline when stopAtNewline.
    void skipSpace(bool stopAtNewline) {
        while (m_pos < m_end) {
            char c = m_text[m_pos];
            if (c == '\n') {
                if (stopAtNewline) return;
                ++m_line;
                ++m_pos;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (c == '/' && m_pos + 1 < m_end && m_text[m_pos + 1] == '/') {
                while (m_pos < m_end && m_text[m_pos] != '\n') ++m_pos;
            } else if (c == '/' && m_pos + 1 < m_end && m_text[m_pos + 1] == '*') {
                int startLine = m_line;
                m_pos += 2;
                while (m_pos < m_end && !(m_text[m_pos] == '*' && m_pos + 1 < m_end && m_text[m_pos + 1] == '/')) {
                    if (m_text[m_pos] == '\n') ++m_line;
                    ++m_pos;
                }
                if (m_pos >= m_end) fail(startLine, "unterminated comment");
                m_pos += 2;
            } else {
                return;
            }
        }
    }

    bool atLineEnd() {
        skipSpace(true);
        return m_pos >= m_end || m_text[m_pos] == '\n';
    }

    // The next token; End at the end of the span (or of the line when stopAtNewline).
    RcToken next(bool stopAtNewline) {
        skipSpace(stopAtNewline);
        RcToken t;
        t.file = m_file;
        t.line = m_line;
        if (m_pos >= m_end || m_text[m_pos] == '\n') return t;
        char c = m_text[m_pos];
        if ((c == 'L' || c == 'l') && m_pos + 1 < m_end && m_text[m_pos + 1] == '"') {
            ++m_pos;
            c = '"';
        }
        if (c == '"') {
            t.kind = RcToken::String;
            t.text = readString();
        } else if (identStart(c)) {
            t.kind = RcToken::Ident;
            std::size_t start = m_pos;
            while (m_pos < m_end && identChar(m_text[m_pos])) ++m_pos;
            t.text = m_text.substr(start, m_pos - start);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = RcToken::Number;
            t.number = readNumber();
        } else {
            t.kind = RcToken::Punct;
            static const char* const pairs[] = {"&&", "||", "==", "!=", "<=", ">=", "<<", ">>"};
            t.text = std::string(1, c);
            for (const char* p : pairs)
                if (m_pos + 1 < m_end && c == p[0] && m_text[m_pos + 1] == p[1]) t.text = p;
            m_pos += t.text.size();
        }
        return t;
    }

    [[noreturn]] void fail(int line, const std::string& message) const {
        throw RcError(m_where(m_file) + ":" + std::to_string(line) + ": " + message);
    }

private:
    std::uint32_t readNumber() {
        std::uint32_t value = 0;
        if (m_text[m_pos] == '0' && m_pos + 1 < m_end && (m_text[m_pos + 1] == 'x' || m_text[m_pos + 1] == 'X')) {
            m_pos += 2;
            if (m_pos >= m_end || !std::isxdigit(static_cast<unsigned char>(m_text[m_pos])))
                fail(m_line, "malformed hexadecimal number");
            while (m_pos < m_end && std::isxdigit(static_cast<unsigned char>(m_text[m_pos]))) {
                char d = static_cast<char>(std::tolower(static_cast<unsigned char>(m_text[m_pos++])));
                value = value * 16 + static_cast<std::uint32_t>(d <= '9' ? d - '0' : d - 'a' + 10);
            }
        } else {
            while (m_pos < m_end && std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
                value = value * 10 + static_cast<std::uint32_t>(m_text[m_pos++] - '0');
        }
        while (m_pos < m_end && std::strchr("lLuU", m_text[m_pos]) && m_text[m_pos]) ++m_pos;
        if (m_pos < m_end && identChar(m_text[m_pos])) fail(m_line, "malformed number");
        return value;
    }

    std::string readString() {
        int startLine = m_line;
        ++m_pos;
        std::string s;
        for (;;) {
            if (m_pos >= m_end || m_text[m_pos] == '\n') fail(startLine, "unterminated string");
            char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_end && m_text[m_pos] == '"') {
                    s += '"';
                    ++m_pos;
                    continue;
                }
                return s;
            }
            if (c != '\\' || m_pos >= m_end) {
                s += c;
                continue;
            }
            char e = m_text[m_pos++];
            switch (e) {
            case 'n': s += '\n'; break;
            case 't': s += '\t'; break;
            case 'r': s += '\r'; break;
            case 'a': s += '\a'; break;
            case '\\': s += '\\'; break;
            case '"': s += '"'; break;
            case 'x':
            case 'X': {
                unsigned v = 0;
                int digits = 0;
                while (digits < 2 && m_pos < m_end && std::isxdigit(static_cast<unsigned char>(m_text[m_pos]))) {
                    char d = static_cast<char>(std::tolower(static_cast<unsigned char>(m_text[m_pos++])));
                    v = v * 16 + static_cast<unsigned>(d <= '9' ? d - '0' : d - 'a' + 10);
                    ++digits;
                }
                if (!digits) fail(m_line, "\\x without hexadecimal digits");
                s += static_cast<char>(v);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned v = static_cast<unsigned>(e - '0');
                    for (int digits = 1; digits < 3 && m_pos < m_end && m_text[m_pos] >= '0' && m_text[m_pos] <= '7';
                         ++digits)
                        v = v * 8 + static_cast<unsigned>(m_text[m_pos++] - '0');
                    s += static_cast<char>(v & 0xFF);
                } else if (e == '\n') {
                    fail(startLine, "unterminated string");
                } else {
                    s += '\\';
                    s += e;
                }
            }
        }
    }

    const std::string& m_text;
    std::size_t m_pos;
    std::size_t m_end;
    int m_file;
    int m_line;
    const std::function<std::string(int)>& m_where;
};

struct Conditional {
    bool parentActive;
    bool active;
    bool taken;
    bool seenElse;
};

class Preprocessor {
public:
    Preprocessor(const RcOptions& options, RcSource& out) : m_options(options), m_out(out) {
        m_where = [this](int file) { return m_out.files[static_cast<std::size_t>(file)]; };
        auto number = [](long long v) {
            RcToken t;
            t.kind = RcToken::Number;
            t.number = static_cast<std::uint32_t>(v);
            return t;
        };
#define CADHOST_PREDEFINE(name, value) m_macros[#name].body = {number(static_cast<long long>(value))};
        CADHOST_STYLE_CONSTANTS(CADHOST_PREDEFINE)
        CADHOST_ID_CONSTANTS(CADHOST_PREDEFINE)
#undef CADHOST_PREDEFINE
        m_macros["RC_INVOKED"].body = {number(1)};
        m_out.files.push_back("<command line>");
        for (const auto& [name, value] : options.defines) define(name, value, 0, 0);
    }

    void run(const std::string& path) {
        std::string text;
        if (!read(path, text)) throw RcError(path + ": cannot open the resource script");
        processFile(path, text, 0);
        if (!m_conditionals.empty()) throw RcError(path + ": #if without #endif");
        RcToken end;
        end.file = 1;
        end.line = m_lastLine;
        m_out.tokens.push_back(end);
    }

private:
    bool read(const std::string& path, std::string& text) {
        return m_options.readFile ? m_options.readFile(path, text) : readFileBytes(path, text);
    }

    bool active() const { return m_conditionals.empty() || m_conditionals.back().active; }

    void processFile(const std::string& path, const std::string& text, int depth) {
        int file = static_cast<int>(m_out.files.size());
        m_out.files.push_back(path);
        std::size_t conditionalsAtStart = m_conditionals.size();
        std::size_t pos = 0;
        int line = 1;
        while (pos < text.size()) {
            // One logical line: up to a newline outside block comments.
            Lexer lexer(text, pos, text.size(), file, line, m_where);
            lexer.skipSpace(true);
            std::size_t start = lexer.pos();
            if (start < text.size() && text[start] == '#') {
                std::size_t end = start;
                std::string directive;
                int directiveLine = lexer.line();
                int lines = 0;
                while (end < text.size() && text[end] != '\n') {
                    if (text[end] == '\\' && end + 1 < text.size() && text[end + 1] == '\n') {
                        directive += ' ';
                        end += 2;
                        ++lines;
                        continue;
                    }
                    directive += text[end++];
                }
                handleDirective(directive.substr(1), file, directiveLine, path, depth);
                line = directiveLine + lines;
                pos = end;
                continue;
            }
            if (!active()) {
                while (start < text.size() && text[start] != '\n') ++start;
                line = lexer.line();
                pos = start;
                if (pos < text.size()) {
                    ++pos;
                    ++line;
                }
                continue;
            }
            for (;;) {
                RcToken t = lexer.next(true);
                if (t.kind == RcToken::End) break;
                emit(t, 0);
            }
            line = lexer.line();
            pos = lexer.pos();
            if (pos < text.size()) {
                ++pos;  // the newline
                ++line;
            }
        }
        m_lastLine = line;
        if (m_conditionals.size() != conditionalsAtStart)
            throw RcError(path + ":" + std::to_string(line) + ": #if without #endif");
    }

    void emit(const RcToken& t, int depth) {
        if (m_out.tokens.size() >= kMaxTokens) throw RcError(m_where(t.file) + ":" + std::to_string(t.line) +
                                                             ": the script expands to too many tokens");
        if (t.kind == RcToken::Ident) {
            auto it = m_macros.find(t.text);
            if (it != m_macros.end() && !m_expanding.count(t.text)) {
                if (depth > 64)
                    throw RcError(m_where(t.file) + ":" + std::to_string(t.line) + ": macros nest too deeply");
                m_expanding.insert(t.text);
                for (RcToken b : it->second.body) {
                    b.file = t.file;
                    b.line = t.line;
                    emit(b, depth + 1);
                }
                m_expanding.erase(t.text);
                return;
            }
        }
        m_out.tokens.push_back(t);
    }

    [[noreturn]] void fail(int file, int line, const std::string& message) const {
        throw RcError(m_where(file) + ":" + std::to_string(line) + ": " + message);
    }

    void define(const std::string& name, const std::string& value, int file, int line) {
        if (name.empty() || !identStart(name[0]) ||
            !std::all_of(name.begin(), name.end(), [](char c) { return identChar(c); }))
            fail(file, line, "malformed macro name '" + name + "'");
        Macro m;
        Lexer lexer(value, 0, value.size(), file, line, m_where);
        for (RcToken t = lexer.next(false); t.kind != RcToken::End; t = lexer.next(false)) m.body.push_back(t);
        m_macros[name] = std::move(m);
    }

    void handleDirective(const std::string& directive, int file, int line, const std::string& path, int depth) {
        Lexer lexer(directive, 0, directive.size(), file, line, m_where);
        RcToken word = lexer.next(false);
        if (word.kind == RcToken::End) return;  // a lone '#'
        if (word.kind != RcToken::Ident) fail(file, line, "malformed directive");
        const std::string& name = word.text;
        if (name == "ifdef" || name == "ifndef") {
            RcToken id = lexer.next(false);
            if (id.kind != RcToken::Ident) fail(file, line, "#" + name + " needs a name");
            bool defined = m_macros.count(id.text) != 0;
            push(name == "ifdef" ? defined : !defined);
            return;
        }
        if (name == "if") {
            push(active() && evaluate(lexer, file, line) != 0);
            return;
        }
        if (name == "elif" || name == "else" || name == "endif") {
            if (m_conditionals.empty()) fail(file, line, "#" + name + " without #if");
            Conditional& c = m_conditionals.back();
            if (name == "endif") {
                m_conditionals.pop_back();
            } else if (c.seenElse) {
                fail(file, line, "#" + name + " after #else");
            } else if (name == "else") {
                c.seenElse = true;
                c.active = c.parentActive && !c.taken;
                c.taken = true;
            } else {
                bool value = c.parentActive && !c.taken && evaluate(lexer, file, line) != 0;
                c.active = value;
                c.taken = c.taken || value;
            }
            return;
        }
        if (!active()) return;
        if (name == "define") {
            RcToken id = lexer.next(false);
            if (id.kind != RcToken::Ident) fail(file, line, "#define needs a name");
            std::size_t after = lexer.pos();
            if (after < directive.size() && directive[after] == '(')
                fail(file, line, "macros with arguments are not supported ('" + id.text + "')");
            define(id.text, directive.substr(after), file, line);
        } else if (name == "undef") {
            RcToken id = lexer.next(false);
            if (id.kind != RcToken::Ident) fail(file, line, "#undef needs a name");
            m_macros.erase(id.text);
        } else if (name == "include") {
            include(lexer, directive, file, line, path, depth);
        } else if (name == "pragma") {
            // code_page and the like: the reader keeps bytes as they are.
        } else if (name == "error") {
            fail(file, line, "#error" + directive.substr(lexer.pos()));
        } else {
            fail(file, line, "unknown directive #" + name);
        }
    }

    void push(bool value) {
        bool parent = active();
        m_conditionals.push_back({parent, parent && value, parent && value, false});
    }

    void include(Lexer& lexer, const std::string& directive, int file, int line, const std::string& path,
                 int depth) {
        lexer.skipSpace(false);
        std::size_t at = lexer.pos();
        std::string name;
        if (at < directive.size() && directive[at] == '<') {
            std::size_t close = directive.find('>', at);
            if (close == std::string::npos) fail(file, line, "#include <name> without '>'");
            name = directive.substr(at + 1, close - at - 1);
        } else {
            RcToken t = lexer.next(false);
            if (t.kind != RcToken::String) fail(file, line, "#include needs a file name");
            // The file name is taken as written: backslashes separate folders.
            std::size_t close = directive.find('"', at + 1);
            name = directive.substr(at + 1, close - at - 1);
        }
        std::replace(name.begin(), name.end(), '\\', '/');
        if (depth + 1 > kMaxIncludeDepth) fail(file, line, "#include nests too deeply");
        std::vector<std::string> candidates;
        if (!name.empty() && name[0] == '/') {
            candidates.push_back(name);
        } else {
            candidates.push_back(joinPath(folderOf(path), name));
            for (const std::string& dir : m_options.includeDirs) candidates.push_back(joinPath(dir, name));
        }
        for (const std::string& candidate : candidates) {
            std::string text;
            if (read(candidate, text)) {
                processFile(candidate, text, depth + 1);
                return;
            }
        }
        if (isBuiltInHeader(name)) return;
        fail(file, line, "cannot open include file '" + name + "'");
    }

    // #if expressions: numbers, names (undefined ones are 0), defined(NAME), C operators.
    long long evaluate(Lexer& lexer, int file, int line) {
        std::vector<RcToken> tokens;
        for (RcToken t = lexer.next(false); t.kind != RcToken::End; t = lexer.next(false)) {
            if (t.kind == RcToken::Ident && t.text == "defined") {
                RcToken id = lexer.next(false);
                bool paren = id.kind == RcToken::Punct && id.text == "(";
                if (paren) id = lexer.next(false);
                if (id.kind != RcToken::Ident) fail(file, line, "defined needs a name");
                if (paren && lexer.next(false).text != ")") fail(file, line, "defined( without ')'");
                RcToken v;
                v.kind = RcToken::Number;
                v.number = m_macros.count(id.text) ? 1 : 0;
                tokens.push_back(v);
                continue;
            }
            expandInto(t, tokens, 0, file, line);
        }
        RcToken end;
        tokens.push_back(end);
        std::size_t pos = 0;
        long long value = condExpr(tokens, pos, 0, file, line);
        if (tokens[pos].kind != RcToken::End) fail(file, line, "malformed #if expression");
        return value;
    }

    void expandInto(const RcToken& t, std::vector<RcToken>& out, int depth, int file, int line) {
        if (out.size() > 10000) fail(file, line, "#if expression too long");
        auto it = t.kind == RcToken::Ident ? m_macros.find(t.text) : m_macros.end();
        if (it == m_macros.end() || m_expanding.count(t.text) || depth > 64) {
            out.push_back(t);
            return;
        }
        m_expanding.insert(t.text);
        for (const RcToken& b : it->second.body) expandInto(b, out, depth + 1, file, line);
        m_expanding.erase(t.text);
    }

    // Binary operators by precedence, lowest first.
    long long condExpr(const std::vector<RcToken>& t, std::size_t& pos, int level, int file, int line) {
        static const std::vector<std::vector<std::string>> levels = {
            {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<", ">", "<=", ">="}, {"<<", ">>"}, {"+", "-"},
            {"*", "/", "%"}};
        if (level >= static_cast<int>(levels.size())) return unary(t, pos, 0, file, line);
        long long value = condExpr(t, pos, level + 1, file, line);
        for (;;) {
            const RcToken& op = t[pos];
            const auto& ops = levels[static_cast<std::size_t>(level)];
            if (op.kind != RcToken::Punct || std::find(ops.begin(), ops.end(), op.text) == ops.end()) return value;
            ++pos;
            long long rhs = condExpr(t, pos, level + 1, file, line);
            const std::string& o = op.text;
            if (o == "||") value = value || rhs;
            else if (o == "&&") value = value && rhs;
            else if (o == "|") value |= rhs;
            else if (o == "^") value ^= rhs;
            else if (o == "&") value &= rhs;
            else if (o == "==") value = value == rhs;
            else if (o == "!=") value = value != rhs;
            else if (o == "<") value = value < rhs;
            else if (o == ">") value = value > rhs;
            else if (o == "<=") value = value <= rhs;
            else if (o == ">=") value = value >= rhs;
            else if (o == "<<") value = static_cast<long long>(static_cast<unsigned long long>(value) << (rhs & 63));
            else if (o == ">>") value = static_cast<long long>(static_cast<unsigned long long>(value) >> (rhs & 63));
            else if (o == "+") value = static_cast<long long>(static_cast<unsigned long long>(value) + static_cast<unsigned long long>(rhs));
            else if (o == "-") value = static_cast<long long>(static_cast<unsigned long long>(value) - static_cast<unsigned long long>(rhs));
            else if (o == "*") value = static_cast<long long>(static_cast<unsigned long long>(value) * static_cast<unsigned long long>(rhs));
            else if (rhs == 0) fail(file, line, "division by zero in #if");
            else if (rhs == -1) value = o == "/" ? static_cast<long long>(0 - static_cast<unsigned long long>(value)) : 0;
            else value = o == "/" ? value / rhs : value % rhs;
        }
    }

    long long unary(const std::vector<RcToken>& t, std::size_t& pos, int depth, int file, int line) {
        if (depth > kMaxExpressionDepth) fail(file, line, "#if expression nests too deeply");
        const RcToken& tok = t[pos];
        if (tok.kind == RcToken::Number) {
            ++pos;
            return tok.number;
        }
        if (tok.kind == RcToken::Ident) {  // a name without a definition
            ++pos;
            return 0;
        }
        if (tok.kind == RcToken::Punct) {
            ++pos;
            if (tok.text == "!") return !unary(t, pos, depth + 1, file, line);
            if (tok.text == "~") return ~unary(t, pos, depth + 1, file, line);
            if (tok.text == "-")
                return static_cast<long long>(0 - static_cast<unsigned long long>(unary(t, pos, depth + 1, file, line)));
            if (tok.text == "+") return unary(t, pos, depth + 1, file, line);
            if (tok.text == "(") {
                if (++m_parenDepth > kMaxExpressionDepth) fail(file, line, "#if expression nests too deeply");
                long long v = condExpr(t, pos, 0, file, line);
                --m_parenDepth;
                if (t[pos].kind != RcToken::Punct || t[pos].text != ")") fail(file, line, "missing ')' in #if");
                ++pos;
                return v;
            }
        }
        fail(file, line, "malformed #if expression");
    }

    const RcOptions& m_options;
    RcSource& m_out;
    std::function<std::string(int)> m_where;
    std::map<std::string, Macro> m_macros;
    std::set<std::string> m_expanding;
    std::vector<Conditional> m_conditionals;
    int m_lastLine = 1;
    int m_parenDepth = 0;
};

}  // namespace

std::string RcSource::where(const RcToken& t) const {
    std::string file = t.file >= 0 && static_cast<std::size_t>(t.file) < files.size() ? files[static_cast<std::size_t>(t.file)] : "";
    return file + ":" + std::to_string(t.line);
}

bool readFileBytes(const std::string& path, std::string& bytes) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) return false;
    bytes = s.str();
    return true;
}

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& relative) {
    if (folder.empty() || (!relative.empty() && relative[0] == '/')) return relative;
    return folder + "/" + relative;
}

void preprocessScript(const std::string& path, const RcOptions& options, RcSource& out) {
    out = RcSource();
    Preprocessor(options, out).run(path);
}

}  // namespace cadhost::res
