// Feeds arbitrary bytes to the DWG and DXF readers of the four intelligent entities.
// The first byte picks the class and the filer; the rest is the record.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// With ENTITY_FUZZ_SEEDS=folder, writes one valid DWG and DXF record of each class there,
// so the fuzzer starts from records that get past the host's part of the data.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* folder = std::getenv("ENTITY_FUZZ_SEEDS");
    if (!folder) return 0;
    AcDbDatabase* db = database();
    for (int kind = 0; kind < 4; ++kind) {
        std::unique_ptr<AcDbEntity> entity = make(kind);
        AcDbDwgMemoryFiler dwg(AcDb::kFileFiler, db);
        entity->dwgOutFields(&dwg);
        std::string bytes(1, static_cast<char>(kind | 4));
        bytes.append(reinterpret_cast<const char*>(dwg.data()), dwg.size());
        cadhost::dxf::TokenWriter writer;
        AcDbDxfOutFiler dxf(writer, db);
        entity->dxfOutFields(&dxf);
        std::string text(1, static_cast<char>(kind));
        text += writer.str();
        for (const std::string* seed : {&bytes, &text}) {
            std::string path = std::string(folder) + "/seed" + std::to_string(kind) + (seed == &bytes ? "dwg" : "dxf");
            if (FILE* f = std::fopen(path.c_str(), "wb")) {
                std::fwrite(seed->data(), 1, seed->size(), f);
                std::fclose(f);
            }
        }
    }
    return 0;
}

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
