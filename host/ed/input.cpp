#include <cstdio>
#include "ed/input.h"

AcEdInputSource::~AcEdInputSource() = default;

void AcEdLineSource::push(const std::string& text) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            if (start < text.size()) m_lines.push_back(text.substr(start));
            break;
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        m_lines.push_back(line);
        start = end + 1;
    }
}

bool AcEdLineSource::readLine(std::string& line) {
    if (m_lines.empty()) return false;
    line = std::move(m_lines.front());
    m_lines.pop_front();
    return true;
}

bool AcEdStreamSource::readLine(std::string& line) {
    line.clear();
    if (!m_stream) return false;
    int c;
    bool any = false;
    while ((c = std::fgetc(m_stream)) != EOF) {
        any = true;
        if (c == '\n') break;
        line += static_cast<char>(c);
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}
