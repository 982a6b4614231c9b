// Texts between the filers, the heap and std::string.
#include <cstdlib>
#include <cstring>
#include "db/filer.h"
#include "db/hostinternal.h"

namespace cadhost::db {

char* heapCopy(const std::string& text) {
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out) std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

std::string readDwgText(AcDbDwgFiler* filer) {
    char* value = nullptr;
    filer->readString(&value);
    std::string text = value ? value : "";
    std::free(value);
    return text;
}

}  // namespace cadhost::db
