#pragma once

#include <string>
#include <string_view>

namespace narv {

// Reads the line-oriented text files of the program: numbers are blank-separated tokens
// that may continue over line ends, the rest of a line after its last number is skipped
// unread, and text lines are read whole. Accepts CR LF, LF and a lone CR as line ends.
// Errors name the source and the line, and repeat at most 80 characters of what they quote.
class TextReader {
public:
    // content holds the file's single-byte text; sourceName is used in messages.
    TextReader(std::string content, std::string sourceName);

    // The rest of the current line as UTF-8, without its line end; then moves to the next line.
    std::string readLine();
    // Skips the rest of the current line; at the end of the file it does nothing.
    void skipLine();

    int readInt();
    double readReal();
    // A real that must lie in low..high; what names it in the message ("the influent flow").
    double readReal(double low, double high, std::string_view what);
    // A concentration: not negative beyond rounding, not above kMaxConcentration; what names
    // it in the message ("\"S_NH\" in compartment 2").
    double readConcentration(std::string_view what);
    // An integer that must lie in low..high.
    int readInt(int low, int high, std::string_view what);
    // The next blank-separated token, raw; throws at the end of the file.
    std::string_view readToken();

    // The number of blank-separated tokens from the current position to the end of the line.
    int tokensLeftOnLine() const;

    bool atEnd() const { return m_pos >= m_content.size(); }
    // True when only blanks and line ends remain.
    bool onlyBlanksRemain() const;
    int lineNumber() const { return m_line; }
    const std::string& sourceName() const { return m_sourceName; }

    // An error message located at the current line.
    std::string located(std::string_view message) const;

private:
    [[noreturn]] void throwEndOfFile() const;
    void skipBlanksAndLineEnds();

    std::string m_content;
    std::string m_sourceName;
    std::size_t m_pos = 0;
    int m_line = 1;
};

} // namespace narv
