#pragma once
// The application module's resource script compiled and registered under a module handle of the
// test's own, which becomes the resource handle; unregistered again by unuse().
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "win/rcscript.h"
#include "win/resources.h"

struct ModuleResources {
    // Registers the script's resources; a failure is a test failure with the compiler's message.
    void use(HINSTANCE module) {
        cadhost::res::ResourceScript script;
        std::string error;
        ASSERT_TRUE(cadhost::res::readResourceScript(std::string(CADHOST_SOURCE_DIR) + "/application/res/Quillmark.rc",
                                                     {}, script, error))
            << error;
        const std::vector<unsigned char> image = cadhost::res::writeResourceImage(script.entries);
        ASSERT_TRUE(cadhostRegisterModuleResources(module, image.data(), image.size(), &error)) << error;
        m_module = module;
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(module);
    }
    void unuse() {
        if (!m_module) return;
        AfxSetResourceHandle(m_previous);
        cadhostUnregisterModuleResources(m_module);
        m_module = nullptr;
    }

private:
    HINSTANCE m_module = nullptr;
    HINSTANCE m_previous = nullptr;
};
