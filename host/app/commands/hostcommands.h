#pragma once
// Adding host commands: one table per group, in one file of host/app/commands/ per group.
//
//   namespace {
//   int lineCommand() { ...; return RTNORM; }   // RTNORM ended, RTCAN cancelled, else failed
//   }  // namespace
//   CADHOST_COMMANDS(drawing, {{"LINE", lineCommand}, {"ZOOM", zoomCommand, ACRX_CMD_TRANSPARENT}});
//
// The tables are entered when the program starts. Prompts: ed/prompts.h and ed/pick.h;
// the drawing: requireDocument() below; notifications: acedEditor->notify(...).
#include <initializer_list>
#include <string>
#include <vector>
#include "ed/command.h"
#include "rx/ads.h"

class AcApDocument;

class HostCommandGroup {
public:
    HostCommandGroup(const char* group, std::initializer_list<AcEdHostCommandDef> commands);
    // Groups and their command names, in the order the tables were entered.
    static const std::vector<std::pair<std::string, std::vector<std::string>>>& groups();
};

#define CADHOST_COMMANDS(group, ...) \
    static const HostCommandGroup cadhost_host_commands_##group(#group, __VA_ARGS__)

// The current document, or null after printing that no drawing is open.
AcApDocument* requireDocument();
// Asks a yes/no question (keywords Yes and No); an empty answer takes the default.
bool askYesNo(const char* prompt, bool defaultAnswer);
