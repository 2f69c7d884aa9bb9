#include "results/ByteCodec.h"

#include "core/Encoding.h"

#include <fmt/format.h>

#include <bit>

namespace narv::detail {

void ByteWriter::int32(std::int32_t value)
{
    uint32(static_cast<std::uint32_t>(value));
}

void ByteWriter::uint32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        byte(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::real(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        byte(static_cast<std::uint8_t>(bits >> shift));
}

void ByteWriter::shortString(const std::string& utf8)
{
    std::string single = utf8ToSingleByte(utf8);
    if (single.size() > 255)
        single.resize(255);
    byte(static_cast<std::uint8_t>(single.size()));
    m_bytes += single;
}

void ByteWriter::text(const std::string& utf8)
{
    uint32(static_cast<std::uint32_t>(utf8.size()));
    m_bytes += utf8;
}

void ByteReader::fail(const std::string& why) const
{
    throw DecodeError(fmt::format("byte {}: {}", offset(), why));
}

void ByteReader::need(std::size_t count, const char* what)
{
    if (count > remaining())
        fail(fmt::format("{} needs {} bytes, only {} remain", what, count, remaining()));
}

std::uint8_t ByteReader::byte()
{
    need(1, "a byte");
    return static_cast<std::uint8_t>(m_bytes[m_position++]);
}

bool ByteReader::boolean()
{
    const std::uint8_t value = byte();
    if (value > 1)
        fail(fmt::format("a boolean holds {}", value));
    return value == 1;
}

std::uint32_t ByteReader::uint32()
{
    need(4, "an integer");
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(m_bytes[m_position++]))
                 << (8 * i);
    return value;
}

std::int32_t ByteReader::int32()
{
    return static_cast<std::int32_t>(uint32());
}

double ByteReader::real()
{
    need(8, "a real");
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(m_bytes[m_position++]))
                << (8 * i);
    return std::bit_cast<double>(bits);
}

std::string ByteReader::shortString()
{
    const std::size_t length = byte();
    return singleByteToUtf8(raw(length));
}

std::string ByteReader::text()
{
    const std::uint32_t length = uint32();
    return std::string(raw(length));
}

std::string_view ByteReader::raw(std::size_t count)
{
    need(count, "a text");
    const std::string_view part = m_bytes.substr(m_position, count);
    m_position += count;
    return part;
}

std::int32_t ByteReader::count(const char* what, std::int32_t low, std::int32_t high,
                               std::size_t itemBytes)
{
    const std::int32_t value = int32();
    if (value < low || value > high)
        fail(fmt::format("{} {} lies outside {}..{}", what, value, low, high));
    if (value > 0 && static_cast<std::size_t>(value) > remaining() / itemBytes)
        fail(fmt::format("{} {} needs at least {} bytes, only {} remain", what, value,
                         static_cast<std::size_t>(value) * itemBytes, remaining()));
    return value;
}

} // namespace narv::detail
