#pragma once
// The Properties dialog: the selected transaction set's folder row, the interchange (ISA) and
// functional group (GS) headers it arrived in, and its partner's separators. Read-only; OK and
// Cancel both just close it.

#include "core/Services.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace vt::mainwindow {

class frmProperties : public QDialog {
    Q_OBJECT
public:
    // `image` gives the folder lists' image of a key ("Closed", "Yes", ...), null for none.
    using ImageProvider = std::function<QIcon(std::string_view key)>;
    frmProperties(const core::Services& services, ImageProvider image, QWidget* parent = nullptr);

    // Clears the window and brings the General tab to the front; for a transaction-set folder
    // ("Inbox", "Outbox", "Sent", "Recycled") fills it from the row `current` of that folder.
    // Any other table leaves only the captions.
    void Form_Load(std::string_view table, std::optional<std::int64_t> current);

    // A shown value by its label name and element ("lblSize", 1; "lblSegment", 3), or the text
    // of txtPartner for "txtPartner".
    std::string value(std::string_view name, int element = 1) const;
    // The key of the image shown in picStatus or picAcknowledged ("" for none).
    std::string picture(std::string_view name) const;
    QTabWidget* tabs() const { return sstProperties_; }

private:
    void ShowInterchangeProperties(std::string_view table, std::optional<std::int64_t> current);
    void clearValues();
    void setValue(std::string_view name, int element, std::string_view text);
    void setPicture(QLabel* picture, std::string_view key);
    QLabel* label(std::string_view name, int element) const;
    QWidget* buildGeneral();
    QWidget* buildHeaderTab(const char* frameCaption, const char* prefix, int count, const char* const* descriptions);

    const core::Services& services_;
    ImageProvider image_;
    QTabWidget* sstProperties_ = nullptr;
    QLineEdit* txtPartner_ = nullptr;
    QLabel* picStatus_ = nullptr;
    QLabel* picAcknowledged_ = nullptr;
};

}  // namespace vt::mainwindow
