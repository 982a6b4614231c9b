// cadhost_rc: compiles a module's resource script into a C++ source that embeds the resource
// image (see win/resourceimage.h) under the symbols the module loader looks up.
//
//   cadhost_rc [-I folder]... [-D NAME[=value]]... -o out.cpp [--image out.bin] [--depfile out.d] script.rc
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "win/rcscript.h"

namespace {
namespace fs = std::filesystem;
using namespace cadhost::res;

int usage() {
    std::fprintf(stderr,
                 "usage: cadhost_rc [-I folder]... [-D NAME[=value]]... -o out.cpp [--image out.bin] "
                 "[--depfile out.d] script.rc\n");
    return 2;
}

// Writes through a temporary file so that no half-written output is left.
bool writeFile(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "cadhost_rc: cannot write %s\n", path.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        fs::remove(temporary, ec);
        std::fprintf(stderr, "cadhost_rc: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::string source(const std::string& script, const std::vector<unsigned char>& image) {
    std::ostringstream s;
    s << "// Compiled by cadhost_rc from " << script << ".\n#include <cstddef>\n\n"
      << "extern \"C\" __attribute__((visibility(\"default\"))) const unsigned char " << kResourcesSymbol
      << "[] = {";
    for (std::size_t i = 0; i < image.size(); ++i) s << (i % 16 ? " " : "\n    ") << unsigned(image[i]) << ',';
    s << "\n};\nextern \"C\" __attribute__((visibility(\"default\"))) const std::size_t " << kResourcesSizeSymbol
      << " = sizeof " << kResourcesSymbol << ";\n";
    return s.str();
}

// Make syntax: spaces in paths escaped.
std::string depfileName(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    RcOptions options;
    std::string output, imagePath, depfile, script;
    auto option = [&](const std::string& flag, const std::string& v) {
        if (flag == "-I") {
            options.includeDirs.push_back(v);
        } else {
            std::size_t eq = v.find('=');
            options.defines.emplace_back(v.substr(0, eq), eq == std::string::npos ? "" : v.substr(eq + 1));
        }
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "-o") {
            if (!value(output)) return usage();
        } else if (arg == "--image") {
            if (!value(imagePath)) return usage();
        } else if (arg == "--depfile") {
            if (!value(depfile)) return usage();
        } else if (arg == "-I" || arg == "-D") {
            if (!value(v)) return usage();
            option(arg, v);
        } else if (arg.size() > 2 && (arg.rfind("-I", 0) == 0 || arg.rfind("-D", 0) == 0)) {
            option(arg.substr(0, 2), arg.substr(2));
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else if (script.empty()) {
            script = arg;
        } else {
            return usage();
        }
    }
    if (script.empty() || output.empty()) return usage();
    ResourceScript compiled;
    std::string error;
    if (!readResourceScript(script, options, compiled, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<unsigned char> image = writeResourceImage(compiled.entries);
    if (!writeFile(output, source(script, image))) return 1;
    if (!imagePath.empty() && !writeFile(imagePath, std::string(image.begin(), image.end()))) return 1;
    if (!depfile.empty()) {
        std::string deps = depfileName(output) + ":";
        for (const std::string& d : compiled.dependencies) deps += " \\\n  " + depfileName(d);
        if (!writeFile(depfile, deps + "\n")) return 1;
    }
    return 0;
}
