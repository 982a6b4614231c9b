// libFuzzer target for the readers of the binary memory filer and the objects filed through it.
//
// Input: byte 0 chooses the filer type, byte 1 the number n of reader steps, the next n bytes
// choose the readers (a value >= 200 files a whole object in instead), the rest is the data.
//
// Build (not part of the CMake build):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Ihost \
//     tests/fuzz_sources/dwgfiler_fuzz.cpp -Lout/<build>/bin -lcadhost -Wl,-rpath,out/<build>/bin
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include "db/database.h"
#include "db/dwgmemfiler.h"

namespace {

void readOne(AcDbDwgMemoryFiler& f, uint8_t op) {
    switch (op % 24) {
    case 0: { Adesk::Int8 v; f.readInt8(&v); break; }
    case 1: { Adesk::UInt8 v; f.readUInt8(&v); break; }
    case 2: { Adesk::Int16 v; f.readInt16(&v); break; }
    case 3: { Adesk::UInt16 v; f.readUInt16(&v); break; }
    case 4: { Adesk::Int32 v; f.readInt32(&v); break; }
    case 5: { Adesk::UInt32 v; f.readUInt32(&v); break; }
    case 6: { Adesk::Boolean v; f.readBoolean(&v); break; }
    case 7: { bool v; f.readBool(&v); break; }
    case 8: { double v; f.readDouble(&v); break; }
    case 9: { AcGePoint2d v; f.readPoint2d(&v); break; }
    case 10: { AcGePoint3d v; f.readPoint3d(&v); break; }
    case 11: { AcGeVector2d v; f.readVector2d(&v); break; }
    case 12: { AcGeVector3d v; f.readVector3d(&v); break; }
    case 13: { char* s = nullptr; f.readString(&s); std::free(s); break; }
    case 14: { char b[16]; f.readBytes(b, sizeof b); break; }
    case 15: { void* p = nullptr; uint32_t n = 0; f.readBinaryChunk(&p, &n); std::free(p); break; }
    case 16: { AcDbHandle h; f.readAcDbHandle(&h); break; }
    case 17: { AcDbSoftPointerId id; f.readSoftPointerId(&id); (void)id.isValid(); break; }
    case 18: { AcDbHardPointerId id; f.readHardPointerId(&id); (void)id.isValid(); break; }
    case 19: { AcDbSoftOwnershipId id; f.readSoftOwnershipId(&id); (void)id.isValid(); break; }
    case 20: { AcDbHardOwnershipId id; f.readHardOwnershipId(&id); (void)id.isValid(); break; }
    case 21: f.seek(static_cast<int8_t>(op), 1); break;
    case 22: f.resetFilerStatus(); break;
    default: { AcDbObjectId id; f.getNextOwnedObject(id); f.getNextHardObject(id); break; }
    }
}

// Objects whose readers take ids, strings, chunks and counts.
AcDbObject* newObject(uint8_t op) {
    switch (op % 4) {
    case 0: return new AcDbBlockTableRecord;
    case 1: return new AcDbLayerTableRecord;
    case 2: return new AcDbLinetypeTableRecord;
    default: return new AcDbTextStyleTableRecord;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const AcDb::FilerType types[] = {AcDb::kFileFiler, AcDb::kCopyFiler, AcDb::kUndoFiler,
                                            AcDb::kDeepCloneFiler, AcDb::kWblockCloneFiler, AcDb::kIdXlateFiler};
    const AcDb::FilerType type = types[data[0] % (sizeof types / sizeof types[0])];
    size_t steps = data[1];
    if (steps > size - 2) steps = size - 2;
    const uint8_t* ops = data + 2;
    AcDbDatabase db(true, true);
    AcDbDwgMemoryFiler filer(ops + steps, size - 2 - steps, type, &db);
    for (size_t i = 0; i < steps; ++i) {
        if (ops[i] >= 200) {
            AcDbObject* obj = newObject(ops[i]);
            obj->dwgIn(&filer);
            delete obj;
        } else {
            readOne(filer, ops[i]);
        }
    }
    return 0;
}
