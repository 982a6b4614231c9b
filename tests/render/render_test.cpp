// Rendering databases to PNG, SVG, images and packed DIBs.
#include <gtest/gtest.h>
#include <fstream>
#include <regex>
#include <sstream>
#include "db/blockref.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/mtext.h"
#include "db/text.h"
#include "gi/dib.h"
#include "gi/palette.h"
#include "gi/renderer.h"
#include "render_support.h"

using namespace rendertest;

namespace {

// A red line along y = 25 from x 10 to 90 and a circle of radius 5 about (20, 10), both 1 mm wide.
void redLineAndCircle(AcDbDatabase& db) {
    auto* line = new AcDbLine(AcGePoint3d(10, 25, 0), AcGePoint3d(90, 25, 0));
    line->setColorIndex(1);
    line->setLineWeight(AcDb::kLnWt100);
    append(db, line);
    auto* circle = new AcDbCircle(AcGePoint3d(20, 10, 0), AcGeVector3d::kZAxis, 5);
    circle->setLineWeight(AcDb::kLnWt100);
    append(db, circle);
}

std::string tempPath(const char* name) { return ::testing::TempDir() + "cadhost_render_" + name; }

}  // namespace

TEST(RenderPng, RedLineIsRedAndTheRestBackground) {
    AcDbDatabase db;
    redLineAndCircle(db);
    const std::string path = tempPath("line.png");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToPng(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    EXPECT_EQ(db.numOpenObjects(), 0);
    EXPECT_EQ(renderer.drawnCount(), 2u);

    int w = 0, h = 0;
    const std::vector<uint32_t> px = readPng(path, w, h);
    ASSERT_EQ(w, 200);
    ASSERT_EQ(h, 100);
    for (int x : {30, 100, 170}) {
        EXPECT_TRUE(isRed(rgbAt(px, w, x, 49))) << x;
        EXPECT_TRUE(isRed(rgbAt(px, w, x, 50))) << x;
    }
    // The circle: colour 7 by layer "0", black on white, through device (50, 80).
    const Rgb c = rgbAt(px, w, 49, 80);
    EXPECT_LT(c.r + c.g + c.b, 120);
    EXPECT_TRUE(isWhite(rgbAt(px, w, 40, 80)));  // its centre
    int red = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb p = rgbAt(px, w, x, y);
            if (isRed(p)) {
                ++red;
                EXPECT_TRUE(y >= 46 && y <= 53 && x >= 16 && x <= 184) << x << "," << y;
            }
            if (y < 40) {
                EXPECT_TRUE(isWhite(p)) << x << "," << y;
            }
        }
    EXPECT_GT(red, 2 * 160);
}

TEST(RenderPng, FitsTheExtentsWhenNoViewIsGiven) {
    AcDbDatabase db;
    redLineAndCircle(db);
    AcGiRenderOptions o;
    o.width = 200;
    o.height = 100;
    AcGiRenderer renderer(o);
    std::vector<uint32_t> px;
    ASSERT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 200, 100, px), Acad::eOk);
    EXPECT_NEAR(renderer.viewCenter().x, 50, 1e-6);
    EXPECT_NEAR(renderer.viewCenter().y, 15, 1e-6);
    EXPECT_NEAR(renderer.viewHeight(), 40 / 0.9, 1e-6);  // the 80 wide extents decide, 5% margins
    // The line's middle lands at device (100, 50 - 10 * 100 / viewHeight).
    EXPECT_TRUE(isRed(rgbAt(px, 200, 100, int(50 - 10 * 100 / renderer.viewHeight()))));
    EXPECT_TRUE(isWhite(rgbAt(px, 200, 2, 2)));
}

TEST(RenderPng, BadArgumentsAndUnwritablePathsFail) {
    AcDbDatabase db;
    redLineAndCircle(db);
    AcGiRenderer renderer(fixedView());
    EXPECT_EQ(renderer.renderToPng(&db, "/nonexistent-dir/x.png"), Acad::eFileAccessErr);
    EXPECT_FALSE(renderer.lastError().empty());
    EXPECT_EQ(renderer.renderToSvg(&db, "/nonexistent-dir/x.svg"), Acad::eFileAccessErr);
    EXPECT_EQ(renderer.renderToPng(nullptr, tempPath("none.png").c_str()), Acad::eNoDatabase);
    std::vector<uint32_t> px;
    EXPECT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 0, 10, px), Acad::eInvalidInput);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(RenderColors, ByLayerOffLayersAndBlackBackground) {
    AcDbDatabase db;
    const AcDbObjectId blue = addLayer(db, "BLUE", 5);
    const AcDbObjectId hidden = addLayer(db, "HIDDEN", 1);
    auto* a = new AcDbLine(AcGePoint3d(10, 25, 0), AcGePoint3d(90, 25, 0));
    a->setLayer(blue);
    a->setLineWeight(AcDb::kLnWt100);
    append(db, a);
    auto* b = new AcDbLine(AcGePoint3d(10, 40, 0), AcGePoint3d(90, 40, 0));
    b->setLayer(hidden);
    b->setLineWeight(AcDb::kLnWt100);
    append(db, b);
    withLayer(hidden, [](AcDbLayerTableRecord* r) { r->setIsOff(true); });

    AcGiRenderer renderer(fixedView());
    std::vector<uint32_t> px;
    ASSERT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 200, 100, px), Acad::eOk);
    const Rgb c = rgbAt(px, 200, 100, 50);
    EXPECT_TRUE(c.r == 0 && c.g == 0 && c.b == 255);
    EXPECT_TRUE(isWhite(rgbAt(px, 200, 100, 20)));  // y = 40 is on the layer that is off
    EXPECT_EQ(renderer.drawnCount(), 1u);

    // Colour 7 turns white on black.
    withLayer(blue, [](AcDbLayerTableRecord* r) { r->setColor(AcCmColor::fromIndex(7)); });
    renderer.options().blackBackground = true;
    ASSERT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 200, 100, px), Acad::eOk);
    EXPECT_TRUE(isWhite(rgbAt(px, 200, 100, 50)));
    const Rgb bg = rgbAt(px, 200, 100, 90);
    EXPECT_EQ(bg.r + bg.g + bg.b, 0);
}

TEST(RenderColors, ByBlockAndLayerZeroTakeTheInsertsProperties) {
    AcDbDatabase db;
    const AcDbObjectId blue = addLayer(db, "BLUE", 5);
    const AcDbObjectId block = addBlock(db, "B");
    auto* byBlock = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(80, 0, 0));
    byBlock->setColorIndex(0);
    byBlock->setLineWeight(AcDb::kLnWt100);
    append(db, byBlock, block);
    auto* byLayer = new AcDbLine(AcGePoint3d(0, 10, 0), AcGePoint3d(80, 10, 0));  // layer "0", by layer
    byLayer->setLineWeight(AcDb::kLnWt100);
    append(db, byLayer, block);
    auto* insert = new AcDbBlockReference(AcGePoint3d(10, 15, 0), block);
    insert->setColorIndex(1);
    insert->setLayer(blue);
    const AcDbObjectId insertId = append(db, insert);

    AcGiRenderer renderer(fixedView());
    std::vector<uint32_t> px;
    ASSERT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 200, 100, px), Acad::eOk);
    EXPECT_TRUE(isRed(rgbAt(px, 200, 100, 70)));  // y = 15
    const Rgb c = rgbAt(px, 200, 100, 50);        // y = 25
    EXPECT_TRUE(c.r == 0 && c.g == 0 && c.b == 255) << c.r << "," << c.g << "," << c.b;

    // What the recorder keeps of it: the nested line in world coordinates, red by block.
    AcGiRecordingDraw rec;
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, insertId, AcDb::kForRead), Acad::eOk);
    rec.draw(e);
    e->close();
    ASSERT_EQ(rec.primitives().size(), 2u);
    EXPECT_EQ(rec.primitives()[0].depth, 1);
    EXPECT_EQ(rec.primitives()[0].traits.color, 0);
    EXPECT_EQ(rec.primitives()[0].effective.color, 1);
    EXPECT_EQ(rec.primitives()[1].effective.layerId, blue);
    EXPECT_NEAR(rec.primitives()[0].points.at(0).y, 15, 1e-12);

    // The block rendered on its own: ByBlock shows as colour 7.
    ASSERT_EQ(renderer.renderToImage(&db, block, 200, 100, px), Acad::eOk);
    EXPECT_EQ(renderer.drawnCount(), 2u);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(RenderText, TextIsDrawnAndBadBytesDoNotSpoilTheImage) {
    AcDbDatabase db;
    auto* t = new AcDbText(AcGePoint3d(20, 20, 0), "HELLO %%d \xff\xfe", AcDbObjectId::kNull, 10, 0);
    t->setColorIndex(5);
    append(db, t);
    auto* line = new AcDbLine(AcGePoint3d(10, 5, 0), AcGePoint3d(90, 5, 0));
    line->setColorIndex(1);
    line->setLineWeight(AcDb::kLnWt100);
    append(db, line);
    AcGiRenderer renderer(fixedView());
    std::vector<uint32_t> px;
    ASSERT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 200, 100, px), Acad::eOk) << renderer.lastError();
    // Blue ink inside the text's box (device x from 40, cap height from y 40, baseline at 60).
    int blueInBox = 0, blueOutside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const Rgb c = rgbAt(px, 200, x, y);
            if (c.b > 200 && c.r < 100) (y >= 30 && y <= 70 && x >= 38) ? ++blueInBox : ++blueOutside;
        }
    EXPECT_GT(blueInBox, 100);
    EXPECT_EQ(blueOutside, 0);
    EXPECT_TRUE(isRed(rgbAt(px, 200, 100, 90)));  // y = 5, drawn after the text
}

// The height of text is the height of its capitals: an "H" of height 20 is 40 pixels tall at
// 2 pixels a unit, as TEXT and as MTEXT.
TEST(RenderText, CapitalsAreAsTallAsTheTextHeight) {
    const auto inkRows = [](AcDbEntity* text) {
        AcDbDatabase db;
        append(db, text);
        AcGiRenderer renderer(fixedView());
        std::vector<uint32_t> px;
        EXPECT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 200, 100, px), Acad::eOk) << renderer.lastError();
        int top = 100, bottom = -1;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                if (rgbAt(px, 200, x, y).r < 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom - top + 1;
    };
    EXPECT_NEAR(inkRows(new AcDbText(AcGePoint3d(20, 5, 0), "H", AcDbObjectId::kNull, 20, 0)), 40, 1.5);
    auto* m = new AcDbMText;
    m->setLocation(AcGePoint3d(20, 45, 0));
    m->setTextHeight(20);
    m->setContents("H");
    EXPECT_NEAR(inkRows(m), 40, 1.5);
}

// An elliptical arc is drawn as a smooth curve, wherever the view is fitted: ink lies on the true
// curve all along, also half way between where chords would have their corners; the view fits
// its extents.
TEST(RenderCurves, EllipticalArcsAreSmoothAndFitted) {
    AcDbDatabase db;
    auto* el = new AcDbEllipse(AcGePoint3d(3, 4, 0), AcGeVector3d::kZAxis, AcGeVector3d(8, 6, 0), 0.5);
    el->setStartParam(0.3);
    el->setEndParam(4.0);
    el->setLineWeight(AcDb::kLnWt000);
    AcDbExtents ext;
    el->getGeomExtents(ext);
    const AcDbObjectId id = append(db, el);
    AcGiRenderOptions o;
    o.width = o.height = 800;
    o.margin = 0.1;
    AcGiRenderer renderer(o);
    std::vector<uint32_t> px;
    ASSERT_EQ(renderer.renderToImage(&db, AcDbObjectId::kNull, 800, 800, px), Acad::eOk) << renderer.lastError();
    EXPECT_EQ(db.numOpenObjects(), 0);
    EXPECT_NEAR(renderer.viewCenter().x, (ext.minPoint().x + ext.maxPoint().x) / 2, 1e-9);
    EXPECT_NEAR(renderer.viewCenter().y, (ext.minPoint().y + ext.maxPoint().y) / 2, 1e-9);
    const double w = ext.maxPoint().x - ext.minPoint().x, h = ext.maxPoint().y - ext.minPoint().y;
    EXPECT_NEAR(renderer.viewHeight(), std::max(w, h) / 0.8, 1e-9);

    // Ink within a pixel of each point of the curve.
    const double scale = 800 / renderer.viewHeight();
    AcDbEllipse* open = nullptr;
    ASSERT_EQ(acdbOpenObject(open, id, AcDb::kForRead), Acad::eOk);
    int missed = 0;
    for (int k = 0; k <= 300; ++k) {
        AcGePoint3d q;
        open->getPointAtParam(0.3 + 3.7 * k / 300, q);
        const int x = int(std::floor(400 + (q.x - renderer.viewCenter().x) * scale));
        const int y = int(std::floor(400 - (q.y - renderer.viewCenter().y) * scale));
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                darkest = std::min(darkest, rgbAt(px, 800, std::clamp(x + dx, 0, 799), std::clamp(y + dy, 0, 799)).r);
        if (darkest > 128) ++missed;
    }
    open->close();
    EXPECT_EQ(missed, 0);
}

// Geometry placed beyond the largest numbers (a circle in a block inserted at scale 1e300 in a
// block inserted at 1e300) is left out of the picture; the rest is drawn.
TEST(RenderCurves, OverflowingInsertsAreLeftOut) {
    AcDbDatabase db;
    const AcDbObjectId inner = addBlock(db, "INNER"), outer = addBlock(db, "OUTER");
    append(db, new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1.0), inner);
    auto* nested = new AcDbBlockReference(AcGePoint3d::kOrigin, inner);
    nested->setScaleFactors(AcGeScale3d(1e300));
    append(db, nested, outer);
    auto* top = new AcDbBlockReference(AcGePoint3d::kOrigin, outer);
    top->setScaleFactors(AcGeScale3d(1e300));
    append(db, top);
    append(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0)));
    const std::string path = tempPath("overflow.png");
    AcGiRenderer renderer;
    ASSERT_EQ(renderer.renderToPng(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    EXPECT_EQ(renderer.drawnCount(), 1u);
    EXPECT_NEAR(renderer.viewCenter().x, 5.0, 1e-9);
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(RenderSvg, WellFormedWithPaths) {
    AcDbDatabase db;
    redLineAndCircle(db);
    append(db, new AcDbText(AcGePoint3d(20, 30, 0), "A&B <tag>", AcDbObjectId::kNull, 5, 0));
    const std::string path = tempPath("line.svg");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToSvg(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    const std::string svg = readFile(path);
    ASSERT_FALSE(svg.empty());
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("<path"), std::string::npos);
    EXPECT_NE(svg.find("width=\"200"), std::string::npos);
    EXPECT_TRUE(wellFormedXml(svg));
    EXPECT_FALSE(wellFormedXml(svg.substr(0, svg.size() / 2)));
}

// Strokes of one colour and width that follow each other share one SVG path, each line its own
// piece of it at its place; a line of another colour gets a path of its own.
TEST(RenderSvg, StrokesOfOneStyleShareAPath) {
    AcDbDatabase db;
    for (int i = 0; i < 10; ++i) {
        auto* line = new AcDbLine(AcGePoint3d(10, 5 + 4 * i, 0), AcGePoint3d(90, 5 + 4 * i, 0));
        line->setColorIndex(1);
        append(db, line);
    }
    auto* green = new AcDbLine(AcGePoint3d(10, 48, 0), AcGePoint3d(90, 48, 0));
    green->setColorIndex(3);
    append(db, green);
    const std::string path = tempPath("batched.svg");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToSvg(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    EXPECT_EQ(renderer.drawnCount(), 11u);
    const std::string svg = readFile(path);
    EXPECT_TRUE(wellFormedXml(svg));
    std::vector<std::string> paths;
    for (size_t at = svg.find("<path"); at != std::string::npos; at = svg.find("<path", at + 1))
        paths.push_back(svg.substr(at, svg.find('>', at) - at));
    ASSERT_EQ(paths.size(), 2u) << svg;
    EXPECT_NE(paths[0].find("rgb(100%,0%,0%)"), std::string::npos) << paths[0];
    EXPECT_NE(paths[1].find("rgb(0%,100%,0%)"), std::string::npos) << paths[1];
    for (int i = 0; i < 10; ++i) {
        const std::string y = std::to_string(90 - 8 * i);
        EXPECT_NE(paths[0].find("M 20 " + y + " L 180 " + y + " "), std::string::npos) << y << ": " << paths[0];
    }
    EXPECT_NE(paths[1].find("M 20 4 L 180 4 "), std::string::npos) << paths[1];
}

TEST(RenderDib, HeaderFieldsAndPixels) {
    AcDbDatabase db;
    redLineAndCircle(db);
    AcGiRenderer renderer(fixedView());
    AcArray<Adesk::UInt8> dib;
    ASSERT_EQ(renderer.renderToDib(&db, AcDbObjectId::kNull, 200, 100, dib, 8), Acad::eOk);
    const auto u16 = [&](int at) { return int(dib[at]) | int(dib[at + 1]) << 8; };
    const auto u32 = [&](int at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
    ASSERT_EQ(dib.length(), 40 + 256 * 4 + 200 * 100);
    EXPECT_EQ(u32(0), 40u);
    EXPECT_EQ(u32(4), 200u);
    EXPECT_EQ(u32(8), 100u);  // bottom-up rows
    EXPECT_EQ(u16(12), 1);
    EXPECT_EQ(u16(14), 8);
    EXPECT_EQ(u32(16), 0u);
    EXPECT_EQ(u32(20), 200u * 100u);
    EXPECT_EQ(u32(32), 256u);
    // Palette entry 1 is red (blue, green, red, 0); the pixel at device (100, 50) uses it.
    EXPECT_EQ(dib[40 + 4], 0);
    EXPECT_EQ(dib[40 + 6], 255);
    EXPECT_EQ(dib[40 + 1024 + (100 - 1 - 50) * 200 + 100], 1);

    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_EQ(acgiImageFromPackedDib(dib, px, w, h), Acad::eOk);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 100);
    EXPECT_TRUE(isRed(rgbAt(px, w, 100, 50)));
    EXPECT_TRUE(isWhite(rgbAt(px, w, 150, 90)));

    // 24 bits: rows padded to four bytes.
    ASSERT_EQ(renderer.renderToDib(&db, AcDbObjectId::kNull, 30, 10, dib, 24), Acad::eOk);
    EXPECT_EQ(u16(14), 24);
    EXPECT_EQ(u32(20), 92u * 10u);
    EXPECT_EQ(u32(32), 0u);
    EXPECT_EQ(dib.length(), 40 + 92 * 10);
    ASSERT_EQ(acgiImageFromPackedDib(dib, px, w, h), Acad::eOk);
    EXPECT_EQ(w, 30);
}

TEST(RenderDib, ResamplingAndBadInput) {
    std::vector<uint32_t> image(4 * 4, 0xFFFFFFFF);
    image[0] = image[1] = image[4] = image[5] = 0xFFFF0000;  // top-left quarter red
    AcArray<Adesk::UInt8> dib;
    ASSERT_EQ(acgiPackedDibFromImage(image, 4, 4, dib, 24, 2, 2), Acad::eOk);
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_EQ(acgiImageFromPackedDib(dib, px, w, h), Acad::eOk);
    ASSERT_EQ(px.size(), 4u);
    EXPECT_EQ(px[0], 0xFFFF0000u);
    EXPECT_EQ(px[1], 0xFFFFFFFFu);
    EXPECT_EQ(px[3], 0xFFFFFFFFu);

    EXPECT_EQ(acgiPackedDibFromImage(image, 4, 5, dib, 8), Acad::eInvalidInput);  // too few pixels
    EXPECT_EQ(acgiPackedDibFromImage(image, 4, 4, dib, 16), Acad::eInvalidInput);
    ASSERT_EQ(acgiPackedDibFromImage(image, 4, 4, dib, 8), Acad::eOk);
    AcArray<Adesk::UInt8> cut = dib;
    cut.setLogicalLength(cut.length() - 1);
    EXPECT_EQ(acgiImageFromPackedDib(cut, px, w, h), Acad::eInvalidInput);
    AcArray<Adesk::UInt8> huge = dib;
    huge[4] = huge[5] = huge[6] = 0xFF;
    huge[7] = 0x7F;
    EXPECT_EQ(acgiImageFromPackedDib(huge, px, w, h), Acad::eInvalidInput);
    EXPECT_TRUE(px.empty());
}

TEST(RenderPalette, StandardColourIndexScheme) {
    const auto is = [](int index, int r, int g, int b, bool black = true) {
        const AcGiRgb c = acgiColorIndexToRgb(index, black);
        return c.r == r && c.g == g && c.b == b;
    };
    EXPECT_TRUE(is(1, 255, 0, 0) && is(2, 255, 255, 0) && is(5, 0, 0, 255));
    EXPECT_TRUE(is(7, 255, 255, 255) && is(7, 0, 0, 0, false) && is(256, 0, 0, 0, false));
    EXPECT_TRUE(is(8, 128, 128, 128) && is(9, 192, 192, 192));
    // Hues 15 degrees apart, shades 100/80/60/50/30 %, odd entries half saturated.
    EXPECT_TRUE(is(10, 255, 0, 0) && is(11, 255, 127, 127) && is(12, 204, 0, 0) && is(19, 76, 38, 38));
    EXPECT_TRUE(is(21, 255, 159, 127) && is(30, 255, 127, 0) && is(140, 0, 191, 255) && is(240, 255, 0, 63));
    EXPECT_TRUE(is(250, 51, 51, 51) && is(254, 214, 214, 214) && is(255, 255, 255, 255));
    EXPECT_EQ(acgiNearestColorIndex({250, 5, 5}), 1);
}
