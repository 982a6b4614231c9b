#pragma once
// The command line: reads what is typed (input source, or text queued on the current document,
// which comes first), runs commands and LISP, and answers the prompts of running commands.
//
// Input is read word by word: a space or a line end ends a word (only a line end for prompts
// that take text with spaces). "(" starts a LISP expression that runs when its parentheses
// close; "!name" answers a LISP variable's value. ESC (\x1b or \x03) cancels the prompt that
// waits (at the Command prompt it does nothing); a line end right after it belongs to it. An
// empty line at the Command prompt does nothing.
// Output: everything printed goes through acutPrintf; with setOutput the command line takes
// that output and drops the leading line end of a text that starts right after an answer,
// so that prompts starting with "\n" do not leave blank lines.
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "ed/command.h"
#include "ed/input.h"
#include "rx/ads.h"

class LispEvaluator;
class LispValue;

class CADHOST_API AcEdCommandLine {
public:
    static AcEdCommandLine& instance();
    AcEdCommandLine(const AcEdCommandLine&) = delete;
    AcEdCommandLine& operator=(const AcEdCommandLine&) = delete;

    // Not owned; null means no input (prompts then see the end of input).
    void setInput(AcEdInputSource* source);
    AcEdInputSource* input() const { return m_input; }
    bool interactive() const { return m_input && m_input->interactive(); }
    // Takes all host output (see above); a null sink gives acutPrintf back its default.
    using OutputSink = std::function<void(const std::string&)>;
    void setOutput(OutputSink sink);
    // Forgets unread input, the quit request and the failure count (tests, a new script).
    void reset();

    enum class Outcome { kEnded, kCancelled, kFailed };
    // Runs Command-prompt input until it ends or QUIT is asked; with stopOnFailure the first
    // failure ends it. Answers the failures counted meanwhile.
    int run(bool stopOnFailure);
    // Reads and runs one item at the Command prompt; false at the end of input.
    bool step();
    // A command by name, as if typed at the Command prompt (prefixes included).
    Outcome runCommand(const std::string& typedName);
    // LISP text as if typed at the Command prompt; the value is printed unless quiet.
    Outcome evaluateLisp(const std::string& text);

    void requestQuit() { m_quit = true; }
    bool quitRequested() const { return m_quit; }
    // Failed commands, LISP errors, unknown commands, and input that ended inside a command
    // of non-interactive input.
    int failureCount() const { return m_failures; }

    // Names of the running commands joined by "'" (the value of CMDNAMES).
    std::string cmdNames() const;
    int commandDepth() const { return static_cast<int>(m_commands.size()); }
    // Commands and LISP evaluations running; text queued at depth d waits until it is below d.
    int activityDepth() const { return static_cast<int>(m_activities.size()); }
    bool readingInput() const { return m_reading; }

    // Prompts. kWord: the answer ends at a space; LISP and transparent commands allowed.
    // kText: ends at a space, taken as it is. kLine: ends at the line end, taken as it is.
    enum class AnswerMode { kWord, kText, kLine };
    // parse answers RTNORM, RTNONE or RTKWORD, or RTERROR with a message for a wrong answer.
    using AnswerParser = std::function<int(const std::string& answer, std::string& message)>;
    // Prints the prompt and reads answers until parse takes one. A wrong answer is asked
    // again when a person answers; otherwise the running command fails (RTERROR). RTCAN on
    // ESC or at the end of input. Once the running command was cancelled or failed, every
    // further prompt of it answers RTCAN / RTERROR at once.
    int ask(const char* prompt, AnswerMode mode, const AnswerParser& parse);
    // Prints the message and marks the running command (or LISP evaluation) failed.
    void fail(const std::string& message);

    // The LISP of the current document (of the session when there is none).
    LispEvaluator& lisp();

private:
    AcEdCommandLine();
    ~AcEdCommandLine();
    friend class AcEdOutputThunk;

    struct Activity {
        std::string name;
        bool command = false;
        bool cancelled = false;
        bool failed = false;
    };
    enum class TokenKind { kText, kLisp, kCancel, kEnd };
    struct Token {
        TokenKind kind = TokenKind::kEnd;
        std::string text;
    };
    int nextChar(bool* echo);
    bool skipTerminator();
    Token readToken(bool spaceEnds, bool lispAllowed);
    Token readLisp(bool echo);
    void finishToken(const std::string& text, bool echo);
    Outcome runResolved(const AcEdResolvedCommand& command);
    Outcome runLispFunction(const std::string& name);
    Outcome finishLisp(bool ok, bool quiet, const std::string& error, const std::string& value);
    static std::string answerText(const LispValue& value);

    void print(const std::string& text);
    void softNewline();
    void emit(const std::string& text);
    void output(const char* text);

    AcEdInputSource* m_input = nullptr;
    std::string m_line;
    size_t m_linePos = 0;
    bool m_lineEcho = false;
    bool m_reading = false;
    bool m_quit = false;
    int m_failures = 0;
    std::vector<Activity> m_activities;
    std::vector<std::string> m_commands;
    OutputSink m_sink;
    bool m_soft = false;
    bool m_atLineStart = true;
    std::unique_ptr<LispEvaluator> m_sessionLisp;
};
