#pragma once
// Helpers of the undo tests: a drawing's DXF text, where two texts part, one command group.
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include "../dxffile/dxftestutil.h"
#include "db/database.h"
#include "db/undolog.h"

namespace undotest {

// The whole drawing as the DXF writer puts it (header, tables, blocks, entities, objects).
inline std::string drawingText(AcDbDatabase* db) {
    dxftest::TempDir dir;
    const std::string file = dir.file("drawing.dxf");
    EXPECT_EQ(db->dxfOut(file.c_str()), Acad::eOk);
    return dxftest::readText(file);
}

// Empty when the texts are equal, else the first line where they part (with its number).
inline std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream x(a), y(b);
    std::string la, lb;
    for (int n = 1;; ++n) {
        const bool ga = static_cast<bool>(std::getline(x, la));
        const bool gb = static_cast<bool>(std::getline(y, lb));
        if (!ga && !gb) return {};
        if (ga != gb || la != lb)
            return "line " + std::to_string(n) + ": \"" + (ga ? la : "<end>") + "\" vs \"" + (gb ? lb : "<end>") + "\"";
    }
}

// Runs fn as one command's undo group of db.
template <class Fn>
void asCommand(AcDbDatabase* db, const char* name, Fn&& fn) {
    acdbHostBeginUndoGroup(db, name);
    fn();
    acdbHostEndUndoGroup();
}

}  // namespace undotest
