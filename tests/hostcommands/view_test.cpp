#include <cairo.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include "commands_fixture.h"
#include "db/circle.h"
#include "db/line.h"
#include "ed/display.h"
#include "ed/sysvar.h"

namespace fs = std::filesystem;

namespace {
class Views : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder = fs::temp_directory_path() / ("cadhost-views-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 0, 0)));
        append(new AcDbCircle(AcGePoint3d(50, 20, 0), AcGeVector3d::kZAxis, 20));
    }
    void TearDown() override {
        CommandTest::TearDown();
        fs::remove_all(folder);
    }
    AcGePoint3d center() const {
        resbuf rb;
        EXPECT_EQ(acedGetVar("VIEWCTR", &rb), RTNORM);
        return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], 0);
    }
    double size() const {
        resbuf rb;
        EXPECT_EQ(acedGetVar("VIEWSIZE", &rb), RTNORM);
        return rb.resval.rreal;
    }
    // Pixels of a PNG that differ from its top-left pixel (the background).
    static int drawnPixels(const std::string& file, int& width, int& height) {
        cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            return -1;
        }
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const uint32_t background = *reinterpret_cast<const uint32_t*>(data);
        int drawn = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (reinterpret_cast<const uint32_t*>(data + y * stride)[x] != background) ++drawn;
        cairo_surface_destroy(surface);
        return drawn;
    }
    fs::path folder;
};

TEST_F(Views, RegenRedrawsTheDocumentsDisplay) {
    AcEdDisplayList& display = doc->display();
    ASSERT_EQ(script("REGEN\n"), 0) << out;
    EXPECT_TRUE(printed("Regenerating model."));
    EXPECT_EQ(display.regenCount(), 1);
    EXPECT_EQ(display.entityCount(), 2u);
    EXPECT_EQ(display.lastDrawn(), entities());
    ASSERT_EQ(script("ERASE L \nREGEN\n"), 0) << out;
    EXPECT_EQ(display.regenCount(), 2);
    EXPECT_EQ(display.entityCount(), 1u);
}

TEST_F(Views, ZoomKeepsTheViewInViewctrAndViewsize) {
    ASSERT_EQ(script("ZOOM 0,0 40,30\n"), 0) << out;
    expectPoint(center(), AcGePoint3d(20, 15, 0));
    EXPECT_DOUBLE_EQ(size(), 30);
    ASSERT_EQ(script("ZOOM 2x\n"), 0) << out;
    EXPECT_DOUBLE_EQ(size(), 15);
    ASSERT_EQ(script("ZOOM C 5,5 12\n"), 0) << out;
    expectPoint(center(), AcGePoint3d(5, 5, 0));
    EXPECT_DOUBLE_EQ(size(), 12);
    ASSERT_EQ(script("ZOOM E\n"), 0) << out;
    expectPoint(center(), AcGePoint3d(50, 20, 0));
    EXPECT_NEAR(size(), 100 * 600.0 / 800.0 * 1.05, 1e-9) << "the extents' width decides on a 4:3 screen";
    EXPECT_DOUBLE_EQ(db->headerReal("VIEWSIZE"), size()) << "a saved drawing keeps its view";
    EXPECT_EQ(script("ZOOM 3\n"), 1);
    EXPECT_TRUE(printed("scale factor such as 2X")) << out;
}

TEST_F(Views, ZoomRunsInsideAnotherCommand) {
    ASSERT_EQ(script("LINE 0,0 'ZOOM 0,0 10,10 5,5\n\n"), 0) << out;
    EXPECT_DOUBLE_EQ(size(), 10);
    EXPECT_EQ(entities().size(), 3u);
}

TEST_F(Views, ExportWritesAPictureOfTheView) {
    const std::string png = (folder / "plan.png").string();
    ASSERT_EQ(script("EXPORT " + png + "\nE\n200x150\n"), 0) << out;
    int width = 0, height = 0;
    const int drawn = drawnPixels(png, width, height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 150);
    EXPECT_GT(drawn, 200) << "the line and the circle show";

    // A view far from everything shows nothing.
    const std::string empty = (folder / "empty.png").string();
    ASSERT_EQ(script("ZOOM C 5000,5000 10\nEXPORT " + empty + "\n\n\n"), 0) << out;
    EXPECT_EQ(drawnPixels(empty, width, height), 0);
    EXPECT_EQ(width, 800) << "the screen size by default";

    const std::string svg = (folder / "plan.svg").string();
    ASSERT_EQ(script("EXPORT " + svg + "\nExtents\n\n"), 0) << out;
    std::ifstream in(svg);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("<svg"), std::string::npos);
}

TEST_F(Views, ExportRefusesWrongAnswers) {
    EXPECT_EQ(script("EXPORT " + (folder / "plan.bmp").string() + "\n"), 1);
    EXPECT_TRUE(printed(".png or .svg")) << out;
    EXPECT_EQ(script("EXPORT " + (folder / "plan.png").string() + "\n\n0x100\n"), 1);
    EXPECT_EQ(script("EXPORT " + (folder / "plan.png").string() + "\n\n99999x100\n"), 1);
    EXPECT_FALSE(fs::exists(folder / "plan.png"));
    EXPECT_EQ(script("EXPORT " + (folder / "no such folder" / "plan.png").string() + "\n\n\n"), 1);
    EXPECT_TRUE(printed("Cannot export")) << out;
}
}  // namespace
