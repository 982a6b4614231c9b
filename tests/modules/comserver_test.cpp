// The COM server of the 2004 build: registration scripts, type library, class factories and
// the module's lock count.
#include "com_ids.h"
#include "modules_support.h"
#include "ax/acadiface.h"
#include "ax/typelib.h"

using namespace modtest;

namespace {
typedef HRESULT (*ServerFunc)();
typedef HRESULT (*GetClassObjectFunc)(REFCLSID, REFIID, void**);

class R16ComServer : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_UNLESS_R16_PROCESS();
        AxRegistry::instance().clear();
        m_module = std::make_unique<LoadedModule>(kR16Module);
        ASSERT_TRUE(m_module->loaded());
        registerServer = m_module->function<ServerFunc>("DllRegisterServer");
        unregisterServer = m_module->function<ServerFunc>("DllUnregisterServer");
        canUnloadNow = m_module->function<ServerFunc>("DllCanUnloadNow");
        getClassObject = m_module->function<GetClassObjectFunc>("DllGetClassObject");
        ASSERT_TRUE(registerServer && unregisterServer && canUnloadNow && getClassObject);
    }
    void TearDown() override {
        m_module.reset();
        AxRegistry::instance().clear();
    }

    static bool hasKey(AxRegistry::Root root, const std::string& path) {
        return AxRegistry::instance().keyExists(root, path);
    }
    static std::string value(AxRegistry::Root root, const std::string& path, const std::string& name = "") {
        std::string v = "<missing>";
        AxRegistry::instance().value(root, path, name, &v);
        return v;
    }
    IClassFactory* factory(REFCLSID clsid) {
        IClassFactory* f = nullptr;
        EXPECT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&f)), S_OK);
        return f;
    }

    std::unique_ptr<LoadedModule> m_module;
    ServerFunc registerServer = nullptr, unregisterServer = nullptr, canUnloadNow = nullptr;
    GetClassObjectFunc getClassObject = nullptr;
    static constexpr auto HKCR = AxRegistry::kClassesRoot;
    static constexpr auto HKLM = AxRegistry::kLocalMachine;
};
}  // namespace

TEST_F(R16ComServer, LoadRegistersTheModuleAndEveryCoclass) {
    EXPECT_EQ(value(HKCR, std::string("AppID\\") + kAppIdText), "TamselDbx4");
    EXPECT_EQ(value(HKCR, "AppID\\zeftTamselDbx4.dbx", "AppID"), kAppIdText);
    for (const Coclass& c : coclasses()) {
        SCOPED_TRACE(c.name);
        const std::string progId = std::string("TamselDbx4.") + c.name;
        const std::string title = std::string(c.name) + " Class";
        const std::string key = std::string("CLSID\\") + c.clsidText;
        EXPECT_EQ(value(HKCR, progId + ".1"), title);
        EXPECT_EQ(value(HKCR, progId + ".1\\CLSID"), c.clsidText);
        EXPECT_EQ(value(HKCR, progId), title);
        EXPECT_EQ(value(HKCR, progId + "\\CLSID"), c.clsidText);
        EXPECT_EQ(value(HKCR, progId + "\\CurVer"), progId + ".1");
        EXPECT_EQ(value(HKCR, key), title);
        EXPECT_EQ(value(HKCR, key + "\\ProgID"), progId + ".1");
        EXPECT_EQ(value(HKCR, key + "\\VersionIndependentProgID"), progId);
        EXPECT_TRUE(hasKey(HKCR, key + "\\Programmable"));
        EXPECT_EQ(value(HKCR, key + "\\InprocServer32"), kR16Module);
        EXPECT_EQ(value(HKCR, key + "\\InprocServer32", "ThreadingModel"), "Apartment");
        EXPECT_EQ(value(HKCR, key, "AppID"), kAppIdText);
        EXPECT_EQ(value(HKCR, key + "\\TypeLib"), kLibIdText);
        EXPECT_EQ(value(HKLM, kActiveXKey, c.entityClass), c.clsidText);
        EXPECT_EQ(value(HKCR, std::string("Interface\\") + c.iidText + "\\TypeLib"), kLibIdText);
    }
    EXPECT_EQ(value(HKCR, std::string("TypeLib\\") + kLibIdText + "\\1.0"), "zeftTamselDbx4 1.0 Type Library");
    EXPECT_EQ(value(HKCR, std::string("TypeLib\\") + kLibIdText + "\\1.0\\0\\win32"), kR16Module);
    AxTypeLibRecord record;
    ASSERT_TRUE(axFindTypeLibByName("zeftTamselDbx4Lib", &record));
    EXPECT_EQ(record.libid, kLibId);
    EXPECT_EQ(record.majorVersion, 1);
    EXPECT_EQ(record.minorVersion, 0);
    EXPECT_EQ(record.path, kR16Module);
    // The attribute has no wrapper.
    EXPECT_FALSE(AxRegistry::instance().value(HKLM, kActiveXKey, "ZEFTAttribute"));
}

TEST_F(R16ComServer, UnregisterRemovesWhatTheScriptsWroteAndKeepsTheRest) {
    AxRegistry& reg = AxRegistry::instance();
    ASSERT_EQ(reg.setValue(HKLM, kActiveXKey, "AcDbOther", "{00000000-0000-0000-0000-000000000001}"), S_OK);
    ASSERT_EQ(reg.setValue(HKCR, "CLSID\\{00000000-0000-0000-0000-000000000001}", "", "Other"), S_OK);
    EXPECT_EQ(unregisterServer(), S_OK);
    for (const Coclass& c : coclasses()) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(hasKey(HKCR, std::string("TamselDbx4.") + c.name));
        EXPECT_FALSE(hasKey(HKCR, std::string("TamselDbx4.") + c.name + ".1"));
        EXPECT_FALSE(hasKey(HKCR, std::string("CLSID\\") + c.clsidText));
        EXPECT_FALSE(hasKey(HKCR, std::string("Interface\\") + c.iidText));
        EXPECT_FALSE(reg.value(HKLM, kActiveXKey, c.entityClass));
    }
    EXPECT_FALSE(hasKey(HKCR, std::string("AppID\\") + kAppIdText));
    EXPECT_FALSE(hasKey(HKCR, "AppID\\zeftTamselDbx4.dbx"));
    EXPECT_FALSE(hasKey(HKCR, std::string("TypeLib\\") + kLibIdText));
    EXPECT_FALSE(axFindTypeLib(kLibId));
    // Keys marked to stay, and what others wrote, remain.
    EXPECT_TRUE(hasKey(HKCR, "AppID"));
    EXPECT_TRUE(hasKey(HKCR, "CLSID\\{00000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ(value(HKLM, kActiveXKey, "AcDbOther"), "{00000000-0000-0000-0000-000000000001}");
    // Registering again restores everything.
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(value(HKLM, kActiveXKey, "ZEFTGripPoint"), "{90032FEB-21E2-46FA-9FED-05297F7C9DC2}");
    EXPECT_TRUE(axFindTypeLib(kLibId));
}

TEST_F(R16ComServer, ReregistrationReplacesTheClassKeyWhole) {
    const std::string key = std::string("CLSID\\") + coclasses()[0].clsidText;
    ASSERT_EQ(AxRegistry::instance().setValue(HKCR, key + "\\Stale", "", "left over"), S_OK);
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_FALSE(hasKey(HKCR, key + "\\Stale"));
    EXPECT_EQ(value(HKCR, key + "\\InprocServer32"), kR16Module);
}

TEST_F(R16ComServer, RegistrationFailsWhileTheRegistryRefusesWrites) {
    RefusedRegistry refused;
    EXPECT_TRUE(FAILED(registerServer()));
    EXPECT_TRUE(FAILED(unregisterServer()));
}

TEST_F(R16ComServer, ClassObjectsForTheThreeCoclassesOnly) {
    for (const Coclass& c : coclasses()) {
        SCOPED_TRACE(c.name);
        IClassFactory* f = factory(c.clsid);
        ASSERT_NE(f, nullptr);
        IUnknown* unknown = nullptr;
        ASSERT_EQ(f->CreateInstance(nullptr, c.iid, reinterpret_cast<void**>(&unknown)), S_OK);
        IAcadBaseObject* base = nullptr;
        EXPECT_EQ(unknown->QueryInterface(IID_IAcadBaseObject, reinterpret_cast<void**>(&base)), S_OK);
        if (base) base->Release();
        void* none = &none;
        EXPECT_EQ(unknown->QueryInterface(kLibId, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        unknown->Release();
        EXPECT_EQ(f->CreateInstance(unknown, c.iid, &none), CLASS_E_NOAGGREGATION);
        f->Release();
    }
    void* object = &object;
    EXPECT_EQ(getClassObject(kLibId, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(getClassObject(kClsidIBlock, kIidIIBlock, &object), E_NOINTERFACE);
    EXPECT_EQ(getClassObject(kClsidIBlock, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(R16ComServer, CanUnloadNowFollowsTheLocks) {
    EXPECT_EQ(canUnloadNow(), S_OK);
    IClassFactory* f = factory(kClsidIGripPoint);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(f->LockServer(TRUE), S_OK);
    IUnknown* wrapper = nullptr;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&wrapper)), S_OK);
    f->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    wrapper->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // the server lock
    f = factory(kClsidIGripPoint);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->LockServer(FALSE), S_OK);
    // An unlock without a lock must not release the lock the live factory holds.
    EXPECT_EQ(f->LockServer(FALSE), E_UNEXPECTED);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    f->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);
}
