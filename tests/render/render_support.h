// Database and pixel helpers for the rendering tests.
#pragma once
#include <cairo.h>
#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>
#include "db/database.h"
#include "gi/renderer.h"

namespace rendertest {

inline AcDbObjectId append(AcDbDatabase& db, AcDbEntity* e, AcDbObjectId space = AcDbObjectId::kNull) {
    AcDbBlockTableRecord* block = nullptr;
    AcDbObjectId id;
    if (acdbOpenObject(block, space.isNull() ? db.modelSpaceId() : space, AcDb::kForWrite) != Acad::eOk) {
        delete e;
        return id;
    }
    if (block->appendAcDbEntity(id, e) == Acad::eOk) e->close();
    else delete e;
    block->close();
    return id;
}

inline AcDbObjectId addLayer(AcDbDatabase& db, const char* name, int color) {
    AcDbLayerTable* table = nullptr;
    AcDbObjectId id;
    if (db.getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return id;
    auto* record = new AcDbLayerTableRecord;
    record->setName(name);
    record->setColor(AcCmColor::fromIndex(static_cast<Adesk::UInt16>(color)));
    if (table->add(id, record) == Acad::eOk) record->close();
    else delete record;
    table->close();
    return id;
}

inline AcDbObjectId addBlock(AcDbDatabase& db, const char* name) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (db.getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return id;
    auto* record = new AcDbBlockTableRecord;
    record->setName(name);
    if (table->add(id, record) == Acad::eOk) record->close();
    else delete record;
    table->close();
    return id;
}

template <class Fn>
void withLayer(AcDbObjectId id, Fn fn) {
    AcDbLayerTableRecord* record = nullptr;
    if (acdbOpenObject(record, id, AcDb::kForWrite) != Acad::eOk) return;
    fn(record);
    record->close();
}

struct Rgb {
    int r, g, b;
};
inline Rgb rgbAt(const std::vector<uint32_t>& pixels, int width, int x, int y) {
    const uint32_t p = pixels.at(size_t(y) * size_t(width) + size_t(x));
    return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}
inline bool isRed(Rgb c) { return c.r > 220 && c.g < 40 && c.b < 40; }
inline bool isWhite(Rgb c) { return c.r == 255 && c.g == 255 && c.b == 255; }

// Pixels of a PNG file read back through Cairo (empty when it cannot be read).
inline std::vector<uint32_t> readPng(const std::string& path, int& width, int& height) {
    std::vector<uint32_t> out;
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    width = height = 0;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        width = cairo_image_surface_get_width(s);
        height = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = 0; y < height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
            out.insert(out.end(), row, row + width);
        }
    }
    cairo_surface_destroy(s);
    return out;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Elements nest and close properly under one root (declarations and comments aside).
inline bool wellFormedXml(const std::string& xml) {
    static const std::regex tag(R"(<(/?)([A-Za-z_][\w:.-]*)(?:\s+[\w:.-]+\s*=\s*("[^"]*"|'[^']*'))*\s*(/?)>)");
    std::vector<std::string> open;
    int roots = 0;
    size_t covered = 0;  // every '<' must start a declaration, a comment or a tag
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        for (size_t k = xml.find('<', covered); k < size_t(m.position()); k = xml.find('<', k + 1))
            if (xml[k + 1] != '?' && xml[k + 1] != '!') return false;
        covered = size_t(m.position() + m.length());
        if (m[1].length()) {
            if (open.empty() || open.back() != m[2].str()) return false;
            open.pop_back();
        } else {
            roots += open.empty();
            if (!m[4].length()) open.push_back(m[2].str());
        }
    }
    return open.empty() && roots == 1;
}
// 200 x 100 pixels over x 0..100, y 0..50: device (100 + 2 (x - 50), 50 - 2 (y - 25)).
inline AcGiRenderOptions fixedView() {
    AcGiRenderOptions o;
    o.width = 200;
    o.height = 100;
    o.viewCenter = AcGePoint2d(50, 25);
    o.viewHeight = 50;
    return o;
}

}  // namespace rendertest
