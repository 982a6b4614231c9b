#include <charconv>
#include "ed/lisp.h"

namespace {
struct ReadError {
    std::string message;
    int line;
    int column;
};

bool isDelimiter(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '(' ||
           c == ')' || c == '\'' || c == '"' || c == ';';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Integer: [+-]digits. Real: [+-](digits[.digits*] | .digits)([eE][+-]digits). Anything else is
// a symbol (so "-", "1+" and "1e" are symbols).
bool parseNumber(const std::string& tok, LispValue& out, bool& outOfRange) {
    size_t i = 0;
    if (i < tok.size() && (tok[i] == '+' || tok[i] == '-')) ++i;
    const size_t start = i;
    while (i < tok.size() && isDigit(tok[i])) ++i;
    const size_t intDigits = i - start;
    bool isReal = false;
    size_t fracDigits = 0;
    if (i < tok.size() && tok[i] == '.') {
        isReal = true;
        ++i;
        const size_t f = i;
        while (i < tok.size() && isDigit(tok[i])) ++i;
        fracDigits = i - f;
    }
    if (intDigits == 0 && fracDigits == 0) return false;
    if (i < tok.size() && (tok[i] == 'e' || tok[i] == 'E')) {
        isReal = true;
        ++i;
        if (i < tok.size() && (tok[i] == '+' || tok[i] == '-')) ++i;
        const size_t e = i;
        while (i < tok.size() && isDigit(tok[i])) ++i;
        if (i == e) return false;
    }
    if (i != tok.size()) return false;

    // from_chars takes no leading '+'.
    const char* first = tok.data() + (tok[0] == '+' ? 1 : 0);
    const char* last = tok.data() + tok.size();
    if (!isReal) {
        int32_t v = 0;
        auto [p, ec] = std::from_chars(first, last, v);
        if (ec == std::errc() && p == last) {
            out = LispValue::integer(v);
            return true;
        }
        // Out of the 32-bit range: read as a real.
    }
    double d = 0.0;
    auto [p, ec] = std::from_chars(first, last, d);
    if (ec == std::errc::result_out_of_range) {
        outOfRange = true;
        return false;
    }
    if (ec != std::errc() || p != last) return false;
    out = LispValue::real(d);
    return true;
}

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    std::vector<LispValue> readAll() {
        std::vector<LispValue> forms;
        for (;;) {
            skipBlank();
            if (atEnd()) return forms;
            forms.push_back(readForm(0));
        }
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek(size_t ahead = 0) const {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0';
    }
    char next() {
        const char c = m_text[m_pos++];
        if (c == '\n') {
            ++m_line;
            m_column = 1;
        } else {
            ++m_column;
        }
        return c;
    }
    [[noreturn]] void fail(const std::string& message, int line, int column) const {
        throw ReadError{message + " at line " + std::to_string(line) + ", column " +
                            std::to_string(column),
                        line, column};
    }

    // Whitespace, "; ..." line comments and ";| ... |;" block comments.
    void skipBlank() {
        while (!atEnd()) {
            const char c = peek();
            if (c == ';') {
                const int line = m_line, column = m_column;
                next();
                if (peek() == '|') {
                    next();
                    for (;;) {
                        if (atEnd()) fail("malformed comment on input: comment opened", line, column);
                        if (next() == '|' && peek() == ';') {
                            next();
                            break;
                        }
                    }
                } else {
                    while (!atEnd() && peek() != '\n') next();
                }
            } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                next();
            } else {
                return;
            }
        }
    }

    LispValue readForm(int depth) {
        if (depth >= LispReader::kMaxDepth) fail("expression nested too deeply", m_line, m_column);
        const int line = m_line, column = m_column;
        const char c = peek();
        if (c == '(') return readList(depth);
        if (c == ')') fail("extra right paren on input", line, column);
        if (c == '\'') {
            next();
            skipBlank();
            if (atEnd() || peek() == ')') fail("malformed quote on input", line, column);
            return LispValue::list({LispValue::symbol("quote"), readForm(depth + 1)});
        }
        if (c == '"') return readString();
        return readAtom();
    }

    LispValue readList(int depth) {
        const int line = m_line, column = m_column;
        next();  // '('
        std::vector<LispValue> items;
        bool dotted = false;
        for (;;) {
            skipBlank();
            if (atEnd()) fail("malformed list on input: '(' not closed", line, column);
            if (peek() == ')') {
                next();
                break;
            }
            if (peek() == '.' && (m_pos + 1 >= m_text.size() || isDelimiter(peek(1)))) {
                const int dl = m_line, dc = m_column;
                next();
                skipBlank();
                if (items.empty() || dotted || atEnd() || peek() == ')')
                    fail("invalid dotted pair", dl, dc);
                items.push_back(readForm(depth + 1));
                dotted = true;
                skipBlank();
                if (atEnd()) fail("malformed list on input: '(' not closed", line, column);
                if (peek() != ')') fail("invalid dotted pair", m_line, m_column);
                continue;
            }
            items.push_back(readForm(depth + 1));
        }
        return LispValue::list(std::move(items), dotted);
    }

    LispValue readString() {
        const int line = m_line, column = m_column;
        next();  // '"'
        LispText s;
        for (;;) {
            if (atEnd()) fail("malformed string on input: string not closed", line, column);
            const int el = m_line, ec = m_column;
            char c = next();
            if (c == '"') break;
            if (c == '\\') {
                if (atEnd()) fail("malformed string on input: string not closed", line, column);
                c = escaped(next(), el, ec);
            }
            if (!s.append(c)) fail(LispText::tooLongError(), el, ec);
        }
        return s.take();
    }

    // The character of an escape after its backslash; unknown escapes stand for the character.
    char escaped(char c, int line, int column) {
        switch (c) {
        case 'n': return '\n';
        case 't': return '\t';
        case 'r': return '\r';
        case 'e': return '\x1b';
        default: break;
        }
        if (c < '0' || c > '7') return c;
        int v = c - '0';
        for (int k = 0; k < 2 && peek() >= '0' && peek() <= '7'; ++k) {
            const int w = v * 8 + (peek() - '0');
            if (w > 255) break;
            v = w;
            next();
        }
        if (v == 0) fail("null character in string", line, column);
        return static_cast<char>(v);
    }

    LispValue readAtom() {
        const int line = m_line, column = m_column;
        std::string tok;
        while (!atEnd() && !isDelimiter(peek())) tok += next();
        if (tok == ".") fail("invalid dotted pair", line, column);
        LispValue v;
        bool outOfRange = false;
        if (parseNumber(tok, v, outOfRange)) return v;
        if (outOfRange) fail("number out of range", line, column);
        return LispValue::symbol(tok);
    }

    const std::string& m_text;
    size_t m_pos = 0;
    int m_line = 1;
    int m_column = 1;
};
}  // namespace

LispReadResult LispReader::read(const std::string& text) {
    LispReadResult result;
    try {
        Reader reader(text);
        result.forms = reader.readAll();
    } catch (const ReadError& e) {
        result.ok = false;
        result.forms.clear();
        result.error = e.message;
        result.line = e.line;
        result.column = e.column;
    }
    return result;
}
