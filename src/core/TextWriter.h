#pragma once

#include <ostream>
#include <string_view>

namespace narv {

// Writes lines of the program's text files: single-byte text, every line ended by CR LF.
class TextWriter {
public:
    explicit TextWriter(std::ostream& out) : m_out(out) {}

    // text is UTF-8; it is converted to the single-byte set.
    void line(std::string_view text);

private:
    std::ostream& m_out;
};

} // namespace narv
