// Feeds arbitrary bytes to the drawing-file readers (DXF and the host's binary file) with the
// enabler's classes registered, so that proxies of them become real objects; a drawing that
// reads is saved again to both formats. The first byte picks the reader.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"

namespace {
const std::string& folder() {
    static const std::string dir = [] {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        ZEFTGripPoint::rxInit();
        ZEFTBlockReference::rxInit();
        acrxBuildClassHierarchy();
        char tmpl[] = "/tmp/drawingfile_fuzz_XXXXXX";
        return std::string(mkdtemp(tmpl) ? tmpl : "/tmp");
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool dxf = data[0] & 1;
    const std::string in = folder() + (dxf ? "/in.dxf" : "/in.dwg");
    if (FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    AcDbDatabase db(false, true);
    if ((dxf ? db.readDxfFile(in.c_str()) : db.readDwgFile(in.c_str())) != Acad::eOk) return 0;
    db.saveAs((folder() + "/out.dxf").c_str());
    db.saveAs((folder() + "/out.dwg").c_str());
    return 0;
}
