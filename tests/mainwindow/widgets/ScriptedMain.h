#pragma once
// The main window with its boxes and dialogs answered from scripts, for widget tests and the
// screenshot tool. Every call is recorded as a printed line.

#include "mainwindow/frmMain.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vt::test {

class ScriptedMain : public mainwindow::frmMain {
public:
    using frmMain::frmMain;

    std::vector<std::string> boxes;   // "<style> <title>: <text>"
    std::vector<std::string> dialogs;  // "folder ...", "open ...", "help ...", "printer"
    std::deque<int> boxAnswers;        // empty: the first button
    std::deque<std::optional<std::filesystem::path>> folderAnswers;   // empty: cancelled
    std::deque<std::vector<std::filesystem::path>> fileAnswers;       // empty: cancelled

    int messageBox(std::string_view text, int style, std::string_view title) override {
        boxes.push_back(std::to_string(style) + " " + std::string(title) + ": " + std::string(text));
        if (!boxAnswers.empty()) {
            const int answer = boxAnswers.front();
            boxAnswers.pop_front();
            return answer;
        }
        switch (style & 7) {
        case core::vbOKCancel: return core::vbOK;
        case core::vbAbortRetryIgnore: return core::vbAbort;
        case core::vbYesNoCancel:
        case core::vbYesNo: return core::vbYes;
        case core::vbRetryCancel: return core::vbRetry;
        default: return core::vbOK;
        }
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title, std::string_view) override {
        dialogs.push_back("input " + std::string(title) + ": " + std::string(prompt));
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                      const std::filesystem::path& start) override {
        dialogs.push_back("folder " + std::string(title) + ": " + start.string());
        if (folderAnswers.empty()) return std::nullopt;
        auto answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    std::vector<std::filesystem::path> openFiles(std::string_view title, std::string_view filter,
                                                 const std::filesystem::path&, bool) override {
        dialogs.push_back("open " + std::string(title));
        if (fileAnswers.empty()) return {};
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

protected:
    void showHelpTopic(const std::filesystem::path& page) override {
        dialogs.push_back("help " + page.filename().string());
    }
    void showPrinterSetup() override { dialogs.push_back("printer"); }
};

}  // namespace vt::test
