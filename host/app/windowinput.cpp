#include "app/windowinput.h"
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
    startWindowInput();
    if (m_hasBack) {
        m_hasBack = false;
        line = std::move(m_back);
        return true;
    }
    return m_source->readLine(line);
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
