#include "shell/EventLog.h"

#include "core/AtomicFile.h"
#include "core/Encoding.h"
#include "core/Error.h"

#include <ostream>

namespace narv {

bool EventLog::write() const
{
    try {
        writeFileAtomically(m_file, [this](std::ostream& out) {
            for (const std::string& line : m_lines)
                out << utf8ToSingleByte(line) << "\r\n";
        });
        return true;
    } catch (const Error&) {
        return false;
    }
}

} // namespace narv
