#include "db/dxftokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace cadhost::dxf;

namespace {

std::vector<Token> readAll(TokenReader& r) {
    std::vector<Token> out;
    for (Token t; r.next(t);) out.push_back(t);
    return out;
}

void expectExactRoundTrip(double v) {
    TokenWriter w;
    ASSERT_TRUE(w.write(40, v));
    TokenReader r(w.take());
    Token t;
    ASSERT_TRUE(r.next(t));
    auto back = t.toDouble();
    ASSERT_TRUE(back.has_value()) << "unreadable: " << t.value;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*back), std::bit_cast<std::uint64_t>(v)) << t.value;
}

}  // namespace

TEST(DxfGroupCodeKinds, EveryCodeOfEachRange) {
    using K = ValueKind;
    struct Range { int lo, hi; K kind; };
    const Range ranges[] = {
        {0, 9, K::String},       {10, 59, K::Double},     {60, 79, K::Int16},
        {90, 99, K::Int32},      {100, 102, K::String},   {105, 105, K::Handle},
        {110, 149, K::Double},   {160, 169, K::Int64},    {170, 179, K::Int16},
        {210, 239, K::Double},   {270, 289, K::Int16},    {290, 299, K::Bool},
        {300, 309, K::String},   {310, 319, K::Binary},   {320, 369, K::Handle},
        {370, 389, K::Int16},    {390, 399, K::Handle},   {400, 409, K::Int16},
        {410, 419, K::String},   {420, 429, K::Int32},    {430, 439, K::String},
        {440, 459, K::Int32},    {460, 469, K::Double},   {470, 479, K::String},
        {480, 481, K::Handle},   {999, 1003, K::String},  {1004, 1004, K::Binary},
        {1005, 1009, K::String}, {1010, 1059, K::Double}, {1060, 1070, K::Int16},
        {1071, 1071, K::Int32},
        // Unassigned codes keep their text.
        {80, 89, K::String},     {103, 104, K::String},   {150, 159, K::String},
        {482, 998, K::String},   {1072, 1100, K::String}, {-5, -1, K::String},
    };
    for (const Range& r : ranges)
        for (int code = r.lo; code <= r.hi; ++code)
            EXPECT_EQ(kindOfGroupCode(code), r.kind) << "group code " << code;
}

TEST(DxfNumbers, AcceptsWhatWritersEmit) {
    const std::pair<const char*, double> doubles[] = {
        {"1.0E+20", 1e20}, {"-0.5", -0.5}, {"1e-3", 1e-3}, {".5", 0.5}, {"+2.", 2.0}, {" 10 ", 10}};
    for (auto [text, v] : doubles) EXPECT_EQ(parseDouble(text), v) << text;
    EXPECT_EQ(parseInt("  42"), 42);
    EXPECT_EQ(parseInt("-7\t"), -7);
    EXPECT_EQ(parseInt("+7"), 7);
    EXPECT_EQ(parseInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(parseBool("     0"), false);
    EXPECT_EQ(parseHandle("ab"), 0xABu);
    EXPECT_EQ(parseHandle("FFFFFFFFFFFFFFFF"), std::numeric_limits<std::uint64_t>::max());
}

TEST(DxfNumbers, RejectsGarbage) {
    for (const char* s : {"", " ", "1.0x", "1,5", "1e", "inf", "nan", "-inf", "+-1", "--1",
                          "0x10", "1 2", "1e400", "."})
        EXPECT_FALSE(parseDouble(s).has_value()) << '"' << s << '"';
    for (const char* s : {"", "4.0", "42abc", "2147483648", "+-3", "1e3", "0x1"})
        EXPECT_FALSE(parseInt(s).has_value()) << '"' << s << '"';
    for (const char* s : {"2", "-1", "true", ""})
        EXPECT_FALSE(parseBool(s).has_value()) << '"' << s << '"';
    for (const char* s : {"", "0x1F", "-1", "+1", "G1", "1 2", "10000000000000000"})
        EXPECT_FALSE(parseHandle(s).has_value()) << '"' << s << '"';
}

TEST(DxfTokenReader, BomCrLfLineNumbersAndMissingFinalNewline) {
    TokenReader r(std::string("\xEF\xBB\xBF  0\r\nLINE\r\n  8\r\n  Layer 1 \r\n 10\n1.5\n  0\nEOF"));
    auto t = readAll(r);
    ASSERT_FALSE(r.failed()) << r.error();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_TRUE(t[0].is(0, "LINE"));
    EXPECT_EQ(t[1].value, "  Layer 1 ");  // text keeps its blanks
    EXPECT_EQ(t[1].trimmed(), "Layer 1");
    EXPECT_EQ(t[2].toDouble(), 1.5);
    EXPECT_EQ(t[2].line, 5u);
    EXPECT_TRUE(t[3].is(0, "EOF"));
}

TEST(DxfTokenReader, BlankLinesAfterTheLastGroupEndTheData) {
    // An empty value line is a value; blank lines where a code is due end the data.
    TokenReader r(std::string_view("  1\n\n  0\nEOF\n\n  \r\n\x1a"));
    auto t = readAll(r);
    EXPECT_FALSE(r.failed()) << r.error();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].value, "");
}

TEST(DxfTokenReader, ErrorsNameTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"  0\nSECTION\n  2\n", "line 3: group code 2 has no value line"},
        {"  0\nSECTION\n  2", "line 3: group code 2 has no value line"},
        {"  0\nSECTION\nHEADER\n  9\n", "line 3: group code is not an integer: 'HEADER'"},
        {"  0\nSECTION\n 1 0\nx\n", "line 3: group code is not an integer"},
        {"  0\nSECTION\n\n  2\nX\n", "line 3: empty group code line"},
        {"AutoCAD Binary DXF\r\n\x1a", "binary DXF is not supported"},
    };
    for (auto [data, needle] : cases) {
        TokenReader r{std::string_view(data)};
        readAll(r);
        EXPECT_NE(r.error().find(needle), std::string::npos) << data << " -> " << r.error();
        Token t;
        EXPECT_FALSE(r.next(t));  // stays failed
    }
}

TEST(DxfTokenReader, PushBackOneLevel) {
    TokenReader r(std::string_view("  0\nA\n  0\nB\n"));
    Token t;
    EXPECT_FALSE(r.pushBack());  // nothing read yet
    ASSERT_TRUE(r.next(t));
    EXPECT_TRUE(r.pushBack());
    EXPECT_FALSE(r.pushBack());  // second level refused
    ASSERT_TRUE(r.next(t));
    EXPECT_EQ(t.value, "A");
    ASSERT_TRUE(r.next(t));
    EXPECT_EQ(t.value, "B");
    EXPECT_TRUE(r.pushBack());
    ASSERT_TRUE(r.next(t));
    EXPECT_EQ(t.value, "B");
    EXPECT_FALSE(r.next(t));
    EXPECT_FALSE(r.pushBack());  // the end is not a token
    EXPECT_FALSE(r.failed());
}

TEST(DxfTokenReader, OwnedDataSurvivesMove) {
    TokenReader a(std::string("  1\nshort\n  1\nsecond\n"));
    Token t;
    ASSERT_TRUE(a.next(t));
    TokenReader b(std::move(a));
    EXPECT_EQ(t.value, "short");
    ASSERT_TRUE(b.next(t));
    EXPECT_EQ(t.value, "second");

    std::string kept = "  1\nviewed\n";
    TokenReader v(kept);  // an lvalue is viewed, not copied
    ASSERT_TRUE(v.next(t));
    EXPECT_EQ(t.value.data(), kept.data() + 4);
}

TEST(DxfRoundTrip, EveryValueKindLaidOutLikeAutoCad) {
    std::string out;
    TokenWriter w(out);
    w.write(1, "  padded  ");
    w.write(10, 1.0);
    w.write(41, 1e20);
    w.write(42, -0.0);
    w.writeInt(70, -32768);
    w.writeInt(160, std::numeric_limits<std::int64_t>::min());
    w.writeHandle(5, 0x2AFu);
    w.writeHandle(330, 0);
    w.writeBool(290, true);
    w.writeInt(1071, 7);
    EXPECT_EQ(out, "  1\n  padded  \n 10\n1.0\n 41\n1e+20\n 42\n-0.0\n 70\n-32768\n"
                   "160\n-9223372036854775808\n  5\n2AF\n330\n0\n290\n1\n1071\n7\n");
    TokenReader r{std::string_view(out)};
    auto t = readAll(r);
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(t[0].value, "  padded  ");
    EXPECT_EQ(t[1].toDouble(), 1.0);
    EXPECT_EQ(t[2].toDouble(), 1e20);
    EXPECT_EQ(t[4].toInt(), -32768);
    EXPECT_EQ(t[5].toInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(t[6].toHandle(), 0x2AFu);
    EXPECT_EQ(t[7].toHandle(), 0u);
    EXPECT_EQ(t[8].toBool(), true);
    EXPECT_EQ(t[9].toInt(), 7);
}

TEST(DxfRoundTrip, TextCannotBreakLines) {
    TokenWriter w;
    w.write(1, "a\r\nb\nc^d\te^J");
    EXPECT_EQ(w.str(), "  1\na^Jb^Jc^ d^Ie^ J\n");
    TokenReader r(w.take());
    Token t;
    ASSERT_TRUE(r.next(t));
    EXPECT_EQ(decodeCaret(t.value), "a\nb\nc^d\te^J");
    EXPECT_FALSE(r.next(t));
    EXPECT_FALSE(r.failed());
}

TEST(DxfRoundTrip, DoublesAreExact) {
    using L = std::numeric_limits<double>;
    for (double v : {0.0, -0.0, 0.1, 1.0 / 3.0, L::max(), L::lowest(), L::min(), L::denorm_min(),
                     -L::denorm_min(), 1e-310, 1e300, -1e-300, 123456789012345678.0, 1e16})
        expectExactRoundTrip(v);
    std::mt19937_64 rng(20240611);
    for (int i = 0; i < 20000; ++i) {
        double v = std::bit_cast<double>(rng());
        if (std::isfinite(v)) expectExactRoundTrip(v);
    }
}

TEST(DxfRoundTrip, NonFiniteIsRefused) {
    TokenWriter w;
    EXPECT_FALSE(w.write(10, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(w.write(20, std::nan("")));
    EXPECT_TRUE(w.failed());
    EXPECT_NE(w.error().find("group 10"), std::string::npos);
    EXPECT_EQ(w.str(), "");
}

namespace {

// A source handing out data at most piece bytes at a time.
TokenReader::Source pieces(const std::string& data, std::size_t piece) {
    auto at = std::make_shared<std::size_t>(0);
    return [data, piece, at](char* buffer, std::size_t size, std::string&) -> long {
        const std::size_t n = std::min({size, piece, data.size() - *at});
        std::memcpy(buffer, data.data() + *at, n);
        *at += n;
        return static_cast<long>(n);
    };
}

struct Group {
    int code;
    std::string value;
    std::size_t line;
    bool operator==(const Group&) const = default;
};

// Every group, its value copied as soon as it is read (and each one put back and read again).
std::vector<Group> groupsOf(TokenReader& r) {
    std::vector<Group> out;
    for (Token t; r.next(t);) {
        EXPECT_TRUE(r.pushBack());
        EXPECT_TRUE(r.next(t));
        out.push_back({t.code, std::string(t.value), t.line});
    }
    return out;
}

}  // namespace

TEST(DxfTokenReader, StreamedInPiecesReadsWhatMemoryReads) {
    const std::string data = "\xEF\xBB\xBF  0\r\nSECTION\r\n  2\nENTITIES\n  1\n" + std::string(300, 'x') +
                             "\n 10\n1.5\n  1\n\n999\ncomment\n  0\nEOF\n\n \r\n\x1a";
    TokenReader memory{std::string_view(data)};
    const std::vector<Group> expected = groupsOf(memory);
    ASSERT_FALSE(memory.failed()) << memory.error();
    ASSERT_EQ(expected.size(), 7u);
    for (std::size_t piece : {1, 7, 64, 1000}) {
        TokenReader streamed(pieces(data, piece), 64);
        EXPECT_EQ(groupsOf(streamed), expected) << "pieces of " << piece;
        EXPECT_FALSE(streamed.failed()) << streamed.error();
        EXPECT_EQ(streamed.linesRead(), memory.linesRead());
    }
}

TEST(DxfTokenReader, StreamedErrorsAreThoseOfMemory) {
    for (const std::string& data : std::initializer_list<std::string>{"  0\nLINE\n  8", "  0\nLINE\n\n  8\n0\n", "  0\nLINE\nabc\n1\n",
                                   std::string("AutoCAD Binary DXF\r\n\x1a")}) {
        TokenReader memory{std::string_view(data)};
        groupsOf(memory);
        TokenReader streamed(pieces(data, 3), 64);
        groupsOf(streamed);
        EXPECT_TRUE(streamed.failed());
        EXPECT_EQ(streamed.error(), memory.error());
    }
    // A source that fails says so with the line it stopped at.
    int calls = 0;
    TokenReader failing(
        [&calls](char* buffer, std::size_t size, std::string& error) -> long {
            if (calls++ == 0) {
                std::string groups;
                for (int i = 0; i < 8; ++i) groups += "  0\nLINE\n";
                const std::size_t n = std::min(size, groups.size());
                std::memcpy(buffer, groups.data(), n);
                return static_cast<long>(n);
            }
            error = "device gone";
            return -1;
        },
        256);
    EXPECT_EQ(groupsOf(failing).size(), 8u);
    EXPECT_EQ(failing.error(), "line 17: the data cannot be read: device gone");
}
