#include "app/program.h"
#include <unistd.h>
#include <cstdio>
#include <memory>
#include "app/windowinput.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/drawingfiles.h"
#include "ed/modules.h"
#include "ed/winapp.h"
#include "rx/print.h"
#include "win/resources.h"

bool cadhostParseArguments(int argc, const char* const* argv, CadhostOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--script" || arg == "-s") {
            if (!value(options.script)) return false;
        } else if (arg == "--load" || arg == "-l") {
            std::string module;
            if (!value(module)) return false;
            options.modules.push_back(module);
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.drawing.empty()) {
            options.drawing = arg;
        } else {
            error = "only one drawing can be given (" + arg + ")";
            return false;
        }
    }
    return true;
}

std::string cadhostUsage() {
    return "usage: cadhost [drawing] [--script FILE] [--load MODULE]...\n"
           "  drawing         a .dxf or .dwg drawing to open (else a new drawing)\n"
           "  --script FILE   run the commands of FILE, then end; the first failure ends it\n"
           "  --load MODULE   load a module (.arx/.dbx) before the drawing opens\n"
           "Without a script the commands come from standard input; QUIT ends the session.\n";
}

namespace {
// Sets up and takes down the command line, the window input and the main frame around a
// session, on every path.
class Session {
public:
    explicit Session(AcEdInputSource* input) : m_input(input) {
        AcEdCommandLine& line = AcEdCommandLine::instance();
        line.reset();
        line.setOutput([](const std::string& text) {
            std::fputs(text.c_str(), stdout);
            std::fflush(stdout);
        });
        line.setInput(&m_input);
        if (!acedHostCreateAcadFrame()) acutPrintf("\nThe main window cannot be made; dialogs have no parent.");
        acedHostInstallModuleDispatcher();
    }
    ~Session() {
        acDocManager->closeAllDocuments();
        acedHostUnloadAllModules();
        acedHostDestroyAcadFrame();
        AcEdCommandLine& line = AcEdCommandLine::instance();
        acutPrintf("\n");
        line.setInput(nullptr);
        line.setOutput(nullptr);
        line.reset();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    CadhostSharedInput m_input;
};
}  // namespace

extern "C" const unsigned char cadhostModuleResources[];
extern "C" const std::size_t cadhostModuleResourcesSize;

namespace {
// The program's compiled resources under its own module handle, once a process.
void registerProgramResources() {
    static const bool registered = [] {
        std::string error;
        if (cadhostRegisterModuleResources(GetModuleHandleA(nullptr), cadhostModuleResources,
                                           cadhostModuleResourcesSize, &error))
            return true;
        std::fprintf(stderr, "cadhost: the program's resources are malformed: %s\n", error.c_str());
        return false;
    }();
    (void)registered;
}
}  // namespace

int cadhostRun(const CadhostOptions& options, AcEdInputSource* input) {
    registerProgramResources();
    std::vector<std::string> names = options.modules;
    names.push_back(options.drawing);
    names.push_back(options.script);
    for (const std::string& name : names) {
        std::string why;
        if (!acedHostCheckFileName(name, why)) {
            std::fprintf(stderr, "cadhost: %s\n", why.c_str());
            return 1;
        }
    }
    std::FILE* script = nullptr;
    std::unique_ptr<AcEdInputSource> owned;
    if (!input) {
        if (!options.script.empty()) {
            script = std::fopen(options.script.c_str(), "r");
            if (!script) {
                std::fprintf(stderr, "cadhost: cannot open the script %s\n", options.script.c_str());
                return 1;
            }
            owned = std::make_unique<AcEdStreamSource>(script, false, true);
        } else {
            const bool terminal = isatty(fileno(stdin)) != 0;
            owned = std::make_unique<AcEdStreamSource>(stdin, terminal, !terminal);
        }
        input = owned.get();
    }
    int status = 0;
    {
        Session session(input);
        AcEdCommandLine& line = AcEdCommandLine::instance();
        bool ready = true;
        // The modules come first, so that the drawing's objects of their classes are theirs.
        for (size_t i = 0; ready && i < options.modules.size(); ++i) {
            std::string error;
            if (!acedHostLoadModule(options.modules[i].c_str(), &error)) {
                acutPrintf("\n%s", error.c_str());
                ready = false;
            }
        }
        if (ready && !options.drawing.empty()) {
            std::string error;
            if (!acDocManager->openDocument(options.drawing.c_str(), &error)) {
                acutPrintf("\n%s", error.c_str());
                ready = false;
            }
        } else if (ready) {
            acDocManager->newDocument();
        }
        if (!ready) {
            status = 1;
        } else {
            if (input->interactive()) acutPrintf("cadhost: type a command, QUIT to end.");
            const bool stopOnFailure = !input->interactive();
            int failures = line.run(stopOnFailure);
            if (stopOnFailure && failures > 0) {
                acutPrintf("\n*** Stopped: a command failed. ***");
                status = 1;
            }
        }
    }
    if (script) std::fclose(script);
    return status;
}
