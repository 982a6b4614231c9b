#include "app/windowinput.h"
#include <cctype>
#include "ed/commandline.h"
#include "rx/print.h"
#include "win/windowscript.h"

CadhostSharedInput::CadhostSharedInput(AcEdInputSource* source) : m_source(source) { startWindowInput(); }

CadhostSharedInput::~CadhostSharedInput() { cadhostResetInput(); }

void CadhostSharedInput::startWindowInput() {
    cadhostResetInput();
    cadhostRunWindowScript([this](std::string& line) { return readWindowLine(line); },
                           [](const std::string& error) { acutPrintf("\nWindow event skipped: %s", error.c_str()); });
}

bool CadhostSharedInput::readLine(std::string& line) {
    for (;;) {
        startWindowInput();
        if (m_hasBack) {
            m_hasBack = false;
            line = std::move(m_back);
        } else if (!m_source->readLine(line)) {
            return false;
        }
        if (!cadhostIsPromptWindowEventLine(line)) return true;
        runPromptWindowEvents(line);
    }
}

bool cadhostIsPromptWindowEventLine(const std::string& line) {
    const AcEdCommandLine& commandLine = AcEdCommandLine::instance();
    if (commandLine.commandDepth() > 0 || commandLine.activityDepth() > 0) return false;
    const size_t start = line.find_first_not_of(" \t\r\n\v\f");
    if (start == std::string::npos || line[start] == ';') return false;
    const size_t end = line.find_first_of(" \t\r\n\v\f\"", start);
    std::string word = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // MOVE is a command; a mouse move is no event at the Command prompt.
    return word != "move" && cadhostIsWindowEventLine(line);
}

void CadhostSharedInput::runPromptWindowEvents(const std::string& line) {
    if (m_source->echoes()) acutPrintf("%s", line.c_str());
    std::string error;
    if (!cadhostQueueWindowEventLine(line, error)) acutPrintf("\nWindow event skipped: %s", error.c_str());
    cadhostPumpQueuedInput();
    acutPrintf("\nCommand: ");
}

bool CadhostSharedInput::readWindowLine(std::string& line) {
    if (m_hasBack) return false;  // window input has ended until the command line reads
    if (m_source->interactive()) acutPrintf("\nWindow event: ");
    if (!m_source->readLine(line)) return false;
    if (!cadhostIsWindowEventLine(line)) {
        acutPrintf("\nNot a window event, the dialog is cancelled: %s", line.c_str());
        m_back = line;
        m_hasBack = true;
        return false;
    }
    if (m_source->echoes()) acutPrintf("\n%s", line.c_str());
    return true;
}
