#pragma once
// The program's input shared by the command line and the windows: while a modal dialog waits,
// the next lines are window events (win/windowscript.h). A line that is no event ends the
// window input: the waiting dialogs are cancelled as by Escape and the line goes back to the
// command line. The end of input cancels them too. Wrong events are reported and skipped.
// At the Command prompt, a line that starts with an event word (but move, which stays the MOVE
// command) is a window event too: it drives the windows that are open (docked bars, floating
// windows) and the Command prompt waits for the next line.
#include <string>
#include "ed/input.h"

// True for a line that is a window event at the Command prompt (see above), when no command
// or LISP evaluation runs.
bool cadhostIsPromptWindowEventLine(const std::string& line);

class CadhostSharedInput : public AcEdInputSource {
public:
    // The source is not owned; the windows take their input from this object until it goes.
    explicit CadhostSharedInput(AcEdInputSource* source);
    ~CadhostSharedInput() override;
    CadhostSharedInput(const CadhostSharedInput&) = delete;
    CadhostSharedInput& operator=(const CadhostSharedInput&) = delete;

    // The command line's read: a line given back first. Window input starts afresh with it,
    // so what a closed dialog left unread does not reach the next one.
    bool readLine(std::string& line) override;
    bool interactive() const override { return m_source->interactive(); }
    bool echoes() const override { return m_source->echoes(); }

private:
    bool readWindowLine(std::string& line);
    void runPromptWindowEvents(const std::string& line);
    void startWindowInput();

    AcEdInputSource* m_source;
    std::string m_back;
    bool m_hasBack = false;
};
