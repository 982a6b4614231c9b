// Windows that paint a graphics view, pictures of them, and a small block to look at.
#pragma once
#include <cairo.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>
#include "db/database.h"
#include "db/line.h"
#include "db/polyline.h"
#include "gs/gs.h"
#include "win/render.h"
#include "win/winuser.h"

namespace gstest {

// Paints the view held in the window's user data on WM_PAINT, as a preview control does.
inline LRESULT CALLBACK previewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        if (auto* view = reinterpret_cast<AcGsView*>(GetWindowLongPtr(hwnd, GWLP_USERDATA))) {
            view->invalidate();
            view->update();
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

inline HWND previewWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASS wc{};
        wc.lpfnWndProc = previewProc;
        wc.lpszClassName = "GsPreviewTest";
        registered = RegisterClass(&wc) != 0;
    }
    return CreateWindowEx(0, "GsPreviewTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                          nullptr, nullptr);
}

// The window, its device, a view on it and a model, released in the order a control does.
struct Preview {
    explicit Preview(int width = 400, int height = 300) {
        manager = acgsGetGsManager();
        factory = manager->getGSClassFactory();
        window = previewWindow(width, height);
        device = manager->createAutoCADDevice(window);
        view = factory->createView();
        model = manager->createAutoCADModel();
        device->add(view);
        SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    }
    ~Preview() {
        SetWindowLongPtr(window, GWLP_USERDATA, 0);
        if (view) {
            view->eraseAll();
            if (device) device->erase(view);
            factory->deleteView(view);
        }
        if (model) manager->destroyAutoCADModel(model);
        if (device) manager->destroyAutoCADDevice(device);
        DestroyWindow(window);
    }
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // The window as pictured: rows top to bottom of 0xAARRGGBB.
    std::vector<uint32_t> picture() {
        std::vector<uint32_t> out;
        cairo_surface_t* s = cadhostRenderWindow(window);
        if (!s) return out;
        cairo_surface_flush(s);
        width = cairo_image_surface_get_width(s);
        height = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
            out.insert(out.end(), row, row + width);
        }
        cairo_surface_destroy(s);
        return out;
    }
    bool save(const std::string& name) {
        return cadhostSaveWindowPng(window, (::testing::TempDir() + "gs_" + name + ".png").c_str()) != FALSE;
    }

    AcGsManager* manager;
    AcGsClassFactory* factory;
    HWND window;
    AcGsDevice* device;
    AcGsView* view;
    AcGsModel* model;
    int width = 0, height = 0;
};

struct Rgb {
    int r, g, b;
};
inline Rgb rgb(uint32_t p) { return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)}; }
inline Rgb at(const std::vector<uint32_t>& pixels, int width, int x, int y) {
    return rgb(pixels.at(size_t(y) * size_t(width) + size_t(x)));
}
inline bool isRed(Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; }
inline bool isBlack(Rgb c) { return c.r == 0 && c.g == 0 && c.b == 0; }
// Pixels in a box (inclusive) that satisfy a test.
template <class Test>
int count(const std::vector<uint32_t>& pixels, int width, int x0, int y0, int x1, int y1, Test test) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (test(at(pixels, width, x, y))) ++n;
    return n;
}

inline AcDbObjectId append(AcDbObjectId blockId, AcDbEntity* entity) {
    AcDbBlockTableRecord* block = nullptr;
    AcDbObjectId id;
    if (acdbOpenObject(block, blockId, AcDb::kForWrite) != Acad::eOk) {
        delete entity;
        return id;
    }
    if (block->appendAcDbEntity(id, entity) == Acad::eOk) entity->close();
    else delete entity;
    block->close();
    return id;
}

inline AcDbObjectId line(AcDbObjectId block, AcGePoint3d a, AcGePoint3d b, int color) {
    auto* l = new AcDbLine(a, b);
    l->setColorIndex(static_cast<Adesk::UInt16>(color));
    return append(block, l);
}

// A filled square (a wide polyline segment) of a side, its lower left corner at (x, y) of the
// plane z = elevation.
inline AcDbObjectId solid(AcDbObjectId block, double x, double y, double side, double elevation, int color) {
    auto* p = new AcDbPolyline;
    p->addVertexAt(0, AcGePoint2d(x, y + side / 2));
    p->addVertexAt(1, AcGePoint2d(x + side, y + side / 2));
    p->setConstantWidth(side);
    p->setElevation(elevation);
    p->setColorIndex(static_cast<Adesk::UInt16>(color));
    return append(block, p);
}

}  // namespace gstest
