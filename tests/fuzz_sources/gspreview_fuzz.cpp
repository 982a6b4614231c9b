// The browser's preview control on arbitrary input: the bytes are either a drawing file loaded
// with LoadDrawing, or the coordinates of lines (any doubles: huge, tiny, not finite) of a block
// shown with ShowBlock; then the control is painted and driven by mouse messages the remaining
// bytes choose (wheel, zoom, pan and orbit drags, mode changes).
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include "db/line.h"
#include "db/symtab.h"
#include "preview/GsPreviewCtrl.h"
#include "win/winuser.h"

// The module's resource handle: the harness has no module, so strings load empty.
HINSTANCE resourceInstance() { return nullptr; }

namespace {
const std::string& drawingPath() {
    static const std::string path = [] {
        char tmpl[] = "/tmp/gspreview_fuzz_XXXXXX";
        return std::string(mkdtemp(tmpl) ? tmpl : "/tmp") + "/in.dwg";
    }();
    return path;
}

HWND parentWindow() {
    static HWND parent = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "GsPreviewFuzz";
        RegisterClass(&wc);
        return CreateWindowEx(0, "GsPreviewFuzz", "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 90, nullptr, nullptr, nullptr, nullptr);
    }();
    return parent;
}

double takeDouble(const uint8_t*& p, const uint8_t* end) {
    double d = 0;
    if (end - p >= 8) {
        std::memcpy(&d, p, 8);
        p += 8;
    } else {
        p = end;
    }
    return d;
}

void addBlock(AcDbDatabase& db, const uint8_t*& p, const uint8_t* end) {
    AcDbBlockTable* table = nullptr;
    if (db.getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return;
    auto* record = new AcDbBlockTableRecord;
    record->setName("FUZZ");
    AcDbObjectId id;
    if (table->add(id, record) != Acad::eOk) {
        delete record;
        table->close();
        return;
    }
    const int lines = p < end ? (*p++ % 4) : 0;
    for (int i = 0; i < lines; ++i) {
        AcGePoint3d a, b;
        a.x = takeDouble(p, end), a.y = takeDouble(p, end), a.z = takeDouble(p, end);
        b.x = takeDouble(p, end), b.y = takeDouble(p, end), b.z = takeDouble(p, end);
        auto* line = new AcDbLine(a, b);
        AcDbObjectId lineId;
        if (record->appendAcDbEntity(lineId, line) == Acad::eOk) line->close();
        else delete line;
    }
    record->close();
    table->close();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t* p = data + 1;
    const uint8_t* end = data + size;
    AcDbDatabase db(true, true);
    AcDbDatabase* previous = acdbHostApplicationServices()->workingDatabase();
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    {
        CGsPreviewCtrl control;
        control.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 80), CWnd::FromHandle(parentWindow()), 1100);
        if (data[0] & 1) {
            if (FILE* f = std::fopen(drawingPath().c_str(), "wb")) {
                std::fwrite(p, 1, size_t(end - p), f);
                std::fclose(f);
            }
            control.LoadDrawing(drawingPath().c_str());
            p = end;
        } else {
            addBlock(db, p, end);
            control.ShowBlock("FUZZ", 1.0, false, data[0] >> 1 & 1, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
        }
        control.UpdateWindow();
        for (; end - p >= 3; p += 3) {
            const int x = p[1] % 110, y = p[2] % 90;
            const LPARAM at = MAKELPARAM(x, y);
            switch (p[0] % 8) {
            case 0: control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (p[1] & 1) ? WHEEL_DELTA : -WHEEL_DELTA), at); break;
            case 1: control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at); break;
            case 2: control.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, at); break;
            case 3: control.SendMessage(WM_LBUTTONUP, 0, at); break;
            case 4: control.SendMessage(WM_MBUTTONDOWN, MK_MBUTTON, at); break;
            case 5: control.SendMessage(WM_MBUTTONUP, 0, at); break;
            case 6: control.m_nMode = p[1] % 4; break;
            default: control.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); break;
            }
        }
        control.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        control.DestroyWindow();
    }
    acdbHostApplicationServices()->setWorkingDatabase(previous);
    return 0;
}
