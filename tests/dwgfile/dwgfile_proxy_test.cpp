// Objects of classes that are not loaded when a drawing is read survive as proxies.
#include "db/proxyentity.h"
#include "db/proxyobject.h"
#include "dwgtest.h"
#include "rx/rxclass.h"

using namespace dwgtest;

// An application's entity (a point referring to an object) and object (numbers).
class DwgTestMarker : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(DwgTestMarker);
    AcGePoint3d at;
    AcDbHardPointerId data;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
        if (Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer); es != Acad::eOk) return es;
        filer->writePoint3d(at);
        filer->writeHardPointerId(data);
        return filer->filerStatus();
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
        if (Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer); es != Acad::eOk) return es;
        filer->readPoint3d(&at);
        filer->readHardPointerId(&data);
        return filer->filerStatus();
    }
};

class DwgTestStore : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(DwgTestStore);
    double values[3] = {};
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
        if (Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer); es != Acad::eOk) return es;
        for (double v : values) filer->writeDouble(v);
        return filer->filerStatus();
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
        if (Acad::ErrorStatus es = AcDbObject::dwgInFields(filer); es != Acad::eOk) return es;
        for (double& v : values) filer->readDouble(&v);
        return filer->filerStatus();
    }
};

ACRX_DXF_DEFINE_MEMBERS(DwgTestMarker, AcDbEntity, 0, 0, 0x81, "DWGTESTMARKER", "DwgTestApp")
ACRX_DXF_DEFINE_MEMBERS(DwgTestStore, AcDbObject, 0, 0, 0, "DWGTESTSTORE", "DwgTestApp")

namespace {

void loadApp() {
    DwgTestMarker::rxInit();
    DwgTestStore::rxInit();
    acrxBuildClassHierarchy();
}
void unloadApp() {
    for (const char* name : {"DwgTestMarker", "DwgTestStore"})
        if (AcRxClass* c = acrxFindClass(name)) deleteAcRxClass(c);
}

// What a file filer gets from the object.
std::vector<uint8_t> filed(AcDbDatabase& db, AcDbHandle h) {
    AcDbObjectId id;
    AcDbObject* obj = nullptr;
    EXPECT_EQ(db.getAcDbObjectId(id, false, h), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(obj, id, AcDb::kForRead, true), Acad::eOk);
    AcDbDwgMemoryFiler f(AcDb::kFileFiler, &db);
    if (obj) obj->dwgOutFields(&f), obj->close();
    return f.bytes();
}

template <class T>
T* open(AcDbDatabase& db, AcDbHandle h, AcDb::OpenMode mode = AcDb::kForRead) {
    AcDbObjectId id;
    T* obj = nullptr;
    EXPECT_EQ(db.getAcDbObjectId(id, false, h), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(obj, id, mode), Acad::eOk);
    return obj;
}

class DwgProxy : public ::testing::Test {
protected:
    void SetUp() override {
        loadApp();
        AcDbDatabase db(true, true);
        buildDrawing(&db);
        auto* store = new DwgTestStore;
        store->values[1] = -2.25;
        ASSERT_EQ(db.addAcDbObject(store), Acad::eOk);
        store->close();
        auto* marker = new DwgTestMarker;
        marker->at = AcGePoint3d(4, 5, 6);
        marker->data = store->objectId();
        marker->setColorIndex(3);
        m_marker = append(db.modelSpaceId(), marker).handle();
        m_store = store->objectId().handle();
        m_markerBytes = filed(db, m_marker);
        m_storeBytes = filed(db, m_store);
        ASSERT_EQ(db.saveAs(m_path.c_str()), Acad::eOk) << db.lastError();
    }
    void TearDown() override { loadApp(); }

    TempDir m_dir;
    std::string m_path = m_dir.file("app.dwg");
    AcDbHandle m_marker, m_store;
    std::vector<uint8_t> m_markerBytes, m_storeBytes;
};

TEST_F(DwgProxy, UnknownClassesBecomeProxiesThatKeepEveryByte) {
    unloadApp();
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(m_path.c_str()), Acad::eOk) << db.lastError();
    AcDbProxyEntity* pe = open<AcDbProxyEntity>(db, m_marker);
    ASSERT_NE(pe, nullptr);
    EXPECT_STREQ(pe->originalClassName(), "DwgTestMarker");
    EXPECT_STREQ(pe->originalDxfName(), "DWGTESTMARKER");
    EXPECT_STREQ(pe->applicationDescription(), "DwgTestApp");
    EXPECT_EQ(pe->proxyFlags(), 0x81);
    EXPECT_EQ(pe->colorIndex(), 3);
    EXPECT_EQ(pe->ownerId(), db.modelSpaceId());
    pe->close();
    AcDbProxyObject* po = open<AcDbProxyObject>(db, m_store);
    ASSERT_NE(po, nullptr);
    EXPECT_STREQ(po->originalClassName(), "DwgTestStore");
    po->close();
    EXPECT_TRUE(filed(db, m_marker) == m_markerBytes);
    EXPECT_TRUE(filed(db, m_store) == m_storeBytes);
    // DXF has no form for the proxy object; the proxy entity goes under its class's name.
    ASSERT_EQ(db.saveAs(m_dir.file("p.dxf").c_str()), Acad::eOk) << db.lastError();
    const std::vector<uint8_t> text = readBytes(m_dir.file("p.dxf"));
    EXPECT_NE(std::string(text.begin(), text.end()).find("DWGTESTMARKER"), std::string::npos);

    // Written back and read with the application loaded, they are what they were.
    ASSERT_EQ(db.saveAs(m_path.c_str()), Acad::eOk) << db.lastError();
    loadApp();
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDwgFile(m_path.c_str()), Acad::eOk) << back.lastError();
    DwgTestMarker* m = open<DwgTestMarker>(back, m_marker);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->at, AcGePoint3d(4, 5, 6));
    EXPECT_EQ(m->data.handle(), m_store);
    m->close();
    DwgTestStore* s = open<DwgTestStore>(back, m_store);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->values[1], -2.25);
    s->close();
    EXPECT_TRUE(filed(back, m_marker) == m_markerBytes);
}

TEST_F(DwgProxy, ProxyObjectsCopyAndErase) {
    unloadApp();
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(m_path.c_str()), Acad::eOk) << db.lastError();
    AcDbProxyObject* po = open<AcDbProxyObject>(db, m_store, AcDb::kForWrite);
    ASSERT_NE(po, nullptr);
    std::unique_ptr<AcRxObject> copy(po->clone());
    auto* pc = AcDbProxyObject::cast(copy.get());
    ASSERT_NE(pc, nullptr);
    EXPECT_STREQ(pc->originalClassName(), "DwgTestStore");
    EXPECT_TRUE(pc->dwgData() == static_cast<const AcDbProxyObject*>(po)->dwgData());
    EXPECT_EQ(po->erase(), Acad::eOk);
    po->close();
    ASSERT_EQ(db.saveAs(m_path.c_str()), Acad::eOk);
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDwgFile(m_path.c_str()), Acad::eOk);
    AcDbObjectId id;
    ASSERT_EQ(back.getAcDbObjectId(id, false, m_store), Acad::eOk);
    EXPECT_TRUE(id.isErased());
}

// Another class under the same name that cannot read the data (a later version, say).
struct DwgTestStoreImpostor : public AcDbObject {
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
        AcDbObject::dwgInFields(filer);
        filer->setFilerStatus(Acad::eFilerError);
        return Acad::eFilerError;
    }
};

TEST_F(DwgProxy, ClassThatCannotReadItsDataKeepsItAsAProxy) {
    unloadApp();
    AcRxClass* cls = newAcRxClass("DwgTestStore", "AcDbObject", 0, +[]() -> AcRxObject* { return new DwgTestStoreImpostor; });
    acrxBuildClassHierarchy();
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(m_path.c_str()), Acad::eOk) << db.lastError();
    deleteAcRxClass(cls);
    EXPECT_NE(db.lastError().find("1 object(s) could not be read by their class and are kept as proxies"), std::string::npos)
        << db.lastError();
    if (AcDbProxyObject* po = open<AcDbProxyObject>(db, m_store)) po->close();
    EXPECT_TRUE(filed(db, m_store) == m_storeBytes);
}

// A proxy read from DXF holds groups, not bytes: the drawing file keeps its groups too.
TEST(DwgProxyGroups, ProxyFromDxfKeepsItsGroupsAndExtents) {
    TempDir dir;
    AcDbDatabase db(true, true);
    auto* p = new AcDbProxyEntity;
    p->setOriginalNames("", "ACME_WIDGET", "Acme");
    for (auto g : {AcDbProxyEntity::DxfGroup{100, "AcmeWidget"}, {10, "1.5"}, {20, "2.5"}, {30, "0.0"}, {1, "hello"}})
        p->dxfGroups().append(g);
    p->setKnownExtents(AcDbExtents(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0)));
    const AcDbHandle h = append(db.modelSpaceId(), p).handle();
    ASSERT_EQ(db.saveAs(dir.file("g.dwg").c_str()), Acad::eOk) << db.lastError();
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDwgFile(dir.file("g.dwg").c_str()), Acad::eOk) << back.lastError();
    EXPECT_EQ(dumpDatabase(&db), dumpDatabase(&back));
    AcDbProxyEntity* q = open<AcDbProxyEntity>(back, h);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(static_cast<const AcDbProxyEntity*>(q)->dxfGroups().length(), 5);
    AcDbExtents ext;
    EXPECT_EQ(q->getGeomExtents(ext), Acad::eOk);
    EXPECT_EQ(ext.maxPoint(), AcGePoint3d(3, 4, 0));
    q->close();
}

}  // namespace
