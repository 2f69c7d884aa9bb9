#include "core/TextReader.h"

#include "core/Encoding.h"
#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"

#include <fmt/format.h>

namespace narv {

TextReader::TextReader(std::string content, std::string sourceName)
    : m_content(std::move(content)), m_sourceName(std::move(sourceName))
{
    // A lone CR (files of old Mac editors) ends a line like LF; CR LF stays one line end.
    for (std::size_t i = 0; i < m_content.size(); ++i)
        if (m_content[i] == '\r' && (i + 1 == m_content.size() || m_content[i + 1] != '\n'))
            m_content[i] = '\n';
}

std::string TextReader::located(std::string_view message) const
{
    return fmt::format("{}, line {}: {}", m_sourceName, m_line, message);
}

void TextReader::throwEndOfFile() const
{
    throw IoError(located("unexpected end of file; the file is incomplete."));
}

std::string TextReader::readLine()
{
    if (atEnd())
        throwEndOfFile();
    const std::size_t end = m_content.find('\n', m_pos);
    std::size_t stop = end == std::string::npos ? m_content.size() : end;
    std::size_t textEnd = stop;
    if (textEnd > m_pos && m_content[textEnd - 1] == '\r')
        --textEnd;
    std::string line = singleByteToUtf8(std::string_view(m_content).substr(m_pos, textEnd - m_pos));
    m_pos = end == std::string::npos ? m_content.size() : end + 1;
    if (end != std::string::npos)
        ++m_line;
    return line;
}

void TextReader::skipLine()
{
    if (!atEnd())
        readLine();
}

bool TextReader::onlyBlanksRemain() const
{
    return m_content.find_first_not_of(" \t\r\n", m_pos) == std::string::npos;
}

int TextReader::tokensLeftOnLine() const
{
    int count = 0;
    bool inToken = false;
    for (std::size_t i = m_pos; i < m_content.size() && m_content[i] != '\n'; ++i) {
        const char c = m_content[i];
        const bool blank = c == ' ' || c == '\t' || c == '\r';
        if (!blank && !inToken)
            ++count;
        inToken = !blank;
    }
    return count;
}

void TextReader::skipBlanksAndLineEnds()
{
    while (m_pos < m_content.size()) {
        const char c = m_content[m_pos];
        if (c == '\n')
            ++m_line;
        else if (c != ' ' && c != '\t' && c != '\r')
            break;
        ++m_pos;
    }
}

std::string_view TextReader::readToken()
{
    skipBlanksAndLineEnds();
    if (atEnd())
        throwEndOfFile();
    const std::size_t start = m_pos;
    while (m_pos < m_content.size()) {
        const char c = m_content[m_pos];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            break;
        ++m_pos;
    }
    return std::string_view(m_content).substr(start, m_pos - start);
}

int TextReader::readInt()
{
    const std::string_view token = readToken();
    int value = 0;
    if (!parseInteger(token, value))
        throw NumericFormatError(located(
            fmt::format("\"{}\" is not a valid integer.", EchoText(singleByteToUtf8(token)))));
    return value;
}

double TextReader::readConcentration(std::string_view what)
{
    const double value = readReal();
    if (value < -kConcentrationRounding)
        throw RangeError(located(
            fmt::format("the concentration of {} is {}; a concentration cannot be negative.", what,
                        formatShortest(value))));
    if (value > kMaxConcentration)
        throw RangeError(
            located(fmt::format("the concentration of {} is {}; it must not exceed {}.", what,
                                formatShortest(value), formatLimit(kMaxConcentration))));
    return value;
}

int TextReader::readInt(int low, int high, std::string_view what)
{
    const int value = readInt();
    if (value < low || value > high)
        throw RangeError(located(
            fmt::format("{} is {}; it must lie between {} and {}.", what, value, low, high)));
    return value;
}

double TextReader::readReal()
{
    const std::string_view token = readToken();
    double value = 0.0;
    if (!parseReal(token, value))
        throw NumericFormatError(located(
            fmt::format("\"{}\" is not a valid number.", EchoText(singleByteToUtf8(token)))));
    return value;
}

double TextReader::readReal(double low, double high, std::string_view what)
{
    const double value = readReal();
    if (!(value >= low && value <= high))
        throw RangeError(
            located(fmt::format("{} is {}; it must lie between {} and {}.", what,
                                formatShortest(value), formatLimit(low), formatLimit(high))));
    return value;
}

} // namespace narv
