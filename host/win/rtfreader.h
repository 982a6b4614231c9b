#pragma once
// The rich-text reader: bytes of a rich-text document to paragraphs of runs, each run with its
// character format and each paragraph with its paragraph format. Text is UTF-8. The reader is
// bounded in group depth, paragraphs, runs and the size of control words; a document that is
// broken or cut short gives what was read before the fault and the reason in error.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "rx/export.h"

namespace cadhost::rtf {

struct CharFormat {
    std::string font;         // face name, empty for the default face
    int halfPoints = 24;      // size in half points
    bool bold = false, italic = false, underline = false;
    std::optional<std::uint32_t> color;      // 0x00BBGGRR; none: the window text colour
    std::optional<std::uint32_t> highlight;  // background of the text, none: no highlight
    bool operator==(const CharFormat&) const = default;
};

enum class Align { left, center, right, justify };

struct ParaFormat {
    int leftTwips = 0, firstTwips = 0, rightTwips = 0;  // \li, \fi (relative to \li), \ri
    int spaceBefore = 0, spaceAfter = 0;                // \sb, \sa in twips
    Align align = Align::left;
    bool bullet = false;  // a bullet is drawn before the first line
    bool operator==(const ParaFormat&) const = default;
};

struct Run {
    std::string text;  // "\t" tabs, "\n" line breaks inside the paragraph
    CharFormat format;
};

struct Paragraph {
    ParaFormat format;
    std::vector<Run> marker;  // the text the document gives before the first line (numbers, bullets)
    std::vector<Run> runs;
    CharFormat end;  // the format at the paragraph mark, for the height of an empty paragraph
};

struct Document {
    std::vector<Paragraph> paragraphs;
    std::string error;  // empty when the whole document was read
    // The text of the runs, paragraphs separated by "\r\n", line breaks as "\r\n".
    CADHOST_API std::string plainText() const;
};

// Limits of the reader.
constexpr int kMaxGroupDepth = 200;
constexpr std::size_t kMaxParagraphs = 100000;
constexpr std::size_t kMaxRuns = 200000;
constexpr std::size_t kMaxControlWord = 32;

// A rich-text document ("{\rtf1 ..."). Bytes that do not start as one are read as plain text,
// with the reason in error.
CADHOST_API Document readRtf(std::string_view bytes);
// Plain text: lines to paragraphs (CR, LF or CR LF end one), in the default format; bytes that are
// not UTF-8 are taken as Windows-1252.
CADHOST_API Document readPlainText(std::string_view bytes);

}  // namespace cadhost::rtf
