#include "QtComboTarget.h"

#include "platform/text/AnsiQt.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace keystrand {

bool QtComboTarget::valid(int index) const { return combo_ && index >= 0 && index < combo_->count(); }

void QtComboTarget::clear() {
    if (combo_) combo_->clear();
}

// A QComboBox selects the first item put into an empty box; adding selects nothing here, so
// a freshly filled list shows no choice until one is made.
int QtComboTarget::addItem(std::string_view text) {
    if (!combo_) return -1;
    const int selected = combo_->currentIndex();
    combo_->addItem(vt::text::fromAnsi(text));
    if (selected < 0) combo_->setCurrentIndex(-1);
    return combo_->count() - 1;
}

void QtComboTarget::insertItem(int position, std::string_view text) {
    if (!combo_) return;
    const int selected = combo_->currentIndex();
    combo_->insertItem(position, vt::text::fromAnsi(text));
    if (selected < 0) combo_->setCurrentIndex(-1);
}

void QtComboTarget::removeItem(int position) {
    if (valid(position)) combo_->removeItem(position);
}

int QtComboTarget::count() const { return combo_ ? combo_->count() : 0; }

std::string QtComboTarget::text(int index) const {
    return valid(index) ? vt::text::toAnsi(combo_->itemText(index)) : std::string();
}

std::int32_t QtComboTarget::itemData(int index) const {
    return valid(index) ? combo_->itemData(index, Qt::UserRole).toInt() : -1;
}

void QtComboTarget::setItemData(int index, std::int32_t data) {
    if (valid(index)) combo_->setItemData(index, data, Qt::UserRole);
}

int QtComboTarget::currentIndex() const { return combo_ ? combo_->currentIndex() : -1; }

void QtComboTarget::setCurrentIndex(int index) {
    if (combo_) combo_->setCurrentIndex(valid(index) ? index : -1);
}

void QtComboTarget::showList(bool shown) {
    if (!combo_) return;
    if (shown) combo_->showPopup();
    else combo_->hidePopup();
}

bool QtComboTarget::isDropped() const { return combo_ && combo_->view() && combo_->view()->isVisible(); }

}  // namespace keystrand
