#pragma once
// Sessions of the program with the application module loaded.
//
// The two builds of the module export the same names and the host maps modules with global
// symbol lookup, so a process tests one build: the 2004 build runs here, and one test starts
// this program again with CADHOST_MODULE_BUILD=R15 for the R15 build.
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "app/program.h"
#include "db/database.h"
#include "ed/input.h"

namespace appsession {
namespace fs = std::filesystem;

inline bool isR15Process() {
    const char* build = std::getenv("CADHOST_MODULE_BUILD");
    return build && std::string(build) == "R15";
}

inline std::string moduleUnderTest() { return isR15Process() ? RENVALE_MODULE : QUILLMARK_MODULE; }

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One group of a DXF file.
struct Group {
    int code;
    std::string value;
};

inline std::vector<Group> dxfGroups(const std::string& text) {
    std::vector<Group> groups;
    std::istringstream in(text);
    std::string code, value;
    while (std::getline(in, code) && std::getline(in, value)) {
        if (!value.empty() && value.back() == '\r') value.pop_back();
        groups.push_back({std::stoi(code), value});
    }
    return groups;
}

// The entities of a DXF file's ENTITIES section: their type and groups.
struct DxfEntity {
    std::string type;
    std::vector<Group> groups;
    std::string value(int code) const {
        for (const Group& g : groups)
            if (g.code == code) return g.value;
        return {};
    }
};

inline std::vector<DxfEntity> dxfEntities(const fs::path& path) {
    std::vector<DxfEntity> entities;
    bool inEntities = false;
    for (const Group& g : dxfGroups(readFile(path))) {
        if (g.code == 2 && g.value == "ENTITIES" && entities.empty()) inEntities = true;
        if (!inEntities) continue;
        if (g.code == 0) {
            if (g.value == "ENDSEC") break;
            entities.push_back({g.value, {}});
        } else if (!entities.empty()) {
            entities.back().groups.push_back(g);
        }
    }
    return entities;
}

inline int count(const std::vector<DxfEntity>& entities, const std::string& type) {
    int n = 0;
    for (const DxfEntity& e : entities) n += e.type == type;
    return n;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("cadhost-appsession-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        doors = folder / "doors.dxf";
        fs::copy_file(fs::path(CADHOST_BINARY_DIR) / "examples" / "doors.dxf", doors);
        // A profile of the test's own, in which the module's tips are not shown at load.
        profile = folder / "profile.ini";
        std::ofstream(profile) << "[Quillmark]\nDoNotShow=1\n";
        ::setenv("CADHOST_PROFILE", profile.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("CADHOST_PROFILE");
        fs::remove_all(folder);
    }

    // Script lines; a line that starts with ";" is not given to the program: it runs the probe at
    // the moment the program asks for the next line (at a prompt or while a window waits), and
    // the line after it is read instead. ";open objects" records the working drawing's
    // open-object count; any other goes to the test's own probe without its ";".
    class ProbingSource : public AcEdLineSource {
    public:
        explicit ProbingSource(Session& session) : AcEdLineSource(false, true), m_session(session) {}
        bool readLine(std::string& line) override {
            while (AcEdLineSource::readLine(line)) {
                if (line.empty() || line[0] != ';') return true;
                if (line == ";open objects") {
                    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
                    m_session.openCounts.push_back(db ? db->numOpenObjects() : -1);
                } else if (m_session.probe) {
                    m_session.probe(line.substr(1));
                }
            }
            return false;
        }

    private:
        Session& m_session;
    };

    // Runs a session with the module loaded and the lines as its script; answers its status.
    int run(const std::string& lines) {
        CadhostOptions options;
        options.modules = {moduleUnderTest()};
        openCounts.clear();
        ProbingSource input(*this);
        input.push(lines);
        testing::internal::CaptureStdout();
        const int status = cadhostRun(options, &input);
        out = testing::internal::GetCapturedStdout();
        return status;
    }
    std::string path(const std::string& name) const { return (folder / name).string(); }

    fs::path folder, doors, profile;
    std::string out;
    std::vector<int> openCounts;
    std::function<void(const std::string&)> probe;
};
}  // namespace appsession
