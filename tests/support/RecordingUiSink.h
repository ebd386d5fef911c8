#pragma once
// A UiSink for tests: records every call as a printed line, answers boxes and dialogs from
// scripts, and keeps the History list and node texts as the main window would.

#include "core/UiSink.h"

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::test {

// The answer of a box's first button: what a user who just presses Enter gives.
inline int firstButton(int style) {
    switch (style & 7) {
    case core::vbOKCancel: return core::vbOK;
    case core::vbAbortRetryIgnore: return core::vbAbort;
    case core::vbYesNoCancel:
    case core::vbYesNo: return core::vbYes;
    case core::vbRetryCancel: return core::vbRetry;
    default: return core::vbOK;
    }
}

class RecordingUiSink : public core::UiSink {
public:
    // Printed calls, e.g. "status 1: text", "box 16 Veltrane: text", "refresh Sent",
    // "history Info: text", "node History: History (1)". Progress and yields are counted instead.
    std::vector<std::string> events;

    // Answers, taken in order; an empty script answers a box with its first button, an input
    // box with cancel, a dialog with cancel.
    std::deque<int> boxAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::filesystem::path>> folderAnswers;
    std::deque<std::vector<std::filesystem::path>> fileAnswers;

    bool isUnattended = false;

    std::string panels[4];
    int progressValue = 0, progressMax = 0, yields = 0;
    std::vector<core::HistoryItem> history;   // items appended to the History list
    int historyItemsBefore = 0;               // items the list held before the test
    std::map<std::string, std::string, std::less<>> nodeTexts;
    std::vector<std::string> refreshed;       // tables in the order of their refresh requests

    void status(int panel, std::string_view text) override {
        if (panel >= 0 && panel < 4) panels[panel] = std::string(text);
        events.push_back("status " + std::to_string(panel) + ": " + std::string(text));
    }
    void progress(int value, int max) override {
        progressValue = value;
        progressMax = max;
    }
    void clearProgress() override { progressValue = progressMax = 0; }
    void yield() override { ++yields; }

    int messageBox(std::string_view text, int style, std::string_view title) override {
        events.push_back("box " + std::to_string(style) + " " + std::string(title) + ": " + std::string(text));
        if (!boxAnswers.empty()) {
            const int answer = boxAnswers.front();
            boxAnswers.pop_front();
            return answer;
        }
        return firstButton(style);
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override {
        events.push_back("input " + std::string(title) + ": " + std::string(prompt) + " [" +
                         std::string(defaultText) + "]");
        return take(inputAnswers);
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                      const std::filesystem::path& start) override {
        events.push_back("folder " + std::string(title) + ": " + start.string());
        return take(folderAnswers);
    }
    std::vector<std::filesystem::path> openFiles(std::string_view title, std::string_view filter,
                                                 const std::filesystem::path& folder, bool multiSelect) override {
        events.push_back("open " + std::string(title) + ": " + folder.string() + " [" + std::string(filter) + "]" +
                         (multiSelect ? " multi" : ""));
        if (fileAnswers.empty()) return {};
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    void folderChanged(std::string_view table) override {
        refreshed.emplace_back(table);
        events.push_back("refresh " + std::string(table));
    }
    int appendHistoryItem(const core::HistoryItem& item) override {
        history.push_back(item);
        events.push_back("history " + item.type + ": " + item.description);
        return historyItemsBefore + int(history.size());
    }
    void setFolderNodeText(std::string_view table, std::string_view text) override {
        nodeTexts[std::string(table)] = std::string(text);
        events.push_back("node " + std::string(table) + ": " + std::string(text));
    }
    bool unattended() const override { return isUnattended; }

    // Events whose printed line starts with `prefix` ("box", "status 1", ...).
    std::vector<std::string> eventsStartingWith(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (std::string_view(e).substr(0, prefix.size()) == prefix) out.push_back(e);
        return out;
    }

private:
    template <class T>
    static std::optional<T> take(std::deque<std::optional<T>>& script) {
        if (script.empty()) return std::nullopt;
        auto answer = script.front();
        script.pop_front();
        return answer;
    }
};

}  // namespace vt::test
