#pragma once
// A combo box Keystrand can fill, without knowing any toolkit: the program adapts its combo
// boxes (qt/QtComboTarget.h), tests use a fake. Clients that can pass only a number register
// the box and pass its handle (0 is no box: every operation on it does nothing).

#include <cstdint>
#include <string>
#include <string_view>

namespace keystrand {

class ComboTarget {
public:
    virtual ~ComboTarget();
    virtual void clear() = 0;
    // Appends an item; returns its index.
    virtual int addItem(std::string_view text) = 0;
    virtual void insertItem(int position, std::string_view text) = 0;
    virtual void removeItem(int position) = 0;
    virtual int count() const = 0;
    // Out of range: "" and -1.
    virtual std::string text(int index) const = 0;
    virtual std::int32_t itemData(int index) const = 0;
    virtual void setItemData(int index, std::int32_t data) = 0;
    virtual int currentIndex() const = 0;   // -1: nothing selected
    virtual void setCurrentIndex(int index) = 0;
    virtual void showList(bool shown) = 0;
    virtual bool isDropped() const = 0;
};

// A handle for the box while it is registered (never 0).
std::int32_t registerCombo(ComboTarget& combo);
void unregisterCombo(std::int32_t handle) noexcept;
// Null for 0 or a handle that is not registered.
ComboTarget* comboFor(std::int32_t handle) noexcept;

// Registers a box for as long as it lives.
class ComboRegistration {
public:
    explicit ComboRegistration(ComboTarget& combo) : handle_(registerCombo(combo)) {}
    ~ComboRegistration() { unregisterCombo(handle_); }
    ComboRegistration(const ComboRegistration&) = delete;
    ComboRegistration& operator=(const ComboRegistration&) = delete;
    std::int32_t handle() const noexcept { return handle_; }

private:
    std::int32_t handle_;
};

}  // namespace keystrand
