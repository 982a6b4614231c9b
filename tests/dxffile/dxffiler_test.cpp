// The DXF filers: groups as items, look-ahead, ids, the memory filer.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "db/database.h"
#include "db/dxffiler.h"

using cadhost::dxf::TokenReader;
using cadhost::dxf::TokenWriter;

namespace {
std::string dxf(std::initializer_list<std::pair<int, const char*>> groups) {
    TokenWriter w;
    for (auto& [code, value] : groups) w.write(code, value);
    return w.take();
}
}  // namespace

TEST(DxfInFiler, PointsComeAsOneItemWhateverTheirDimension) {
    std::string text = dxf({{10, "1.5"}, {20, "2"}, {30, "-3"}, {11, "4"}, {21, "5"}, {40, "7"}, {210, "0"}, {220, "0"}, {230, "1"}});
    TokenReader r(text);
    AcDbDxfInFiler f(r, nullptr);
    resbuf rb;
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 10);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[0], 1.5);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[1], 2);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[2], -3);
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 11);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[1], 5);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[2], 0);  // a 2-D point: z is 0
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 40);
    EXPECT_DOUBLE_EQ(rb.resval.rreal, 7);
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 210);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[2], 1);
    EXPECT_EQ(f.readItem(&rb), Acad::eEndOfFile);
    EXPECT_TRUE(f.atEOF());
}

TEST(DxfInFiler, LookAheadAndPushBack) {
    std::string text = dxf({{100, "AcDbEntity"}, {8, "Walls"}, {100, "AcDbLine"}, {1001, "APP"}, {0, "LINE"}});
    TokenReader r(text);
    AcDbDxfInFiler f(r, nullptr);
    EXPECT_FALSE(f.atSubclassData("AcDbLine"));
    EXPECT_TRUE(f.atSubclassData("AcDbEntity"));
    resbuf rb;
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_STREQ(rb.resval.rstring, "Walls");
    const char* walls = rb.resval.rstring;
    EXPECT_FALSE(f.atEndOfObject());
    EXPECT_FALSE(f.atExtendedData());
    // The value read before a peek is still there.
    EXPECT_STREQ(walls, "Walls");
    EXPECT_TRUE(f.atSubclassData("AcDbLine"));
    EXPECT_TRUE(f.atExtendedData());
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(f.pushBackItem(), Acad::eOk);
    EXPECT_NE(f.pushBackItem(), Acad::eOk);  // one level only
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 1001);
    EXPECT_TRUE(f.atEndOfObject());
}

TEST(DxfInFiler, BadValuesGiveTheLineAndWhatWasExpected) {
    struct Case {
        std::string text;
        const char* message;
    } cases[] = {
        {"  8\nA\n 40\nabc\n", "line 3: group 40: expected a number, found 'abc'"},
        {" 70\n1.5x\n", "line 1: group 70: expected a 16-bit integer"},
        {" 70\n70000.5\n", "line 1: group 70: expected a 16-bit integer"},
        {" 10\n1\n 20\nx\n", "line 3: group 20: expected a coordinate"},
        {"310\nABC\n", "expected hexadecimal bytes"},
        {"  8\nA\nxyz\n0\n", "line 3: group code is not an integer"},
        {"  8\nA\n 10\n", "has no value line"},
        {"1001\nAPP\n5090\n1.0\n", "line 3: group code 5090 is not a DXF group code"},
        {" -3\nx\n", "line 1: group code -3 is not a DXF group code"},
    };
    for (const Case& c : cases) {
        TokenReader r(c.text);
        AcDbDxfInFiler f(r, nullptr);
        resbuf rb;
        Acad::ErrorStatus es = Acad::eOk;
        while ((es = f.readItem(&rb)) == Acad::eOk) {}
        EXPECT_EQ(es, Acad::eDxfReadAborted) << c.text;
        EXPECT_NE(std::string(f.errorMessage()).find(c.message), std::string::npos) << f.errorMessage();
        EXPECT_EQ(f.filerStatus(), Acad::eDxfReadAborted);
    }
}

TEST(DxfInFiler, HandlesBecomeIdsOfTheDatabase) {
    AcDbDatabase db(false, true);
    std::string text = dxf({{330, "1F"}, {340, "Standard"}, {5, "2A"}});
    TokenReader r(text);
    AcDbDxfInFiler f(r, &db);
    resbuf rb;
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.resval.rlname[0], 0x1F);
    EXPECT_EQ(rb.resval.rlname[1], reinterpret_cast<int64_t>(&db));
    AcDbObjectId id;
    ASSERT_EQ(acdbGetObjectId(id, rb.resval.rlname), Acad::eOk);
    EXPECT_EQ(id.handle().value(), 0x1Fu);
    EXPECT_EQ(id.database(), &db);
    EXPECT_FALSE(id.isValid());  // nothing of that handle was read yet
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.resval.rlname[0], 0);
    ASSERT_EQ(f.readItem(&rb), Acad::eOk);
    EXPECT_STREQ(rb.resval.rstring, "2A");  // group 5 is text
}

namespace {
// The text values of the groups, as a filer decodes them.
std::vector<std::string> decodedTexts(const std::string& text, bool cp1252) {
    TokenReader r(text);
    AcDbDxfInFiler f(r, nullptr);
    f.setCodePage1252(cp1252);
    std::vector<std::string> out;
    for (resbuf rb; f.readItem(&rb) == Acad::eOk;) out.emplace_back(rb.resval.rstring);
    return out;
}
}  // namespace

TEST(DxfInFiler, TextIsDecoded) {
    std::string text = std::string("  1\nA^JB\n  1\nCaf\\U+00E9\n  1\nM\xFC") + "ller\n  1\n\xC3\xA9t\xC3\xA9\n";
    const std::vector<std::string> expected = {"A\nB", "Caf\xC3\xA9", "M\xC3\xBCller", "\xC3\xA9t\xC3\xA9"};
    EXPECT_EQ(decodedTexts(text, true), expected);
}

// A UTF-8 file's bytes that start no UTF-8 sequence read as code-page bytes, as the writer
// takes them, so what was read is what a save writes.
TEST(DxfInFiler, BytesOfAUtf8FileThatAreNoUtf8ReadAsCodePageBytes) {
    std::string text = std::string("  1\nM\xFC") + "ller \xE2\x82\xAC\n  1\n\x9D\xC3\n";
    const std::vector<std::string> expected = {"M\xC3\xBCller \xE2\x82\xAC", "\xC2\x9D\xC3\x83"};
    EXPECT_EQ(decodedTexts(text, false), expected);
    // Written (escaped) and read again: the same text.
    TokenWriter w;
    AcDbDxfOutFiler out(w, nullptr);
    for (const std::string& e : expected) out.writeString(1, e.c_str());
    EXPECT_EQ(decodedTexts(w.str(), true), expected);
}

TEST(DxfOutFiler, WritesGroupsAsDxfText) {
    TokenWriter w;
    AcDbDxfOutFiler f(w, nullptr);
    f.writePoint3d(10, AcGePoint3d(1, 2.5, 0));
    f.writePoint2d(11, AcGePoint2d(3, 4));
    f.writeInt32(330, 0x2AB);   // a handle group stays hexadecimal
    f.writeInt16(70, -2);
    f.writeBool(290, true);
    const unsigned char bytes[] = {0x01, 0xAB};
    f.writeBytes(310, bytes, 2);
    f.writeString(1, "\xC3\xA9");
    f.writeDouble(40, 0.1, 3);
    EXPECT_EQ(w.str(), " 10\n1.0\n 20\n2.5\n 30\n0.0\n 11\n3.0\n 21\n4.0\n330\n2AB\n 70\n-2\n290\n1\n310\n01AB\n"
                       "  1\n\\U+00E9\n 40\n0.1\n");
    EXPECT_EQ(f.writeDouble(40, INFINITY), Acad::eInvalidInput);
    EXPECT_NE(std::string(f.errorMessage()).find("group 40"), std::string::npos);
    resbuf bad;
    bad.restype = 5001;
    EXPECT_NE(f.writeItem(bad), Acad::eOk);
}

TEST(DxfMemoryFiler, KeepsGroupsAndReplaysThem) {
    AcDbDatabase db(true, true);
    AcDbDxfMemoryFiler mem(&db);
    mem.writeSubclass("AcDbThing");
    mem.writePoint2d(10, AcGePoint2d(1, 2));
    mem.writeObjectId(340, db.layerZero());
    mem.writeInt32(90, 7);
    mem.writeString(1, "text");
    ASSERT_EQ(mem.groups().size(), 5u);
    EXPECT_TRUE(mem.atSubclassData("AcDbThing"));
    resbuf rb;
    ASSERT_EQ(mem.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 10);
    EXPECT_DOUBLE_EQ(rb.resval.rpoint[1], 2);
    ASSERT_EQ(mem.readItem(&rb), Acad::eOk);
    AcDbObjectId id;
    ASSERT_EQ(acdbGetObjectId(id, rb.resval.rlname), Acad::eOk);
    EXPECT_EQ(id, db.layerZero());
    ASSERT_EQ(mem.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.resval.rlong, 7);
    ASSERT_EQ(mem.readItem(&rb), Acad::eOk);
    EXPECT_TRUE(mem.atEndOfObject());
    // As text the 2-D point keeps two groups.
    std::string text = mem.text();
    EXPECT_NE(text.find(" 10\n1.0\n 20\n2.0\n340\n"), std::string::npos) << text;
    // Any group type read under another code's kind comes as that kind.
    AcDbDxfMemoryFiler odd;
    odd.putString(40, "2.5");
    odd.putDouble(70, 3.0, -1);
    ASSERT_EQ(odd.readItem(&rb), Acad::eOk);
    EXPECT_DOUBLE_EQ(rb.resval.rreal, 2.5);
    ASSERT_EQ(odd.readItem(&rb), Acad::eOk);
    EXPECT_EQ(rb.resval.rint, 3);
}
