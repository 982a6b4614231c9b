#include "ui/cstring.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

int CString::Compare(const char* s) const { return std::strcmp(m_s.c_str(), s ? s : ""); }
int CString::CompareNoCase(const char* s) const { return strcasecmp(m_s.c_str(), s ? s : ""); }

CString CString::Left(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(m_s.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Find(char c, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    size_t p = m_s.find(c, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* s, int start) const {
    if (!s || start < 0 || start > GetLength()) return -1;
    size_t p = m_s.find(s, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char c) const {
    size_t p = m_s.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from) return 0;
    std::string f = from, t = to ? to : "";
    int n = 0;
    for (size_t p = m_s.find(f); p != std::string::npos; p = m_s.find(f, p + t.size())) {
        m_s.replace(p, f.size(), t);
        ++n;
    }
    return n;
}

int CString::Replace(char from, char to) {
    int n = 0;
    for (char& c : m_s)
        if (c == from) { c = to; ++n; }
    return n;
}

int CString::Remove(char c) {
    size_t before = m_s.size();
    std::erase(m_s, c);
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const char* s) {
    index = std::clamp(index, 0, GetLength());
    m_s.insert(static_cast<size_t>(index), s ? s : "");
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index >= 0 && index < GetLength() && count > 0)
        m_s.erase(static_cast<size_t>(index), static_cast<size_t>(std::min(count, GetLength() - index)));
    return GetLength();
}

CString& CString::MakeUpper() {
    for (char& c : m_s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower() {
    for (char& c : m_s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_s.begin(), m_s.end());
    return *this;
}

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[i]))) ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    while (!m_s.empty() && std::isspace(static_cast<unsigned char>(m_s.back()))) m_s.pop_back();
    return *this;
}

CString& CString::TrimLeft(const char* chars) {
    size_t i = m_s.find_first_not_of(chars ? chars : "");
    m_s.erase(0, i == std::string::npos ? m_s.size() : i);
    return *this;
}

CString& CString::TrimRight(const char* chars) {
    size_t i = m_s.find_last_not_of(chars ? chars : "");
    m_s.erase(i == std::string::npos ? 0 : i + 1);
    return *this;
}

CString CString::SpanIncluding(const char* chars) const {
    size_t i = m_s.find_first_not_of(chars ? chars : "");
    return CString(m_s.substr(0, i == std::string::npos ? m_s.size() : i));
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    m_s.assign(buffer.data(), static_cast<size_t>(n));
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
    return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) newLength = static_cast<int>(std::strlen(m_s.c_str()));
    m_s.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}

char* CString::GetBufferSetLength(int length) {
    m_s.resize(static_cast<size_t>(std::max(length, 0)));
    return m_s.data();
}

#include "win/resources.h"

BOOL CString::LoadString(unsigned id) {
    char buffer[1000];
    int n = ::LoadString(AfxGetResourceHandle(), id, buffer, sizeof buffer);
    m_s.assign(buffer, static_cast<size_t>(n));
    return n > 0;
}
