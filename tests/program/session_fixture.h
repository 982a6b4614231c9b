#pragma once
// A test of in-process cadhost sessions with a folder of its own for files.
#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <string>
#include "app/program.h"
#include "ed/input.h"

class ProgramSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("cadhost-program-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Runs a session in this process with the lines as a script, its output kept in out;
    // answers the exit status.
    int runSession(const std::string& lines, const CadhostOptions& options) {
        AcEdLineSource input(false, true);
        input.push(lines);
        testing::internal::CaptureStdout();
        int status = cadhostRun(options, &input);
        out = testing::internal::GetCapturedStdout();
        return status;
    }
    bool has(const std::string& text) const { return out.find(text) != std::string::npos; }

    std::filesystem::path folder;
    std::string out;
};
