// A small module for the editor tests: a command group, LISP functions defined per document,
// an editor reactor, and a log the tests read.
#include <cstdio>
#include <string>
#include "ed/command.h"
#include "ed/docman.h"
#include "ed/editor.h"
#include "ed/lispfuncs.h"
#include "ed/prompts.h"
#include "rx/dynlinker.h"
#include "rx/print.h"

namespace {
std::string g_log;
bool g_sloppy = false;  // unload without removing the command group or the reactor
int g_loadDwg = 0;

void note(const std::string& s) {
    if (!g_log.empty()) g_log += ';';
    g_log += s;
}

class Reactor : public AcEditorReactor {
public:
    void commandWillStart(const char* cmd) override { note(std::string("start:") + cmd); }
    void commandEnded(const char* cmd) override { note(std::string("end:") + cmd); }
    void commandCancelled(const char* cmd) override { note(std::string("cancel:") + cmd); }
};
Reactor* g_reactor = nullptr;

void pointCommand() {
    ads_point p;
    int rc = acedGetPoint(nullptr, "\nModule point: ", p);
    if (rc == RTNORM) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "point:%g,%g,%g", p[0], p[1], p[2]);
        note(buf);
    } else {
        note("point-rc:" + std::to_string(rc));
    }
}

void queueCommand() {
    acDocManager->sendStringToExecute(acDocManager->curDocument(), "(tm-record \"queued\") ", false, false, false);
    note("queue-body");
}

void echoCommand() { note("module-echo"); }

int record() {
    resbuf* args = acedGetArgs();
    note(std::string("lisp:") + (args && args->restype == RTSTR ? args->resval.rstring : "?"));
    acutRelRb(args);
    return acedRetVoid();
}

int hello() {
    acutPrintf("\nHello from the module.");
    note("hello");
    return acedRetVoid();
}
}  // namespace

extern "C" CADHOST_API const char* edtestLog() { return g_log.c_str(); }
extern "C" CADHOST_API void edtestClearLog() { g_log.clear(); }
extern "C" CADHOST_API void edtestSetSloppy(bool sloppy) { g_sloppy = sloppy; }
extern "C" CADHOST_API int edtestLoadDwgCount() { return g_loadDwg; }

extern "C" CADHOST_API AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* packet) {
    switch (message) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(packet);
        acrxDynamicLinker->registerAppMDIAware(packet);
        acedCmdUndefine("HOSTECHO", 1);
        acedRegCmds->addCommand("EDTEST", "TMPOINT", "TMPOINT", ACRX_CMD_MODAL, pointCommand);
        acedRegCmds->addCommand("EDTEST", "TMQUEUE", "TMQUEUE", ACRX_CMD_MODAL, queueCommand);
        acedRegCmds->addCommand("EDTEST", "HOSTECHO", "HOSTECHO", ACRX_CMD_MODAL, echoCommand);
        g_reactor = new Reactor;
        acedEditor->addReactor(g_reactor);
        g_loadDwg = 0;
        note("init");
        break;
    case AcRx::kLoadDwgMsg:
        ++g_loadDwg;
        acedDefun("tm-record", 0);
        acedDefun("c:tmhello", 1);
        note(std::string("load:") + static_cast<AcApDocument*>(packet)->docTitle());
        break;
    case AcRx::kUnloadDwgMsg: note(std::string("unloaddwg:") + static_cast<AcApDocument*>(packet)->docTitle()); break;
    case AcRx::kInvkSubrMsg:
        switch (acedGetFunCode()) {
        case 0: record(); break;
        case 1: hello(); break;
        default: acdbFail("Received nonexistent function code."); break;
        }
        break;
    case AcRx::kUnloadAppMsg:
        note("unload");
        if (!g_sloppy) {
            acedRegCmds->removeGroup("EDTEST");
            acedEditor->removeReactor(g_reactor);
        }
        delete g_reactor;
        g_reactor = nullptr;
        acedCmdUndefine("HOSTECHO", 0);
        break;
    default: break;
    }
    return AcRx::kRetOK;
}
