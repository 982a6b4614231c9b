// Sessions with the object enabler: the drawing of the command line opens after the modules,
// and a module whose objects are in a drawing is not unloaded under them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include "app/program.h"
#include "ed/input.h"

namespace fs = std::filesystem;

namespace {
const std::string kProgram = std::string(CADHOST_BINARY_DIR) + "/bin/cadhost";
const std::string kDoors = std::string(CADHOST_BINARY_DIR) + "/examples/doors.dxf";

struct Build {
    const char* path;
    const char* name;
};
const Build kBuilds[] = {{TAMSELDBX4_MODULE, "TamselDbx4"}, {ZEFTTAMSELDBX_MODULE, "ZEFTTamselDbx"}};

class EnablerSession : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("cadhost-enabler-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_TRUE(fs::exists(kDoors)) << "the build makes the example drawing";
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the built program on a script; answers its exit status.
    int program(const std::string& arguments, const std::string& scriptText) {
        const std::string script = (folder / "run.scr").string();
        std::ofstream(script) << scriptText;
        const std::string command = kProgram + " " + arguments + " --script '" + script + "' > '" +
                                    (folder / "out.txt").string() + "' 2>&1";
        const int rc = std::system(command.c_str());
        std::ifstream in(folder / "out.txt");
        out.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }

    fs::path folder;
    std::string out;
};

TEST_F(EnablerSession, DrawingOfTheCommandLineOpensAfterTheModules) {
    for (const Build& b : kBuilds) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(program("'" + kDoors + "' --load '" + b.path + "'", "LIST ALL\n\n"), 0) << out;
        EXPECT_TRUE(printed("2 found")) << out;
        EXPECT_TRUE(printed("ZEFTBlockReference")) << out;
        EXPECT_FALSE(printed("Proxy entity")) << "the intelligent blocks are the module's objects\n" << out;
    }
}

TEST_F(EnablerSession, UnloadIsRefusedWhileADrawingHoldsItsObjects) {
    for (const Build& b : kBuilds) {
        SCOPED_TRACE(b.name);
        const std::string load = std::string("--load '") + b.path + "'";
        EXPECT_EQ(program(load, "OPEN " + kDoors + "\nARX Unload " + b.name + "\n"), 1) << out;
        EXPECT_TRUE(printed(std::string(b.name) + " cannot be unloaded: ")) << out;
        EXPECT_FALSE(printed("AddressSanitizer")) << out;
        // With the drawing closed nothing holds the module.
        EXPECT_EQ(program(load, "OPEN " + kDoors + "\nCLOSE\nARX Unload " + b.name + "\nARX ?\n"), 0) << out;
        EXPECT_TRUE(printed(std::string(b.name) + " unloaded.")) << out;
        EXPECT_TRUE(printed("No modules are loaded.")) << out;
    }
}

TEST_F(EnablerSession, DrawingWorksOnAfterARefusedUnload) {
    CadhostOptions options;
    options.modules = {TAMSELDBX4_MODULE};
    const fs::path picture = folder / "doors.png";
    AcEdLineSource input(true, true);
    input.push("OPEN\n" + kDoors + "\nARX\nUnload\nTamselDbx4\nLIST\nALL\n\nEXPORT\n" + picture.string() + "\nExtents\n\nQUIT\n");
    testing::internal::CaptureStdout();
    const int status = cadhostRun(options, &input);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0) << out;
    const size_t refused = out.find("TamselDbx4 cannot be unloaded: 7 object(s) of its classes (ZEFTAttributeDefinition, ZEFTBlockReference, ZEFTGripPoint)");
    ASSERT_NE(refused, std::string::npos) << out;
    EXPECT_NE(out.find("ZEFTBlockReference", refused + 60), std::string::npos) << "LIST after the refusal\n" << out;
    EXPECT_TRUE(fs::exists(picture)) << out;
}
}  // namespace
