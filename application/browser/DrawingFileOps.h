#pragma once
// What the browser does with a drawing file besides inserting it: open it in the host as a
// document of its own, or attach it to the current drawing as an external reference.
#include "ui/cstring.h"

// Through the host application's automation object: its documents collection opens the file.
void openDrawing(const CString& path);
// Asks for the insertion point and attaches the file under its name without the extension.
void attachXref(const CString& path, const CString& fileName);
