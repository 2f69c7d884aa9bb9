#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace narv::detail {

// A byte stream that does not decode; what() says where and why. Readers turn it into an
// InvalidFileError naming the file.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian fields appended to a byte string.
class ByteWriter {
public:
    void byte(std::uint8_t value) { m_bytes += static_cast<char>(value); }
    void boolean(bool value) { byte(value ? 1 : 0); }
    void int32(std::int32_t value);
    void uint32(std::uint32_t value);
    void real(double value); // the 8 bytes of the IEEE double, so every value reads back exactly
    // Length byte and at most 255 single-byte characters.
    void shortString(const std::string& utf8);
    // uint32 length and the UTF-8 bytes, any length.
    void text(const std::string& utf8);
    void raw(std::string_view bytes) { m_bytes.append(bytes); }

    const std::string& bytes() const { return m_bytes; }
    std::string take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

// Reads the fields of ByteWriter; every length and count is checked against the bytes that
// remain, so a damaged stream fails before anything large is allocated.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes, std::size_t offset = 0)
        : m_bytes(bytes), m_offset(offset)
    {
    }

    std::uint8_t byte();
    bool boolean(); // 0 or 1; any other byte is damage
    std::int32_t int32();
    std::uint32_t uint32();
    double real();
    std::string shortString();
    std::string text();
    std::string_view raw(std::size_t count);
    // A count read as int32 that must lie in low..high and leave itemBytes for each item.
    std::int32_t count(const char* what, std::int32_t low, std::int32_t high,
                       std::size_t itemBytes);

    std::size_t remaining() const { return m_bytes.size() - m_position; }
    bool atEnd() const { return m_position == m_bytes.size(); }
    // Offset of the next byte in the whole file, for messages.
    std::size_t offset() const { return m_offset + m_position; }
    [[noreturn]] void fail(const std::string& why) const;

private:
    void need(std::size_t count, const char* what);

    std::string_view m_bytes;
    std::size_t m_offset = 0;
    std::size_t m_position = 0;
};

} // namespace narv::detail
