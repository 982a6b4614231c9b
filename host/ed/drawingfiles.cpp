#include "ed/drawingfiles.h"
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "win/drives.h"
#include "win/sharemode.h"

namespace {
std::string detail(const AcDbDatabase& db, Acad::ErrorStatus es) {
    if (!db.lastError().empty()) return db.lastError();
    return "error status " + std::to_string(static_cast<int>(es));
}
}  // namespace

bool acedHostCheckFileName(const std::string& name, std::string& why) {
    if (name.find('\0') == std::string::npos) return true;
    why = "A file name cannot contain a NUL character.";
    return false;
}

bool acedHostIsBinaryDrawing(const char* fileName) {
    std::string path;
    if (!fileName || !cadhostLinuxPath(fileName, path)) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char head[6] = {0};
    size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return n == sizeof head && std::memcmp(head, "AC1", 3) == 0;
}

bool acedHostBinaryDrawingsAvailable() { return true; }

Acad::ErrorStatus acedHostReadDrawing(AcDbDatabase& db, const char* fileName, std::string& error) {
    std::error_code ec;
    if (!fileName || !*fileName) {
        error = "No file name.";
        return Acad::eInvalidInput;
    }
    std::string path;
    if (!cadhostLinuxPath(fileName, path, &error)) return Acad::eFileNotFound;
    fileName = path.c_str();
    if (!std::filesystem::exists(fileName, ec)) {
        error = std::string("Cannot find the file \"") + fileName + "\".";
        return Acad::eFileNotFound;
    }
    if (std::filesystem::is_directory(fileName, ec)) {
        error = std::string("\"") + fileName + "\" is a folder, not a drawing.";
        return Acad::eFileAccessErr;
    }
    Acad::ErrorStatus es = acedHostIsBinaryDrawing(fileName) ? db.readDwgFile(fileName, _SH_DENYNO)
                                                            : db.readDxfFile(fileName);
    if (es != Acad::eOk) error = std::string("Cannot read \"") + fileName + "\": " + detail(db, es);
    return es;
}

Acad::ErrorStatus acedHostWriteDrawing(AcDbDatabase& db, const char* fileName, std::string& error) {
    if (!fileName || !*fileName) {
        error = "No file name.";
        return Acad::eInvalidInput;
    }
    // saveAs writes DXF for a ".dxf" name and the binary drawing otherwise.
    Acad::ErrorStatus es = db.saveAs(fileName);
    if (es != Acad::eOk) error = std::string("Cannot save \"") + fileName + "\": " + detail(db, es);
    return es;
}

