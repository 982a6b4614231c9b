// Registry scripts applied to and removed from the host's registry.
#include <gtest/gtest.h>
#include "ax/registrar.h"
#include "ax/registry.h"

namespace {
constexpr auto HKCR = AxRegistry::kClassesRoot;
constexpr auto HKLM = AxRegistry::kLocalMachine;

class Registrar : public ::testing::Test {
protected:
    void SetUp() override { reg().clear(); }
    void TearDown() override {
        reg().setWritesRefused(false);
        reg().clear();
    }
    static AxRegistry& reg() { return AxRegistry::instance(); }
    static std::string value(AxRegistry::Root root, const std::string& path, const std::string& name = "") {
        std::string v = "<missing>";
        reg().value(root, path, name, &v);
        return v;
    }
};

constexpr const char* kScript = R"(
HKCR
{
    Sample.Thing.1 = s 'Thing Class'
    {
        CLSID = s '%CLSID%'
    }
    NoRemove CLSID
    {
        ForceRemove '%CLSID%' = s 'Thing Class'
        {
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            'Programmable'
            val Note = s 'it''s 100%% done'
        }
    }
}
HKLM
{
    NoRemove SOFTWARE
    {
        NoRemove Map
        {
            val Thing = s '%CLSID%'
        }
    }
}
)";
const AxReplacements kReplacements = {{"CLSID", "{11111111-2222-3333-4444-555555555555}"},
                                      {"MODULE", "/opt/thing.dbx"}};
const std::string kClassKey = "CLSID\\{11111111-2222-3333-4444-555555555555}";
}  // namespace

TEST_F(Registrar, RegisterWritesKeysValuesAndReplacements) {
    ASSERT_EQ(axApplyRegistryScript(kScript, kReplacements, true), S_OK);
    EXPECT_EQ(value(HKCR, "Sample.Thing.1"), "Thing Class");
    EXPECT_EQ(value(HKCR, "sample.thing.1\\clsid"), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(value(HKCR, kClassKey + "\\InprocServer32"), "/opt/thing.dbx");
    EXPECT_EQ(value(HKCR, kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_TRUE(reg().keyExists(HKCR, kClassKey + "\\Programmable"));
    EXPECT_FALSE(reg().value(HKCR, kClassKey + "\\Programmable", ""));
    EXPECT_EQ(value(HKCR, kClassKey, "Note"), "it's 100% done");
    EXPECT_EQ(value(HKLM, "SOFTWARE\\Map", "Thing"), "{11111111-2222-3333-4444-555555555555}");
}

TEST_F(Registrar, ForceRemoveReplacesTheKeyWholeOnRegistration) {
    ASSERT_EQ(reg().setValue(HKCR, kClassKey + "\\Stale", "", "old"), S_OK);
    ASSERT_EQ(reg().setValue(HKCR, "CLSID\\{Other}", "", "kept"), S_OK);
    ASSERT_EQ(axApplyRegistryScript(kScript, kReplacements, true), S_OK);
    EXPECT_FALSE(reg().keyExists(HKCR, kClassKey + "\\Stale"));
    EXPECT_EQ(value(HKCR, "CLSID\\{Other}"), "kept");
}

TEST_F(Registrar, UnregisterKeepsNoRemoveKeysAndWhatOthersWrote) {
    ASSERT_EQ(axApplyRegistryScript(kScript, kReplacements, true), S_OK);
    ASSERT_EQ(reg().setValue(HKLM, "SOFTWARE\\Map", "Other", "x"), S_OK);
    ASSERT_EQ(reg().setValue(HKCR, "Sample.Thing.1", "Foreign", "y"), S_OK);
    ASSERT_EQ(axApplyRegistryScript(kScript, kReplacements, false), S_OK);
    EXPECT_FALSE(reg().keyExists(HKCR, kClassKey));
    EXPECT_TRUE(reg().keyExists(HKCR, "CLSID"));
    EXPECT_FALSE(reg().value(HKLM, "SOFTWARE\\Map", "Thing"));
    EXPECT_EQ(value(HKLM, "SOFTWARE\\Map", "Other"), "x");
    // A plain key goes once its own entries are gone, unless something foreign is left in it.
    EXPECT_TRUE(reg().keyExists(HKCR, "Sample.Thing.1"));
    EXPECT_FALSE(reg().keyExists(HKCR, "Sample.Thing.1\\CLSID"));
    ASSERT_EQ(reg().deleteValue(HKCR, "Sample.Thing.1", "Foreign"), S_OK);
    ASSERT_EQ(axApplyRegistryScript(kScript, kReplacements, false), S_OK);
    EXPECT_FALSE(reg().keyExists(HKCR, "Sample.Thing.1"));
}

TEST_F(Registrar, BadScriptsChangeNothing) {
    std::string error;
    EXPECT_EQ(axApplyRegistryScript(kScript, {{"CLSID", "{1}"}}, true, &error), E_INVALIDARG);
    EXPECT_NE(error.find("MODULE"), std::string::npos);
    const char* bad[] = {
        "HKCR { A = s 'x' { B = s 'y' }",           // unclosed block
        "HKXX { A }",                               // unknown root
        "HKCR { val A = s 'x' }",                   // value outside a key
        "HKCR { A = d '1' }",                       // only text values
        "HKCR { A = s 'unterminated }",             //
        "HKCR { A = s 'x' } HKLM { B = s 'y' } }",  // stray brace
    };
    for (const char* script : bad) {
        error.clear();
        EXPECT_EQ(axApplyRegistryScript(script, {}, true, &error), E_INVALIDARG) << script;
        EXPECT_FALSE(error.empty()) << script;
    }
    EXPECT_TRUE(reg().subkeys(HKCR, "").empty());
    EXPECT_TRUE(reg().subkeys(HKLM, "").empty());
}

TEST_F(Registrar, RefusedWritesStopRegistration) {
    reg().setWritesRefused(true);
    EXPECT_EQ(axApplyRegistryScript(kScript, kReplacements, true), E_ACCESSDENIED);
    reg().setWritesRefused(false);
    EXPECT_TRUE(reg().subkeys(HKCR, "").empty());
}

TEST_F(Registrar, RegistryNamesIgnoreCaseAndKeepTheirSpelling) {
    ASSERT_EQ(reg().setValue(HKCR, "Alpha\\Beta", "Name", "1"), S_OK);
    ASSERT_EQ(reg().setValue(HKCR, "ALPHA\\beta", "NAME", "2"), S_OK);
    EXPECT_EQ(reg().subkeys(HKCR, ""), std::vector<std::string>{"Alpha"});
    EXPECT_EQ(reg().valueNames(HKCR, "alpha\\BETA"), std::vector<std::string>{"Name"});
    EXPECT_EQ(value(HKCR, "Alpha\\Beta", "name"), "2");
    EXPECT_EQ(reg().deleteKey(HKCR, ""), E_INVALIDARG);
    EXPECT_EQ(reg().deleteKey(HKCR, "alpha"), S_OK);
    EXPECT_FALSE(reg().keyExists(HKCR, "Alpha\\Beta"));
    EXPECT_EQ(reg().deleteKey(HKCR, "alpha"), S_FALSE);
}
