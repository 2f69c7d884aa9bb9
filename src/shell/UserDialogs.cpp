#include "shell/UserDialogs.h"

#include <ostream>

namespace narv {

void SilentDialogs::showMessage(const std::string& text, const std::string&, Icon)
{
    if (m_messages)
        *m_messages << "message: " << text << '\n';
}

} // namespace narv
