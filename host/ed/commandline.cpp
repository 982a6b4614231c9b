#include "ed/commandline.h"
#include <cctype>
#include <cstdio>
#include <exception>
#include "ed/docman.h"
#include "ed/editor.h"
#include "ed/lisp.h"
#include "ed/lispfuncs.h"
#include "ed/lisphost.h"
#include "db/undolog.h"
#include "rx/print.h"

namespace {
constexpr int kEntryEnd = -2;  // the end of a queued text: ends the word or line it is in
constexpr int kEsc = 0x1b;
constexpr int kCtrlC = 0x03;

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string firstLine(const std::string& text) {
    size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

// One undo group per command or LISP expression typed at the Command prompt; nested ones
// (transparent commands, commands run from LISP) belong to the outer one.
class UndoGroup {
public:
    explicit UndoGroup(const std::string& name) {
        AcApDocument* doc = acDocManager->curDocument();
        acdbHostBeginUndoGroup(doc ? doc->database() : nullptr, name.c_str());
    }
    ~UndoGroup() { acdbHostEndUndoGroup(); }
    UndoGroup(const UndoGroup&) = delete;
    UndoGroup& operator=(const UndoGroup&) = delete;
};

std::string formatReal(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}
}  // namespace

class AcEdOutputThunk {
public:
    static void write(const char* text) { AcEdCommandLine::instance().output(text); }
};

AcEdCommandLine& AcEdCommandLine::instance() {
    // Never destroyed: modules and reactors may still print while the process ends.
    static AcEdCommandLine* line = new AcEdCommandLine;
    return *line;
}

AcEdCommandLine::AcEdCommandLine() : m_sessionLisp(std::make_unique<LispEvaluator>()) {
    acedHostInstallLispFunctions(*m_sessionLisp);
}

AcEdCommandLine::~AcEdCommandLine() = default;

void AcEdCommandLine::setInput(AcEdInputSource* source) {
    m_input = source;
    m_line.clear();
    m_linePos = 0;
}

void AcEdCommandLine::setOutput(OutputSink sink) {
    m_sink = std::move(sink);
    m_soft = true;  // output starts on a fresh line
    m_atLineStart = true;
    acutSetPrintSink(m_sink ? &AcEdOutputThunk::write : nullptr);
}

void AcEdCommandLine::reset() {
    m_line.clear();
    m_linePos = 0;
    m_quit = false;
    m_failures = 0;
    m_soft = false;
    m_atLineStart = true;
}

LispEvaluator& AcEdCommandLine::lisp() {
    if (AcApDocument* doc = acDocManager->curDocument()) return doc->lisp();
    return *m_sessionLisp;
}

std::string AcEdCommandLine::cmdNames() const {
    std::string names;
    for (const std::string& n : m_commands) {
        if (!names.empty()) names += '\'';
        names += n;
    }
    return names;
}

// ---- Output ----

void AcEdCommandLine::emit(const std::string& text) {
    if (m_sink) m_sink(text);
    else {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    }
}

void AcEdCommandLine::output(const char* text) {
    std::string s = text ? text : "";
    if (s.empty()) return;
    size_t start = (m_soft && s[0] == '\n') ? 1 : 0;
    m_soft = false;
    if (start >= s.size()) return;
    emit(s.substr(start));
    m_atLineStart = s.back() == '\n';
}

void AcEdCommandLine::print(const std::string& text) {
    if (!text.empty()) acutPrintf("%s", text.c_str());
}

// The answer is complete: what follows starts on a fresh line.
void AcEdCommandLine::softNewline() {
    if (!m_sink) {
        acutPrintf("\n");
        return;
    }
    if (!m_atLineStart) emit("\n");
    m_atLineStart = true;
    m_soft = true;
}

// ---- Input ----

int AcEdCommandLine::nextChar(bool* echo) {
    bool triedRead = false;
    for (;;) {
        if (AcApDocument* doc = acDocManager->curDocument()) {
            auto& queue = doc->pendingInput();
            if (!queue.empty() && activityDepth() < queue.front().gate) {
                AcApDocument::PendingText& p = queue.front();
                if (echo) *echo = p.echo;
                if (p.pos < p.text.size()) return static_cast<unsigned char>(p.text[p.pos++]);
                queue.pop_front();
                return kEntryEnd;
            }
        }
        if (m_linePos < m_line.size()) {
            if (echo) *echo = m_lineEcho;
            return static_cast<unsigned char>(m_line[m_linePos++]);
        }
        if (!m_input || triedRead) return EOF;
        std::string line;
        m_reading = true;
        bool ok = false;
        try {
            ok = m_input->readLine(line);
        } catch (...) {
            m_reading = false;
            throw;
        }
        m_reading = false;
        if (!ok) {
            triedRead = true;  // text queued while reading still comes first
            continue;
        }
        m_line = line + '\n';
        m_linePos = 0;
        m_lineEcho = m_input->echoes();
        if (!m_lineEcho && m_sink) {
            // A person typed the line and its Enter.
            m_atLineStart = true;
            m_soft = true;
        }
    }
}

// Consumes a space or line end that follows right away, without waiting for more input.
bool AcEdCommandLine::skipTerminator() {
    if (AcApDocument* doc = acDocManager->curDocument()) {
        auto& queue = doc->pendingInput();
        if (!queue.empty() && activityDepth() < queue.front().gate) {
            AcApDocument::PendingText& p = queue.front();
            if (p.pos >= p.text.size()) {
                queue.pop_front();
                return true;
            }
            char c = p.text[p.pos];
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                ++p.pos;
                return true;
            }
            return false;
        }
    }
    if (m_linePos < m_line.size()) {
        char c = m_line[m_linePos];
        if (c == ' ' || c == '\n' || c == '\t') {
            ++m_linePos;
            return true;
        }
    }
    return false;
}

void AcEdCommandLine::finishToken(const std::string& text, bool echo) {
    if (echo) print(text);
    softNewline();
}

AcEdCommandLine::Token AcEdCommandLine::readLisp(bool echo) {
    std::string expr = "(";
    int depth = 1;
    bool inString = false, escape = false, comment = false;
    while (depth > 0) {
        int c = nextChar(nullptr);
        if (c == EOF) break;
        if (c == kEntryEnd) c = '\n';
        if (!inString && (c == kEsc || c == kCtrlC)) return Token{TokenKind::kCancel, {}};
        expr += static_cast<char>(c);
        if (comment) {
            if (c == '\n') comment = false;
        } else if (inString) {
            if (escape) escape = false;
            else if (c == '\\') escape = true;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == ';') {
            comment = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        }
    }
    skipTerminator();
    finishToken(expr, echo);
    return Token{TokenKind::kLisp, expr};
}

AcEdCommandLine::Token AcEdCommandLine::readToken(bool spaceEnds, bool lispAllowed) {
    std::string text;
    bool echo = false, first = true;
    for (;;) {
        bool e = false;
        int c = nextChar(&e);
        if (first) echo = e;
        first = false;
        if (c == EOF) {
            if (text.empty()) return Token{TokenKind::kEnd, {}};
            break;
        }
        if (c == kEsc || c == kCtrlC) {
            skipTerminator();  // the Enter typed after ESC belongs to it
            return Token{TokenKind::kCancel, {}};
        }
        if (c == kEntryEnd || c == '\n') break;
        if (c == '\r') continue;
        if ((c == ' ' || c == '\t') && spaceEnds) break;
        if (c == '(' && text.empty() && lispAllowed) return readLisp(echo);
        text += static_cast<char>(c);
    }
    finishToken(text, echo);
    return Token{TokenKind::kText, text};
}

// ---- Command prompt ----

int AcEdCommandLine::run(bool stopOnFailure) {
    const int before = m_failures;
    while (!m_quit) {
        if (!step()) break;
        if (stopOnFailure && m_failures > before) break;
    }
    return m_failures - before;
}

bool AcEdCommandLine::step() {
    print("\nCommand: ");
    Token t = readToken(true, true);
    switch (t.kind) {
    case TokenKind::kEnd:
        softNewline();
        return false;
    case TokenKind::kCancel:
        print("*Cancel*");
        softNewline();
        return true;
    case TokenKind::kLisp:
        evaluateLisp(t.text);
        return true;
    case TokenKind::kText:
        if (t.text.empty()) return true;
        if (t.text.size() > 1 && t.text[0] == '!') evaluateLisp(t.text.substr(1));
        else runCommand(t.text);
        return true;
    }
    return true;
}

AcEdCommandLine::Outcome AcEdCommandLine::runCommand(const std::string& typedName) {
    AcEdResolvedCommand r = acedHostResolveCommand(typedName);
    if (r.kind == AcEdResolvedCommand::kNone) {
        std::string shown = upper(typedName);
        acedEditor->notify([&](AcEditorReactor* re) { re->unknownCommand(shown.c_str(), nullptr); });
        print("\nUnknown command \"" + shown + "\".  Press F1 for help.");
        softNewline();
        ++m_failures;
        return Outcome::kFailed;
    }
    if (r.kind == AcEdResolvedCommand::kLisp) return runLispFunction(r.globalName);
    if (commandDepth() > 0 && !(r.flags & ACRX_CMD_TRANSPARENT)) {
        print("\n** " + r.globalName + " cannot be used while another command is running **");
        return Outcome::kFailed;
    }
    return runResolved(r);
}

AcEdCommandLine::Outcome AcEdCommandLine::runResolved(const AcEdResolvedCommand& r) {
    const std::string name = r.globalName;
    // Copied now: the command may remove its own group.
    AcRxFunctionPtr function = r.command ? r.command->functionAddr() : nullptr;
    void* module = r.command ? r.command->module() : nullptr;
    UndoGroup undoGroup(name);
    m_commands.push_back(name);
    m_activities.push_back(Activity{name, true});
    acedEditor->notify([&](AcEditorReactor* re) { re->commandWillStart(name.c_str()); });
    Outcome outcome = Outcome::kEnded;
    try {
        if (r.kind == AcEdResolvedCommand::kHost) {
            int rc = r.host();
            outcome = rc == RTNORM ? Outcome::kEnded : rc == RTCAN ? Outcome::kCancelled : Outcome::kFailed;
        } else {
            AcedModuleScope scope(module);
            function();
        }
    } catch (const std::exception& e) {
        print(std::string("\n; error: ") + e.what());
        outcome = Outcome::kFailed;
    } catch (...) {
        print("\n; error: " + name + " stopped by an unknown exception");
        outcome = Outcome::kFailed;
    }
    const Activity& a = m_activities.back();
    if (outcome == Outcome::kEnded && a.failed) outcome = Outcome::kFailed;
    else if (outcome == Outcome::kEnded && a.cancelled) outcome = Outcome::kCancelled;
    // The end notifications run while the command still counts as running (reactors may prompt).
    m_activities.back().cancelled = m_activities.back().failed = false;
    switch (outcome) {
    case Outcome::kEnded: acedEditor->notify([&](AcEditorReactor* re) { re->commandEnded(name.c_str()); }); break;
    case Outcome::kCancelled:
        acedEditor->notify([&](AcEditorReactor* re) { re->commandCancelled(name.c_str()); });
        break;
    case Outcome::kFailed: acedEditor->notify([&](AcEditorReactor* re) { re->commandFailed(name.c_str()); }); break;
    }
    if (m_activities.back().failed && outcome != Outcome::kFailed) ++m_failures;
    m_activities.pop_back();
    m_commands.pop_back();
    if (outcome == Outcome::kFailed) ++m_failures;
    return outcome;
}

// ---- LISP ----

AcEdCommandLine::Outcome AcEdCommandLine::finishLisp(bool ok, bool quiet, const std::string& error,
                                                      const std::string& value) {
    Activity a = m_activities.back();
    Outcome outcome = Outcome::kEnded;
    if (!ok) {
        print("\n; error: " + error);
        outcome = Outcome::kFailed;
    } else if (a.failed) {
        outcome = Outcome::kFailed;
    } else if (a.cancelled) {
        outcome = Outcome::kCancelled;
    } else if (!quiet) {
        print("\n" + value);
    }
    if (outcome == Outcome::kEnded) acedEditor->notify([](AcEditorReactor* re) { re->lispEnded(); });
    else acedEditor->notify([](AcEditorReactor* re) { re->lispCancelled(); });
    m_activities.pop_back();
    if (outcome == Outcome::kFailed) ++m_failures;
    return outcome;
}

AcEdCommandLine::Outcome AcEdCommandLine::evaluateLisp(const std::string& text) {
    UndoGroup undoGroup("GROUP");
    m_activities.push_back(Activity{"LISP", false});
    const std::string line = firstLine(text);
    acedEditor->notify([&](AcEditorReactor* re) { re->lispWillStart(line.c_str()); });
    LispResult r;
    try {
        r = lisp().evaluate(text);
    } catch (const std::exception& e) {
        r = LispResult::failure(e.what());
    }
    return finishLisp(r.ok, r.quiet, r.error, r.ok ? r.value.toString() : std::string());
}

AcEdCommandLine::Outcome AcEdCommandLine::runLispFunction(const std::string& name) {
    UndoGroup undoGroup(upper(name));
    m_activities.push_back(Activity{name, false});
    const std::string line = "(" + upper(name) + ")";
    acedEditor->notify([&](AcEditorReactor* re) { re->lispWillStart(line.c_str()); });
    LispResult r;
    try {
        r = lisp().invoke(name, {});
    } catch (const std::exception& e) {
        r = LispResult::failure(e.what());
    }
    return finishLisp(r.ok, r.quiet, r.error, r.ok ? r.value.toString() : std::string());
}

std::string AcEdCommandLine::answerText(const LispValue& v) {
    switch (v.kind()) {
    case LispValue::Kind::Nil: return {};
    case LispValue::Kind::Int: return std::to_string(v.intValue());
    case LispValue::Kind::Real: return formatReal(v.number());
    case LispValue::Kind::Str: return v.text();
    case LispValue::Kind::List:
        if (v.isPoint()) {
            std::string s;
            for (const LispValue& item : v.items()) {
                if (!s.empty()) s += ',';
                s += item.kind() == LispValue::Kind::Int ? std::to_string(item.intValue()) : formatReal(item.number());
            }
            return s;
        }
        return v.toString(true);
    default: return v.toString(true);
    }
}

// ---- Prompts ----

void AcEdCommandLine::fail(const std::string& message) {
    if (!message.empty()) print("\n" + message);
    if (m_activities.empty()) ++m_failures;
    else m_activities.back().failed = true;
}

int AcEdCommandLine::ask(const char* prompt, AnswerMode mode, const AnswerParser& parse) {
    // A failed or cancelled command asks nothing more: every further prompt is cancelled, so
    // that code asking again until an answer comes ends.
    if (!m_activities.empty() && (m_activities.back().failed || m_activities.back().cancelled)) return RTCAN;
    auto cancel = [this] {
        if (!m_activities.empty()) m_activities.back().cancelled = true;
        return RTCAN;
    };
    for (;;) {
        if (prompt) print(prompt);
        Token t = readToken(mode != AnswerMode::kLine, mode == AnswerMode::kWord);
        if (t.kind == TokenKind::kCancel) {
            print("*Cancel*");
            softNewline();
            return cancel();
        }
        if (t.kind == TokenKind::kEnd) {
            print("\n*Cancel* (end of input)");
            softNewline();
            if (!interactive()) ++m_failures;
            return cancel();
        }
        std::string answer = t.text;
        std::string message;
        bool wrong = false;
        std::string lispText;
        if (t.kind == TokenKind::kLisp) lispText = t.text;
        else if (mode == AnswerMode::kWord && answer.size() > 1 && answer[0] == '!') lispText = answer.substr(1);
        if (!lispText.empty()) {
            LispResult r = lisp().evaluate(lispText);
            if (!r.ok) {
                message = "; error: " + r.error;
                wrong = true;
            } else {
                answer = answerText(r.value);
            }
        } else if (mode == AnswerMode::kWord && answer.size() > 1 && answer[0] == '\'') {
            AcEdResolvedCommand r = acedHostResolveCommand(answer);
            if (r.kind == AcEdResolvedCommand::kHost || r.kind == AcEdResolvedCommand::kModule) {
                if (r.flags & ACRX_CMD_TRANSPARENT) {
                    runResolved(r);
                    print("\nResuming " + (m_commands.empty() ? std::string() : m_commands.back()) + " command.");
                    continue;
                }
                message = "** " + r.globalName + " cannot be used transparently **";
                wrong = true;
            }
        }
        if (!wrong) {
            int rc = parse(answer, message);
            if (rc != RTERROR) return rc;
        }
        if (interactive()) {
            print("\n" + message);
            continue;
        }
        std::string who = m_activities.empty() ? std::string("The prompt") : m_activities.back().name;
        fail(message + "\n*" + who + " failed: wrong answer \"" + answer + "\"*");
        return RTERROR;
    }
}
