// Drawing files and the session: OPEN, NEW, SAVE, SAVEAS, CLOSE, QUIT.
#include <filesystem>
#include <string>
#include "app/commands/commandprompts.h"
#include "app/commands/hostcommands.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/prompts.h"
#include "rx/print.h"

namespace {
// Changes are only thrown away when a person agrees; scripts say what they mean.
bool mayDiscard(AcApDocument* doc) {
    if (!doc->isModified() || !AcEdCommandLine::instance().interactive()) return true;
    std::string prompt = std::string("\nDiscard the changes to ") + doc->docTitle() + "? [Yes/No] <No>: ";
    return askYesNo(prompt.c_str(), false);
}

int saveTo(AcApDocument* doc, const std::string& name) {
    std::string error;
    if (acDocManager->saveDocument(doc, name.c_str(), &error) != Acad::eOk) {
        AcEdCommandLine::instance().fail(error);
        return RTERROR;
    }
    acutPrintf("\nSaved %s.", doc->fileName());
    return RTNORM;
}

int saveAs(AcApDocument* doc) {
    std::string prompt = std::string("\nSave drawing as <") + doc->fileName() + ">: ";
    std::string name;
    if (int rc = hostcmd::askFileName(prompt.c_str(), name); rc != RTNORM) return rc;
    if (name.empty()) name = doc->fileName();
    std::error_code ec;
    const bool other = !doc->isNamed() || !std::filesystem::equivalent(name, doc->fileName(), ec);
    if (other && std::filesystem::exists(name, ec) && AcEdCommandLine::instance().interactive()) {
        std::string question = "\n" + name + " already exists. Replace it? [Yes/No] <No>: ";
        if (!askYesNo(question.c_str(), false)) return RTCAN;
    }
    return saveTo(doc, name);
}

int openCommand() {
    std::string name;
    if (int rc = hostcmd::askFileName("\nEnter name of drawing to open: ", name); rc != RTNORM) return rc;
    if (name.empty()) return RTCAN;
    std::string error;
    AcApDocument* doc = acDocManager->openDocument(name.c_str(), &error);
    if (!doc) {
        AcEdCommandLine::instance().fail(error);
        return RTERROR;
    }
    acutPrintf("\nOpened %s.", doc->fileName());
    return RTNORM;
}

int newCommand() {
    AcApDocument* doc = acDocManager->newDocument();
    acutPrintf("\nNew drawing %s.", doc->docTitle());
    return RTNORM;
}

int saveCommand() {
    AcApDocument* doc = requireDocument();
    if (!doc) return RTERROR;
    return doc->isNamed() ? saveTo(doc, doc->fileName()) : saveAs(doc);
}

int saveAsCommand() {
    AcApDocument* doc = requireDocument();
    return doc ? saveAs(doc) : RTERROR;
}

int closeCommand() {
    AcApDocument* doc = requireDocument();
    if (!doc) return RTERROR;
    if (!mayDiscard(doc)) return RTCAN;
    Acad::ErrorStatus es = acDocManager->closeDocument(doc);
    if (es != Acad::eOk) {
        AcEdCommandLine::instance().fail("The drawing cannot be closed now: it is locked or has open objects.");
        return RTERROR;
    }
    return RTNORM;
}

int quitCommand() {
    for (AcApDocument* doc : acDocManager->documents())
        if (!mayDiscard(doc)) return RTCAN;
    AcEdCommandLine::instance().requestQuit();
    return RTNORM;
}
}  // namespace

CADHOST_COMMANDS(files, {
    {"OPEN", openCommand},
    {"NEW", newCommand},
    {"SAVE", saveCommand},
    {"QSAVE", saveCommand},
    {"SAVEAS", saveAsCommand},
    {"CLOSE", closeCommand},
    {"QUIT", quitCommand},
    {"EXIT", quitCommand},
});
