// The cadhost program: a command-line CAD host.
#include <cstdio>
#include "app/program.h"

int main(int argc, char** argv) {
    CadhostOptions options;
    std::string error;
    if (!cadhostParseArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "cadhost: %s\n%s", error.c_str(), cadhostUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(cadhostUsage().c_str(), stdout);
        return 0;
    }
    return cadhostRun(options);
}
