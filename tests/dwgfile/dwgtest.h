// Helpers of the drawing file tests: folders, file bytes, a drawing of native entities, dumps.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "db/arc.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/text.h"

namespace dwgtest {

struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/cadhost_dwg_XXXXXX";
        path = mkdtemp(tmpl) ? tmpl : "/tmp";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
inline uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
inline void putLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
// CRC-32 as zip computes it, written here independently of the host's.
inline uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}
// A valid checksum again after a deliberate change.
inline void fixChecksum(std::vector<uint8_t>& b) { putLe32(b, b.size() - 4, crc32(b.data(), b.size() - 4)); }

constexpr uint8_t kStart[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28, 0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
constexpr uint8_t kEnd[16] = {0xE0, 0xDA, 0x92, 0xF8, 0x2B, 0xC9, 0xD7, 0xD7, 0x62, 0xA8, 0x35, 0xC0, 0x62, 0xBB, 0xEF, 0xD4};

inline AcDbObjectId append(AcDbObjectId space, AcDbEntity* ent) {
    AcDbBlockTableRecord* btr = nullptr;
    AcDbObjectId id;
    EXPECT_EQ(acdbOpenObject(btr, space, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(btr->appendAcDbEntity(id, ent), Acad::eOk);
    ent->close();
    btr->close();
    return id;
}

// Lines, a circle, an arc, light and 2d polylines, a text, a block with an attribute definition
// and two references with attributes, an erased line, a layer, header variables, extended data.
inline void buildDrawing(AcDbDatabase* db) {
    const AcDbObjectId ms = db->modelSpaceId();
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* walls = new AcDbLayerTableRecord;
    walls->setName("Walls");
    walls->setColor(AcCmColor::fromIndex(3));
    ASSERT_EQ(layers->add(walls), Acad::eOk);
    walls->close();
    layers->close();
    AcDbBlockTable* bt = nullptr;
    ASSERT_EQ(db->getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* door = new AcDbBlockTableRecord;
    door->setName("DOOR");
    AcDbObjectId doorId;
    ASSERT_EQ(bt->add(doorId, door), Acad::eOk);
    bt->close();
    door->close();
    append(doorId, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 10, 0)));
    append(doorId, new AcDbAttributeDefinition(AcGePoint3d(1, 1, 0), "D1", "TAG", "Door number"));

    const AcDbObjectId first = append(ms, new AcDbLine(AcGePoint3d(0.1, 0.2, 0.3), AcGePoint3d(100.0 / 3, -2.5, 0)));
    auto* red = new AcDbLine(AcGePoint3d(5, 5, 0), AcGePoint3d(60, 70, 0));
    red->setColorIndex(1);
    red->setLayer(walls->objectId());
    append(ms, red);
    append(ms, new AcDbCircle(AcGePoint3d(30, 40, 0), AcGeVector3d::kZAxis, 12.75));
    append(ms, new AcDbArc(AcGePoint3d(-30, 40, 0), 15, 0.25, 2.0));
    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(0, 0));
    pline->addVertexAt(1, AcGePoint2d(20, 0), 0.5);
    pline->addVertexAt(2, AcGePoint2d(20, 20));
    pline->setClosed(true);
    append(ms, pline);
    AcGePoint3dArray points;
    for (double x : {-10.0, -20.0, -25.0}) points.append(AcGePoint3d(x, x / 2, 0));
    append(ms, new AcDb2dPolyline(AcDb::k2dSimplePoly, points, 0.0, true));
    append(ms, new AcDbText(AcGePoint3d(2, 3, 0), "Caf\xC3\xA9 100%%d", AcDbObjectId::kNull, 3.5, 0.3));
    for (int i = 0; i < 2; ++i) {
        auto* ref = new AcDbBlockReference(AcGePoint3d(50 + 20 * i, 60, 0), doorId);
        ref->setRotation(0.5 * i);
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, ms, AcDb::kForWrite), Acad::eOk);
        ASSERT_EQ(space->appendAcDbEntity(ref), Acad::eOk);
        space->close();
        auto* att = new AcDbAttribute(AcGePoint3d(51 + 20 * i, 61, 0), i ? "D-102" : "D-101", "TAG");
        ASSERT_EQ(ref->appendAttribute(att), Acad::eOk);
        att->close();
        ref->close();
    }
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenObject(ent, append(ms, new AcDbLine(AcGePoint3d(9, 9, 0), AcGePoint3d(10, 10, 0))), AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ent->erase(), Acad::eOk);
    ent->close();
    ASSERT_EQ(acdbOpenObject(ent, first, AcDb::kForWrite), Acad::eOk);
    resbuf* xd = acutBuildList(1001, "ACAD", 1000, "note", 1070, 42, 1040, 2.5, 0);
    EXPECT_EQ(ent->setXData(xd), Acad::eOk);
    acutRelRb(xd);
    ent->close();
    db->setHeaderValue("TEXTSIZE", 3.25);
    db->setHeaderValue("INSBASE", AcGePoint3d(1, 2, 3));
    db->setHeaderValue("PROJECTNAME", std::string("Dwg test"));
}

// Class, handle, owner and erased state of an object, the bytes a file filer gets from it, and
// its DXF groups, one line for each object.
inline std::string dumpObject(AcDbObjectId id) {
    AcDbObject* obj = nullptr;
    if (acdbOpenObject(obj, id, AcDb::kForRead, true) != Acad::eOk) return "<cannot open " + id.handle().ascii() + ">\n";
    std::string d = std::string(obj->isA()->name()) + " " + id.handle().ascii() + " owner " + obj->ownerId().handle().ascii() +
                    (id.isErased() ? " erased" : "") + " bytes";
    AcDbDwgMemoryFiler filer(AcDb::kFileFiler, id.database());
    obj->dwgOutFields(&filer);
    for (uint8_t b : filer.bytes()) d += " " + std::to_string(b);
    AcDbDxfMemoryFiler dxf(id.database());
    obj->dxfOutFields(&dxf);
    obj->close();
    return d + "\n" + dxf.text() + "\n";
}

inline std::string dumpDatabase(AcDbDatabase* db) {
    std::string out;
    for (AcDbObjectId id : db->allIds()) out += dumpObject(id);
    return out;
}

}  // namespace dwgtest
