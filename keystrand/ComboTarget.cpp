#include "ComboTarget.h"

#include <map>
#include <mutex>

namespace keystrand {

ComboTarget::~ComboTarget() = default;

namespace {
struct Registry {
    std::mutex m;
    std::map<std::int32_t, ComboTarget*> boxes;
    std::int32_t next = 0;
};
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}
}  // namespace

std::int32_t registerCombo(ComboTarget& combo) {
    Registry& r = registry();
    std::lock_guard lock(r.m);
    do {
        r.next = r.next >= 0x7FFFFFF0 ? 1 : r.next + 1;
    } while (r.boxes.count(r.next));
    r.boxes[r.next] = &combo;
    return r.next;
}

void unregisterCombo(std::int32_t handle) noexcept {
    Registry& r = registry();
    std::lock_guard lock(r.m);
    r.boxes.erase(handle);
}

ComboTarget* comboFor(std::int32_t handle) noexcept {
    Registry& r = registry();
    std::lock_guard lock(r.m);
    auto it = r.boxes.find(handle);
    return it == r.boxes.end() ? nullptr : it->second;
}

}  // namespace keystrand
