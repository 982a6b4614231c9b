// Feeds arbitrary bytes to the DWG and DXF readers of the four intelligent entities.
// The first byte picks the class and the filer; the rest is the record.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "db/dxftokens.h"

namespace {
AcDbDatabase* database() {
    static AcDbDatabase* db = [] {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        ZEFTGripPoint::rxInit();
        ZEFTBlockReference::rxInit();
        acrxBuildClassHierarchy();
        return new AcDbDatabase(true, true);
    }();
    return db;
}

std::unique_ptr<AcDbEntity> make(int kind) {
    switch (kind & 3) {
    case 0: return std::make_unique<ZEFTAttribute>();
    case 1: return std::make_unique<ZEFTAttributeDefinition>();
    case 2: return std::make_unique<ZEFTGripPoint>();
    default: return std::make_unique<ZEFTBlockReference>();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    AcDbDatabase* db = database();
    std::unique_ptr<AcDbEntity> entity = make(data[0]);
    if (data[0] & 4) {
        // The file filer resolves ids by handle, so forward references of any value are fine.
        AcDbDwgMemoryFiler filer(data + 1, size - 1, AcDb::kFileFiler, db);
        (void)entity->dwgInFields(&filer);
    } else {
        std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
        cadhost::dxf::TokenReader reader(std::move(text));
        AcDbDxfInFiler filer(reader, db);
        (void)entity->dxfInFields(&filer);
    }
    // A record read in any state must file out again.
    AcDbDwgMemoryFiler out(AcDb::kCopyFiler, db);
    (void)entity->dwgOutFields(&out);
    return 0;
}
