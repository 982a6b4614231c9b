// Attaches arbitrary bytes as an external reference drawing (DXF or the host's binary file, by
// the first byte) to a new drawing: the referenced drawing's model space is cloned into the
// reference block, which then gets a preview icon. Nothing may stay open afterwards.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "db/blockpreview.h"
#include "db/database.h"
#include "ed/xref.h"

namespace {
const std::string& folder() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/xref_fuzz_XXXXXX";
        return std::string(mkdtemp(tmpl) ? tmpl : "/tmp");
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string in = folder() + ((data[0] & 1) ? "/ref.dxf" : "/ref.dwg");
    if (FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    AcDbDatabase host(true, true);
    AcGePoint3d at(10, 20, 0);
    AcDbObjectIdArray made;
    if (acedXrefAttach(in.c_str(), "REF", nullptr, &made, &at, nullptr, nullptr, true, &host) == Acad::eOk &&
        made.length() != 1)
        std::abort();
    if (acdbHostOpenObjectCount() != 0) std::abort();
    return 0;
}
