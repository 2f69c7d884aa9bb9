#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace narv {

class ProjectChooser;

// What a file dialog shows: the filter "description|pattern", the extension added to a name
// typed without one, the start directory and the preset file name.
struct FileDialogOptions {
    std::string filter;
    std::string defaultExtension;
    std::filesystem::path startDirectory;
    std::string fileName;
};

// Everything the shell asks the user goes through this port: the desktop program answers with
// message boxes and file dialogs, tests with a script.
class UserDialogs {
public:
    enum class Icon { Information, Warning, Error };
    enum class Answer { Yes, No, Cancel };

    virtual ~UserDialogs() = default;

    // A message box with OK; an empty caption means the application title.
    virtual void showMessage(const std::string& text, const std::string& caption = {},
                             Icon icon = Icon::Information) = 0;
    virtual bool askYesNo(const std::string& text, const std::string& caption = {},
                          Icon icon = Icon::Warning) = 0;
    virtual Answer askYesNoCancel(const std::string& text, const std::string& caption = {},
                                  Icon icon = Icon::Warning) = 0;
    // OK gives true, Cancel false.
    virtual bool askOkCancel(const std::string& text, const std::string& caption = {},
                             Icon icon = Icon::Warning) = 0;
    // A single-line input dialog; nothing when cancelled.
    virtual std::optional<std::string>
    askText(const std::string& caption, const std::string& prompt, const std::string& initial) = 0;
    virtual std::optional<std::filesystem::path>
    chooseOpenFile(const FileDialogOptions& options) = 0;
    // Several existing files at once; empty when cancelled. One file unless overridden.
    virtual std::vector<std::filesystem::path> chooseOpenFiles(const FileDialogOptions& options)
    {
        std::vector<std::filesystem::path> files;
        if (auto file = chooseOpenFile(options))
            files.push_back(std::move(*file));
        return files;
    }
    // Asks before overwriting an existing file.
    virtual std::optional<std::filesystem::path>
    chooseSaveFile(const FileDialogOptions& options) = 0;
    // A directory chooser that can create directories.
    virtual std::optional<std::filesystem::path>
    chooseDirectory(const std::filesystem::path& start) = 0;

    // The "Choose Project" dialog: the window lets the user select through the chooser; true
    // for "OK".
    virtual bool chooseProject(ProjectChooser& chooser) = 0;

    void showError(const std::string& message) { showMessage(message, {}, Icon::Error); }
};

// Dialogs for a program that runs the windows without a person (screenshots, benchmarks):
// nothing waits for a click; messages go to the stream given, if any, every question is
// answered No or Cancel and every chooser is cancelled.
class SilentDialogs : public UserDialogs {
public:
    explicit SilentDialogs(std::ostream* messages = nullptr) : m_messages(messages) {}

    void showMessage(const std::string& text, const std::string& caption, Icon icon) override;
    bool askYesNo(const std::string&, const std::string&, Icon) override { return false; }
    Answer askYesNoCancel(const std::string&, const std::string&, Icon) override
    {
        return Answer::Cancel;
    }
    bool askOkCancel(const std::string&, const std::string&, Icon) override { return false; }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseOpenFile(const FileDialogOptions&) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseSaveFile(const FileDialogOptions&) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseDirectory(const std::filesystem::path&) override
    {
        return std::nullopt;
    }
    bool chooseProject(ProjectChooser&) override { return false; }

private:
    std::ostream* m_messages;
};

} // namespace narv
