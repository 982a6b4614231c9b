#include "db/dwgmemfiler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "db/database.h"

namespace {

// One value of every kind, written and read in the same order.
struct Sample {
    Adesk::Int8 i8 = -128;
    Adesk::UInt16 u16 = 65535;
    Adesk::Int32 i32 = std::numeric_limits<Adesk::Int32>::min();
    Adesk::UInt32 u32 = 0xDEADBEEFu;
    Adesk::Boolean boolean = Adesk::kTrue;
    double d = -0.0;
    AcGePoint3d p{1, 2, 3};
    AcGeVector2d v{-4, 5};
    std::string s = "layer \xC3\xA9";
    char raw[3] = {'a', '\0', 'b'};
    AcDbHandle h{0x1234567890ABCDEFull};

    void write(AcDbDwgFiler& f) const {
        f.writeInt8(i8), f.writeUInt16(u16), f.writeInt32(i32), f.writeUInt32(u32), f.writeBoolean(boolean);
        f.writeDouble(d), f.writePoint3d(p), f.writeVector2d(v), f.writeString(s.c_str()), f.writeString(nullptr);
        f.writeBytes(raw, 3), f.writeBinaryChunk(raw, 3), f.writeAcDbHandle(h);
    }
    // Reads into this sample, comparing with `expected` when given.
    void read(AcDbDwgFiler& f, const Sample* expected = nullptr) {
        f.readInt8(&i8), f.readUInt16(&u16), f.readInt32(&i32), f.readUInt32(&u32), f.readBoolean(&boolean);
        f.readDouble(&d), f.readPoint3d(&p), f.readVector2d(&v);
        char* a = nullptr;
        char* b = nullptr;
        f.readString(&a), f.readString(&b);
        f.readBytes(raw, 3);
        void* chunk = nullptr;
        uint32_t len = 0;
        f.readBinaryChunk(&chunk, &len);
        f.readAcDbHandle(&h);
        if (expected) {
            EXPECT_EQ(i8, expected->i8);
            EXPECT_EQ(u16, expected->u16);
            EXPECT_EQ(i32, expected->i32);
            EXPECT_EQ(u32, expected->u32);
            EXPECT_EQ(boolean, expected->boolean);
            EXPECT_TRUE(d == 0.0 && std::signbit(d));
            EXPECT_EQ(p.z, 3);
            EXPECT_EQ(v.x, -4);
            EXPECT_STREQ(a, expected->s.c_str());
            EXPECT_STREQ(b, "");
            EXPECT_EQ(std::memcmp(raw, expected->raw, 3), 0);
            EXPECT_EQ(len, 3u);
            EXPECT_TRUE(chunk && std::memcmp(chunk, expected->raw, 3) == 0);
            EXPECT_EQ(h.value(), expected->h.value());
        }
        std::free(a), std::free(b), std::free(chunk);
    }
};

TEST(DwgMemoryFiler, ValuesRoundTripLittleEndian) {
    const Sample in;
    for (AcDb::FilerType type : {AcDb::kCopyFiler, AcDb::kUndoFiler, AcDb::kDeepCloneFiler, AcDb::kFileFiler}) {
        AcDbDwgMemoryFiler w(type);
        in.write(w);
        AcDbDwgMemoryFiler r(w.data(), w.size(), type, nullptr);
        Sample out{0, 0, 0, 0, 0, 1, {}, {}, "", {}, {}};
        out.read(r, &in);
        EXPECT_EQ(r.filerStatus(), Acad::eOk);
        EXPECT_EQ(r.tell(), static_cast<int64_t>(r.size()));
    }
    AcDbDwgMemoryFiler f;
    f.writeUInt32(0x01020304);
    f.writeString("ab");
    const Adesk::UInt8 expected[] = {4, 3, 2, 1, 2, 0, 0, 0, 'a', 'b'};
    ASSERT_EQ(f.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(f.data(), expected, sizeof expected), 0);
}

// A fuzzer's view: any prefix of valid data fails cleanly, answers zeros, and stays failed.
TEST(DwgMemoryFiler, TruncatedDataEndsInEndOfFile) {
    AcDbDwgMemoryFiler full;
    Sample().write(full);
    for (size_t cut = 0; cut < full.size(); ++cut) {
        AcDbDwgMemoryFiler f(full.data(), cut, AcDb::kCopyFiler, nullptr);
        Sample out;
        out.read(f);
        EXPECT_EQ(f.filerStatus(), Acad::eEndOfFile) << cut;
        EXPECT_LE(f.tell(), static_cast<int64_t>(cut));
        double d = 7;
        char* s = reinterpret_cast<char*>(1);
        EXPECT_EQ(f.readDouble(&d), Acad::eEndOfFile);
        EXPECT_EQ(f.readString(&s), Acad::eEndOfFile);
        EXPECT_EQ(d, 0.0);
        EXPECT_EQ(s, nullptr);
    }
    // A length prefix beyond the data allocates nothing.
    AcDbDwgMemoryFiler w;
    w.writeUInt32(0xFFFFFFFFu);
    w.writeUInt8('a');
    w.rewind();
    void* chunk = reinterpret_cast<void*>(1);
    uint32_t len = 5;
    EXPECT_EQ(w.readBinaryChunk(&chunk, &len), Acad::eEndOfFile);
    EXPECT_EQ(chunk, nullptr);
    EXPECT_EQ(len, 0u);
}

TEST(DwgMemoryFiler, SeekStaysWithinTheData) {
    AcDbDwgMemoryFiler f;
    f.writeInt32(1);
    f.writeInt32(2);
    EXPECT_EQ(f.seek(-4, 1), Acad::eOk);
    Adesk::Int32 v = 0;
    f.readInt32(&v);
    EXPECT_EQ(v, 2);
    EXPECT_NE(f.seek(1, 2), Acad::eOk);
    EXPECT_NE(f.seek(-1, 0), Acad::eOk);
    EXPECT_NE(f.seek(std::numeric_limits<int64_t>::min(), 2), Acad::eOk);
    EXPECT_NE(f.seek(std::numeric_limits<int64_t>::max(), 1), Acad::eOk);
    EXPECT_EQ(f.tell(), 8);
    f.seek(6, 0);
    f.writeInt32(0);  // overwrites, then extends
    EXPECT_EQ(f.size(), 10u);
}

TEST(DwgMemoryFilerIds, MemoryFilersKeepStubsAndCheckThem) {
    AcDbStub a, b;
    AcDbDwgMemoryFiler f(AcDb::kUndoFiler);
    f.writeSoftPointerId(AcDbObjectId(&a));
    f.writeHardOwnershipId(AcDbObjectId::kNull);
    f.writeHardPointerId(AcDbObjectId(&b));
    f.rewind();
    AcDbSoftPointerId sp;
    AcDbHardOwnershipId ho{AcDbObjectId(&b)};
    AcDbSoftOwnershipId wrongKind{AcDbObjectId(&a)};
    EXPECT_EQ(f.readSoftPointerId(&sp), Acad::eOk);
    EXPECT_EQ(f.readHardOwnershipId(&ho), Acad::eOk);
    EXPECT_EQ(sp.stub(), &a);
    EXPECT_TRUE(ho.isNull());
    EXPECT_EQ(f.readSoftOwnershipId(&wrongKind), Acad::eFilerError);
    EXPECT_TRUE(wrongKind.isNull());
    // The same bytes in another filer cannot pass for ids.
    AcDbDwgMemoryFiler forged(f.data(), f.size(), AcDb::kUndoFiler, nullptr);
    EXPECT_EQ(forged.readSoftPointerId(&sp), Acad::eFilerError);
    EXPECT_TRUE(sp.isNull());
}

// Ids read back in another order than written (after a seek) are still checked exactly, and
// a filer reset for another use forgets what it wrote.
TEST(DwgMemoryFilerIds, IdsReadOutOfOrderAndAfterAReset) {
    std::vector<AcDbStub> stubs(40);
    AcDbDwgMemoryFiler f(AcDb::kDeepCloneFiler);
    for (AcDbStub& stub : stubs) f.writeSoftPointerId(AcDbObjectId(&stub));
    for (size_t i = stubs.size(); i-- > 0;) {
        ASSERT_EQ(f.seek(static_cast<int64_t>(9 * i), 0), Acad::eOk);
        AcDbSoftPointerId id;
        EXPECT_EQ(f.readSoftPointerId(&id), Acad::eOk);
        EXPECT_EQ(id.stub(), &stubs[i]);
    }
    const std::vector<Adesk::UInt8> bytes = f.bytes();
    f.reset(AcDb::kCopyFiler, nullptr);
    EXPECT_EQ(f.filerType(), AcDb::kCopyFiler);
    EXPECT_EQ(f.size(), 0u);
    f.writeBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    f.rewind();
    AcDbSoftPointerId id;
    EXPECT_EQ(f.readSoftPointerId(&id), Acad::eFilerError);
    EXPECT_TRUE(id.isNull());
}

TEST(DwgMemoryFilerIds, CloningFilersQueueTheIdsToFollow) {
    AcDbStub a, b, c;
    AcDbDwgMemoryFiler deep(AcDb::kDeepCloneFiler), wblock(AcDb::kWblockCloneFiler);
    for (AcDbDwgMemoryFiler* f : {&deep, &wblock}) {
        f->writeHardOwnershipId(AcDbObjectId(&b));
        f->writeSoftPointerId(AcDbObjectId(&c));
        f->writeHardPointerId(AcDbObjectId(&c));
        f->writeSoftOwnershipId(AcDbObjectId(&c));
        f->writeHardOwnershipId(AcDbObjectId::kNull);
        f->writeHardOwnershipId(AcDbObjectId(&a));
    }
    AcDbObjectId id;
    std::vector<AcDbStub*> owned, hard;
    while (deep.getNextOwnedObject(id)) owned.push_back(id.stub());
    while (wblock.getNextHardObject(id)) hard.push_back(id.stub());
    EXPECT_EQ(owned, (std::vector<AcDbStub*>{&b, &a}));
    EXPECT_EQ(hard, (std::vector<AcDbStub*>{&b, &c, &a}));
    EXPECT_FALSE(deep.getNextHardObject(id));
    EXPECT_FALSE(wblock.getNextOwnedObject(id));
}

// Drawing files carry handles, resolved in the filer's database; unknown ones are forward
// references, ids of other drawings are dropped.
TEST(DwgMemoryFilerIds, FileFilerWritesHandles) {
    AcDbDatabase db(true, true), other(true, true);
    const AcDbObjectId layer0 = db.layerZero();
    const uint64_t ahead = db.handseed().value() + 100;
    AcDbDwgMemoryFiler w(AcDb::kFileFiler, &db);
    w.writeHardPointerId(layer0);
    w.writeSoftPointerId(other.layerZero());
    w.writeUInt8(1);  // a soft pointer by hand: kind byte, then the handle
    w.writeAcDbHandle(AcDbHandle(ahead));
    uint64_t handle = 0;
    for (int i = 0; i < 8; ++i) handle |= uint64_t(w.data()[1 + i]) << (8 * i);
    EXPECT_EQ(handle, layer0.handle().value());

    AcDbDwgMemoryFiler r(w.data(), w.size(), AcDb::kFileFiler, &db);
    AcDbHardPointerId hp;
    AcDbSoftPointerId foreign, fwd;
    EXPECT_EQ(r.readHardPointerId(&hp), Acad::eOk);
    EXPECT_EQ(r.readSoftPointerId(&foreign), Acad::eOk);
    EXPECT_EQ(r.readSoftPointerId(&fwd), Acad::eOk);
    EXPECT_EQ(hp, layer0);
    EXPECT_TRUE(foreign.isNull());
    EXPECT_EQ(fwd.handle().value(), ahead);
    AcDbObjectId again;
    EXPECT_EQ(db.getAcDbObjectId(again, false, AcDbHandle(ahead)), Acad::eOk);
    EXPECT_EQ(again, fwd);

    AcDbDwgMemoryFiler noDb(w.data(), w.size(), AcDb::kFileFiler, nullptr);
    EXPECT_EQ(noDb.readHardPointerId(&hp), Acad::eNoDatabase);
    EXPECT_TRUE(hp.isNull());
}

}  // namespace
