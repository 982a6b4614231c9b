// A module's compiled resources, registered by the dynamic linker under its handle before
// DllMain runs and removed when it is unloaded.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include "rx/dynlinker.h"
#include "win/resourceimage.h"
#include "win/filetypes.h"
#include "win/lasterror.h"
#include "win/resources.h"
#include "win_support.h"

TEST(ModuleResourcesTest, TheLinkerRegistersEachModulesOwnImage) {
    ASSERT_TRUE(acrxDynamicLinker->loadModule(WIN_RESOURCE_MODULE, false));
    // The module is mapped already: this only takes another reference to its handle.
    void* handle = dlopen(WIN_RESOURCE_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto attachText = reinterpret_cast<const char* (*)()>(dlsym(handle, "resourceModuleAttachText"));
    ASSERT_NE(attachText, nullptr);
    EXPECT_STREQ(attachText(), "Resource test module");
    char buffer[64];
    EXPECT_EQ(LoadString(handle, 1, buffer, sizeof buffer), 20);
    cadhost::res::DialogTemplate d;
    ASSERT_TRUE(cadhostFindDialogTemplate(handle, MAKEINTRESOURCE(10), d));
    EXPECT_EQ(d.caption, "Module dialog");
    // The program's own image is not the module's, though both export the same symbols.
    EXPECT_EQ(FindResource(handle, MAKEINTRESOURCE(502), "RTF"), nullptr);
    // Found by its file name, in any case, without its extension, or by its path.
    EXPECT_EQ(GetModuleHandleA("win_resource_module.arx"), handle);
    EXPECT_EQ(GetModuleHandleA("WIN_RESOURCE_MODULE"), handle);
    EXPECT_EQ(GetModuleHandleA(WIN_RESOURCE_MODULE), handle);
    ASSERT_TRUE(acrxDynamicLinker->unloadModule(WIN_RESOURCE_MODULE, false));
    EXPECT_EQ(LoadString(handle, 1, buffer, sizeof buffer), 0);
    dlclose(handle);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("win_resource_module.arx"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(ModuleResourcesTest, ThePlatformNamesOfTheProgramAnswerItsOwnModule) {
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA("Acad.exe"), program);
    EXPECT_EQ(GetModuleHandleA("ACAD.EXE"), program);
    EXPECT_EQ(GetModuleHandleA("test_win"), program);
    EXPECT_EQ(GetModuleHandleA("Acad"), nullptr);
    EXPECT_NE(GetModuleHandleA("libcadhost.so"), nullptr);
    EXPECT_NE(GetModuleHandleA("libcadhost.so"), program);
}

TEST(ModuleResourcesTest, MalformedImagesAreRefusedAndKeepWhatWasRegistered) {
    HINSTANCE module = reinterpret_cast<HINSTANCE>(0x7000);
    ASSERT_TRUE(cadhostRegisterModuleResources(module, cadhostModuleResources, cadhostModuleResourcesSize));
    std::vector<unsigned char> image(cadhostModuleResources, cadhostModuleResources + cadhostModuleResourcesSize);
    std::string error;
    // Truncated, grown, wrong magic, and an entry whose data lies past the end.
    EXPECT_FALSE(cadhostRegisterModuleResources(module, image.data(), image.size() - 1, &error));
    EXPECT_EQ(error, "resource image size does not match");
    image[0] = 'X';
    EXPECT_FALSE(cadhostRegisterModuleResources(module, image.data(), image.size(), &error));
    EXPECT_EQ(error, "not a resource image");
    image[0] = cadhostModuleResources[0];
    // The first entry's data offset sits after its type (5 bytes), name (5) and language (2).
    std::size_t offsetField = 16;
    for (int i = 0; i < 2; ++i) offsetField += image[offsetField] == 1 ? 5 : 5 + image[offsetField + 1];
    offsetField += 2;
    image[offsetField + 3] = 0x7F;
    EXPECT_FALSE(cadhostRegisterModuleResources(module, image.data(), image.size(), &error));
    EXPECT_EQ(error, "resource data outside the image");
    EXPECT_FALSE(cadhostRegisterModuleResources(module, nullptr, 0, &error));
    char buffer[64];
    EXPECT_EQ(LoadString(module, 101, buffer, sizeof buffer), 12);
    cadhostUnregisterModuleResources(module);
}
