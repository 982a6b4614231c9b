#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include "rx/dictionary.h"
#include "rx/dynlinker.h"

namespace {
class TestBase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(TestBase);
};
class TestDerived : public TestBase {
public:
    ACRX_DECLARE_MEMBERS(TestDerived);
    int value = 0;
};
}  // namespace

ACRX_DXF_DEFINE_MEMBERS(TestBase, AcRxObject, 25, 0, 0x3ff, "TESTBASE", "TestApp")
ACRX_DXF_DEFINE_MEMBERS(TestDerived, TestBase, 23, 9, 0, "TESTDERIVED", "TestApp")

namespace {
struct AbortError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
void throwingAbort(const char* message) { throw AbortError(message); }
}  // namespace

TEST(RxClasses, RegistrationParametersAndHierarchy) {
    TestBase::rxInit();
    TestDerived::rxInit();
    acrxBuildClassHierarchy();
    AcRxClass* d = TestDerived::desc();
    ASSERT_NE(d, nullptr);
    int maint = -1;
    EXPECT_EQ(d->dwgVersion(maint), 23);
    EXPECT_EQ(maint, 9);
    EXPECT_STREQ(d->dxfName(), "TESTDERIVED");
    EXPECT_STREQ(d->appName(), "TestApp");
    EXPECT_EQ(TestBase::desc()->proxyFlags(), 0x3ff);
    EXPECT_EQ(d->myParent(), TestBase::desc());
    EXPECT_TRUE(d->isDerivedFrom(AcRxObject::desc()));

    AcRxObject* made = d->create();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->isA(), d);
    EXPECT_NE(TestBase::cast(made), nullptr);
    EXPECT_EQ(TestDerived::cast(nullptr), nullptr);
    delete made;

    AcRxObject* base = TestBase::desc()->create();
    EXPECT_EQ(TestDerived::cast(base), nullptr);
    delete base;

    deleteAcRxClass(TestDerived::desc());
    deleteAcRxClass(TestBase::desc());
    EXPECT_EQ(TestDerived::gpDesc, nullptr);
    EXPECT_EQ(acrxFindClass("TestDerived"), nullptr);
}

TEST(RxClasses, SecondRegistrationIsIgnoredAndMismatchAborts) {
    TestBase::rxInit();
    AcRxClass* first = TestBase::desc();
    TestBase::rxInit();
    EXPECT_EQ(TestBase::desc(), first);
    EXPECT_EQ(acrxFindClass("TestBase"), first);

    // Another descriptor under the same name stops the host.
    acrxClassDictionary()->remove("TestBase");
    AcRxClass* impostor = new AcRxClass("TestBase", "AcRxObject", 0, 0, 0, nullptr, "", "", nullptr);
    acrxClassDictionary()->atPut("TestBase", impostor);
    acrxSetAbortHandler(throwingAbort);
    EXPECT_THROW(TestBase::rxInit(), AbortError);
    acrxSetAbortHandler(nullptr);
    acrxClassDictionary()->remove("TestBase");
    delete impostor;
    delete first;
    EXPECT_EQ(TestBase::gpDesc, nullptr);
}

TEST(RxRegistry, ServicesAndDictionaries) {
    AcRxDictionary* reg = acrxSysRegistry();
    EXPECT_EQ(reg->at(ACRX_CLASS_DICTIONARY), acrxClassDictionary());
    EXPECT_EQ(reg->at(ACRX_SERVICE_DICTIONARY), acrxServiceDictionary());
    AcRxObject* service = acrxRegisterService("TEST_SERVICE");
    EXPECT_EQ(acrxRegisterService("TEST_SERVICE"), service);
    EXPECT_TRUE(acrxServiceIsRegistered("TEST_SERVICE"));
    delete acrxServiceDictionary()->remove("TEST_SERVICE");
    EXPECT_FALSE(acrxServiceIsRegistered("TEST_SERVICE"));
}

TEST(RxDynamicLinker, MissingModuleIsRefused) {
    EXPECT_FALSE(acrxDynamicLinker->loadModule("no_such_module_here", false));
    EXPECT_FALSE(acrxDynamicLinker->isModuleLoaded("no_such_module_here"));
    EXPECT_FALSE(acrxDynamicLinker->unloadModule("no_such_module_here", false));
}
