#include "Cycles.h"

#include <unordered_map>
#include <vector>

namespace vt::scripting {

using namespace vt::automation;

Traceable::~Traceable() {
    if (tracker_) tracker_->remove(*this);
}

CycleTracker::~CycleTracker() {
    while (head_) remove(*head_);
}

void CycleTracker::add(Traceable& t) noexcept {
    if (t.tracker_) return;
    t.tracker_ = this;
    t.prev_ = nullptr;
    t.next_ = head_;
    if (head_) head_->prev_ = &t;
    head_ = &t;
    ++size_;
}

void CycleTracker::remove(Traceable& t) noexcept {
    if (t.tracker_ != this) return;
    if (t.prev_) t.prev_->next_ = t.next_;
    else head_ = t.next_;
    if (t.next_) t.next_->prev_ = t.prev_;
    t.prev_ = t.next_ = nullptr;
    t.tracker_ = nullptr;
    --size_;
}

namespace {

// Calls `f` for every object in `v`, looking into arrays (iteratively: arrays nest deeply).
template <class F>
void forEachObject(const Variant& v, F&& f) {
    if (v.isObject()) {
        if (Object* o = v.object()) f(o);
        return;
    }
    if (!v.isArray()) return;
    std::vector<const SafeArray*> pending{&v.arrayValue()};
    while (!pending.empty()) {
        const SafeArray* a = pending.back();
        pending.pop_back();
        if (a->holdsBytes()) continue;
        for (const Variant& e : a->elements()) {
            if (e.isObject()) {
                if (Object* o = e.object()) f(o);
            } else if (e.isArray()) {
                pending.push_back(&e.arrayValue());
            }
        }
    }
}

}  // namespace

std::size_t CycleTracker::collect() {
    std::vector<Traceable*> all;
    all.reserve(size_);
    std::unordered_map<const Object*, std::size_t> index;
    for (Traceable* t = head_; t; t = t->next_) {
        index.emplace(&t->self(), all.size());
        all.push_back(t);
    }
    // References from tracked objects to tracked objects; any reference beyond those comes from
    // outside and keeps the object (and what it reaches) alive.
    std::vector<long> inner(all.size(), 0);
    for (Traceable* t : all)
        t->forEachValue([&](const Variant& v) {
            forEachObject(v, [&](Object* o) {
                if (auto it = index.find(o); it != index.end()) ++inner[it->second];
            });
        });
    std::vector<char> alive(all.size(), 0);
    std::vector<std::size_t> work;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i]->self().refCount() > inner[i]) {
            alive[i] = 1;
            work.push_back(i);
        }
    while (!work.empty()) {
        const std::size_t i = work.back();
        work.pop_back();
        all[i]->forEachValue([&](const Variant& v) {
            forEachObject(v, [&](Object* o) {
                if (auto it = index.find(o); it != index.end() && !alive[it->second]) {
                    alive[it->second] = 1;
                    work.push_back(it->second);
                }
            });
        });
    }
    // Hold the garbage while it lets go, so none goes before all have dropped their values.
    std::vector<ObjectRef> garbage;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (!alive[i]) garbage.emplace_back(&all[i]->self());
    for (const ObjectRef& o : garbage) dynamic_cast<Traceable&>(*o).dropValues();
    const std::size_t freed = garbage.size();
    garbage.clear();
    return freed;
}

}  // namespace vt::scripting
