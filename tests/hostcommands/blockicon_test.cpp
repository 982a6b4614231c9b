// Block preview icons: what BLOCK and WBLOCK store, and how the icons travel through files.
#include <cairo.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include "commands_fixture.h"
#include "db/blockpreview.h"
#include "db/line.h"
#include "ed/drawingfiles.h"
#include "gi/dib.h"

namespace fs = std::filesystem;

namespace {
constexpr uint32_t kRed = 0xFFFF0000u, kBlack = 0xFF000000u;

class BlockIcons : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder = fs::temp_directory_path() / ("cadhost-icons-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        CommandTest::TearDown();
        fs::remove_all(folder);
    }
    static AcArray<Adesk::UInt8> iconOf(AcDbObjectId id) {
        AcArray<Adesk::UInt8> icon;
        AcDbBlockTableRecord* record = nullptr;
        if (acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) return icon;
        EXPECT_EQ(record->hasPreviewIcon(), true);
        record->getPreviewIcon(icon);
        record->close();
        return icon;
    }
    static AcDbObjectId blockIn(AcDbDatabase& d, const char* name) {
        AcDbBlockTable* table = nullptr;
        AcDbObjectId id;
        if (d.getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
        table->getAt(name, id);
        table->close();
        return id;
    }
    // A red line from 0,0 to 10,10 made into block "mark".
    void defineRedMark() {
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0));
        line->setColorIndex(1);
        append(line);
        ASSERT_EQ(script("BLOCK mark 0,0 ALL\n\n"), 0) << out;
    }
    fs::path folder;
};

// Counts the icon's red and black pixels; every other colour counts as other.
struct Census {
    int red = 0, black = 0, other = 0, width = 0, height = 0;
};
Census census(const AcArray<Adesk::UInt8>& icon) {
    Census c;
    std::vector<uint32_t> pixels;
    EXPECT_EQ(acgiImageFromPackedDib(icon, pixels, c.width, c.height), Acad::eOk);
    for (uint32_t p : pixels) (p == kRed ? c.red : p == kBlack ? c.black : c.other)++;
    return c;
}

// The icon eight times as large, for a person to look at.
void savePng(const AcArray<Adesk::UInt8>& icon, const std::string& path) {
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_EQ(acgiImageFromPackedDib(icon, pixels, w, h), Acad::eOk);
    const int k = 8;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w * k, h * k);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    const int stride = cairo_image_surface_get_stride(s) / 4;
    for (int y = 0; y < h * k; ++y)
        for (int x = 0; x < w * k; ++x) data[y * stride + x] = pixels[size_t(y / k) * w + x / k];
    cairo_surface_mark_dirty(s);
    EXPECT_EQ(cairo_surface_write_to_png(s, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(s);
}
}  // namespace

TEST_F(BlockIcons, BlockStoresAnIconThatShowsTheBlock) {
    defineRedMark();
    const AcArray<Adesk::UInt8> icon = iconOf(block("mark"));
    AcGiDibLayout layout;
    ASSERT_TRUE(acgiPackedDibLayout(icon.asArrayPtr(), size_t(icon.length()), layout));
    EXPECT_EQ(layout.width, 32);
    EXPECT_EQ(layout.height, 32);
    EXPECT_EQ(layout.bitCount, 8);
    const Census c = census(icon);
    EXPECT_GE(c.red, 24) << "the diagonal crosses the icon";
    EXPECT_GT(c.black, 32 * 32 / 2);
    EXPECT_EQ(c.other, 0) << "thin lines are drawn without smoothing";
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    acgiImageFromPackedDib(icon, pixels, w, h);
    EXPECT_EQ(pixels[31 * 32 + 0], kBlack) << "the margin stays free";
    EXPECT_EQ(pixels[29 * 32 + 2], kRed) << "the line starts near the bottom left";
    EXPECT_EQ(pixels[2 * 32 + 29], kRed) << "and ends near the top right";
    const char* keep = std::getenv("CADHOST_PICTURES");
    savePng(icon, (keep ? fs::path(keep) : folder).append("block_icon_mark.png").string());
}

TEST_F(BlockIcons, IconsSurviveDwgAndDxfFiles) {
    defineRedMark();
    const AcArray<Adesk::UInt8> icon = iconOf(block("mark"));
    for (const char* name : {"icons.dwg", "icons.dxf"}) {
        const std::string file = (folder / name).string();
        std::string error;
        ASSERT_EQ(acedHostWriteDrawing(*db, file.c_str(), error), Acad::eOk) << error;
        AcDbDatabase back(false, true);
        ASSERT_EQ(acedHostReadDrawing(back, file.c_str(), error), Acad::eOk) << error;
        EXPECT_EQ(iconOf(blockIn(back, "mark")), icon) << name;
        EXPECT_EQ(acdbHostOpenObjectCount(), 0);
    }
}

// ezdxf itself drops block previews when it saves; its tag reader sees the icon's bytes.
TEST_F(BlockIcons, EzdxfReadsTheIconsWithoutAuditErrors) {
    if (!fs::exists("/usr/bin/python3") || std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") != 0)
        GTEST_SKIP() << "ezdxf is not installed";
    defineRedMark();
    const std::string file = (folder / "icons.dxf").string(), bytes = (folder / "icon.bin").string();
    std::string error;
    ASSERT_EQ(acedHostWriteDrawing(*db, file.c_str(), error), Acad::eOk) << error;
    const std::string script = (folder / "check.py").string();
    std::ofstream(script) << "import ezdxf, sys\n"
                             "from ezdxf.lldxf.tagger import ascii_tags_loader\n"
                             "doc = ezdxf.readfile(sys.argv[1])\n"
                             "errors = len(doc.audit().errors)\n"
                             "assert doc.blocks.get('mark') is not None\n"
                             "icon, inside = b'', False\n"
                             "for tag in ascii_tags_loader(open(sys.argv[1], encoding='cp1252')):\n"
                             "    if tag.code == 0: inside = False\n"
                             "    if tag.code == 2 and tag.value == 'mark' and not icon: inside = True\n"
                             "    if inside and tag.code == 310: icon += bytes.fromhex(tag.value)\n"
                             "open(sys.argv[2], 'wb').write(icon)\n"
                             "sys.exit(min(errors, 100))\n";
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + file + " " + bytes).c_str()), 0)
        << "ezdxf found audit errors";
    std::ifstream in(bytes, std::ios::binary);
    const std::string seen((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const AcArray<Adesk::UInt8> icon = iconOf(block("mark"));
    ASSERT_EQ(seen.size(), size_t(icon.length()));
    EXPECT_EQ(std::memcmp(seen.data(), icon.asArrayPtr(), seen.size()), 0);
}

TEST_F(BlockIcons, WblockedFilesCarryTheIconIntoTheNextInsert) {
    defineRedMark();
    const std::string file = (folder / "mark.dwg").string();
    ASSERT_EQ(script("WBLOCK " + file + "\nmark\n"), 0) << out;
    {
        AcDbDatabase written(false, true);
        std::string error;
        ASSERT_EQ(acedHostReadDrawing(written, file.c_str(), error), Acad::eOk) << error;
        EXPECT_GE(census(iconOf(written.modelSpaceId())).red, 24);
    }
    acDocManager->closeAllDocuments();
    doc = acDocManager->newDocument();
    db = doc->database();
    ASSERT_EQ(script("INSERT " + file + " 0,0 1 0\n"), 0) << out;
    EXPECT_GE(census(iconOf(block("mark"))).red, 24);
}

TEST(BlockPreview, EmptyBlocksAndBadSizesGiveBlackOrNothing) {
    AcDbDatabase empty(true, true);
    AcArray<Adesk::UInt8> dib;
    ASSERT_EQ(acdbHostRenderBlockPreview(&empty, empty.modelSpaceId(), 16, 8, dib), Acad::eOk);
    const Census c = census(dib);
    EXPECT_EQ(c.width, 16);
    EXPECT_EQ(c.black, 16 * 8);
    EXPECT_EQ(acdbHostRenderBlockPreview(&empty, empty.modelSpaceId(), 0, 8, dib), Acad::eInvalidInput);
    EXPECT_TRUE(dib.isEmpty());
}
