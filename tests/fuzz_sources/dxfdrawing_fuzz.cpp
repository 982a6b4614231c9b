// Feeds arbitrary bytes to the whole-drawing DXF reader, with the intelligent-block classes
// registered. A drawing that reads must leave no object open, write back, and read again from
// what was written; a file that does not read must leave the drawing as it was.
//
//   tests/fuzz_sources/build.sh dxfdrawing_fuzz
//   cp <a few small DXF files, e.g. of /usr/share/librecad/library> out/fuzz/corpus/dxfdrawing
//   out/fuzz/dxfdrawing_fuzz -max_len=20000 -timeout=20 out/fuzz/corpus/dxfdrawing
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"

namespace {

void registerClasses() {
    static const bool done = [] {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        ZEFTGripPoint::rxInit();
        ZEFTBlockReference::rxInit();
        acrxBuildClassHierarchy();
        return true;
    }();
    (void)done;
}

// Files of this process in the temporary folder (memory-backed where there is one).
std::string scratch(const char* name) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/cadhost_dxfdrawing_" + std::to_string(getpid()) + "_" + name;
}

void check(bool ok, const char* what, const AcDbDatabase& db) {
    if (ok) return;
    std::fprintf(stderr, "dxfdrawing_fuzz: %s (%s)\n", what, db.lastError().c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    registerClasses();
    static const std::string input = scratch("in.dxf");
    static const std::string output = scratch("out.dxf");
    FILE* f = std::fopen(input.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    AcDbDatabase db(true, true);
    const int objects = static_cast<int>(db.numObjects());
    const Acad::ErrorStatus read = db.readDxfFile(input.c_str());
    check(db.numOpenObjects() == 0, "objects left open by the reader", db);
    if (read != Acad::eOk) {
        check(!db.lastError().empty(), "a failed read without a message", db);
        check(static_cast<int>(db.numObjects()) == objects, "a failed read changed the drawing", db);
        return 0;
    }
    check(db.dxfOut(output.c_str()) == Acad::eOk, "a drawing that read does not write", db);
    check(db.numOpenObjects() == 0, "objects left open by the writer", db);
    AcDbDatabase again(false, true);
    check(again.readDxfFile(output.c_str()) == Acad::eOk, "a written drawing does not read back", again);
    check(again.numOpenObjects() == 0, "objects left open reading the written drawing", again);
    return 0;
}
