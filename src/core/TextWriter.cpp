#include "core/TextWriter.h"

#include "core/Encoding.h"

namespace narv {

void TextWriter::line(std::string_view text)
{
    m_out << utf8ToSingleByte(text) << "\r\n";
}

} // namespace narv
