#include "apiComboMethods.h"

namespace keystrand {

using namespace vt::automation;

void apiComboMethods::showList() {
    if (combo_) combo_->showList(true);
}
void apiComboMethods::hideList() {
    if (combo_) combo_->showList(false);
}
void apiComboMethods::addItem(std::string_view description, std::int32_t data) {
    if (!combo_) return;
    combo_->setItemData(combo_->addItem(description), data);
}
std::int32_t apiComboMethods::itemData(std::int32_t item) const { return combo_ ? combo_->itemData(item) : 0; }
std::int32_t apiComboMethods::selectedItemData() const { return itemData(selectedItemIndex()); }
std::int32_t apiComboMethods::count() const { return combo_ ? combo_->count() : 0; }
std::string apiComboMethods::text(std::int32_t item) const { return combo_ ? combo_->text(item) : std::string(); }
void apiComboMethods::clearAll() {
    if (combo_) combo_->clear();
}
void apiComboMethods::fill(const std::vector<std::string>& texts) {
    clearAll();
    for (const std::string& t : texts) addItem(t, count());
}
void apiComboMethods::insertItem(std::int32_t position, std::string_view description) {
    if (combo_) combo_->insertItem(position, description);
}
void apiComboMethods::deleteItem(std::int32_t position) {
    if (combo_) combo_->removeItem(position);
}
bool apiComboMethods::isDropped() const { return combo_ && combo_->isDropped(); }
std::int32_t apiComboMethods::selectedItemIndex() const { return combo_ ? combo_->currentIndex() : 0; }
std::int32_t apiComboMethods::selectedItemText() const {
    if (!combo_) return 0;
    return toInt32(Variant(text(selectedItemIndex())));
}
void apiComboMethods::selectItem(std::int32_t index) {
    if (combo_) combo_->setCurrentIndex(index);
}

const Members<apiComboMethods>& apiComboMethods::members() {
    static const Members<apiComboMethods> m = [] {
        using C = apiComboMethods;
        Members<C> t("apiComboMethods");
        t.method("ShowList", {}, [](C& c, Args&) { c.showList(); return Variant(); })
            .method("HideList", {}, [](C& c, Args&) { c.hideList(); return Variant(); })
            .method("Additem", {2, 2}, [](C& c, Args& a) { c.addItem(a.string(0), a.int32(1)); return Variant(); })
            .method("ItemData", {1, 1}, [](C& c, Args& a) { return Variant(c.itemData(a.int32(0))); })
            .method("SelectedItemData", {}, [](C& c, Args&) { return Variant(c.selectedItemData()); })
            .method("Count", {}, [](C& c, Args&) { return Variant(c.count()); })
            .method("Text", {1, 1}, [](C& c, Args& a) { return Variant(c.text(a.int32(0))); })
            .method("ClearAll", {}, [](C& c, Args&) { c.clearAll(); return Variant(); })
            .method("InsertItem", {2, 2}, [](C& c, Args& a) { c.insertItem(a.int32(0), a.string(1)); return Variant(); })
            .method("DeleteItem", {1, 1}, [](C& c, Args& a) { c.deleteItem(a.int32(0)); return Variant(); })
            .method("isDropped", {}, [](C& c, Args&) { return Variant(c.isDropped()); })
            .method("selectedItemIndex", {}, [](C& c, Args&) { return Variant(c.selectedItemIndex()); })
            .method("selectedItemText", {}, [](C& c, Args&) { return Variant(c.selectedItemText()); })
            .method("selectItem", {1, 1}, [](C& c, Args& a) { c.selectItem(a.int32(0)); return Variant(); });
        return t;
    }();
    return m;
}

}  // namespace keystrand
