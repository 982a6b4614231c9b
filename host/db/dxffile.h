// DXF drawing files: the parts the reader and the writer share.
#pragma once
#include <string>
#include <initializer_list>
#include <string_view>
#include "db/database.h"

namespace cadhost::dxf {

// Group code of a header variable in AC1018 files; dims is 2 or 3 for points, 0 otherwise.
struct HeaderVarCode {
    int code;
    int dims;
};
// Known variables answer their code; others get one by the value's type.
HeaderVarCode headerVarCode(const std::string& name, const AcDbHeaderValue& value);

// Native entity kinds whose DXF parts the R12 reader splits into subclass parts:
// the subclass markers in order and, for each but the last, the group codes it holds.
struct R12Layout {
    const char* dxfName;
    const char* markers[4];       // after AcDbEntity; null-terminated
    const char* codesOfFirst;     // space-separated group codes of every marker but the last,
    const char* codesOfSecond;    //   for layouts with more than two parts
};
const R12Layout* r12Layout(std::string_view dxfName);
// Codes of the common entity part (layer, linetype, colour, ...).
bool isCommonEntityCode(int code);

// The DXF name an object is written under (its class's, or the first ancestor's that has one).
std::string dxfNameOf(const AcDbObject* object);

// The whole file's bytes (writes go through db/filereplace.h).
Acad::ErrorStatus readWholeFile(const char* path, std::string& data, std::string& error);
// A regular file opened for reading (the caller closes fd) and its size.
Acad::ErrorStatus openRegularFile(const char* path, int& fd, std::size_t& size, std::string& error);
// Up to size bytes from fd (reads cut short by signals are repeated); -1 and error on failure.
long readSome(int fd, char* buffer, std::size_t size, std::string& error);

}  // namespace cadhost::dxf
