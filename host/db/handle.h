#pragma once
#include <cstdint>
#include <string>
#include "db/types.h"

// Database handle: a 64-bit number unique within one database; 0 is the null handle.
class CADHOST_API AcDbHandle {
public:
    AcDbHandle() = default;
    AcDbHandle(uint64_t value) : m_value(value) {}
    explicit AcDbHandle(const char* hex);
    bool isNull() const { return m_value == 0; }
    uint64_t value() const { return m_value; }
    AcDbHandle& operator++() { ++m_value; return *this; }
    bool operator==(const AcDbHandle& o) const { return m_value == o.m_value; }
    bool operator<(const AcDbHandle& o) const { return m_value < o.m_value; }
    void getIntoAsciiBuffer(char* buffer, size_t size = 17) const;  // upper-case hex
    std::string ascii() const;
    uint32_t low() const { return static_cast<uint32_t>(m_value); }

private:
    uint64_t m_value = 0;
};
