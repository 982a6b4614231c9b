#pragma once
// The cadhost program: cadhost [drawing] [--script FILE] [--load MODULE]...
#include <string>
#include <vector>
#include "ed/input.h"

struct CadhostOptions {
    std::string drawing;
    std::string script;
    std::vector<std::string> modules;
    bool help = false;
};

// False with a message for arguments the program does not take.
bool cadhostParseArguments(int argc, const char* const* argv, CadhostOptions& options, std::string& error);
std::string cadhostUsage();

// One session: loads the modules, opens the drawing (else a new one), then runs commands from
// input (when null: the script, else standard input) until it ends or QUIT. Non-interactive
// input stops at the first failed command. Closes every document and unloads the modules at
// the end. Answers the exit status: 0, or 1 when the drawing, the script or a module cannot be
// opened or a command of non-interactive input failed; 1 at once for a name holding a NUL.
int cadhostRun(const CadhostOptions& options, AcEdInputSource* input = nullptr);
