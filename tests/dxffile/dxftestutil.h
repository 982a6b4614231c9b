// Helpers of the DXF file tests: temporary files, drawing dumps, ezdxf runs.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include "db/database.h"
#include "db/dxffiler.h"
#include "db/dxffile.h"
#include "db/proxyentity.h"
#include "db/proxyobject.h"

namespace dxftest {

// A folder removed with its contents at the end of the test.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/cadhost_dxf_XXXXXX";
        m_path = mkdtemp(tmpl) ? tmpl : "/tmp";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// An object as the tests compare it: class, handle, owner handle, DXF groups and extended data.
struct ObjectDump {
    std::string head;
    std::vector<AcDbDxfGroup> groups;
};

inline ObjectDump dumpObject(AcDbObjectId id) {
    ObjectDump d;
    AcDbObject* obj = nullptr;
    if (acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) {
        d.head = "<cannot open>";
        return d;
    }
    AcDbDxfMemoryFiler mem(id.database());
    obj->dxfOutFields(&mem);
    resbuf* xdata = obj->xData(nullptr);
    for (resbuf* rb = xdata; rb; rb = rb->rbnext) mem.writeItem(*rb);
    acutRelRb(xdata);
    d.head = std::string(obj->isA()->name()) + " " + id.handle().ascii() + " owner " + obj->ownerId().handle().ascii();
    d.groups = mem.groups();
    obj->close();
    return d;
}

inline bool nearlyEqual(double a, double b) { return std::fabs(a - b) <= 1e-12 * std::max({1.0, std::fabs(a), std::fabs(b)}); }

// Equal groups; reals may differ in the last bits (degrees and radians convert both ways).
inline bool sameObject(const ObjectDump& a, const ObjectDump& b, std::string& why) {
    if (a.head != b.head) {
        why = a.head + " vs " + b.head;
        return false;
    }
    if (a.groups.size() != b.groups.size()) {
        why = a.head + ": " + std::to_string(a.groups.size()) + " groups vs " + std::to_string(b.groups.size());
        return false;
    }
    for (size_t i = 0; i < a.groups.size(); ++i) {
        const AcDbDxfGroup& x = a.groups[i];
        const AcDbDxfGroup& y = b.groups[i];
        bool same = x.code == y.code && x.type == y.type;
        if (same && (x.type == AcDbDxfGroup::kReal || x.type == AcDbDxfGroup::kPoint2d || x.type == AcDbDxfGroup::kPoint3d))
            for (int k = 0; k < 3; ++k) same = same && nearlyEqual(x.xyz[k], y.xyz[k]);
        else
            same = same && x == y;
        if (!same) {
            why = a.head + ": group " + std::to_string(i) + " (code " + std::to_string(x.code) + ") differs";
            return false;
        }
    }
    return true;
}

using BlockDump = std::map<std::string, std::vector<ObjectDump>>;

// Every entity of every block, in block and entity order.
inline BlockDump dumpBlocks(AcDbDatabase* db) {
    BlockDump blocks;
    AcDbBlockTable* bt = nullptr;
    if (db->getBlockTable(bt, AcDb::kForRead) != Acad::eOk) return blocks;
    std::vector<AcDbObjectId> ids = bt->recordIds();
    bt->close();
    for (AcDbObjectId id : ids) {
        AcDbBlockTableRecord* btr = nullptr;
        if (acdbOpenObject(btr, id, AcDb::kForRead) != Acad::eOk) continue;
        std::string name = btr->name();
        std::vector<AcDbObjectId> ents = btr->entityIds();
        btr->close();
        auto& list = blocks[name];
        for (AcDbObjectId e : ents)
            if (!e.isErased()) list.push_back(dumpObject(e));
    }
    return blocks;
}

// Same blocks with the same entities; the first difference in why.
inline bool sameBlocks(const BlockDump& a, const BlockDump& b, std::string& why) {
    if (a.size() != b.size()) {
        why = std::to_string(a.size()) + " blocks vs " + std::to_string(b.size());
        return false;
    }
    for (const auto& [name, list] : a) {
        auto it = b.find(name);
        if (it == b.end()) {
            why = "no block " + name;
            return false;
        }
        if (list.size() != it->second.size()) {
            why = name + ": " + std::to_string(list.size()) + " entities vs " + std::to_string(it->second.size());
            return false;
        }
        for (size_t i = 0; i < list.size(); ++i)
            if (!sameObject(list[i], it->second[i], why)) return false;
    }
    return true;
}

// Text of a block's entities, to look for groups in.
inline std::string blockText(const BlockDump& blocks, const std::string& name) {
    std::string out;
    auto it = blocks.find(name);
    if (it == blocks.end()) return out;
    for (const ObjectDump& d : it->second) {
        AcDbDxfMemoryFiler mem;
        mem.groups() = d.groups;
        out += d.head + "\n" + mem.text();
    }
    return out;
}

// Number of live entities over every block.
inline size_t entityCount(AcDbDatabase* db) {
    size_t n = 0;
    for (AcDbObjectId id : db->allIds()) {
        AcDbObject* obj = nullptr;
        if (id.isErased() || acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) continue;
        if (AcDbEntity::cast(obj)) ++n;
        obj->close();
    }
    return n;
}

// Live objects by the DXF type they are written under (a proxy by its class's).
inline std::map<std::string, int> objectCounts(AcDbDatabase* db) {
    std::map<std::string, int> counts;
    for (AcDbObjectId id : db->allIds()) {
        AcDbObject* obj = nullptr;
        if (id.isErased() || acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) continue;
        std::string name;
        if (auto* pe = AcDbProxyEntity::cast(obj)) name = pe->originalDxfName();
        else if (auto* po = AcDbProxyObject::cast(obj)) name = po->originalDxfName();
        for (const AcRxClass* c = obj->isA(); name.empty() && c; c = c->myParent()) name = c->dxfName();
        ++counts[name];
        obj->close();
    }
    return counts;
}

inline bool haveEzdxf() {
    if (access("/usr/bin/python3", X_OK) != 0) return false;
    return std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0;
}

// Output of a command (stdout), and its exit status.
inline int runCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
    return pclose(p);
}

// Number of errors ezdxf's audit finds in a file, or -1 when ezdxf cannot read it.
inline int ezdxfAuditErrors(const std::string& path, std::string& output) {
    int rc = runCommand("/usr/bin/python3 -c \"import ezdxf, sys; doc = ezdxf.readfile(sys.argv[1]); "
                        "auditor = doc.audit(); print(len(auditor.errors))\" '" + path + "' 2>&1",
                        output);
    if (rc != 0) return -1;
    return std::atoi(output.c_str());
}

}  // namespace dxftest
