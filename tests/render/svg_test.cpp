// SVG export: numbers and text as written, curves and large drawings; failed writes of exports.
#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include "db/arc.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/text.h"
#include "gi/renderer.h"
#include "gi/svgwriter.h"
#include "render_support.h"

using namespace rendertest;

namespace {

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "cadhost_svg_" + name; }

std::string fixed(double v, int decimals) {
    std::string s;
    acgiAppendFixed(s, v, decimals);
    return s;
}

// Every element of the given name, from '<' to its closing '>' (of the start tag).
std::vector<std::string> elements(const std::string& svg, const std::string& name) {
    std::vector<std::string> out;
    for (size_t at = svg.find("<" + name + " "); at != std::string::npos; at = svg.find("<" + name + " ", at + 1))
        out.push_back(svg.substr(at, svg.find('>', at) + 1 - at));
    return out;
}

std::string attribute(const std::string& element, const std::string& name) {
    const size_t at = element.find(" " + name + "=\"");
    if (at == std::string::npos) return {};
    const size_t start = at + name.size() + 3;
    return element.substr(start, element.find('"', start) - start);
}

// The points of path data, in order (command letters skipped).
std::vector<std::pair<double, double>> points(const std::string& d) {
    std::vector<double> numbers;
    std::istringstream in(d);
    std::string token;
    while (in >> token)
        if (!std::isalpha(static_cast<unsigned char>(token[0]))) numbers.push_back(std::stod(token));
    std::vector<std::pair<double, double>> out;
    for (size_t i = 0; i + 1 < numbers.size(); i += 2) out.emplace_back(numbers[i], numbers[i + 1]);
    return out;
}

size_t saveTemporaries(const std::string& folder) {
    size_t n = 0;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) n += std::string(e->d_name).starts_with(".cadhost-save-");
        closedir(dir);
    }
    return n;
}
}  // namespace

TEST(SvgNumbers, FixedDecimalsWithoutTrailingZeros) {
    EXPECT_EQ(fixed(20, 2), "20");
    EXPECT_EQ(fixed(0.5, 2), "0.5");
    EXPECT_EQ(fixed(266.6666666, 2), "266.67");
    EXPECT_EQ(fixed(-33.333333, 2), "-33.33");
    EXPECT_EQ(fixed(0.125, 2), "0.13");
    EXPECT_EQ(fixed(-0.004, 2), "0") << "no negative zero";
    EXPECT_EQ(fixed(1.999, 2), "2");
    EXPECT_EQ(fixed(100.25, 1), "100.3");
    EXPECT_EQ(fixed(0.7071067, 5), "0.70711");
    EXPECT_EQ(fixed(1e20, 2), "100000000000000000000");
    EXPECT_EQ(fixed(-2.5e17, 2), "-250000000000000000");
    EXPECT_EQ(fixed(std::nan(""), 2), "0");
    EXPECT_EQ(fixed(INFINITY, 2), "0");
}

TEST(SvgText, MarkupAndCharactersXmlCannotHoldAreReplaced) {
    std::string out;
    acgiAppendXmlText(out, "A&B <x> \"q\" 'a'\x01\x7f \xEF\xBF\xBE\xff\xC3\xA9\xE2\x8C\x80");
    EXPECT_EQ(out, "A&amp;B &lt;x&gt; &quot;q&quot; &apos;a&apos;   \xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9\xE2\x8C\x80");
}

// A text entity with markup characters, control characters and a non-character comes out as a
// <text> element that an XML parser reads back to the text shown, placed as Cairo places it.
TEST(SvgText, TextEntityIsEscapedAndPlaced) {
    AcDbDatabase db;
    auto* text = new AcDbText(AcGePoint3d(20, 30, 0), "A&B <tag> \"q\"\x01%%d\\U+FFFE", AcDbObjectId::kNull, 5,
                              std::numbers::pi / 2);
    text->setColorIndex(1);
    append(db, text);
    const std::string path = tempPath("text.svg");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToSvg(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    EXPECT_EQ(db.numOpenObjects(), 0);
    const std::string svg = readFile(path);
    EXPECT_TRUE(wellFormedXml(svg)) << svg;
    const auto texts = elements(svg, "text");
    ASSERT_EQ(texts.size(), 1u) << svg;
    EXPECT_EQ(attribute(texts[0], "fill"), "rgb(100%,0%,0%)");
    // Rotated a quarter turn (counterclockwise on the page, Y down) at device (40, 40); 5 units
    // of cap height are 10 pixels.
    EXPECT_EQ(attribute(texts[0], "transform"), "matrix(0 -1 1 0 40 40)");
    EXPECT_NEAR(std::stod(attribute(texts[0], "font-size")), 10 / acgiTextCapHeight(), 0.01);
    const size_t start = svg.find('>', svg.find("<text ")) + 1;
    EXPECT_EQ(svg.substr(start, svg.find("</text>") - start),
              "A&amp;B &lt;tag&gt; &quot;q&quot; \xC2\xB0\xEF\xBF\xBD");

    // A real parser agrees, where there is one.
    if (std::system("/usr/bin/python3 -c 'import xml.dom.minidom' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    const std::string out = tempPath("text.txt");
    const std::string command = "/usr/bin/python3 -c 'import sys, xml.dom.minidom as m; "
                                "d = m.parse(sys.argv[1]); "
                                "open(sys.argv[2], \"w\", encoding=\"utf-8\").write("
                                "d.getElementsByTagName(\"text\")[0].firstChild.data)' " +
                                path + " " + out;
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(out), "A&B <tag> \"q\" \xC2\xB0\xEF\xBF\xBD");
    std::remove(out.c_str());
}

// Circles and arcs become cubic pieces whose ends and middles lie on the curve.
TEST(SvgCurves, CirclesAndArcsFollowTheCurve) {
    AcDbDatabase db;
    auto* circle = new AcDbCircle(AcGePoint3d(20, 20, 0), AcGeVector3d::kZAxis, 10);
    circle->setColorIndex(1);
    append(db, circle);
    auto* arc = new AcDbArc(AcGePoint3d(70, 25, 0), 15, 0.25, 2.75);
    arc->setColorIndex(3);
    append(db, arc);
    const std::string path = tempPath("curves.svg");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToSvg(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    const auto paths = elements(readFile(path), "path");
    ASSERT_EQ(paths.size(), 2u);
    struct Expect {
        double cx, cy, r, start, end;  // device centre and radius, angles on the page (Y up)
    };
    const Expect expects[2] = {{40, 60, 20, 0, 2 * std::numbers::pi}, {140, 50, 30, 0.25, 2.75}};
    for (int k = 0; k < 2; ++k) {
        const std::string d = attribute(paths[k], "d");
        const auto pts = points(d);
        ASSERT_GE(pts.size(), 4u) << d;
        ASSERT_EQ((pts.size() - 1) % 3, 0u) << d;
        const Expect& e = expects[k];
        const auto angle = [&](std::pair<double, double> p) { return std::atan2(e.cy - p.second, p.first - e.cx); };
        const auto radius = [&](std::pair<double, double> p) { return std::hypot(p.first - e.cx, p.second - e.cy); };
        EXPECT_NEAR(radius(pts.front()), e.r, 0.01) << d;
        EXPECT_NEAR(radius(pts.back()), e.r, 0.01) << d;
        EXPECT_NEAR(std::remainder(angle(pts.front()) - e.start, 2 * std::numbers::pi), 0, 1e-3) << d;
        EXPECT_NEAR(std::remainder(angle(pts.back()) - e.end, 2 * std::numbers::pi), 0, 1e-3) << d;
        for (size_t i = 0; i + 3 < pts.size(); i += 3) {
            const auto [x0, y0] = pts[i];
            const auto [x1, y1] = pts[i + 1];
            const auto [x2, y2] = pts[i + 2];
            const auto [x3, y3] = pts[i + 3];
            EXPECT_NEAR(radius(pts[i + 3]), e.r, 0.01) << d;
            const std::pair<double, double> middle{(x0 + 3 * x1 + 3 * x2 + x3) / 8, (y0 + 3 * y1 + 3 * y2 + y3) / 8};
            EXPECT_NEAR(radius(middle), e.r, 0.02) << d;
        }
    }
}

// The strokes of one style in a large drawing are written in pieces of bounded size, every
// line in its place.
TEST(SvgLarge, LongStrokeRunsAreSplitAndComplete) {
    AcDbDatabase db;
    constexpr int kLines = 12000;
    for (int i = 0; i < kLines; ++i)
        append(db, new AcDbLine(AcGePoint3d(i % 100, 0, 0), AcGePoint3d(i % 100, 50, 0)));
    const std::string path = tempPath("large.svg");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToSvg(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    const std::string svg = readFile(path);
    const auto paths = elements(svg, "path");
    ASSERT_GT(paths.size(), 1u);
    size_t moves = 0;
    for (const std::string& p : paths) {
        EXPECT_LT(p.size(), 80000u);
        const std::string d = attribute(p, "d");
        for (size_t at = d.find("M "); at != std::string::npos; at = d.find("M ", at + 1)) ++moves;
    }
    EXPECT_EQ(moves, size_t(kLines));
    EXPECT_NE(svg.find("M 198 100 L 198 0 "), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</g>\n</svg>\n"));
}

// Shapes wholly off the picture are left out; a shape that reaches into it, by its line width
// too, is kept whole.
TEST(SvgLarge, ShapesOffThePictureAreLeftOut) {
    AcDbDatabase db;
    append(db, new AcDbLine(AcGePoint3d(200, 10, 0), AcGePoint3d(300, 40, 0)));    // right of it
    append(db, new AcDbLine(AcGePoint3d(-40, 60, 0), AcGePoint3d(140, 60, 0)));    // above it
    append(db, new AcDbCircle(AcGePoint3d(50, -30, 0), AcGeVector3d::kZAxis, 20));  // below it
    append(db, new AcDbLine(AcGePoint3d(-100, 20, 0), AcGePoint3d(40, 20, 0)));    // into it from the left
    auto* wide = new AcDbLine(AcGePoint3d(10, 51, 0), AcGePoint3d(90, 51, 0));      // 2 pixels above, 2 mm wide
    wide->setLineWeight(AcDb::kLnWt200);
    append(db, wide);
    const std::string path = tempPath("offpicture.svg");
    AcGiRenderer renderer(fixedView());
    ASSERT_EQ(renderer.renderToSvg(&db, path.c_str()), Acad::eOk) << renderer.lastError();
    const std::string svg = readFile(path);
    EXPECT_TRUE(wellFormedXml(svg));
    const auto paths = elements(svg, "path");
    ASSERT_EQ(paths.size(), 2u) << svg;
    EXPECT_EQ(attribute(paths[0], "d"), "M -200 60 L 80 60 ");
    EXPECT_EQ(attribute(paths[1], "d"), "M 20 -2 L 180 -2 ");
}

// An export whose write fails part way leaves the file that was there and no temporary file.
TEST(ExportFile, FailedWriteKeepsTheOldFile) {
    const std::string folder = ::testing::TempDir() + "cadhost_svg_fail";
    std::filesystem::create_directories(folder);
    AcDbDatabase db;
    for (int i = 0; i < 20000; ++i)
        append(db, new AcDbLine(AcGePoint3d(i % 97, i % 13, 0), AcGePoint3d(i % 89, 40 + i % 7, 0)));
    AcGiRenderer renderer(fixedView());
    for (const bool svg : {true, false}) {
        SCOPED_TRACE(svg ? "SVG" : "PNG");
        const std::string path = folder + (svg ? "/plan.svg" : "/plan.png");
        {
            std::ofstream old(path, std::ios::binary | std::ios::trunc);
            old << "old picture";
        }
        const auto exportTo = [&] {
            return svg ? renderer.renderToSvg(&db, path.c_str()) : renderer.renderToPng(&db, path.c_str());
        };
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 512;
        void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Acad::ErrorStatus es = exportTo();
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previous);

        EXPECT_NE(es, Acad::eOk);
        EXPECT_FALSE(renderer.lastError().empty());
        EXPECT_EQ(readFile(path), "old picture");
        EXPECT_EQ(saveTemporaries(folder), 0u);
        EXPECT_EQ(db.numOpenObjects(), 0);

        // Without the limit the same export replaces it whole.
        ASSERT_EQ(exportTo(), Acad::eOk) << renderer.lastError();
        EXPECT_GT(readFile(path).size(), 512u);
        EXPECT_EQ(saveTemporaries(folder), 0u);
    }
}
