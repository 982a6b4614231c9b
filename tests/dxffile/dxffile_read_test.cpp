// Reading real and broken files: errors leave the drawing as it was, unknown entities
// survive as proxies, R12 files read.
#include <gtest/gtest.h>
#include <random>
#include "db/proxyentity.h"
#include "drawing.h"
#include "dxftestutil.h"

using namespace dxftest;

namespace {

// The whole drawing as DXF text (the same drawing saves to the same text).
std::string snapshot(AcDbDatabase* db, const TempDir& dir) {
    std::string path = dir.file("snapshot.dxf");
    EXPECT_EQ(db->dxfOut(path.c_str()), Acad::eOk) << db->lastError();
    return readText(path);
}

const char* kR12 =
    "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$INSBASE\n 10\n1.0\n 20\n2.0\n 30\n0.0\n"
    "  9\n$CLAYER\n  8\nPLAN\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n1\n  0\nLAYER\n  2\nPLAN\n 70\n0\n 62\n5\n  6\nCONTINUOUS\n"
    "  0\nENDTAB\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nBOX\n 70\n2\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
    "  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n1.0\n"
    "  0\nATTDEF\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n1.0\n  1\nX\n  3\nName?\n  2\nNAME\n 70\n0\n"
    "  0\nENDBLK\n  8\n0\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\nLINE\n  8\nPLAN\n 62\n1\n 10\n1.0\n 20\n2.0\n 30\n0.0\n 11\n3.0\n 21\n4.0\n 31\n0.0\n"
    "  0\nCIRCLE\n  8\nOTHER\n 10\n5.0\n 20\n5.0\n 40\n2.0\n"
    "  0\nARC\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n1.0\n 50\n0.0\n 51\n90.0\n"
    "  0\nTEXT\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n2.5\n  1\nHello\n 72\n1\n 11\n5.0\n 21\n0.0\n"
    "  0\nINSERT\n  8\n0\n 66\n1\n  2\nBOX\n 10\n10.0\n 20\n10.0\n"
    "  0\nATTRIB\n  8\n0\n 10\n10.0\n 20\n10.0\n 40\n1.0\n  1\nBob\n  2\nNAME\n 70\n0\n"
    "  0\nSEQEND\n  8\n0\n"
    "  0\nSOLIDISH\n  8\n0\n 10\n1.0\n 20\n2.0\n"
    "  0\nENDSEC\n  0\nEOF\n";

// An AC1018 file with an entity of a class this host does not have.
std::string unknownEntityFile() {
    return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1018\n  9\n$HANDSEED\n  5\n200\n  0\nENDSEC\n"
           "  0\nSECTION\n  2\nCLASSES\n  0\nCLASS\n  1\nZZWIDGET\n  2\nZzWidget\n  3\nZZ Widgets\n 90\n1\n"
           " 91\n1\n280\n0\n281\n1\n  0\nENDSEC\n"
           "  0\nSECTION\n  2\nENTITIES\n"
           "  0\nZZWIDGET\n  5\n1A0\n330\n1F\n100\nAcDbEntity\n  8\n0\n 62\n3\n100\nZzWidget\n"
           " 10\n1.50000\n 20\n-2\n 40\n  0.25\n  1\nsome ^J text\n 90\n12\n330\n1A1\n 10\n3\n 20\n4\n 30\n5\n"
           "1001\nACAD\n1000\nnote\n"
           "  0\nLINE\n  5\n1A1\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n 10\n0\n 20\n0\n 30\n0\n"
           " 11\n1\n 21\n1\n 31\n0\n"
           "  0\nENDSEC\n  0\nEOF\n";
}

std::vector<AcDbProxyEntity::DxfGroup> proxyGroups(AcDbDatabase* db) {
    std::vector<AcDbProxyEntity::DxfGroup> out;
    for (AcDbObjectId id : db->allIds()) {
        AcDbProxyEntity* proxy = nullptr;
        if (acdbOpenObject(proxy, id, AcDb::kForRead) != Acad::eOk) continue;
        const AcDbProxyEntity* kept = proxy;
        for (const auto& g : kept->dxfGroups()) out.push_back(g);
        proxy->close();
    }
    return out;
}

}  // namespace

TEST(DxfRead, UnknownEntitiesSurviveAsProxies) {
    TempDir dir;
    std::string path = dir.file("unknown.dxf");
    writeText(path, unknownEntityFile());
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDxfFile(path.c_str()), Acad::eOk) << db.lastError();
    const std::vector<AcDbProxyEntity::DxfGroup> expected = {
        {100, "ZzWidget"}, {10, "1.50000"}, {20, "-2"}, {40, "  0.25"}, {1, "some \n text"},
        {90, "12"}, {330, "1A1"}, {10, "3"}, {20, "4"}, {30, "5"}};
    EXPECT_EQ(proxyGroups(&db), expected);

    // Written back: the same groups, the class entry, the extended data; read again: equal.
    std::string again = dir.file("again.dxf");
    ASSERT_EQ(db.dxfOut(again.c_str()), Acad::eOk) << db.lastError();
    std::string text = readText(again);
    EXPECT_NE(text.find("  0\nZZWIDGET\n  5\n1A0\n"), std::string::npos);
    EXPECT_NE(text.find(" 10\n1.50000\n 20\n-2\n 40\n  0.25\n  1\nsome ^J text\n 90\n12\n330\n1A1\n 10\n3\n 20\n4\n 30\n5\n1001\nACAD\n1000\nnote\n"),
              std::string::npos);
    EXPECT_NE(text.find("  1\nZZWIDGET\n  2\nZzWidget\n  3\nZZ Widgets\n 90\n1\n 91\n1\n280\n1\n281\n1\n"),
              std::string::npos);
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(again.c_str()), Acad::eOk) << back.lastError();
    EXPECT_EQ(proxyGroups(&back), expected);
    std::string out;
    if (haveEzdxf()) {
        EXPECT_EQ(ezdxfAuditErrors(again, out), 0) << out;
    }
    std::string why;
    EXPECT_TRUE(sameBlocks(dumpBlocks(&db), dumpBlocks(&back), why)) << why;
}

TEST(DxfRead, R12FilesWithoutHandlesOrBlockRecords) {
    TempDir dir;
    std::string path = dir.file("r12.dxf");
    writeText(path, kR12);
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDxfFile(path.c_str()), Acad::eOk) << db.lastError();
    auto blocks = dumpBlocks(&db);
    const std::string ms = blockText(blocks, ACDB_MODEL_SPACE);
    for (const char* kind : {"AcDbLine", "AcDbCircle", "AcDbArc", "AcDbText", "AcDbBlockReference", "AcDbProxyEntity"})
        EXPECT_NE(ms.find(kind), std::string::npos) << kind << "\n" << ms;
    // Values land in the right fields.
    EXPECT_NE(ms.find(" 11\n3.0\n 21\n4.0\n"), std::string::npos) << ms;
    EXPECT_NE(ms.find(" 40\n2.0\n"), std::string::npos);
    EXPECT_NE(ms.find(" 51\n90.0\n"), std::string::npos);
    EXPECT_NE(blockText(blocks, "BOX").find("AcDbAttributeDefinition"), std::string::npos);
    // The layer a file uses without defining it exists, and the header was kept.
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(layers->has("PLAN"));
    EXPECT_TRUE(layers->has("OTHER"));
    layers->close();
    EXPECT_DOUBLE_EQ(db.insbase().y, 2.0);
    EXPECT_FALSE(db.modelSpaceId().isNull());
    EXPECT_FALSE(db.paperSpaceId().isNull());
    // Every entity got a handle; the attribute belongs to its reference.
    size_t attributes = 0;
    for (AcDbObjectId id : db.allIds()) {
        EXPECT_FALSE(id.handle().isNull());
        AcDbAttribute* att = nullptr;
        if (acdbOpenObject(att, id, AcDb::kForRead) != Acad::eOk) continue;
        ++attributes;
        EXPECT_STREQ(att->textStringConst(), "Bob");
        EXPECT_TRUE(att->ownerId().objectClass()->isDerivedFrom(AcDbBlockReference::desc()));
        att->close();
    }
    EXPECT_EQ(attributes, 1u);
    std::string again = dir.file("again.dxf");
    ASSERT_EQ(db.dxfOut(again.c_str()), Acad::eOk) << db.lastError();
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(again.c_str()), Acad::eOk) << back.lastError();
    EXPECT_EQ(entityCount(&db), entityCount(&back));
    std::string out;
    if (haveEzdxf()) {
        EXPECT_EQ(ezdxfAuditErrors(again, out), 0) << out;
    }
}

TEST(DxfRead, BrokenFilesLeaveTheDrawingAsItWas) {
    TempDir dir;
    AcDbDatabase source(true, true);
    buildDrawing(&source);
    std::string good = dir.file("good.dxf");
    ASSERT_EQ(source.dxfOut(good.c_str()), Acad::eOk);
    const std::string text = readText(good);

    AcDbDatabase target(true, true);
    append(&target, target.modelSpaceId(), new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 9));
    const std::string before = snapshot(&target, dir);
    const size_t objects = target.numObjects();

    std::vector<std::pair<std::string, std::string>> broken;  // text, what the message names
    std::mt19937 rng(2024);
    for (int i = 0; i < 40; ++i) {
        size_t cut = std::uniform_int_distribution<size_t>(1, text.size() - 12)(rng);
        broken.emplace_back(text.substr(0, cut), "");
    }
    auto replaceOnce = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? t : t.replace(at, from.size(), to);
    };
    broken.emplace_back(replaceOnce("\n 40\n2.75", "\n 40\n2.7x5"), "expected a number");
    broken.emplace_back(replaceOnce("\n 70\n", "\nx70\n"), "group code is not an integer");
    broken.emplace_back(replaceOnce("  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS", "  0\nSECTION\n  2\nBLOCKS"), "TABLE");
    broken.emplace_back(replaceOnce("  0\nEOF\n", ""), "EOF");
    broken.emplace_back(replaceOnce("\n 62\n1\n", "\n 62\n99999\n"), "16-bit");
    broken.emplace_back(replaceOnce("  0\nSECTION\n  2\nENTITIES\n", "  0\nSECTION\n  2\nENTITIES\n 10\n1.0\n"), "expected group 0");

    std::string path = dir.file("broken.dxf");
    for (const auto& [bad, what] : broken) {
        writeText(path, bad);
        Acad::ErrorStatus es = target.readDxfFile(path.c_str());
        EXPECT_NE(es, Acad::eOk) << "read of a broken file succeeded (" << bad.size() << " bytes)";
        EXPECT_FALSE(target.lastError().empty());
        EXPECT_NE(target.lastError().find("line"), std::string::npos) << target.lastError();
        if (!what.empty()) {
            EXPECT_NE(target.lastError().find(what), std::string::npos) << target.lastError();
        }
        EXPECT_EQ(target.numObjects(), objects);
    }
    EXPECT_EQ(snapshot(&target, dir), before);
    // The good file still reads into it.
    ASSERT_EQ(target.readDxfFile(good.c_str()), Acad::eOk) << target.lastError();
    std::string why;
    EXPECT_TRUE(sameBlocks(dumpBlocks(&target), dumpBlocks(&source), why)) << why;
    EXPECT_EQ(target.readDxfFile(dir.file("none.dxf").c_str()), Acad::eFileNotFound);
}

// A group is taken for the kind of value its code holds: anything else, in any section, is an
// error that names the line, and the drawing stays as it was.
TEST(DxfRead, GroupsOfTheWrongKindAreErrorsNamingTheirLine) {
    TempDir dir;
    AcDbDatabase target(true, true);
    append(&target, target.modelSpaceId(), new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 9));
    const std::string before = snapshot(&target, dir);
    const size_t objects = target.numObjects();

    const std::string header = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1018\n";
    const std::string vport = "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nVPORT\n  0\nVPORT\n  2\n*ACTIVE\n 70\n0\n"
                              "1001\nACAD\n";
    const std::string line = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
                             "1001\nACAD\n";
    const std::string tail = "  0\nENDSEC\n  0\nEOF\n";
    struct Case {
        std::string text;
        const char* message;
    } cases[] = {
        {"  0\nSECTION\n  2\nHEADER\n  9\n$HANDSEED\n 70\n2\n" + tail,
         "line 7: group 70 holds a 16-bit integer where text is expected"},
        {header + "  9\n$HANDSEED\n 10\n1.0\n 20\n2.0\n" + tail, "line 11: group 10 holds a real where text is expected"},
        {header + "  9\n$HANDSEED\n310\nABCD\n" + tail, "line 11: group 310 holds binary data"},
        {header + "  9\n$HANDSEED\n  5\nXYZ\n" + tail, "$HANDSEED is not a hexadecimal handle: 'XYZ'"},
        // Codes beyond the DXF ones, or that do not fit a result buffer's code.
        {line + "1072\nnote\n" + tail, "line 19: group code 1072 is not a DXF group code"},
        {line + "4999\nnote\n" + tail, "group code 4999 is not a DXF group code"},
        {vport + "5090\n1.0\n  0\nENDTAB\n" + tail, "line 17: group code 5090 is not a DXF group code"},
        {line + "66540\nABCD\n" + tail, "group code 66540 is not a DXF group code"},
        {line + " -1\nx\n" + tail, "group code -1 is not a DXF group code"},
        // Extended data the object cannot keep.
        {line + "1002\n{\n1000\nopen\n" + tail, "the extended data cannot be kept"},
    };
    std::string path = dir.file("kinds.dxf");
    for (const Case& c : cases) {
        writeText(path, c.text);
        EXPECT_EQ(target.readDxfFile(path.c_str()), Acad::eDxfReadAborted) << c.text;
        EXPECT_NE(target.lastError().find(c.message), std::string::npos) << target.lastError();
        EXPECT_EQ(target.numObjects(), objects);
        EXPECT_EQ(target.numOpenObjects(), 0);
    }
    EXPECT_EQ(snapshot(&target, dir), before);

    // The same files with groups of the right kinds read.
    for (const std::string& good : {header + "  9\n$HANDSEED\n  5\n2A\n" + tail,
                                     line + "1000\nnote\n1004\nABCD\n1071\n70000\n" + tail,
                                     vport + "1040\n1.0\n  0\nENDTAB\n" + tail}) {
        writeText(path, good);
        EXPECT_EQ(target.readDxfFile(path.c_str()), Acad::eOk) << target.lastError() << "\n" << good;
        EXPECT_EQ(target.numOpenObjects(), 0);
    }
}

// Header variables a file gives under codes of another kind than AutoCAD's keep their values
// and are written under codes that read back.
TEST(DxfRead, HeaderVariablesOfAnotherKindWriteBackReadably) {
    TempDir dir;
    const std::string path = dir.file("header.dxf"), again = dir.file("again.dxf");
    writeText(path, "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1018\n  9\n$ANGBASE\n  1\nAC1021\n"
                    "  9\n$LUNITS\n 90\n70000\n  9\n$CLAYER\n 70\n3\n  9\n$ZZCOUNT\n 90\n-40000\n"
                    "  9\n$INSBASE\n 40\n2.5\n  0\nENDSEC\n  0\nEOF\n");
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDxfFile(path.c_str()), Acad::eOk) << db.lastError();
    ASSERT_EQ(db.dxfOut(again.c_str()), Acad::eOk) << db.lastError();
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(again.c_str()), Acad::eOk) << back.lastError();
    for (const char* name : {"ANGBASE", "LUNITS", "CLAYER", "ZZCOUNT", "INSBASE"})
        EXPECT_TRUE(back.headerValue(name) == db.headerValue(name)) << name;
    EXPECT_TRUE(back.headerValue("LUNITS") == AcDbHeaderValue(70000));
}

// Group 0 names that lay out the file start no entity or object: kept as proxies, they would be
// written back where they end a section or a block.
TEST(DxfRead, LayoutNamesStartNoEntity) {
    TempDir dir;
    const std::string path = dir.file("layout.dxf");
    const std::string block = "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n 10\n0\n 20\n0\n";
    const std::pair<std::string, const char*> cases[] = {
        {block + "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n", "line 13: the BLOCKS section ends without 0 ENDSEC"},
        {block + "  0\nTABLE\n  8\n0\n  0\nENDBLK\n  0\nENDSEC\n  0\nEOF\n", "0 TABLE in the BLOCKS section"},
        {"  0\nSECTION\n  2\nENTITIES\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n  0\nEOF\n", "0 ENDBLK in the ENTITIES section"},
        {"  0\nSECTION\n  2\nOBJECTS\n  0\nCLASS\n  0\nENDSEC\n  0\nEOF\n", "0 CLASS in the OBJECTS section"},
    };
    AcDbDatabase db(true, true);
    const size_t objects = db.numObjects();
    for (const auto& [text, message] : cases) {
        writeText(path, text);
        EXPECT_EQ(db.readDxfFile(path.c_str()), Acad::eDxfReadAborted) << text;
        EXPECT_NE(db.lastError().find(message), std::string::npos) << db.lastError();
        EXPECT_EQ(db.numObjects(), objects);
    }
}

// Every DXF file of the LibreCAD data (part library and hatch patterns) reads, writes, and
// reads back with the same entities.
TEST(DxfRead, LibreCadLibrary) {
    const std::filesystem::path root = "/usr/share/librecad";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "librecad-data is not installed";
    TempDir dir;
    std::string out = dir.file("out.dxf");
    size_t files = 0, failures = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!entry.is_regular_file() || ext != ".dxf") continue;
        ++files;
        AcDbDatabase db(false, true);
        if (db.readDxfFile(entry.path().c_str()) != Acad::eOk) {
            ADD_FAILURE() << entry.path() << ": " << db.lastError();
            if (++failures > 10) break;
            continue;
        }
        size_t count = entityCount(&db);
        ASSERT_EQ(db.dxfOut(out.c_str()), Acad::eOk) << entry.path() << ": " << db.lastError();
        AcDbDatabase back(false, true);
        ASSERT_EQ(back.readDxfFile(out.c_str()), Acad::eOk) << entry.path() << ": " << back.lastError();
        EXPECT_EQ(entityCount(&back), count) << entry.path();
        // Every 10th file as written here goes to ezdxf too.
        if (files % 10 == 1) std::filesystem::copy_file(out, dir.file("ez" + std::to_string(files) + ".dxf"));
    }
    EXPECT_GT(files, 1000u);
    if (!haveEzdxf()) return;
    std::string report;
    int rc = runCommand("/usr/bin/python3 -c \"import ezdxf, glob, sys\n"
                        "n = e = 0\n"
                        "for f in glob.glob(sys.argv[1] + '/ez*.dxf'):\n"
                        "    n += 1\n"
                        "    for x in ezdxf.readfile(f).audit().errors: e += 1; print(f, x.message)\n"
                        "print(n, e)\" '" + dir.path() + "' 2>&1",
                        report);
    EXPECT_EQ(rc, 0) << report;
    EXPECT_EQ(report, std::to_string((files + 9) / 10) + " 0\n");
}

// Attributed inserts keep the file's SEQEND, one whose SEQEND is missing gets one, and reading
// makes no object only to erase it again.
TEST(DxfRead, AttributedInsertsLeaveNoErasedObjects) {
    TempDir dir;
    std::string text = kR12;
    const std::string noSeqend =
        "  0\nINSERT\n  8\n0\n 66\n1\n  2\nBOX\n 10\n20.0\n 20\n10.0\n"
        "  0\nATTRIB\n  8\n0\n 10\n20.0\n 20\n10.0\n 40\n1.0\n  1\nAnn\n  2\nNAME\n 70\n0\n";
    text.insert(text.find("  0\nSOLIDISH"), noSeqend);
    const std::string path = dir.file("attributes.dxf");
    writeText(path, text);
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDxfFile(path.c_str()), Acad::eOk) << db.lastError();
    int erased = 0, inserts = 0, ends = 0;
    for (AcDbObjectId id : db.allIds()) {
        if (id.isErased()) ++erased;
        AcDbBlockReference* ref = nullptr;
        if (acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk) continue;
        ++inserts;
        EXPECT_EQ(ref->internalAttributeIds().size(), 1u);
        if (!ref->sequenceEndId().isNull() && !ref->sequenceEndId().isErased()) ++ends;
        ref->close();
    }
    EXPECT_EQ(erased, 0);
    EXPECT_EQ(inserts, 2);
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(db.numOpenObjects(), 0);
}
