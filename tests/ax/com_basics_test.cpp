// Identifiers, strings, error information and type library records of the host's COM layer.
#include <gtest/gtest.h>
#include "ax/bstr.h"
#include "ax/errorinfo.h"
#include "ax/guidtext.h"
#include "ax/objectref.h"
#include "ax/registry.h"
#include "ax/typelib.h"
#include "db/text.h"

namespace {
constexpr GUID kGuid = {0x5EBFF4D7, 0xD2A9, 0x462F, {0xA6, 0x02, 0xC3, 0xA0, 0x3B, 0xAF, 0x00, 0xDA}};
}

TEST(ComGuidText, RoundTripAndRejection) {
    EXPECT_EQ(axGuidToString(kGuid), "{5EBFF4D7-D2A9-462F-A602-C3A03BAF00DA}");
    GUID g{};
    ASSERT_TRUE(axGuidFromString("{5ebff4d7-d2a9-462f-a602-c3a03baf00da}", &g));
    EXPECT_EQ(g, kGuid);
    ASSERT_TRUE(axGuidFromString("5EBFF4D7-D2A9-462F-A602-C3A03BAF00DA", &g));
    EXPECT_EQ(g, kGuid);
    GUID untouched = GUID_NULL;
    for (const char* bad : {"", "{5EBFF4D7-D2A9-462F-A602-C3A03BAF00D}", "{5EBFF4D7-D2A9-462F-A602-C3A03BAF00DX}",
                            "{5EBFF4D7+D2A9-462F-A602-C3A03BAF00DA}", "(5EBFF4D7-D2A9-462F-A602-C3A03BAF00DA)"})
        EXPECT_FALSE(axGuidFromString(bad, &untouched)) << bad;
    EXPECT_EQ(untouched, GUID_NULL);
}

TEST(ComStrings, LengthAndUtf8) {
    BSTR s = axBstrFromUtf8("Kreis \xC3\xBC \xE2\x82\xAC");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 9u);
    EXPECT_EQ(s[6], L'\u00FC');
    EXPECT_EQ(s[8], L'\u20AC');
    EXPECT_EQ(axBstrToUtf8(s), "Kreis \xC3\xBC \xE2\x82\xAC");
    SysFreeString(s);
    BSTR empty = SysAllocStringLen(nullptr, 3);
    EXPECT_EQ(SysStringLen(empty), 3u);
    EXPECT_EQ(empty[0], L'\0');
    SysFreeString(empty);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(ComErrorInfo, ReportIsTakenOnceWithTheClassProgId) {
    AxRegistry::instance().clear();
    ASSERT_EQ(AxRegistry::instance().setValue(AxRegistry::kClassesRoot,
                                              "CLSID\\" + axGuidToString(kGuid) + "\\ProgID", "", "Sample.Thing.1"),
              S_OK);
    const IID iid = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(AtlReportError(kGuid, "Failed to create ZEFTGripPoint", iid, E_FAIL), E_FAIL);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR text = nullptr, source = nullptr;
    GUID guid{};
    info->GetDescription(&text);
    info->GetSource(&source);
    info->GetGUID(&guid);
    EXPECT_EQ(axBstrToUtf8(text), "Failed to create ZEFTGripPoint");
    EXPECT_EQ(axBstrToUtf8(source), "Sample.Thing.1");
    EXPECT_EQ(guid, iid);
    SysFreeString(text);
    SysFreeString(source);
    info->Release();
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);
    AxRegistry::instance().clear();
}

TEST(ComTypeLib, RegistrationKeepsARecordAndItsKeys) {
    AxRegistry& reg = AxRegistry::instance();
    reg.clear();
    AxTypeLibrary lib{"sampleLib", kGuid, 1, 0, "sample 1.0 Type Library", {}, {{"ISample", {9, 9, 9, {}}, "ISample"}}, {}};
    reg.setWritesRefused(true);
    EXPECT_EQ(axRegisterTypeLib(lib, "/opt/sample.dbx"), E_ACCESSDENIED);
    reg.setWritesRefused(false);
    EXPECT_FALSE(axFindTypeLibByName("sampleLib"));
    ASSERT_EQ(axRegisterTypeLib(lib, "/opt/sample.dbx"), S_OK);
    AxTypeLibRecord record;
    ASSERT_TRUE(axFindTypeLib(kGuid, &record));
    EXPECT_EQ(record.name, "sampleLib");
    EXPECT_EQ(record.path, "/opt/sample.dbx");
    const std::string libKey = "TypeLib\\" + axGuidToString(kGuid);
    std::string v;
    EXPECT_TRUE(reg.value(AxRegistry::kClassesRoot, libKey + "\\1.0\\HELPDIR", "", &v));
    EXPECT_EQ(v, "/opt");
    ASSERT_EQ(reg.setValue(AxRegistry::kClassesRoot, libKey + "\\2.0", "", "another version"), S_OK);
    EXPECT_EQ(axUnregisterTypeLib(kGuid, 1, 0), S_OK);
    EXPECT_FALSE(axFindTypeLibByName("sampleLib"));
    EXPECT_FALSE(reg.keyExists(AxRegistry::kClassesRoot, libKey + "\\1.0"));
    EXPECT_TRUE(reg.keyExists(AxRegistry::kClassesRoot, libKey + "\\2.0"));
    EXPECT_TRUE(reg.subkeys(AxRegistry::kClassesRoot, "Interface").empty());
    EXPECT_EQ(axUnregisterTypeLib(kGuid, 1, 0), S_FALSE);
    reg.clear();
}

TEST(ComObjectRef, OwnsObjectsOutsideADatabaseOnly) {
    AcAxObjectRef ref;
    EXPECT_TRUE(ref.isNull());
    AcDbObject* opened = nullptr;
    EXPECT_EQ(ref.open(opened, AcDb::kForRead), Acad::eNullObjectId);
    ref.acquire(new AcDbText);
    ref.acquire(new AcDbText);  // the first one is deleted
    ASSERT_NE(ref.ownedObject(), nullptr);
    ASSERT_EQ(ref.open(opened, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(opened, ref.ownedObject());
    ref.close(opened);
    AcDbObject* mine = ref.release();
    EXPECT_TRUE(ref.isNull());
    EXPECT_EQ(ref.release(), nullptr);
    delete mine;
    ref.acquire(new AcDbText);
    ref.reset();
    EXPECT_TRUE(ref.isNull());
}
