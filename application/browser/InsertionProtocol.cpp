#include "browser/InsertionProtocol.h"
#include "db/units.h"
#include "ed/docman.h"
#include "ed/prompts.h"
#include "ed/winapp.h"

namespace {
constexpr const char* kEscapes = "\x1b\x1b";

CString expression(const char* call, const CString& quoted, const AcGePoint3d& point) {
    return CString(kEscapes) + call + quoted + " (list " + formatCoordinate(point.x) + " " + formatCoordinate(point.y) +
           " " + formatCoordinate(point.z) + ")) ";
}
}  // namespace

CString formatCoordinate(double value) {
    char text[64];
    if (acdbRToS(value, 2, 8, text, sizeof text) != RTNORM) return CString("0.0");
    return CString(text);
}

CString lispString(const char* text) {
    CString quoted = "\"";
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '"' || *p == '\\') quoted += '\\';
        quoted += *p;
    }
    quoted += '"';
    return quoted;
}

CString blockInsertExpression(const char* blockName, const AcGePoint3d& point) {
    return expression("(c:_bInsert ", lispString(blockName), point);
}

CString drawingInsertExpression(const char* path, const AcGePoint3d& point) {
    CString forward = path ? path : "";
    forward.Replace('\\', '/');
    return expression("(c:_bInsertFile ", lispString(forward), point);
}

bool insertAtPickedPoint(InsertKind kind, const char* nameOrPath, const char* prompt) {
    acedGetAcadDockCmdLine()->SetFocus();
    ads_point picked;
    if (acedGetPoint(nullptr, prompt, picked) != RTNORM) return false;
    const AcGePoint3d point(picked[0], picked[1], picked[2]);
    const CString text = kind == InsertKind::kBlock ? blockInsertExpression(nameOrPath, point)
                                                    : drawingInsertExpression(nameOrPath, point);
    AcApDocument* doc = acDocManager->curDocument();
    acedGetAcadDockCmdLine()->SetFocus();
    acDocManager->sendStringToExecute(doc, text, false, true, false);
    return true;
}
