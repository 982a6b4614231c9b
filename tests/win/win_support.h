#pragma once
// Helpers of the resource tests: scripts read from memory, and the test program's own image.
#include <gtest/gtest.h>
#include <cstddef>
#include <map>
#include <string>
#include "win/rcscript.h"
#include "win/resources.h"

extern "C" const unsigned char cadhostModuleResources[];
extern "C" const std::size_t cadhostModuleResourcesSize;

namespace wintest {

// Reads a script whose files ("main.rc" and any others) are given as texts.
inline bool readScript(const std::map<std::string, std::string>& files, cadhost::res::ResourceScript& out,
                       std::string& error) {
    cadhost::res::RcOptions options;
    options.readFile = [&files](const std::string& path, std::string& bytes) {
        auto it = files.find(path);
        if (it == files.end()) return false;
        bytes = it->second;
        return true;
    };
    return cadhost::res::readResourceScript("main.rc", options, out, error);
}

inline std::string scriptError(const std::string& script) {
    cadhost::res::ResourceScript out;
    std::string error;
    return readScript({{"main.rc", script}}, out, error) ? "" : error;
}

// The handle the test program's image is registered under for the tests of the fixture below.
inline HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(0x5000);

// A test with the program's own image registered under kModule.
class RegisteredImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(cadhostRegisterModuleResources(kModule, cadhostModuleResources, cadhostModuleResourcesSize, &error))
            << error;
    }
    void TearDown() override { cadhostUnregisterModuleResources(kModule); }
};

}  // namespace wintest
