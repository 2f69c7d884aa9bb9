#pragma once

#include "shell/ProjectChooser.h"
#include "shell/UserDialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace narv::test {

// Records every message and question and answers from queues filled by the test; a question
// without a queued answer fails the test and is answered with Cancel.
class ScriptedDialogs : public UserDialogs {
public:
    struct Shown {
        std::string kind; // "message", "yesno", "yesnocancel", "okcancel", "text", "open", "save",
                          // "directory", "project"
        std::string text;
        std::string caption;
    };

    std::vector<Shown> shown;
    std::deque<bool> yesNo;
    std::deque<Answer> yesNoCancel;
    std::deque<bool> okCancel;
    std::deque<std::optional<std::string>> texts;
    std::deque<std::optional<std::filesystem::path>> paths;
    std::vector<FileDialogOptions> fileDialogs;
    // Each entry selects in the "Choose Project" dialog and answers OK (true) or Cancel.
    std::deque<std::function<bool(ProjectChooser&)>> projectChoices;

    std::vector<std::string> messages() const
    {
        std::vector<std::string> result;
        for (const Shown& s : shown)
            if (s.kind == "message")
                result.push_back(s.text);
        return result;
    }

    void showMessage(const std::string& text, const std::string& caption, Icon) override
    {
        shown.push_back({"message", text, caption});
    }
    bool askYesNo(const std::string& text, const std::string& caption, Icon) override
    {
        shown.push_back({"yesno", text, caption});
        return take(yesNo, false, text);
    }
    Answer askYesNoCancel(const std::string& text, const std::string& caption, Icon) override
    {
        shown.push_back({"yesnocancel", text, caption});
        return take(yesNoCancel, Answer::Cancel, text);
    }
    bool askOkCancel(const std::string& text, const std::string& caption, Icon) override
    {
        shown.push_back({"okcancel", text, caption});
        return take(okCancel, false, text);
    }
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override
    {
        shown.push_back({"text", prompt + "|" + initial, caption});
        return take(texts, std::optional<std::string>{}, prompt);
    }
    std::optional<std::filesystem::path> chooseOpenFile(const FileDialogOptions& options) override
    {
        shown.push_back({"open", options.filter, {}});
        fileDialogs.push_back(options);
        return take(paths, std::optional<std::filesystem::path>{}, options.filter);
    }
    std::optional<std::filesystem::path> chooseSaveFile(const FileDialogOptions& options) override
    {
        shown.push_back({"save", options.filter, {}});
        fileDialogs.push_back(options);
        return take(paths, std::optional<std::filesystem::path>{}, options.filter);
    }
    std::optional<std::filesystem::path>
    chooseDirectory(const std::filesystem::path& start) override
    {
        shown.push_back({"directory", start.string(), {}});
        return take(paths, std::optional<std::filesystem::path>{}, start.string());
    }

    bool chooseProject(ProjectChooser& chooser) override
    {
        shown.push_back({"project", {}, "Choose Project"});
        const auto choose = take(projectChoices, std::function<bool(ProjectChooser&)>{}, "project");
        return choose && choose(chooser);
    }

private:
    template <class T> static T take(std::deque<T>& queue, T cancel, const std::string& question)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "unexpected question: " << question;
            return cancel;
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

} // namespace narv::test
