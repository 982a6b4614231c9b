#include <memory>
#include "db/proxyentity.h"
#include "entities_fixture.h"
#include "gi/recorder.h"

namespace {

class ProxyTest : public EntityTest {
protected:
    // Groups of an entity of a class the host does not have, as a file would hold them.
    static void writeForeignEntity(AcDbDxfMemoryFiler& mem) {
        mem.writeSubclass("AcDbEntity");
        mem.writeString(8, "0");
        mem.writeSubclass("AcDbCurve");
        mem.writeSubclass("TmsFrame");
        mem.writeInt16(70, 3);
        mem.writePoint3d(10, AcGePoint3d(1.5, -2, 0.25));
        mem.writeDouble(40, 0.1);
        mem.writeString(1, "label with  two spaces");
        mem.writeInt32(90, 123456);
        mem.writeSubclass("TmsFrameExtra");
        mem.writeInt16(280, 1);
    }
};

TEST_F(ProxyTest, DxfGroupsAreKeptInOrderAndWrittenBackUnchanged) {
    AcDbDxfMemoryFiler in(&db);
    writeForeignEntity(in);
    in.rewind();
    AcDbProxyEntity proxy;
    proxy.setOriginalNames("TmsFrame", "TMSFRAME", "Tamsel frames");
    ASSERT_EQ(proxy.dxfInFields(&in), Acad::eOk);
    EXPECT_TRUE(in.atEOF());
    const auto& groups = static_cast<const AcDbProxyEntity&>(proxy).dxfGroups();
    std::vector<std::pair<int, std::string>> expected = {
        {100, "AcDbCurve"}, {100, "TmsFrame"}, {70, "3"},   {10, "1.5"},  {20, "-2.0"},
        {30, "0.25"},       {40, "0.1"},       {1, "label with  two spaces"}, {90, "123456"},
        {100, "TmsFrameExtra"}, {280, "1"},
    };
    ASSERT_EQ(groups.length(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(groups[static_cast<int>(i)], expected[i]) << i;

    AcDbDxfMemoryFiler out(&db);
    ASSERT_EQ(proxy.dxfOutFields(&out), Acad::eOk);
    std::string text = out.text();
    EXPECT_NE(text.find("TmsFrameExtra"), std::string::npos);
    // Read back from the written groups, the same list again.
    out.rewind();
    AcDbProxyEntity again;
    ASSERT_EQ(again.dxfInFields(&out), Acad::eOk);
    const auto& reread = static_cast<const AcDbProxyEntity&>(again).dxfGroups();
    ASSERT_EQ(reread.length(), groups.length()) << text;
    for (int i = 0; i < groups.length(); ++i) EXPECT_EQ(reread[i], groups[i]) << i;
    EXPECT_STREQ(proxy.originalClassName(), "TmsFrame");
    EXPECT_STREQ(proxy.originalDxfName(), "TMSFRAME");
    EXPECT_STREQ(proxy.applicationDescription(), "Tamsel frames");
}

TEST_F(ProxyTest, AFileGetsTheTextOfEveryGroupAsItWasRead) {
    const std::string body =
        "100\nAcDbEntity\n  8\n0\n100\nTmsFrame\n 10\n1.50\n 20\n2\n 40\n1e-3\n 70\n   7\n330\n1F\n"
        "310\n00FF10\n  1\n  padded  \n  0\nEOF\n";
    cadhost::dxf::TokenReader reader(body);
    AcDbDxfInFiler in(reader, &db);
    AcDbProxyEntity proxy;
    ASSERT_EQ(proxy.dxfInFields(&in), Acad::eOk) << in.errorMessage();
    const auto& groups = static_cast<const AcDbProxyEntity&>(proxy).dxfGroups();
    ASSERT_EQ(groups.length(), 9);
    EXPECT_EQ(groups[1], (AcDbProxyEntity::DxfGroup{10, "1.5"}));
    EXPECT_EQ(groups[3], (AcDbProxyEntity::DxfGroup{30, "0.0"}));  // the reader made the point 3-D
    EXPECT_EQ(groups[6], (AcDbProxyEntity::DxfGroup{330, "1F"}));
    EXPECT_EQ(groups[7], (AcDbProxyEntity::DxfGroup{310, "00FF10"}));
    EXPECT_EQ(groups[8], (AcDbProxyEntity::DxfGroup{1, "  padded  "}));

    // Texts a reader put in are written out exactly.
    proxy.dxfGroups()[1].second = "1.50";
    cadhost::dxf::TokenWriter writer;
    AcDbDxfOutFiler out(writer, &db);
    ASSERT_EQ(proxy.dxfOutFields(&out), Acad::eOk);
    EXPECT_NE(writer.str().find(" 10\n1.50\n 20\n2.0\n 30\n0.0\n"), std::string::npos) << writer.str();
    EXPECT_NE(writer.str().find("  1\n  padded  \n"), std::string::npos);
}

TEST_F(ProxyTest, ACopyKeepsNamesGroupsBytesAndExtents) {
    auto* proxy = new AcDbProxyEntity;
    proxy->setOriginalNames("TmsFrame", "TMSFRAME", "app");
    proxy->setProxyFlags(AcDbProxyEntity::kEraseAllowed | AcDbProxyEntity::kCloningAllowed);
    proxy->dxfGroups().append({100, "TmsFrame"});
    proxy->dxfGroups().append({10, "1.0"});
    proxy->dwgData() = {0, 1, 2, 250, 255};
    proxy->setKnownExtents(AcDbExtents(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 1, 0)));
    AcDbObjectId id = addToModel(proxy);
    ASSERT_EQ(acdbOpenObject(proxy, id, AcDb::kForRead), Acad::eOk);
    std::unique_ptr<AcDbProxyEntity> copy(AcDbProxyEntity::cast(proxy->clone()));
    proxy->close();
    ASSERT_TRUE(copy);
    EXPECT_STREQ(copy->originalDxfName(), "TMSFRAME");
    EXPECT_EQ(copy->proxyFlags(), AcDbProxyEntity::kEraseAllowed | AcDbProxyEntity::kCloningAllowed);
    EXPECT_EQ(static_cast<const AcDbProxyEntity&>(*copy).dxfGroups().length(), 2);
    EXPECT_EQ(static_cast<const AcDbProxyEntity&>(*copy).dwgData(), (std::vector<uint8_t>{0, 1, 2, 250, 255}));
    AcDbExtents ext;
    ASSERT_EQ(copy->getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.maxPoint(), AcGePoint3d(2, 1, 0));
}

TEST_F(ProxyTest, CannotBeTransformedOrExplodedAndDrawsOnlyItsExtents) {
    AcDbProxyEntity proxy;
    AcDbExtents ext;
    EXPECT_EQ(proxy.getGeomExtents(ext), Acad::eInvalidExtents);
    AcGiRecordingDraw rec;
    ASSERT_TRUE(rec.draw(&proxy));
    EXPECT_TRUE(rec.primitives().empty());
    EXPECT_EQ(proxy.transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0))), Acad::eNotApplicable);
    AcDbEntity* copy = nullptr;
    EXPECT_EQ(proxy.getTransformedCopy(AcGeMatrix3d::kIdentity, copy), Acad::eNotApplicable);
    EXPECT_EQ(copy, nullptr);
    AcDbVoidPtrArray pieces;
    EXPECT_EQ(proxy.explode(pieces), Acad::eNotApplicable);

    proxy.setKnownExtents(AcDbExtents(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 1, 0)));
    rec.clear();
    ASSERT_TRUE(rec.draw(&proxy));
    ASSERT_EQ(rec.count(AcGiPrimitiveType::kPolyline), 1u);
    EXPECT_EQ(rec.first(AcGiPrimitiveType::kPolyline)->points.size(), 5u);
}

}  // namespace
