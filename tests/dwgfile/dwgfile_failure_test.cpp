// Saves that fail and files that are damaged: nothing is lost, nothing half-made is left.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include "dwgtest.h"
#include "rx/rxclass.h"

using namespace dwgtest;

// An entity whose filing fails while failOnWrite is set.
class DwgTestBrittle : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(DwgTestBrittle);
    static inline bool failOnWrite = false;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
        Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
        if (es == Acad::eOk && failOnWrite) filer->setFilerStatus(es = Acad::eFilerError);
        return es;
    }
};
ACRX_DXF_DEFINE_MEMBERS(DwgTestBrittle, AcDbEntity, 0, 0, 0, "DWGTESTBRITTLE", "DwgFileTests")

namespace {

class DwgFailure : public ::testing::Test {
protected:
    void SetUp() override {
        DwgTestBrittle::rxInit();
        acrxBuildClassHierarchy();
        buildDrawing(&m_db);
        ASSERT_EQ(m_db.saveAs(m_path.c_str()), Acad::eOk) << m_db.lastError();
        m_saved = readBytes(m_path);
        ASSERT_EQ(m_read.readDwgFile(m_path.c_str()), Acad::eOk);
        m_readDump = dumpDatabase(&m_read);
        // The next save has more to write.
        append(m_db.modelSpaceId(), new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 3));
    }
    void TearDown() override { DwgTestBrittle::failOnWrite = false; }
    void expectOldFileIntact() {
        EXPECT_TRUE(readBytes(m_path) == m_saved);
        EXPECT_EQ(m_dir.names(), std::vector<std::string>{"drawing.dwg"});
    }
    // Reading the bytes fails and leaves the drawing read before as it was.
    void expectRefused(const std::vector<uint8_t>& bytes, const std::string& why) {
        const std::string bad = m_dir.file("bad.dwg");
        writeBytes(bad, bytes);
        EXPECT_EQ(m_read.readDwgFile(bad.c_str()), Acad::eFilerError) << why << ": " << m_read.lastError();
        EXPECT_NE(m_read.lastError().find(bad), std::string::npos) << why;
        EXPECT_EQ(dumpDatabase(&m_read), m_readDump) << why;
        EXPECT_STREQ(m_read.filename(), m_path.c_str()) << why;
    }

    TempDir m_dir;
    std::string m_path = m_dir.file("drawing.dwg");
    AcDbDatabase m_db{true, true}, m_read{false, true};
    std::vector<uint8_t> m_saved;
    std::string m_readDump;
};

TEST_F(DwgFailure, SaveThatFailsLeavesTheOldFile) {
    append(m_db.modelSpaceId(), new DwgTestBrittle);
    DwgTestBrittle::failOnWrite = true;
    EXPECT_EQ(m_db.saveAs(m_path.c_str()), Acad::eFilerError);
    EXPECT_NE(m_db.lastError().find("DwgTestBrittle"), std::string::npos) << m_db.lastError();
    expectOldFileIntact();
    DwgTestBrittle::failOnWrite = false;

    // A file size limit below the drawing's size stands in for a disk that fills up.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Acad::ErrorStatus es = m_db.saveAs(m_path.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, handler);
    EXPECT_NE(es, Acad::eOk);
    EXPECT_NE(m_db.lastError().find(m_path), std::string::npos) << m_db.lastError();
    expectOldFileIntact();

    const std::string elsewhere = m_dir.file("no/such/folder/x.dwg");
    EXPECT_EQ(m_db.saveAs(elsewhere.c_str()), Acad::eFileAccessErr);
    EXPECT_NE(m_db.lastError().find(elsewhere), std::string::npos) << m_db.lastError();
    EXPECT_STREQ(m_db.filename(), m_path.c_str());
    EXPECT_EQ(m_db.saveAs(m_path.c_str()), Acad::eOk) << m_db.lastError();
    EXPECT_FALSE(readBytes(m_path) == m_saved);
}

TEST_F(DwgFailure, UnwritableFolderLeavesTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "a read-only folder does not stop root";
    ASSERT_EQ(chmod(m_dir.path.c_str(), 0555), 0);
    EXPECT_NE(m_db.saveAs(m_path.c_str()), Acad::eOk);
    chmod(m_dir.path.c_str(), 0755);
    expectOldFileIntact();
}

TEST_F(DwgFailure, TruncatedAndCorruptedFilesAreRefused) {
    for (size_t keep : {size_t(0), size_t(10), size_t(0x50), size_t(0x100), m_saved.size() / 2, m_saved.size() - 1})
        expectRefused(std::vector<uint8_t>(m_saved.begin(), m_saved.begin() + keep), "truncated to " + std::to_string(keep));
    EXPECT_NE(m_read.lastError().find("truncated"), std::string::npos) << m_read.lastError();
    // Any changed byte breaks the checksum.
    for (size_t at : {size_t(0x0D), size_t(0x85), m_saved.size() / 3, m_saved.size() - 2}) {
        std::vector<uint8_t> bad = m_saved;
        bad[at] ^= 0x21;
        expectRefused(bad, "byte " + std::to_string(at));
    }
    std::vector<uint8_t> bad = m_saved;
    bad.push_back(0);
    expectRefused(bad, "a byte appended");
    // With the checksum made to match, marks and structure are still checked.
    for (size_t at : {size_t(le32(m_saved, 0x0D)), size_t(le32(m_saved, 0x54)), size_t(0x54)}) {
        bad = m_saved;
        bad[at] ^= 0x01;
        fixChecksum(bad);
        expectRefused(bad, "mark at " + std::to_string(at));
    }
    bad = m_saved;
    putLe32(bad, 0x40, 0x12345678);
    fixChecksum(bad);
    writeBytes(m_dir.file("other.dwg"), bad);
    EXPECT_EQ(m_read.readDwgFile(m_dir.file("other.dwg").c_str()), Acad::eNotImplementedYet);
}

// Bytes of the object data changed in turn (checksum fixed): the reader refuses or reads
// something, and never crashes or leaves objects open.
TEST_F(DwgFailure, DamagedObjectDataNeverHurts) {
    int refused = 0;
    for (size_t at = le32(m_saved, 0x54); at + 4 < m_saved.size(); at += 7) {
        std::vector<uint8_t> bad = m_saved;
        bad[at] ^= (at & 1) ? 0x80 : 0x07;
        fixChecksum(bad);
        writeBytes(m_dir.file("fuzz.dwg"), bad);
        AcDbDatabase scratch(false, true);
        if (scratch.readDwgFile(m_dir.file("fuzz.dwg").c_str()) != Acad::eOk) ++refused;
        EXPECT_EQ(scratch.numOpenObjects(), 0);
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
