#pragma once

#include "shell/UserDialogs.h"

#include <QtCore/QString>

class QWidget;

namespace narv {

// The shell's questions as Qt message boxes, input dialogs and file dialogs. The file dialogs
// are Qt's own (not the platform's), so that they look and behave alike everywhere and
// accessibility clients find their controls.
class QtUserDialogs : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* parent) : m_parent(parent) {}

    void showMessage(const std::string& text, const std::string& caption, Icon icon) override;
    bool askYesNo(const std::string& text, const std::string& caption, Icon icon) override;
    Answer askYesNoCancel(const std::string& text, const std::string& caption, Icon icon) override;
    bool askOkCancel(const std::string& text, const std::string& caption, Icon icon) override;
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
    std::optional<std::filesystem::path> chooseOpenFile(const FileDialogOptions& options) override;
    std::vector<std::filesystem::path> chooseOpenFiles(const FileDialogOptions& options) override;
    std::optional<std::filesystem::path> chooseSaveFile(const FileDialogOptions& options) override;
    std::optional<std::filesystem::path>
    chooseDirectory(const std::filesystem::path& start) override;
    bool chooseProject(ProjectChooser& chooser) override;

    QWidget* parent() const { return m_parent; }

private:
    QWidget* m_parent;
};

// A filter "Model files (*.mod)|*.MOD" as a Qt name filter that matches the pattern in any case;
// several "description|pattern" pairs in a row give one Qt filter each.
QString QtNameFilter(const std::string& filter);

} // namespace narv
