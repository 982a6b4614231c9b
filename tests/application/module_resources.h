#pragma once
// The module's resource script compiled and registered under a module handle of the test's own,
// which serves as the framework's resource handle until unregister.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "win/rcscript.h"
#include "win/resources.h"

class ModuleResources {
public:
    explicit ModuleResources(HINSTANCE module) : m_module(module) {}
    // Call with ASSERT_NO_FATAL_FAILURE.
    void registerScript() {
        cadhost::res::ResourceScript script;
        std::string error;
        ASSERT_TRUE(cadhost::res::readResourceScript(std::string(CADHOST_SOURCE_DIR) + "/application/res/Quillmark.rc",
                                                     {}, script, error))
            << error;
        const std::vector<unsigned char> image = cadhost::res::writeResourceImage(script.entries);
        ASSERT_TRUE(cadhostRegisterModuleResources(m_module, image.data(), image.size(), &error)) << error;
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(m_module);
    }
    void unregister() {
        AfxSetResourceHandle(m_previous);
        cadhostUnregisterModuleResources(m_module);
    }

private:
    HINSTANCE m_module;
    HINSTANCE m_previous = nullptr;
};
