#pragma once
// Reference cycles among script objects. Reference counting alone never frees a class instance
// that holds itself or a dictionary that holds itself; a CycleTracker knows the objects of one
// script engine that can hold references, and collect() frees those that only such cycles keep
// alive, leaving every object something outside still references (the host, a variable) whole.

#include "platform/automation/Object.h"

#include <functional>

namespace vt::scripting {

class CycleTracker;

// An object that holds references to others. Derived classes also derive from
// automation::Object and pass themselves as `self`.
class Traceable {
public:
    explicit Traceable(automation::Object& self) noexcept : self_(self) {}
    Traceable(const Traceable&) = delete;
    Traceable& operator=(const Traceable&) = delete;
    virtual ~Traceable();

    // Every value the object holds (arrays are looked into by the caller).
    virtual void forEachValue(const std::function<void(const automation::Variant&)>& visit) const = 0;
    // Lets go of everything it holds.
    virtual void dropValues() noexcept = 0;

    automation::Object& self() const noexcept { return self_; }

private:
    friend class CycleTracker;
    automation::Object& self_;
    CycleTracker* tracker_ = nullptr;
    Traceable* prev_ = nullptr;
    Traceable* next_ = nullptr;
};

class CycleTracker {
public:
    CycleTracker() = default;
    CycleTracker(const CycleTracker&) = delete;
    CycleTracker& operator=(const CycleTracker&) = delete;
    ~CycleTracker();   // objects still alive are let go of, untouched

    // Starts tracking `t` until it is destroyed (no-op when another tracker has it).
    void add(Traceable& t) noexcept;
    void remove(Traceable& t) noexcept;
    std::size_t size() const noexcept { return size_; }

    // Frees the tracked objects that nothing outside them references any more, by making them
    // drop what they hold. Returns how many were freed.
    std::size_t collect();

private:
    Traceable* head_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace vt::scripting
