// The rich-text reader: one pass over the bytes with a stack of group states. Each group keeps
// its destination, its character and paragraph format and its \uc count; '}' restores the
// state of the enclosing group.
#include "win/rtfreader.h"
#include <glib.h>
#include <algorithm>
#include <map>
#include "db/dxftext.h"

namespace cadhost::rtf {

namespace {

using cadhost::dxf::appendUtf8;

enum class Dest {
    text,       // shown
    marker,     // \pntext, \listtext: shown before the paragraph's first line
    fontTable,  // \fonttbl
    colorTable, // \colortbl
    pn,         // {\*\pn ...}: the paragraph's bullet or numbering
    skip,       // everything else that is not shown
};

struct GroupState {
    Dest dest = Dest::text;
    CharFormat chr;
    ParaFormat para;
    int fontNumber = -1;
    int unicodeSkip = 1;
    bool pnBullet = false;
};

// Destinations that hold no text to show.
bool isSkippedDestination(std::string_view word) {
    static const char* const kWords[] = {
        "info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "footnote", "object", "fldinst", "filetbl", "revtbl", "author", "title",
        "subject", "operator", "keywords", "comment", "doccomm", "nonshppict", "listtable",
        "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping",
        "latentstyles", "datastore", "template", "private", "company", "annotation", "atnid", "atnauthor",
        "bkmkstart", "bkmkend", "shpinst", "sp", "sn", "sv", "pnseclvl", "objdata",
    };
    return std::any_of(std::begin(kWords), std::end(kWords), [&](const char* w) { return word == w; });
}

// The character a control word stands for, 0 for none.
std::uint32_t characterWord(std::string_view word) {
    static const std::pair<const char*, std::uint32_t> kWords[] = {
        {"line", '\n'}, {"tab", '\t'}, {"bullet", 0x2022}, {"emdash", 0x2014}, {"endash", 0x2013},
        {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
        {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005},
    };
    for (const auto& [name, cp] : kWords)
        if (word == name) return cp;
    return 0;
}

// Colours are 0x00BBGGRR, as COLORREF.
std::uint32_t rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r & 0xFF) | static_cast<std::uint32_t>(g & 0xFF) << 8 |
           static_cast<std::uint32_t>(b & 0xFF) << 16;
}

std::string trim(std::string s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}

    Document read() {
        m_stack.emplace_back();
        m_stack.back().dest = Dest::skip;  // outside the document's group
        while (m_at < m_in.size() && !m_done) {
            const char c = m_in[m_at++];
            if (c == '{') openGroup();
            else if (c == '}') closeGroup();
            else if (c == '\\') controlSymbolOrWord();
            else if (c == '\r' || c == '\n' || c == '\0') continue;
            else character(static_cast<unsigned char>(c));
        }
        if (!m_done && m_doc.error.empty()) {
            const size_t open = m_stack.size() - 1;
            m_doc.error = open ? "the document ends inside " + std::to_string(open) + " open group" + (open > 1 ? "s" : "")
                               : "the document is empty";
        }
        if (!m_paragraph.runs.empty() || !m_paragraph.marker.empty()) endParagraph();
        // Runs without a \f are in the document's default face.
        const std::string face = fontName(m_defaultFont);
        for (Paragraph& p : m_doc.paragraphs) {
            if (p.end.font.empty()) p.end.font = face;
            for (std::vector<Run>* runs : {&p.marker, &p.runs})
                for (Run& r : *runs)
                    if (r.format.font.empty()) r.format.font = face;
        }
        return std::move(m_doc);
    }

private:
    GroupState& top() { return m_stack.back(); }

    void fail(const std::string& why) {
        if (m_doc.error.empty()) m_doc.error = why + " at byte " + std::to_string(m_at);
        m_done = true;
    }

    void openGroup() {
        if (m_stack.size() > static_cast<size_t>(kMaxGroupDepth)) return fail("groups nested too deep");
        m_skipChars = 0;
        GroupState next = top();
        if (m_stack.size() == 1) next.dest = Dest::text;  // the document's own group
        if (next.dest == Dest::fontTable) next.fontNumber = -1;
        m_stack.push_back(std::move(next));
        m_groupStart = true;
    }

    void closeGroup() {
        m_skipChars = 0;
        m_groupStart = false;
        if (m_stack.size() <= 1) return;  // a stray '}' outside the document
        GroupState closed = std::move(m_stack.back());
        m_stack.pop_back();
        if (closed.dest == Dest::fontTable) storeFontName(closed.fontNumber);
        if (closed.dest == Dest::pn && top().dest != Dest::pn && closed.pnBullet) top().para.bullet = true;
        if (m_stack.size() == 1) m_done = true;  // the document's group ended
    }

    void storeFontName(int number) {
        std::string name = trim(m_fontName);
        m_fontName.clear();
        if (number >= 0 && !name.empty() && m_fonts.size() < 4096) m_fonts[number] = std::move(name);
    }

    // The destination of a group that starts with a control word.
    void destination(std::string_view word, bool ignorable) {
        GroupState& g = top();
        if (g.dest == Dest::skip) return;
        if (word == "fonttbl") g.dest = Dest::fontTable;
        else if (word == "colortbl") g.dest = Dest::colorTable;
        else if (word == "pntext" || word == "listtext") g.dest = Dest::marker;
        else if (word == "pn") g.dest = Dest::pn;
        else if (ignorable || isSkippedDestination(word)) g.dest = Dest::skip;
    }

    void controlSymbolOrWord() {
        if (m_at >= m_in.size()) return fail("the document ends after a backslash");
        const char c = m_in[m_at];
        if (!g_ascii_isalpha(c)) {
            ++m_at;
            controlSymbol(c);
            return;
        }
        const size_t start = m_at;
        while (m_at < m_in.size() && g_ascii_isalpha(m_in[m_at])) {
            if (m_at - start >= kMaxControlWord) return fail("control word too long");
            ++m_at;
        }
        std::string_view word = m_in.substr(start, m_at - start);
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (m_at < m_in.size() && m_in[m_at] == '-' && m_at + 1 < m_in.size() && g_ascii_isdigit(m_in[m_at + 1])) {
            negative = true;
            ++m_at;
        }
        const size_t digits = m_at;
        while (m_at < m_in.size() && g_ascii_isdigit(m_in[m_at])) {
            if (m_at - digits >= 10) return fail("control word parameter too long");
            param = param * 10 + (m_in[m_at++] - '0');
            hasParam = true;
        }
        param = std::clamp(negative ? -param : param, -2147483648LL, 2147483647LL);
        if (m_at < m_in.size() && m_in[m_at] == ' ') ++m_at;  // the delimiter belongs to the word
        controlWord(word, hasParam, static_cast<int>(param));
    }

    void controlSymbol(char c) {
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        switch (c) {
        case '\\':
        case '{':
        case '}': character(static_cast<unsigned char>(c)); break;
        case '~': unicode(0x00A0); break;
        case '_': unicode(0x2011); break;
        case '-': break;  // optional hyphen: only shown where a line breaks
        case '\r':
        case '\n': controlWord("par", false, 0); break;
        case '\t': unicode('\t'); break;
        case '*':
            // {\* starts a destination that may be skipped when it is not known.
            if (groupStart) m_ignorableNext = m_groupStart = true;
            break;
        case '\'': hexByte(); break;
        default: break;
        }
    }

    void hexByte() {
        if (m_at + 2 > m_in.size()) return fail("the document ends inside a \\' escape");
        const int hi = cadhost::dxf::hexDigit(m_in[m_at]), lo = cadhost::dxf::hexDigit(m_in[m_at + 1]);
        m_at += 2;
        if (hi < 0 || lo < 0) return;
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        const auto byte = static_cast<unsigned char>(hi * 16 + lo);
        if (top().dest == Dest::fontTable) {
            if (m_fontName.size() < 256) appendUtf8(m_fontName, cadhost::dxf::cp1252CodePoint(byte));
            return;
        }
        // Symbol fonts keep their bullet at 0xB7.
        if (byte == 0xB7 && top().chr.font == "Symbol") return unicode(0x2022);
        unicode(cadhost::dxf::cp1252CodePoint(byte));
    }

    void controlWord(std::string_view w, bool hasParam, int n) {
        const bool groupStart = m_groupStart, ignorable = m_ignorableNext;
        m_groupStart = m_ignorableNext = false;
        if (m_skipChars > 0 && w != "bin") {
            --m_skipChars;
            return;
        }
        GroupState& g = top();
        CharFormat& chr = g.chr;
        ParaFormat& para = g.para;
        const bool on = !hasParam || n != 0;
        if (w == "bin") {
            m_at += std::min(static_cast<size_t>(std::max(n, 0)), m_in.size() - m_at);
            return;
        }
        if (groupStart) {
            destination(w, ignorable);
            if (top().dest == Dest::skip) return;
        } else if (ignorable) {
            return;
        }
        if (w == "rtf" || w == "ansi" || w == "ansicpg") return;
        if (w == "deff") {
            m_defaultFont = n;
        } else if (w == "f") {
            if (g.dest == Dest::fontTable) g.fontNumber = n;
            else chr.font = fontName(n);
        } else if (w == "fs") {
            chr.halfPoints = std::clamp(hasParam ? n : 24, 2, 3276);
        } else if (w == "b") {
            chr.bold = on;
        } else if (w == "i") {
            chr.italic = on;
        } else if (w == "ul") {
            chr.underline = on;
        } else if (w == "ulnone") {
            chr.underline = false;
        } else if (w == "cf") {
            chr.color = colour(n);
        } else if (w == "highlight" || w == "cb") {
            chr.highlight = n > 0 ? colour(n) : std::nullopt;
        } else if (w == "plain") {
            chr = defaultFormat();
        } else if (w == "pard") {
            para = ParaFormat{};
            m_paragraph.format = para;
        } else if (w == "li") {
            para.leftTwips = twips(n);
        } else if (w == "fi") {
            para.firstTwips = twips(n);
        } else if (w == "ri") {
            para.rightTwips = twips(n);
        } else if (w == "sb") {
            para.spaceBefore = std::max(0, twips(n));
        } else if (w == "sa") {
            para.spaceAfter = std::max(0, twips(n));
        } else if (w == "ql") {
            para.align = Align::left;
        } else if (w == "qc") {
            para.align = Align::center;
        } else if (w == "qr") {
            para.align = Align::right;
        } else if (w == "qj") {
            para.align = Align::justify;
        } else if (w == "uc") {
            g.unicodeSkip = std::clamp(n, 0, 16);
        } else if (w == "u") {
            unicode(static_cast<std::uint32_t>(n < 0 ? n + 65536 : n));
            m_skipChars = g.unicodeSkip;
        } else if (w == "red" || w == "green" || w == "blue") {
            if (g.dest != Dest::colorTable) return;
            int& part = w == "red" ? m_red : w == "green" ? m_green : m_blue;
            part = std::clamp(n, 0, 255);
            m_colorSet = true;
        } else if (w == "pnlvlblt") {
            if (g.dest == Dest::pn) g.pnBullet = true;
        } else if (w == "par" || w == "sect" || w == "page") {
            if (g.dest == Dest::text) endParagraph();
        } else if (const std::uint32_t cp = characterWord(w)) {
            unicode(cp);
        }
        // Other words change nothing that is shown.
    }

    static int twips(int n) { return std::clamp(n, -31680, 31680); }  // at most 22 inches

    CharFormat defaultFormat() const {
        CharFormat f;
        f.font = fontName(m_defaultFont);
        return f;
    }

    std::string fontName(int number) const {
        const auto it = m_fonts.find(number);
        return it == m_fonts.end() ? std::string() : it->second;
    }

    std::optional<std::uint32_t> colour(int index) const {
        if (index < 0 || static_cast<size_t>(index) >= m_colors.size()) return std::nullopt;
        return m_colors[static_cast<size_t>(index)];
    }

    // A text byte of the current destination.
    void character(unsigned char c) {
        m_groupStart = false;
        m_ignorableNext = false;
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        GroupState& g = top();
        if (g.dest == Dest::fontTable) {
            if (c == ';') storeFontName(g.fontNumber);
            else if (m_fontName.size() < 256) appendUtf8(m_fontName, cadhost::dxf::cp1252CodePoint(c));
            return;
        }
        if (g.dest == Dest::colorTable) {
            if (c == ';' && m_colors.size() < 4096) {
                m_colors.push_back(m_colorSet ? std::optional<std::uint32_t>(rgb(m_red, m_green, m_blue)) : std::nullopt);
                m_red = m_green = m_blue = 0;
                m_colorSet = false;
            }
            return;
        }
        unicode(c < 0x80 ? c : cadhost::dxf::cp1252CodePoint(c));
    }

    void unicode(std::uint32_t cp) {
        GroupState& g = top();
        if (g.dest != Dest::text && g.dest != Dest::marker) return;
        // Surrogate halves from \u pairs make one character.
        if (cp >= 0xD800 && cp < 0xDC00) {
            m_highSurrogate = cp;
            return;
        }
        if (cp >= 0xDC00 && cp < 0xE000) {
            cp = m_highSurrogate ? 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (cp - 0xDC00) : 0xFFFD;
        } else if (m_highSurrogate) {
            append(g, 0xFFFD);
        }
        m_highSurrogate = 0;
        if (cp == 0 || cp > 0x10FFFF) cp = 0xFFFD;
        append(g, cp);
    }

    void append(GroupState& g, std::uint32_t cp) {
        std::vector<Run>& runs = g.dest == Dest::marker ? m_paragraph.marker : m_paragraph.runs;
        if (runs.empty() || !(runs.back().format == g.chr)) {
            if (m_runCount >= kMaxRuns) return fail("too many runs of text");
            ++m_runCount;
            runs.push_back(Run{{}, g.chr});
        }
        appendUtf8(runs.back().text, cp);
        if (g.dest == Dest::text) m_paragraph.format = g.para;
    }

    void endParagraph() {
        if (m_doc.paragraphs.size() >= kMaxParagraphs) return fail("too many paragraphs");
        const GroupState& g = top();
        if (g.dest == Dest::text) m_paragraph.format = g.para;
        m_paragraph.end = g.chr;
        m_doc.paragraphs.push_back(std::move(m_paragraph));
        m_paragraph = Paragraph{};
        m_paragraph.format = g.para;
    }

    std::string_view m_in;
    size_t m_at = 0;
    bool m_done = false;
    std::vector<GroupState> m_stack;
    Document m_doc;
    Paragraph m_paragraph;
    size_t m_runCount = 0;
    std::map<int, std::string> m_fonts;
    std::string m_fontName;
    int m_defaultFont = 0;
    std::vector<std::optional<std::uint32_t>> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;
    int m_skipChars = 0;
    std::uint32_t m_highSurrogate = 0;
    bool m_groupStart = false, m_ignorableNext = false;
};

}  // namespace

std::string Document::plainText() const {
    std::string out;
    for (size_t p = 0; p < paragraphs.size(); ++p) {
        if (p) out += "\r\n";
        for (const Run& r : paragraphs[p].runs)
            for (char c : r.text) {
                if (c == '\n') out += "\r\n";
                else out += c;
            }
    }
    return out;
}

Document readRtf(std::string_view bytes) {
    if (bytes.substr(0, 5) != "{\\rtf") {
        Document d = readPlainText(bytes);
        d.error = "not a rich-text document (no {\\rtf at the start); read as plain text";
        return d;
    }
    return Reader(bytes).read();
}

Document readPlainText(std::string_view bytes) {
    Document d;
    std::string text;
    const bool utf = g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
    auto endLine = [&] {
        if (d.paragraphs.size() >= kMaxParagraphs) {
            if (d.error.empty()) d.error = "too many paragraphs";
            return;
        }
        Paragraph p;
        if (!text.empty()) p.runs.push_back(Run{std::move(text), {}});
        text.clear();
        d.paragraphs.push_back(std::move(p));
    };
    for (size_t i = 0; i < bytes.size() && d.error.empty(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            endLine();
        } else if (c == 0) {
            continue;
        } else if (c < 0x80 || utf) {
            text += static_cast<char>(c);
        } else {
            appendUtf8(text, cadhost::dxf::cp1252CodePoint(c));
        }
    }
    if (d.error.empty()) endLine();
    return d;
}

}  // namespace cadhost::rtf
