#pragma once
// The main window with its boxes and dialogs answered from scripts, for widget tests and the
// screenshot tool. Every call is recorded as a printed line.

#include "tests/support/RecordingUiSink.h"
#include "mainwindow/frmMain.h"

#include <QDialog>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vt::test {

class ScriptedMain : public mainwindow::frmMain {
public:
    using frmMain::frmMain;

    std::vector<std::string> boxes;   // "<style> <title>: <text>"
    std::vector<QWidget*> boxOwners;  // the window each box and input box would belong to
    std::vector<std::string> dialogs;  // "folder ...", "open ...", "help ...", "printer"
    std::deque<int> boxAnswers;        // empty: the first button
    std::deque<std::optional<std::filesystem::path>> folderAnswers;   // empty: cancelled
    std::deque<std::vector<std::filesystem::path>> fileAnswers;       // empty: cancelled
    std::deque<std::optional<std::string>> inputAnswers;              // empty: cancelled
    // Plays the user's part in a dialog of the program ("dialog <name>" is recorded); without it
    // the dialog is closed as by its close box.
    std::function<int(QDialog&)> onDialog;
    struct OpenRequest {
        std::string filter;
        std::filesystem::path folder;
        bool multiSelect = false;
    } lastOpen;
    int messageBox(std::string_view text, int style, std::string_view title) override {
        boxes.push_back(std::to_string(style) + " " + std::string(title) + ": " + std::string(text));
        boxOwners.push_back(boxOwner());
        if (!boxAnswers.empty()) {
            const int answer = boxAnswers.front();
            boxAnswers.pop_front();
            return answer;
        }
        return test::firstButton(style);
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title, std::string_view) override {
        dialogs.push_back("input " + std::string(title) + ": " + std::string(prompt));
        boxOwners.push_back(boxOwner());
        if (inputAnswers.empty()) return std::nullopt;
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
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
                                                 const std::filesystem::path& folder, bool multiSelect) override {
        dialogs.push_back("open " + std::string(title));
        lastOpen = {std::string(filter), folder, multiSelect};
        if (fileAnswers.empty()) return {};
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

protected:
    void showHelpTopic(const std::filesystem::path& page) override {
        dialogs.push_back("help " + page.filename().string());
        if (realHelp) frmMain::showHelpTopic(page);
    }
    bool openInBrowser(const std::filesystem::path& page) override {
        dialogs.push_back("browser " + page.filename().string());
        return hasBrowser;
    }

public:
    // With realHelp the window's own help runs, the desktop answering hasBrowser.
    bool realHelp = false;
    bool hasBrowser = true;
    // The printer setup's answer: a choice, or nothing (cancelled); with realPrinterDialog the
    // window's own dialog comes up (through execDialog, where onDialog plays the user).
    std::optional<PrinterChoice> printerAnswer;
    bool realPrinterDialog = false;
    std::optional<PrinterChoice> showPrinterSetup(const PrinterChoice& current) override {
        dialogs.push_back("printer");
        if (realPrinterDialog) return frmMain::showPrinterSetup(current);
        return printerAnswer;
    }
    // The window's own dialog, shown through execDialog.
    std::optional<PrinterChoice> realPrinterSetup(const PrinterChoice& current) { return frmMain::showPrinterSetup(current); }
    int execDialog(QDialog& dialog) override {
        dialogs.push_back("dialog " + dialog.objectName().toStdString());
        if (onDialog) return onDialog(dialog);
        dialog.reject();
        return QDialog::Rejected;
    }
};

}  // namespace vt::test
