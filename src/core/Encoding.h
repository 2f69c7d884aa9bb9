#pragma once

#include <string>
#include <string_view>

namespace narv {

// Files are single-byte text in Windows-1252; inside the program text is UTF-8.
std::string singleByteToUtf8(std::string_view bytes);

// Characters without a single-byte code become "?"; malformed UTF-8 bytes are taken as
// single-byte characters, so text that is already single-byte passes through unchanged.
std::string utf8ToSingleByte(std::string_view text);

} // namespace narv
