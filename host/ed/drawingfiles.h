#pragma once
// Reading and writing drawing files for the document manager: DXF, and the host's binary
// drawing file (".dwg").
#include <string>
#include "db/database.h"

// A file name as the file system takes it: false, with the reason, for a name holding a NUL
// character (the name would end there and another file be meant).
CADHOST_API bool acedHostCheckFileName(const std::string& name, std::string& why);
// The file starts like a binary drawing ("AC1" and a version), else it is taken as DXF.
CADHOST_API bool acedHostIsBinaryDrawing(const char* fileName);
// Whether binary drawings can be read and written (they can: AcDbDatabase::readDwgFile, saveAs).
CADHOST_API bool acedHostBinaryDrawingsAvailable();
// Reads a drawing into the database; on failure the database is unchanged and error says why.
CADHOST_API Acad::ErrorStatus acedHostReadDrawing(AcDbDatabase& db, const char* fileName, std::string& error);
// DXF for a name ending in ".dxf" (any case), else a binary drawing.
CADHOST_API Acad::ErrorStatus acedHostWriteDrawing(AcDbDatabase& db, const char* fileName, std::string& error);
