#pragma once

#include "shell/UserDialogs.h"

#include <QtWidgets/QLineEdit>

#include <string>

namespace narv {

// Takes over what was typed into a dialog's field as leaving the field does: the core's entry
// decides, its message is shown, the field shows the accepted or restored text, and a refusal
// that asks for it gets the focus back. `checking` keeps the message box's own focus change from
// checking the field a second time. Returns whether the text was accepted (or nothing was typed).
template <typename Enter>
bool LeaveTypedField(QLineEdit* edit, bool& checking, UserDialogs& dialogs, Enter&& enter)
{
    if (edit == nullptr || checking || !edit->isModified())
        return true;
    checking = true;
    const auto entry = enter(edit->text().toStdString());
    if (!entry.message.empty())
        dialogs.showMessage(entry.message);
    edit->setText(QString::fromStdString(entry.text));
    edit->setModified(false);
    if (!entry.accepted && entry.returnFocus)
        edit->setFocus();
    checking = false;
    return entry.accepted;
}

} // namespace narv
