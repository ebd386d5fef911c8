#pragma once
// A QComboBox as a box Keystrand fills. Texts cross as 1252 bytes; item data is kept under
// Qt::UserRole.

#include "keystrand/ComboTarget.h"

#include <QPointer>

class QComboBox;

namespace keystrand {

class QtComboTarget final : public ComboTarget {
public:
    explicit QtComboTarget(QComboBox* combo) : combo_(combo) {}

    void clear() override;
    int addItem(std::string_view text) override;
    void insertItem(int position, std::string_view text) override;
    void removeItem(int position) override;
    int count() const override;
    std::string text(int index) const override;
    std::int32_t itemData(int index) const override;
    void setItemData(int index, std::int32_t data) override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    void showList(bool shown) override;
    bool isDropped() const override;

private:
    bool valid(int index) const;
    QPointer<QComboBox> combo_;   // a box that went away is no box
};

}  // namespace keystrand
