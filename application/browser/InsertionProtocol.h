#pragma once
// How the browser inserts: it asks for a point and queues a LISP call of c:_bInsert or
// c:_bInsertFile on the current document, which the host then runs as a command.
#include "ge/vector.h"
#include "ui/cstring.h"

// One coordinate in decimal units with 8 decimals; "0.0" when the host cannot format it.
CString formatCoordinate(double value);
// A text as a LISP string literal: quoted, with double quotes and backslashes escaped.
CString lispString(const char* text);
// The queued texts: two ESC characters, the call with the quoted name or path (backslashes of
// the path turned into "/"), the point as (list x y z), and "))" with a blank.
CString blockInsertExpression(const char* blockName, const AcGePoint3d& point);
CString drawingInsertExpression(const char* path, const AcGePoint3d& point);

enum class InsertKind { kBlock, kDrawing };
// Asks for the insertion point with `prompt` and queues the expression for the name or path on
// the current document; a cancelled prompt sends nothing. Answers whether it sent.
bool insertAtPickedPoint(InsertKind kind, const char* nameOrPath, const char* prompt = "Specify insertion point: ");
