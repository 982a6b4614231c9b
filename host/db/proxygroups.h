// The DXF groups a proxy (entity or object) keeps for an unknown class: code and the text its
// value has in a file. Shared by AcDbProxyEntity and AcDbProxyObject.
#pragma once
#include <string>
#include <utility>
#include "db/filer.h"
#include "rx/acarray.h"

namespace cadhost::db {

using ProxyDxfGroup = std::pair<int, std::string>;
using ProxyDxfGroups = AcArray<ProxyDxfGroup>;

// Every group up to the end of the object (extended data excepted), values as text (numbers
// in the shortest form that reads back the same, a point as its 3 groups).
Acad::ErrorStatus readProxyGroups(AcDbDxfFiler* filer, ProxyDxfGroups& groups);
// A file gets every text as it is; other filers get values typed by their codes, so that they
// read them back as they would from a file.
Acad::ErrorStatus writeProxyGroups(AcDbDxfFiler* filer, const ProxyDxfGroups& groups);
// The groups through a DWG filer that is not a file (copy, undo, clone).
void writeProxyGroups(AcDbDwgFiler* filer, const ProxyDxfGroups& groups);
Acad::ErrorStatus readProxyGroups(AcDbDwgFiler* filer, ProxyDxfGroups& groups);

}  // namespace cadhost::db
