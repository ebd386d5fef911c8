#pragma once
// A combo box in memory for the Keystrand tests.

#include "keystrand/ComboTarget.h"

#include <string>
#include <vector>

namespace keystrand::test {

class FakeCombo final : public ComboTarget {
public:
    struct Item {
        std::string text;
        std::int32_t data = 0;
    };
    std::vector<Item> items;
    int current = -1;
    bool dropped = false;

    void clear() override {
        items.clear();
        current = -1;
    }
    int addItem(std::string_view text) override {
        items.push_back({std::string(text), 0});
        return int(items.size()) - 1;
    }
    void insertItem(int position, std::string_view text) override {
        if (position < 0 || position > int(items.size())) position = int(items.size());
        items.insert(items.begin() + position, {std::string(text), 0});
    }
    void removeItem(int position) override {
        if (valid(position)) items.erase(items.begin() + position);
    }
    int count() const override { return int(items.size()); }
    std::string text(int index) const override { return valid(index) ? items[std::size_t(index)].text : std::string(); }
    std::int32_t itemData(int index) const override { return valid(index) ? items[std::size_t(index)].data : -1; }
    void setItemData(int index, std::int32_t data) override {
        if (valid(index)) items[std::size_t(index)].data = data;
    }
    int currentIndex() const override { return current; }
    void setCurrentIndex(int index) override { current = valid(index) ? index : -1; }
    void showList(bool shown) override { dropped = shown; }
    bool isDropped() const override { return dropped; }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& i : items) t.push_back(i.text);
        return t;
    }

private:
    bool valid(int i) const { return i >= 0 && i < int(items.size()); }
};

}  // namespace keystrand::test
