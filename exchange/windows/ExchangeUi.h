#pragma once
// What the Exchange window's logic asks of the windows, with the window as the owner of its own
// boxes: the network editor's questions and a script's MsgBox and InputBox come up over the
// Exchange window, not over the main window behind it. Everything else goes to the main window's
// sink. Yielding runs this thread's window events (at most every 50 ms), so a session keeps the
// window alive and its Cancel button pressable.

#include "core/UiSink.h"

#include <QElapsedTimer>

class QWidget;

namespace vt::exchange {

class ExchangeUi final : public core::UiSink {
public:
    // With `ownBoxes` false the boxes, too, go to `inner` (tests answer them there).
    ExchangeUi(QWidget* owner, core::UiSink& inner, bool ownBoxes);

    void status(int panel, std::string_view text) override { inner_.status(panel, text); }
    void progress(int value, int max) override { inner_.progress(value, max); }
    void clearProgress() override { inner_.clearProgress(); }
    void yield() override;
    int messageBox(std::string_view text, int style, std::string_view title) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
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
    bool owns() const;
    QWidget* owner_;
    core::UiSink& inner_;
    bool ownBoxes_;
    QElapsedTimer lastYield_;
};

}  // namespace vt::exchange
