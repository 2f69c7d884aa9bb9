#pragma once

#include "shell/ProjectChooser.h"
#include "shell/UserDialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace narv::test {

// Answers the shell's questions from queues and records every message: the windows under
// test run without a modal box waiting for a click. An unqueued question is answered No,
// Cancel or nothing.
class RecordingDialogs : public UserDialogs {
public:
    int calls = 0; // every message, question and dialog
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> yesNo;
    std::deque<Answer> yesNoCancel;
    std::deque<std::optional<std::string>> texts;
    std::deque<std::optional<std::filesystem::path>> paths;
    std::vector<FileDialogOptions> fileDialogs;
    std::deque<std::function<bool(ProjectChooser&)>> projectChoices;

    void showMessage(const std::string& text, const std::string&, Icon) override
    {
        ++calls;
        messages.push_back(text);
    }
    bool askYesNo(const std::string& text, const std::string&, Icon) override
    {
        ++calls;
        questions.push_back(text);
        return take(yesNo, false);
    }
    Answer askYesNoCancel(const std::string& text, const std::string&, Icon) override
    {
        ++calls;
        questions.push_back(text);
        return take(yesNoCancel, Answer::Cancel);
    }
    bool askOkCancel(const std::string& text, const std::string&, Icon) override
    {
        ++calls;
        questions.push_back(text);
        return false;
    }
    std::optional<std::string> askText(const std::string&, const std::string& prompt,
                                       const std::string&) override
    {
        ++calls;
        questions.push_back(prompt);
        return take(texts, std::optional<std::string>{});
    }
    std::optional<std::filesystem::path> chooseOpenFile(const FileDialogOptions& options) override
    {
        ++calls;
        fileDialogs.push_back(options);
        return take(paths, std::optional<std::filesystem::path>{});
    }
    std::optional<std::filesystem::path> chooseSaveFile(const FileDialogOptions& options) override
    {
        ++calls;
        fileDialogs.push_back(options);
        return take(paths, std::optional<std::filesystem::path>{});
    }
    std::optional<std::filesystem::path> chooseDirectory(const std::filesystem::path&) override
    {
        ++calls;
        return take(paths, std::optional<std::filesystem::path>{});
    }
    bool chooseProject(ProjectChooser& chooser) override
    {
        ++calls;
        if (projectChoices.empty())
            return false;
        auto choice = std::move(projectChoices.front());
        projectChoices.pop_front();
        return choice(chooser);
    }

private:
    template <class T> static T take(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace narv::test
