// Loading and unloading the object enabler: class registration in each build.
#include "modules_support.h"
#include "db/object.h"
#include "win/guiddef.h"
#include "win/resources.h"

using namespace modtest;

namespace {
constexpr const char* kR16AppName =
    "\"ZEFTTAMSELDBX4APP\" \"|Product Desc:     A description for your object\" "
    "\"|Company:          Your company name\" \"|WEB Address:      Your company WEB site address\"";

void expectClassesRegistered(const LoadedModule& module, int dwgVersion, int maintenance, int proxyFlags,
                             const char* appName) {
    for (const EntityClass& c : entityClasses()) {
        SCOPED_TRACE(c.name);
        AcRxClass* cls = acrxFindClass(c.name);
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls, module.moduleDesc(c.descSymbol));
        EXPECT_STREQ(cls->parentName(), c.parent);
        ASSERT_NE(cls->myParent(), nullptr);
        EXPECT_TRUE(cls->isDerivedFrom(acrxFindClass(c.parent)));
        EXPECT_STREQ(cls->dxfName(), c.dxfName);
        int maint = -1;
        EXPECT_EQ(cls->dwgVersion(maint), dwgVersion);
        EXPECT_EQ(maint, maintenance);
        EXPECT_EQ(cls->proxyFlags(), proxyFlags);
        EXPECT_STREQ(cls->appName(), appName);
        EXPECT_EQ(cls->appNameCallback(), nullptr);
        AcRxObject* made = cls->create();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->isA(), cls);
        delete made;
    }
}

void expectNoClasses() {
    for (const EntityClass& c : entityClasses()) EXPECT_EQ(acrxFindClass(c.name), nullptr) << c.name;
}

std::vector<AcRxClass*> currentDescs() {
    std::vector<AcRxClass*> descs;
    for (const EntityClass& c : entityClasses()) descs.push_back(acrxFindClass(c.name));
    return descs;
}

// The class id an object of the class answers, or GUID_NULL.
GUID classIdOf(const char* className) {
    GUID id{};
    AcRxClass* cls = acrxFindClass(className);
    auto* object = cls ? dynamic_cast<AcDbObject*>(cls->create()) : nullptr;
    if (object && object->getClassID(&id) != Acad::eOk) id = GUID{};
    delete object;
    return id;
}

class R16Registration : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_UNLESS_R16_PROCESS();
        AxRegistry::instance().clear();
    }
    void TearDown() override { AxRegistry::instance().clear(); }
};

class R15Registration : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_UNLESS_R15_PROCESS();
        AxRegistry::instance().clear();
    }
};
}  // namespace

TEST_F(R16Registration, LoadRegistersTheClassesWithTheParametersOf2004) {
    PrintCapture capture;
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    expectClassesRegistered(module, 25, 0, 0x3ff, kR16AppName);
    EXPECT_EQ(capture.printed(), "");
    EXPECT_FALSE(acrxDynamicLinker->isApplicationLocked(kR16Module));
    EXPECT_TRUE(acrxDynamicLinker->isAppMDIAware(kR16Module));
    EXPECT_FALSE(acrxServiceIsRegistered("ZEFTTAMSELDBX_DBXSERVICE"));
}

TEST_F(R16Registration, ClassesRegisterInClassMapOrder) {
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(registrationOrder(module),
              (std::vector<std::string>{"ZEFTAttribute", "ZEFTAttributeDefinition", "ZEFTBlockReference", "ZEFTGripPoint"}));
    expectClassesRegistered(module, 25, 0, 0x3ff, kR16AppName);
}

TEST_F(R16Registration, SecondLoadAndSecondInitRegisterEachClassOnce) {
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    std::vector<AcRxClass*> first = currentDescs();
    int entries = acrxClassDictionary()->numEntries();
    EXPECT_TRUE(acrxDynamicLinker->loadModule(kR16Module, false));
    EXPECT_EQ(module.init(), AcRx::kRetOK);
    EXPECT_EQ(currentDescs(), first);
    EXPECT_EQ(acrxClassDictionary()->numEntries(), entries);
}

TEST_F(R16Registration, OtherMessagesAreAnsweredOk) {
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    for (AcRx::AppMsgCode message : {AcRx::kLoadDwgMsg, AcRx::kUnloadDwgMsg, AcRx::kQuitMsg, AcRx::kInvkSubrMsg}) {
        AcRx::AppRetCode result = AcRx::kRetError;
        ASSERT_TRUE(acrxDynamicLinker->sendMessage(kR16Module, message, nullptr, &result));
        EXPECT_EQ(result, AcRx::kRetOK) << message;
    }
    EXPECT_NE(acrxFindClass("ZEFTGripPoint"), nullptr);
}

TEST_F(R16Registration, UnloadDeletesTheClassesAndKeepsTheComRegistration) {
    {
        LoadedModule module(kR16Module);
        ASSERT_TRUE(module.loaded());
        ASSERT_TRUE(module.unload());
    }
    expectNoClasses();
    EXPECT_TRUE(AxRegistry::instance().keyExists(AxRegistry::kClassesRoot,
                                                 "CLSID\\{5EBFF4D7-D2A9-462F-A602-C3A03BAF00DA}"));
    // A new load registers them again.
    LoadedModule again(kR16Module);
    ASSERT_TRUE(again.loaded());
    expectClassesRegistered(again, 25, 0, 0x3ff, kR16AppName);
}

TEST_F(R16Registration, FailedComRegistrationIsReportedOnceAndTheClassesStillRegister) {
    PrintCapture capture;
    RefusedRegistry refused;
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(capture.printed(), "Failed to register COM server.\n");
    expectClassesRegistered(module, 25, 0, 0x3ff, kR16AppName);
    EXPECT_TRUE(AxRegistry::instance().subkeys(AxRegistry::kClassesRoot, "").empty());
}

TEST_F(R16Registration, AttachRegistersTheStringTableOfThisModuleOnly) {
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    void* instance = dlopen(kR16Module, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(instance, nullptr);
    char text[200];
    ASSERT_GT(LoadString(instance, 102, text, sizeof text), 0);
    EXPECT_STREQ(text, "\"\nAn error occurred during the stretch and AutoCAD cannot complete the operation.\"");
    ASSERT_GT(LoadString(instance, 103, text, sizeof text), 0);
    EXPECT_STREQ(text, "Value");
    // A handle of another module is not taken for this one's.
    void* host = dlopen("libcadhost.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(host, nullptr);
    auto dllMain = module.function<DllMainFunc>("DllMain");
    ASSERT_NE(dllMain, nullptr);
    EXPECT_EQ(dllMain(host, DLL_PROCESS_ATTACH, nullptr), 1);
    EXPECT_EQ(LoadString(host, 102, text, sizeof text), 0);
    EXPECT_EQ(acrxDynamicLinker->isModuleLoaded(kR16Module), true);
    dlclose(host);
    dlclose(instance);
}

TEST_F(R16Registration, EntitiesAnswerTheirWrapperClassIds) {
    LoadedModule module(kR16Module);
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(classIdOf("ZEFTBlockReference"),
              (GUID{0x5EBFF4D7, 0xD2A9, 0x462F, {0xA6, 0x02, 0xC3, 0xA0, 0x3B, 0xAF, 0x00, 0xDA}}));
    EXPECT_EQ(classIdOf("ZEFTGripPoint"),
              (GUID{0x90032FEB, 0x21E2, 0x46FA, {0x9F, 0xED, 0x05, 0x29, 0x7F, 0x7C, 0x9D, 0xC2}}));
    EXPECT_EQ(classIdOf("ZEFTAttributeDefinition"),
              (GUID{0xBD659503, 0x0CB1, 0x4E36, {0x97, 0x89, 0x89, 0x82, 0x57, 0x28, 0x65, 0x25}}));
    EXPECT_EQ(classIdOf("ZEFTAttribute"), GUID{});
}

TEST_F(R15Registration, LoadRegistersTheClassesWithTheParametersOfR15AndTheService) {
    PrintCapture capture;
    LoadedModule module(kR15Module);
    ASSERT_TRUE(module.loaded());
    expectClassesRegistered(module, 23, 9, 0, "ZEFTTamselDbx");
    EXPECT_TRUE(acrxServiceIsRegistered("ZEFTTAMSELDBX_DBXSERVICE"));
    EXPECT_EQ(capture.printed(), "");
    EXPECT_FALSE(acrxDynamicLinker->isApplicationLocked(kR15Module));
    EXPECT_TRUE(acrxDynamicLinker->isAppMDIAware(kR15Module));
}

TEST_F(R15Registration, HasNoComServer) {
    LoadedModule module(kR15Module);
    ASSERT_TRUE(module.loaded());
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"})
        EXPECT_EQ(module.symbol(name), nullptr) << name;
    EXPECT_TRUE(AxRegistry::instance().subkeys(AxRegistry::kClassesRoot, "").empty());
    EXPECT_TRUE(AxRegistry::instance().subkeys(AxRegistry::kLocalMachine, "").empty());
}

TEST_F(R15Registration, ClassesRegisterInR15Order) {
    LoadedModule module(kR15Module);
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(registrationOrder(module),
              (std::vector<std::string>{"ZEFTBlockReference", "ZEFTAttributeDefinition", "ZEFTAttribute", "ZEFTGripPoint"}));
    expectClassesRegistered(module, 23, 9, 0, "ZEFTTamselDbx");
}

TEST_F(R15Registration, SecondInitRegistersOnceAndKeepsOneService) {
    LoadedModule module(kR15Module);
    ASSERT_TRUE(module.loaded());
    std::vector<AcRxClass*> first = currentDescs();
    AcRxObject* service = acrxServiceDictionary()->at("ZEFTTAMSELDBX_DBXSERVICE");
    int services = acrxServiceDictionary()->numEntries();
    EXPECT_EQ(module.init(), AcRx::kRetOK);
    EXPECT_EQ(currentDescs(), first);
    EXPECT_EQ(acrxServiceDictionary()->at("ZEFTTAMSELDBX_DBXSERVICE"), service);
    EXPECT_EQ(acrxServiceDictionary()->numEntries(), services);
}

TEST_F(R15Registration, UnloadDeletesTheClassesAndTheService) {
    {
        LoadedModule module(kR15Module);
        ASSERT_TRUE(module.loaded());
        ASSERT_TRUE(module.unload());
    }
    expectNoClasses();
    EXPECT_FALSE(acrxServiceIsRegistered("ZEFTTAMSELDBX_DBXSERVICE"));
}

TEST_F(R15Registration, EntitiesAnswerClassIdsOfTheirOwn) {
    LoadedModule module(kR15Module);
    ASSERT_TRUE(module.loaded());
    EXPECT_EQ(classIdOf("ZEFTBlockReference"),
              (GUID{0x4FF2E0B3, 0x4D1A, 0x43C9, {0x82, 0xB3, 0xA0, 0x64, 0x39, 0x0B, 0x26, 0xBB}}));
    EXPECT_EQ(classIdOf("ZEFTGripPoint"),
              (GUID{0x6AD3E1D2, 0xDEE6, 0x4649, {0x87, 0xC1, 0x50, 0x6C, 0x3A, 0xAB, 0xE8, 0xA7}}));
    EXPECT_EQ(classIdOf("ZEFTAttributeDefinition"),
              (GUID{0x65792D5A, 0x90D9, 0x4657, {0xA8, 0x2A, 0x23, 0x56, 0x1D, 0xC4, 0x34, 0x57}}));
}
