// The rich-text reader: groups and their formats, the font and colour tables, characters by
// code page and by number, destinations that are skipped, bullets, and broken input.
#include <gtest/gtest.h>
#include <string>
#include "win/rtfreader.h"

namespace {

using namespace cadhost::rtf;

std::string runText(const Paragraph& p) {
    std::string s;
    for (const Run& r : p.runs) s += r.text;
    return s;
}

TEST(RtfReader, GroupsRestoreTheFormatOfTheirParent) {
    const Document d = readRtf("{\\rtf1\\ansi plain {\\b bold {\\i both} bold} \\ul under\\ulnone  done\\b0\\par}");
    ASSERT_EQ(d.paragraphs.size(), 1u) << d.error;
    EXPECT_EQ(d.error, "");
    const auto& runs = d.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs[0].text, "plain ");
    EXPECT_FALSE(runs[0].format.bold);
    EXPECT_EQ(runs[1].text, "bold ");
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_EQ(runs[2].text, "both");
    EXPECT_TRUE(runs[2].format.bold && runs[2].format.italic);
    EXPECT_EQ(runs[3].text, " bold");
    EXPECT_FALSE(runs[3].format.italic);
    EXPECT_EQ(runs[4].text, " ");
    EXPECT_EQ(runs[5].text, "under");
    EXPECT_TRUE(runs[5].format.underline);
    EXPECT_EQ(runs[6].text, " done");
    EXPECT_FALSE(runs[6].format.underline);
}

TEST(RtfReader, PlainAndPardResetCharacterAndParagraphFormats) {
    const Document d = readRtf(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\deff0"
        "\\pard\\li720\\fi-360\\ri100\\sb120\\sa60\\qc\\f1\\fs40\\b\\i big\\par"
        "\\plain\\pard\\qr small\\par\\qj\\fs-5 tiny\\par}");
    ASSERT_EQ(d.paragraphs.size(), 3u) << d.error;
    const Paragraph& big = d.paragraphs[0];
    EXPECT_EQ(big.format.leftTwips, 720);
    EXPECT_EQ(big.format.firstTwips, -360);
    EXPECT_EQ(big.format.rightTwips, 100);
    EXPECT_EQ(big.format.spaceBefore, 120);
    EXPECT_EQ(big.format.spaceAfter, 60);
    EXPECT_EQ(big.format.align, Align::center);
    EXPECT_EQ(big.runs[0].format.font, "Courier New");
    EXPECT_EQ(big.runs[0].format.halfPoints, 40);
    const Paragraph& small = d.paragraphs[1];
    EXPECT_EQ(small.format.leftTwips, 0);
    EXPECT_EQ(small.format.align, Align::right);
    EXPECT_EQ(small.runs[0].format.font, "Arial") << "\\plain goes back to the default face";
    EXPECT_EQ(small.runs[0].format.halfPoints, 24);
    EXPECT_FALSE(small.runs[0].format.bold);
    EXPECT_EQ(d.paragraphs[2].format.align, Align::justify);
    EXPECT_EQ(d.paragraphs[2].runs[0].format.halfPoints, 2) << "sizes are kept in range";
}

TEST(RtfReader, FontAndColourTables) {
    const Document d = readRtf(
        "{\\rtf1\\ansi\\deff1{\\fonttbl\\f0\\fswiss Arial;\\f1\\froman{\\*\\panose 02020603}Times New Roman;}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
        "default \\cf1 red\\cf2\\highlight1  blue\\cf0\\highlight0  auto\\cf9  missing\\f0  arial}");
    ASSERT_FALSE(d.paragraphs.empty()) << d.error;
    const auto& runs = d.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].format.font, "Times New Roman") << "\\deff names the face of text without \\f";
    EXPECT_FALSE(runs[0].format.color.has_value());
    EXPECT_EQ(runs[1].format.color, 0x0000FFu);
    EXPECT_EQ(runs[2].format.color, 0xFF8000u);
    EXPECT_EQ(runs[2].format.highlight, 0x0000FFu);
    EXPECT_FALSE(runs[3].format.color.has_value()) << "entry 0 is the automatic colour";
    EXPECT_FALSE(runs[3].format.highlight.has_value());
    EXPECT_EQ(runs[3].text, " auto missing") << "an index beyond the table is the automatic colour too";
    EXPECT_EQ(runs[4].format.font, "Arial");
}

TEST(RtfReader, CharactersByCodePageByNumberAndEscaped) {
    const Document d = readRtf(
        "{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80 \\u8364? \\uc2\\u937 xy done \\uc0\\u-3913 "
        "\\u55357\\u56832 \\{\\}\\\\ a\\~b c\\-d e\\_f\\tab g\\line h\\bullet}");
    ASSERT_EQ(d.paragraphs.size(), 1u) << d.error;
    EXPECT_EQ(runText(d.paragraphs[0]),
              "caf\xC3\xA9 \xE2\x82\xAC \xE2\x82\xAC \xCE\xA9 done \xEF\x82\xB7\xF0\x9F\x98\x80{}\\ "
              "a\xC2\xA0"
              "b cd e\xE2\x80\x91" "f\tg\nh\xE2\x80\xA2");
    EXPECT_EQ(d.plainText().find("g\r\nh"), runText(d.paragraphs[0]).find("g\nh")) << "line breaks read as CR LF";
}

TEST(RtfReader, DestinationsThatAreNotShownAreSkipped) {
    const Document d = readRtf(
        "{\\rtf1{\\info{\\title The title}{\\author Someone}}{\\stylesheet{\\s0 Normal;}}"
        "{\\*\\generator Writer 1.0;}{\\*\\unknowndest hidden {\\b text}}"
        "{\\pict\\wmetafile8 0123456789abcdef}\\unknownword42 shown\\bin3 {}} text "
        "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}}");
    ASSERT_EQ(d.paragraphs.size(), 1u) << d.error;
    EXPECT_EQ(runText(d.paragraphs[0]), "shown text link");
}

TEST(RtfReader, BulletsFromTheParagraphNumberingOrItsText) {
    const Document d = readRtf(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}"
        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'B7}}\\fi-360\\li720 one\\par"
        "{\\pntext\\f1\\'B7\\tab}two\\par"
        "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec}numbered\\par"
        "\\pard{\\listtext\\f1\\'B7\\tab}listed\\par}");
    ASSERT_EQ(d.paragraphs.size(), 4u) << d.error;
    EXPECT_TRUE(d.paragraphs[0].format.bullet);
    EXPECT_EQ(runText(d.paragraphs[0]), "one");
    EXPECT_TRUE(d.paragraphs[1].format.bullet) << "the bullet lasts until \\pard";
    EXPECT_EQ(d.paragraphs[1].format.leftTwips, 720);
    EXPECT_FALSE(d.paragraphs[2].format.bullet);
    ASSERT_EQ(d.paragraphs[2].marker.size(), 1u);
    EXPECT_EQ(d.paragraphs[2].marker[0].text, "1.\t");
    EXPECT_EQ(runText(d.paragraphs[2]), "numbered");
    ASSERT_EQ(d.paragraphs[3].marker.size(), 1u);
    EXPECT_EQ(d.paragraphs[3].marker[0].text, "\xE2\x80\xA2\t") << "a Symbol bullet is the bullet character";
    EXPECT_EQ(d.plainText(), "one\r\ntwo\r\nnumbered\r\nlisted");
}

TEST(RtfReader, BrokenInputKeepsWhatWasReadAndSaysWhy) {
    const Document cut = readRtf("{\\rtf1 first\\par second {\\b bold");
    ASSERT_EQ(cut.paragraphs.size(), 2u);
    EXPECT_EQ(runText(cut.paragraphs[1]), "second bold");
    EXPECT_NE(cut.error.find("ends inside 2 open groups"), std::string::npos) << cut.error;

    EXPECT_NE(readRtf("{\\rtf1 a\\").error.find("after a backslash"), std::string::npos);
    EXPECT_NE(readRtf("{\\rtf1 a\\'4").error.find("\\' escape"), std::string::npos);
    EXPECT_EQ(readRtf("{\\rtf1 " + std::string(40, 'x') + "}").error, "") << "long text is no control word";
    EXPECT_NE(readRtf("{\\rtf1 \\" + std::string(40, 'x') + " a}").error.find("control word too long"), std::string::npos);
    EXPECT_NE(readRtf("{\\rtf1 \\fs123456789012 a}").error.find("parameter too long"), std::string::npos);
    const Document big = readRtf("{\\rtf1 \\li-9999999999 a}");
    EXPECT_EQ(big.error, "");
    EXPECT_EQ(big.paragraphs.at(0).format.leftTwips, -31680) << "parameters are clamped";

    const Document notRtf = readRtf("Hello\r\nW\xF6rld\n");
    EXPECT_NE(notRtf.error.find("plain text"), std::string::npos);
    EXPECT_EQ(notRtf.plainText(), "Hello\r\nW\xC3\xB6rld\r\n");
    EXPECT_EQ(readRtf("{\\rtf1 done} ignored").plainText(), "done");
}

TEST(RtfReader, LimitsBoundDepthParagraphsAndRuns) {
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) deep += '{';
    deep += "x";
    const Document d = readRtf(deep);
    EXPECT_NE(d.error.find("nested too deep"), std::string::npos) << d.error;

    std::string pars = "{\\rtf1 ";
    for (size_t i = 0; i < kMaxParagraphs + 10; ++i) pars += "\\par ";
    const Document many = readRtf(pars + "}");
    EXPECT_EQ(many.paragraphs.size(), kMaxParagraphs);
    EXPECT_NE(many.error.find("too many paragraphs"), std::string::npos);

    std::string runs = "{\\rtf1 ";
    for (size_t i = 0; i < kMaxRuns / 2 + 10; ++i) runs += "\\b a\\b0 b";
    const Document split = readRtf(runs + "}");
    EXPECT_NE(split.error.find("too many runs"), std::string::npos);
    size_t count = 0;
    for (const Paragraph& p : split.paragraphs) count += p.runs.size();
    EXPECT_EQ(count, kMaxRuns);
}

}  // namespace
