#pragma once
// Helpers shared by the database core; not exported from the host library.
#include <string>
#include "db/database.h"
#include "rx/rxclass.h"

namespace cadhost::db {

// Process-wide count of open objects (acdbHostOpenObjectCount).
void adjustOpenCount(AcDbDatabase* db, int delta);
// Counts one broken access rule and reports it on stderr.
void reportAccessViolation(const AcDbObject* object, const char* what);

// The object behind an id without opening it (null for null, unresolved or foreign ids).
AcDbObject* peek(AcDbObjectId id);
template <class T>
T* peekAs(AcDbObjectId id) {
    return T::cast(peek(id));
}

// Whether a database is alive (ads names carry a raw database pointer).
bool isLiveDatabase(const AcDbDatabase* db);

// Symbol names: the key they are compared by, and the check applied to new names.
std::string symbolKey(const char* name);
bool isValidSymbolName(const char* name);

// Records a database cannot do without (layer 0, the spaces, the standard linetypes).
bool isRequiredRecord(const AcDbDatabase* db, AcDbObjectId id);
// Keeps the names of current layer/linetype/style in the header in step with a rename.
void recordRenamed(AcDbDatabase* db, const AcDbObject* record, const std::string& oldName,
                   const std::string& newName);

}  // namespace cadhost::db

class AcDbDwgFiler;
namespace cadhost::db {
// DWG form of extended data: a group count, then per group its code and value.
Acad::ErrorStatus writeXData(AcDbDwgFiler* filer, const resbuf* chain);
Acad::ErrorStatus readXData(AcDbDwgFiler* filer, resbuf*& chain);  // chain owned by the caller
}  // namespace cadhost::db

namespace cadhost::db {
// Header variables every new or cleared drawing starts with.
void setDefaultHeader(AcDbDatabase* db);
// Normal form of a header variable's name: upper case, no leading '$'.
std::string headerName(const std::string& name);
}  // namespace cadhost::db

namespace cadhost::db {
// A heap copy of a text for callers that free it with the C runtime.
char* heapCopy(const std::string& text);
// A string read from a DWG filer (empty when the filer gives none).
std::string readDwgText(AcDbDwgFiler* filer);
}  // namespace cadhost::db
