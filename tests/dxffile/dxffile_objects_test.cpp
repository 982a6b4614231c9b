// Objects of classes the host does not know (groups, xrecords, image definitions, the
// dictionaries that name them) survive saving to DXF and to the host's binary file, with the
// links between them.
#include <gtest/gtest.h>
#include <filesystem>
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "dxftestutil.h"

using namespace dxftest;

namespace {

std::string groups(std::initializer_list<std::pair<int, const char*>> list) {
    std::string out;
    for (const auto& [code, value] : list) out += std::to_string(code) + "\n" + value + "\n";
    return out;
}

// A line in a named group and with an extension dictionary, an image with its definition, an
// xrecord in the named object dictionary.
std::string drawingWithObjects() {
    std::string text = groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$HANDSEED"},
                               {5, "100"}, {0, "ENDSEC"}});
    text += groups({{0, "SECTION"}, {2, "CLASSES"}, {0, "CLASS"}, {1, "IMAGEDEF"}, {2, "AcDbRasterImageDef"},
                    {3, "ISM"}, {90, "0"}, {280, "0"}, {281, "0"}, {0, "CLASS"}, {1, "IMAGEDEF_REACTOR"},
                    {2, "AcDbRasterImageDefReactor"}, {3, "ISM"}, {90, "1"}, {280, "0"}, {281, "0"}, {0, "CLASS"},
                    {1, "IMAGE"}, {2, "AcDbRasterImage"}, {3, "ISM"}, {90, "127"}, {280, "0"}, {281, "1"},
                    {0, "ENDSEC"}});
    text += groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {5, "30"}, {102, "{ACAD_REACTORS"}, {330, "40"},
                    {102, "}"}, {102, "{ACAD_XDICTIONARY"}, {360, "43"}, {102, "}"}, {100, "AcDbEntity"}, {8, "0"},
                    {100, "AcDbLine"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "10.0"}, {21, "0.0"},
                    {31, "0.0"}, {0, "IMAGE"}, {5, "31"}, {102, "{ACAD_REACTORS"}, {330, "42"}, {102, "}"},
                    {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbRasterImage"}, {90, "0"}, {10, "0.0"}, {20, "0.0"},
                    {30, "0.0"}, {11, "1.0"}, {21, "0.0"}, {31, "0.0"}, {12, "0.0"}, {22, "1.0"}, {32, "0.0"},
                    {13, "640.0"}, {23, "480.0"}, {340, "41"}, {70, "7"}, {280, "0"}, {281, "50"}, {282, "50"},
                    {283, "0"}, {360, "42"}, {71, "1"}, {91, "2"}, {14, "-0.5"}, {24, "-0.5"}, {14, "639.5"},
                    {24, "479.5"}, {0, "ENDSEC"}});
    text += groups({{0, "SECTION"}, {2, "OBJECTS"},
                    {0, "DICTIONARY"}, {5, "C"}, {330, "0"}, {100, "AcDbDictionary"}, {281, "1"}, {3, "ACAD_GROUP"},
                    {350, "D"}, {3, "ACAD_IMAGE_DICT"}, {350, "E"}, {3, "MYAPP_DATA"}, {350, "F"},
                    {0, "DICTIONARY"}, {5, "D"}, {102, "{ACAD_REACTORS"}, {330, "C"}, {102, "}"}, {330, "C"},
                    {100, "AcDbDictionary"}, {281, "1"}, {3, "DOORS"}, {350, "40"},
                    {0, "DICTIONARY"}, {5, "E"}, {102, "{ACAD_REACTORS"}, {330, "C"}, {102, "}"}, {330, "C"},
                    {100, "AcDbDictionary"}, {281, "1"}, {3, "photo"}, {350, "41"},
                    {0, "XRECORD"}, {5, "F"}, {102, "{ACAD_REACTORS"}, {330, "C"}, {102, "}"}, {330, "C"},
                    {100, "AcDbXrecord"}, {280, "1"}, {1, "hello"}, {102, "NOT_A_GROUP"}, {40, "2.5"}, {70, "7"},
                    {0, "GROUP"}, {5, "40"}, {102, "{ACAD_REACTORS"}, {330, "D"}, {102, "}"}, {330, "D"},
                    {100, "AcDbGroup"}, {300, "the doors"}, {70, "0"}, {71, "1"}, {340, "30"},
                    {0, "IMAGEDEF"}, {5, "41"}, {102, "{ACAD_REACTORS"}, {330, "E"}, {330, "42"}, {102, "}"},
                    {330, "E"}, {100, "AcDbRasterImageDef"}, {90, "0"}, {1, "photo.png"}, {10, "640.0"},
                    {20, "480.0"}, {11, "1.0"}, {21, "1.0"}, {280, "1"}, {281, "0"},
                    {0, "IMAGEDEF_REACTOR"}, {5, "42"}, {330, "31"}, {100, "AcDbRasterImageDefReactor"}, {90, "2"},
                    {330, "31"},
                    {0, "DICTIONARY"}, {5, "43"}, {330, "30"}, {100, "AcDbDictionary"}, {281, "1"}, {3, "NOTE"},
                    {360, "44"},
                    {0, "XRECORD"}, {5, "44"}, {330, "43"}, {100, "AcDbXrecord"}, {280, "1"}, {1, "on the line"},
                    {0, "ENDSEC"}, {0, "EOF"}});
    return text;
}

bool isDxf(const std::string& path) { return path.ends_with(".dxf"); }

Acad::ErrorStatus readFile(AcDbDatabase& db, const std::string& path) {
    return isDxf(path) ? db.readDxfFile(path.c_str()) : db.readDwgFile(path.c_str());
}

AcDbObjectId idOf(AcDbDatabase& db, const char* handle) {
    AcDbObjectId id;
    db.getAcDbObjectId(id, false, AcDbHandle(handle));
    return id;
}

// The kept groups of a proxy object, as DXF text.
std::string keptText(AcDbDatabase& db, const char* handle) {
    AcDbProxyObject* obj = nullptr;
    if (acdbOpenObject(obj, idOf(db, handle), AcDb::kForRead) != Acad::eOk) return "<no proxy object " + std::string(handle) + ">";
    std::string text;
    for (const auto& [code, value] : static_cast<const AcDbProxyObject*>(obj)->dxfGroups())
        text += std::to_string(code) + " " + value + "\n";
    obj->close();
    return text;
}

// What must hold of the drawing after any number of saves.
void expectObjectsAndLinks(AcDbDatabase& db) {
    EXPECT_NE(keptText(db, "F").find("1 hello\n102 NOT_A_GROUP\n40 2.5\n70 7\n"), std::string::npos) << keptText(db, "F");
    EXPECT_NE(keptText(db, "40").find("300 the doors\n70 0\n71 1\n340 30\n"), std::string::npos) << keptText(db, "40");
    EXPECT_NE(keptText(db, "41").find("1 photo.png\n"), std::string::npos);
    EXPECT_NE(keptText(db, "C").find("3 MYAPP_DATA\n350 F\n"), std::string::npos) << keptText(db, "C");
    EXPECT_EQ(db.namedObjectsDictionaryId(), idOf(db, "C"));

    AcDbObject* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, idOf(db, "30"), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(line->extensionDictionary(), idOf(db, "43"));
    ASSERT_EQ(line->persistentReactors().length(), 1);
    EXPECT_EQ(line->persistentReactors()[0], idOf(db, "40"));
    line->close();
    AcDbObject* def = nullptr;
    ASSERT_EQ(acdbOpenObject(def, idOf(db, "41"), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(def->ownerId(), idOf(db, "E"));
    EXPECT_EQ(def->persistentReactors().length(), 2);
    def->close();
    AcDbProxyEntity* image = nullptr;
    ASSERT_EQ(acdbOpenObject(image, idOf(db, "31"), AcDb::kForRead), Acad::eOk);
    bool pointsAtDefinition = false;
    for (const auto& [code, value] : static_cast<const AcDbProxyEntity*>(image)->dxfGroups())
        pointsAtDefinition |= code == 340 && value == "41";
    EXPECT_TRUE(pointsAtDefinition);
    image->close();
}

class UnknownObjects : public ::testing::Test {
protected:
    void SetUp() override {
        writeText(m_dir.file("in.dxf"), drawingWithObjects());
        ASSERT_EQ(m_db.readDxfFile(m_dir.file("in.dxf").c_str()), Acad::eOk) << m_db.lastError();
    }
    TempDir m_dir;
    AcDbDatabase m_db{false, true};
};

TEST_F(UnknownObjects, AreKeptWhenRead) {
    std::map<std::string, int> counts = objectCounts(&m_db);
    EXPECT_EQ(counts["GROUP"], 1);
    EXPECT_EQ(counts["XRECORD"], 2);
    EXPECT_EQ(counts["IMAGEDEF"], 1);
    EXPECT_EQ(counts["IMAGEDEF_REACTOR"], 1);
    EXPECT_EQ(counts["DICTIONARY"], 4);
    expectObjectsAndLinks(m_db);
}

TEST_F(UnknownObjects, SurviveDxfAndBinarySaves) {
    const std::map<std::string, int> counts = objectCounts(&m_db);
    std::map<std::string, int> throughDxf;
    for (const char* name : {"out.dxf", "out.dwg"}) {
        SCOPED_TRACE(name);
        const std::string path = m_dir.file(name);
        ASSERT_EQ(m_db.saveAs(path.c_str()), Acad::eOk) << m_db.lastError();
        AcDbDatabase back(false, true);
        ASSERT_EQ(readFile(back, path), Acad::eOk) << back.lastError();
        std::map<std::string, int> after = objectCounts(&back);
        if (isDxf(path)) {
            // The file's own named object dictionary stays the root; what it lacks (layouts
            // and plot styles) is made.
            std::map<std::string, int> expected = counts;
            expected["DICTIONARY"] += 1;
            expected["ACDBDICTIONARYWDFLT"] = expected["ACDBPLACEHOLDER"] = 1;
            expected["LAYOUT"] = 2;
            EXPECT_EQ(after, expected);
            throughDxf = after;
        } else {
            EXPECT_EQ(after, counts);
        }
        expectObjectsAndLinks(back);
        // Through DXF once more: the same objects, nothing made a second time.
        const std::string again = m_dir.file("again.dxf");
        ASSERT_EQ(back.saveAs(again.c_str()), Acad::eOk) << back.lastError();
        AcDbDatabase third(false, true);
        ASSERT_EQ(third.readDxfFile(again.c_str()), Acad::eOk) << third.lastError();
        EXPECT_EQ(objectCounts(&third), throughDxf);
        expectObjectsAndLinks(third);
    }
}

TEST_F(UnknownObjects, EzdxfSeesTheGroupXrecordAndImageDefinition) {
    if (!haveEzdxf()) GTEST_SKIP() << "ezdxf is not installed";
    for (const char* name : {"out.dxf", "viadwg.dxf"}) {
        SCOPED_TRACE(name);
        const std::string path = m_dir.file(name);
        if (name[0] == 'v') {
            ASSERT_EQ(m_db.saveAs(m_dir.file("out.dwg").c_str()), Acad::eOk) << m_db.lastError();
            AcDbDatabase back(false, true);
            ASSERT_EQ(back.readDwgFile(m_dir.file("out.dwg").c_str()), Acad::eOk) << back.lastError();
            ASSERT_EQ(back.saveAs(path.c_str()), Acad::eOk) << back.lastError();
        } else {
            ASSERT_EQ(m_db.saveAs(path.c_str()), Acad::eOk) << m_db.lastError();
        }
        std::string out;
        int rc = runCommand(
            "/usr/bin/python3 -c \"import ezdxf, sys\n"
            "doc = ezdxf.readfile(sys.argv[1])\n"
            "g = doc.groups.get('DOORS')\n"
            "print('group', g.dxf.description, [e.dxftype() for e in g])\n"
            "x = doc.rootdict['MYAPP_DATA']\n"
            "print('xrecord', x.dxftype(), [t.value for t in x.tags])\n"
            "defs = doc.objects.query('IMAGEDEF')\n"
            "print('imagedefs', [d.dxf.filename for d in defs])\n"
            "line = doc.modelspace().query('LINE')[0]\n"
            "print('xdict', line.get_extension_dict()['NOTE'].dxftype())\n"
            "print('audit', len(doc.audit().errors))\" '" + path + "' 2>&1",
            out);
        ASSERT_EQ(rc, 0) << out;
        EXPECT_NE(out.find("group the doors ['LINE']"), std::string::npos) << out;
        EXPECT_NE(out.find("xrecord XRECORD ['hello', 'NOT_A_GROUP', 2.5, 7]"), std::string::npos) << out;
        EXPECT_NE(out.find("imagedefs ['photo.png']"), std::string::npos) << out;
        EXPECT_NE(out.find("xdict XRECORD"), std::string::npos) << out;
        EXPECT_NE(out.find("audit 0"), std::string::npos) << out;
    }
}

// Every object of every file of the LibreCAD library survives a save, to DXF and to the
// binary file, and the written DXF keeps every object type of the file.
TEST(UnknownObjectsLibrary, LibreCadFilesKeepEveryObject) {
    const std::filesystem::path root = "/usr/share/librecad/library";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "librecad-data is not installed";
    TempDir dir;
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".dxf") continue;
        ++files;
        AcDbDatabase db(false, true);
        ASSERT_EQ(db.readDxfFile(entry.path().c_str()), Acad::eOk) << db.lastError();
        const std::map<std::string, int> counts = objectCounts(&db);
        for (const char* name : {"out.dxf", "out.dwg"}) {
            const std::string path = dir.file(name);
            ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk) << entry.path() << ": " << db.lastError();
            AcDbDatabase back(false, true);
            ASSERT_EQ(readFile(back, path), Acad::eOk)
                << entry.path() << ": " << back.lastError();
            std::map<std::string, int> after = objectCounts(&back);
            if (isDxf(name)) {
                // What the drawing lacks of the layout structure is made when it is written.
                for (const char* made : {"DICTIONARY", "LAYOUT", "ACDBDICTIONARYWDFLT", "ACDBPLACEHOLDER"}) {
                    EXPECT_GE(after[made], counts.count(made) ? counts.at(made) : 0) << entry.path() << " " << made;
                    after.erase(made);
                }
            }
            std::map<std::string, int> expected = counts;
            if (isDxf(name))
                for (const char* made : {"DICTIONARY", "LAYOUT", "ACDBDICTIONARYWDFLT", "ACDBPLACEHOLDER"}) expected.erase(made);
            EXPECT_EQ(after, expected) << entry.path() << " through " << name;
        }
    }
    EXPECT_GT(files, 1000u);
}

}  // namespace
