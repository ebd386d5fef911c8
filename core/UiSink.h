#pragma once
// What logic may ask of the windows: status bar, progress, yielding, message and input boxes,
// dialogs, folder refreshes and the History list. The main window implements it; tests record it.
// Logic never blocks on a box when unattended() is true.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::core {

// Message box buttons and icons (added together) and answers, with the values scripts know.
enum : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// One item of the History list, as LogHistory shows a stored row.
struct HistoryItem {
    std::int64_t index = 0;
    std::string type;          // the item's text
    std::string icon;          // "Info", "Warning" or "Error"
    std::string date;          // "m/d/yyyy"
    std::string time;          // "hh:mm:ss AMPM"
    std::string user;
    std::string description;
    bool operator==(const HistoryItem&) const = default;
};

class UiSink {
public:
    virtual ~UiSink() = default;

    // Status-bar panel 1 (messages) or 3 (percentages).
    virtual void status(int panel, std::string_view text) = 0;
    virtual void progress(int value, int max) = 0;
    virtual void clearProgress() = 0;
    // Lets pending window events run; throttled by the window.
    virtual void yield() = 0;

    // Returns the answer (vbOK, vbYes, ...). `style` adds buttons, icon and default button.
    virtual int messageBox(std::string_view text, int style, std::string_view title) = 0;
    // The entered text, or nothing when cancelled.
    virtual std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                                std::string_view defaultText) = 0;
    // The chosen folder, or nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                              const std::filesystem::path& start) = 0;
    // The chosen files (empty when cancelled). `filter` is "Description|*.ext|..." text.
    virtual std::vector<std::filesystem::path> openFiles(std::string_view title, std::string_view filter,
                                                         const std::filesystem::path& folder,
                                                         bool multiSelect) = 0;

    // A folder table changed: reload its list (RefreshBox). `table` is "Inbox", "Sent", ...
    virtual void folderChanged(std::string_view table) = 0;
    // Appends an item to the History list; returns the number of items the list now holds.
    virtual int appendHistoryItem(const HistoryItem& item) = 0;
    // Sets the text of a folder's node in the folder tree.
    virtual void setFolderNodeText(std::string_view table, std::string_view text) = 0;

    // True in runs nobody watches (schedulers, tests): no box may block them.
    virtual bool unattended() const = 0;
};

// A sink that passes everything on to another; those that differ in a few answers override
// just those.
class ForwardingSink : public UiSink {
public:
    explicit ForwardingSink(UiSink& inner) : inner_(inner) {}

    void status(int panel, std::string_view text) override { inner_.status(panel, text); }
    void progress(int value, int max) override { inner_.progress(value, max); }
    void clearProgress() override { inner_.clearProgress(); }
    void yield() override { inner_.yield(); }
    int messageBox(std::string_view text, int style, std::string_view title) override {
        return inner_.messageBox(text, style, title);
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override {
        return inner_.inputBox(prompt, title, defaultText);
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view title,
                                                      const std::filesystem::path& start) override {
        return inner_.chooseFolder(title, start);
    }
    std::vector<std::filesystem::path> openFiles(std::string_view title, std::string_view filter,
                                                 const std::filesystem::path& folder, bool multiSelect) override {
        return inner_.openFiles(title, filter, folder, multiSelect);
    }
    void folderChanged(std::string_view table) override { inner_.folderChanged(table); }
    int appendHistoryItem(const HistoryItem& item) override { return inner_.appendHistoryItem(item); }
    void setFolderNodeText(std::string_view table, std::string_view text) override {
        inner_.setFolderNodeText(table, text);
    }
    bool unattended() const override { return inner_.unattended(); }

protected:
    UiSink& inner_;
};

}  // namespace vt::core
