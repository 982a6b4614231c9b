#pragma once
// Little-endian byte writing and bounds-checked reading of the resource image and its templates.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cadhost::res {

class ByteWriter {
public:
    void u8(unsigned v) { m_bytes.push_back(static_cast<unsigned char>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // A text: u32 length, then its bytes (no terminator).
    void text(const std::string& s) {
        u32(static_cast<std::uint32_t>(s.size()));
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
    }
    void bytes(const std::vector<unsigned char>& b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    void patch32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }
    std::size_t size() const { return m_bytes.size(); }
    std::vector<unsigned char>& data() { return m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
};

// Every read checks the remaining size; after the first short read ok() is false and reads answer 0.
class ByteReader {
public:
    ByteReader(const unsigned char* data, std::size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_size; }
    std::size_t remaining() const { return m_size - m_pos; }
    unsigned u8() { return take(1) ? m_data[m_pos - 1] : 0; }
    unsigned u16() {
        if (!take(2)) return 0;
        return m_data[m_pos - 2] | (m_data[m_pos - 1] << 8);
    }
    std::uint32_t u32() {
        std::uint32_t lo = u16();
        std::uint32_t hi = u16();
        return lo | (hi << 16);
    }
    std::string text() {
        std::uint32_t n = u32();
        if (!take(n)) return {};
        return std::string(reinterpret_cast<const char*>(m_data + m_pos - n), n);
    }
    bool fail() {
        m_ok = false;
        return false;
    }

private:
    bool take(std::size_t n) {
        if (!m_ok || n > m_size - m_pos) return fail();
        m_pos += n;
        return true;
    }
    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace cadhost::res
