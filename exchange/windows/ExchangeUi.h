#pragma once
// What the Exchange window's logic asks of the windows: everything goes to the main window's sink
// (whose boxes belong to the window in front, so the network editor's questions and a script's
// MsgBox come up over the Exchange window) except yielding, which runs this thread's window events
// at most every 50 ms, so a session keeps the window alive and its Cancel button pressable.

#include "core/UiSink.h"

#include <QElapsedTimer>

namespace vt::exchange {

class ExchangeUi final : public core::UiSink {
public:
    explicit ExchangeUi(core::UiSink& inner);

    void status(int panel, std::string_view text) override { inner_.status(panel, text); }
    void progress(int value, int max) override { inner_.progress(value, max); }
    void clearProgress() override { inner_.clearProgress(); }
    void yield() override;
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
    int appendHistoryItem(const core::HistoryItem& item) override { return inner_.appendHistoryItem(item); }
    void setFolderNodeText(std::string_view table, std::string_view text) override {
        inner_.setFolderNodeText(table, text);
    }
    bool unattended() const override { return inner_.unattended(); }

private:
    core::UiSink& inner_;
    QElapsedTimer lastYield_;
};

}  // namespace vt::exchange
