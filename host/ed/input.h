#pragma once
// Sources of the command line's input: a terminal, a script, lines given by a test.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>
#include "rx/export.h"

class CADHOST_API AcEdInputSource {
public:
    virtual ~AcEdInputSource();
    // The next line without its line end; false at the end of input.
    virtual bool readLine(std::string& line) = 0;
    // A person answers: a wrong answer is asked again instead of failing the command.
    virtual bool interactive() const = 0;
    // What is read is shown after its prompt (scripts, pipes); a terminal shows it itself.
    virtual bool echoes() const = 0;
};

// Lines known in advance (a script read at once, a test's input).
class CADHOST_API AcEdLineSource : public AcEdInputSource {
public:
    explicit AcEdLineSource(bool interactive = false, bool echoes = true)
        : m_interactive(interactive), m_echoes(echoes) {}
    // Adds text; every line end starts a new line, a last line without one counts as a line.
    void push(const std::string& text);
    size_t remaining() const { return m_lines.size(); }
    bool readLine(std::string& line) override;
    bool interactive() const override { return m_interactive; }
    bool echoes() const override { return m_echoes; }

private:
    std::deque<std::string> m_lines;
    bool m_interactive, m_echoes;
};

// Lines of a file or stream (stdin): a terminal is interactive, a pipe or file is not.
class CADHOST_API AcEdStreamSource : public AcEdInputSource {
public:
    // The stream is not closed here.
    AcEdStreamSource(std::FILE* stream, bool interactive, bool echoes)
        : m_stream(stream), m_interactive(interactive), m_echoes(echoes) {}
    bool readLine(std::string& line) override;
    bool interactive() const override { return m_interactive; }
    bool echoes() const override { return m_echoes; }

private:
    std::FILE* m_stream;
    bool m_interactive, m_echoes;
};
