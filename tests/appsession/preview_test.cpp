// The browser's preview dialog (BLOCKS, preview button 207): a block of the current drawing with
// the orbit circle, drags, wheel and Insert through the queued LISP text; a drawing of the "Dwgs"
// tab placed where the profile says and opened with Open; the panel frees each preview it opens.
#include <cairo.h>
#include "appsession_support.h"
#include "ed/docman.h"
#include "ed/profile.h"
#include "ui/geometry.h"
#include "win/render.h"
#include "win/winuser.h"

using namespace appsession;

namespace {
// The preview dialog when it is the active window, else null.
HWND previewDialog() {
    HWND active = GetActiveWindow();
    char title[64] = {};
    if (active) GetWindowText(active, title, sizeof title);
    return std::string(title) == "Preview" && IsWindowVisible(active) ? active : nullptr;
}

std::string itemText(HWND dialog, int id) {
    char text[64] = {};
    GetWindowText(GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

// The preview control's pixels as pictured, and how many of them are the orbit circle's green.
struct Picture {
    std::vector<uint32_t> pixels;
    int green = 0;
};
Picture picturePreview() {
    Picture p;
    HWND dialog = previewDialog();
    cairo_surface_t* s = dialog ? cadhostRenderWindow(GetDlgItem(dialog, 1100)) : nullptr;
    if (!s) return p;
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + size_t(y) * size_t(stride));
        for (int x = 0; x < w; ++x) {
            p.pixels.push_back(row[x]);
            const int r = (row[x] >> 16) & 0xFF, g = (row[x] >> 8) & 0xFF, b = row[x] & 0xFF;
            p.green += r < 60 && g > 100 && b < 60;
        }
    }
    cairo_surface_destroy(s);
    return p;
}

}  // namespace

TEST_F(Session, BlockPreviewOrbitsZoomsPansAndInsertsThroughTheQueuedText) {
    std::ofstream(profile, std::ios::app) << "nInterfaceMode=7\n";
    std::map<std::string, Picture> seen;
    std::map<std::string, bool> open;
    std::map<std::string, std::string> action;
    std::map<std::string, int> mode;
    probe = [&](const std::string& name) {
        open[name] = previewDialog() != nullptr;
        if (open[name]) {
            seen[name] = picturePreview();
            action[name] = itemText(previewDialog(), 337);
        }
        mode[name] = AcEdProfile::getInt("Quillmark", "nInterfaceMode", -1);
    };
    const std::string orbit = path("orbit.png"), saved = path("inserted.dxf");
    // Tab "Blocks" at 60,10 of the tab control; DOOR is the first icon of the block list.
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nBLOCKS\nclick #200@60,10\nclick #204@27,25\nclick #207\n" +
                  ";shown\npicture active \"" + orbit + "\"\ndrag #1100 #1100@250,60\n;orbited\n" +
                  "wheel #1100 1\nwheel #1100 1\nwheel #1100 1\n;zoomed\nclick #209\ndrag #1100 #1100@100,100\n;panned\n" +
                  "click #208\n;zoom mode\nclick #210\n;orbit mode\n" +
                  "click #337\n\x1b\n;cancelled\nclick #337\n10,20\n;picked\nclick #2\n;closed\n;open objects\nSAVEAS\n" + saved + "\n" +
                  "click #207\n;again\nkey escape\n;open objects\n"),
              0)
        << out;
    EXPECT_TRUE(open["shown"]);
    EXPECT_EQ(action["shown"], "Insert");
    EXPECT_GT(seen["shown"].green, 500) << "a stored mode of 7 opens in orbit mode with the circle";
    EXPECT_TRUE(fs::exists(orbit));
    EXPECT_NE(seen["orbited"].pixels, seen["shown"].pixels);
    EXPECT_GT(seen["orbited"].green, 500);
    EXPECT_NE(seen["zoomed"].pixels, seen["orbited"].pixels);
    EXPECT_EQ(mode["panned"], 2);
    EXPECT_EQ(seen["panned"].green, 0) << "no circle out of orbit mode";
    EXPECT_NE(seen["panned"].pixels, seen["zoomed"].pixels);
    EXPECT_EQ(mode["zoom mode"], 3);
    EXPECT_EQ(mode["orbit mode"], 1);
    EXPECT_TRUE(open["cancelled"]) << "a cancelled point brings the dialog back";
    EXPECT_TRUE(open["picked"]);
    EXPECT_FALSE(open["closed"]);
    int at1020 = 0;
    for (const DxfEntity& e : dxfEntities(saved))
        at1020 += e.type == "ZEFTBLOCKREFERENCE" && std::stod(e.value(10)) == 10 && std::stod(e.value(20)) == 20;
    EXPECT_EQ(at1020, 1) << "one insertion, at the picked point\n" << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\x1b'), 0);
    EXPECT_TRUE(open["again"]) << "a closed preview leaves the button free for the next";
    EXPECT_EQ(openCounts, (std::vector<int>{0, 0}));
}

TEST_F(Session, DrawingPreviewComesBackWhereItWasAndOpensTheDrawing) {
    const std::string plan = path("plan.dwg");
    ASSERT_EQ(run("OPEN\n" + doors.string() + "\nSAVEAS\n" + plan + "\nNEW\n"), 0) << out;
    std::ofstream(profile, std::ios::app) << "Directory=" << folder.string() << "\nsizeWidth3=600\nsizeHeight3=400\n"
                                          << "nTopLeftX3=150\nnTopLeftY3=250\n";
    std::map<std::string, bool> open;
    std::map<std::string, std::string> action, document;
    RECT placed{}, reopened{};
    probe = [&](const std::string& name) {
        HWND dialog = previewDialog();
        open[name] = dialog != nullptr;
        if (dialog) action[name] = itemText(dialog, 337);
        if (dialog && name == "shown") GetWindowRect(dialog, &placed);
        if (dialog && name == "reopened") GetWindowRect(dialog, &reopened);
        if (AcApDocument* doc = acDocManagerPtr()->curDocument()) document[name] = fs::path(doc->fileName()).filename().string();
    };
    const std::string shown = path("drawing.png");
    ASSERT_EQ(run("BLOCKS\nclick #207\n;nothing\nclick #202@60,40\nclick #207\n;shown\npicture active \"" + shown +
                  "\"\ndrag 790,640 690,540\nclick #2\nclick #207\n;reopened\nclick #337\n;opened\n;open objects\n"),
              0)
        << out;
    EXPECT_FALSE(open["nothing"]) << "no drawing selected, no preview";
    EXPECT_TRUE(open["shown"]);
    EXPECT_EQ(action["shown"], "Open");
    EXPECT_EQ(placed.left, 200) << "a stored left edge below 200 comes back at 200";
    EXPECT_EQ(placed.top, 250);
    EXPECT_EQ(placed.right - placed.left, 600);
    EXPECT_EQ(placed.bottom - placed.top, 400);
    EXPECT_TRUE(fs::exists(shown));
    EXPECT_EQ(CRect(reopened), CRect(200, 250, 700, 550)) << "the size grip resized it; the next preview opens so";
    EXPECT_FALSE(open["opened"]);
    EXPECT_EQ(document["opened"], "plan.dwg") << out;
    EXPECT_EQ(openCounts, (std::vector<int>{0}));
    EXPECT_EQ(out.find("Could not load"), std::string::npos) << out;
}
