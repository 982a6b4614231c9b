#pragma once
#include <cstdarg>
#include <string>
#include "rx/export.h"

typedef const char* LPCTSTR;
typedef char* LPTSTR;
typedef char TCHAR;
typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define _T(x) x

// The framework's string: a value type over std::string with the framework's interface.
class CADHOST_API CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const char* s, int length) : m_s(s ? std::string(s, static_cast<size_t>(length)) : std::string()) {}
    CString(char c, int repeat = 1) : m_s(static_cast<size_t>(repeat > 0 ? repeat : 0), c) {}
    CString(const std::string& s) : m_s(s) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int i) const { return (i >= 0 && i < GetLength()) ? m_s[static_cast<size_t>(i)] : '\0'; }
    void SetAt(int i, char c) { if (i >= 0 && i < GetLength()) m_s[static_cast<size_t>(i)] = c; }
    char operator[](int i) const { return GetAt(i); }
    operator const char*() const { return m_s.c_str(); }
    const char* GetString() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
    CString& operator=(char c) { m_s.assign(1, c); return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
    CString& operator+=(char c) { m_s += c; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

    int Compare(const char* s) const;
    int CompareNoCase(const char* s) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    int Find(char c, int start = 0) const;
    int Find(const char* s, int start = 0) const;
    int ReverseFind(char c) const;
    int Replace(const char* from, const char* to);
    int Replace(char from, char to);
    int Remove(char c);
    int Insert(int index, const char* s);
    int Delete(int index, int count = 1);
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { TrimRight(); return TrimLeft(); }
    CString& TrimLeft(const char* chars);
    CString& TrimRight(const char* chars);
    CString SpanIncluding(const char* chars) const;
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    // Writable buffer of at least minLength characters; ReleaseBuffer takes the text up to NUL.
    char* GetBuffer(int minLength = 0);
    void ReleaseBuffer(int newLength = -1);
    char* GetBufferSetLength(int length);
    // Text of a string id of the current module's string table.
    BOOL LoadString(unsigned id);

private:
    std::string m_s;
};
