#pragma once
// Late-bound objects: members invoked by name (case-insensitive) as a method or a property get,
// let or set; the default member is the empty name; arguments are by-reference slots (the
// callee may assign through them); errors are C++ exceptions carrying a COM-style number,
// source and description. Members<T> and Dispatch<T> make exposing a C++ class short.

#include "Variant.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vt::automation {

// ---- Errors ----

// Run-time error numbers used across the runtime (VBScript / COM numbering).
namespace err {
inline constexpr std::int32_t InvalidCall = 5;             // Invalid procedure call or argument
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t ArrayLocked = 10;            // This array is fixed or temporarily locked
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t OutOfStringSpace = 14;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t InputPastEndOfFile = 62;
inline constexpr std::int32_t ObjectNotSet = 91;           // Object variable not set
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t ObjectRequired = 424;
inline constexpr std::int32_t CannotCreateObject = 429;    // ActiveX component can't create object
inline constexpr std::int32_t NoSuchMember = 438;          // Object doesn't support this property or method
inline constexpr std::int32_t WrongArgumentCount = 450;    // Wrong number of arguments or invalid property assignment
inline constexpr std::int32_t NotACollection = 451;        // Object not a collection
}  // namespace err

// The standard English text of a run-time error number ("" when the number has none here).
std::string_view standardErrorText(std::int32_t number);

class Error : public std::exception {
public:
    // An empty description takes the standard text of the number.
    Error(std::int32_t number, std::string source = {}, std::string description = {});
    ~Error() override;
    const char* what() const noexcept override;

    std::int32_t number = 0;
    std::string source;
    std::string description;
    // Where the object's help explains the error; a script's Err shows them.
    std::string helpFile;
    std::int32_t helpContext = 0;
};

// Throws Error(number, source, standard text or `description`).
[[noreturn]] void raise(std::int32_t number, std::string_view source = {}, std::string_view description = {});

// ---- Invocation ----

// How a member is invoked; the values are those of COM's DISPATCH_ flags. A caller that cannot
// tell a method call from a property read (x = obj.Name(1)) passes Method | PropertyGet.
enum class InvokeKind : unsigned {
    Method = 1,
    PropertyGet = 2,
    PropertyLet = 4,
    PropertySet = 8,
};
constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) noexcept {
    return InvokeKind(unsigned(a) | unsigned(b));
}
constexpr bool hasKind(InvokeKind set, InvokeKind k) noexcept { return (unsigned(set) & unsigned(k)) != 0; }

// Arguments are passed left to right, each a pointer to the caller's Variant (a by-reference
// slot: the callee may assign to it and the caller sees the change). A by-value argument is a
// pointer to a temporary. An omitted optional argument is a slot holding Variant::missing().
// For PropertyLet and PropertySet the assigned value is the LAST argument, after any index
// arguments (obj.Item("k") = v passes {"k", v}).
using ArgSpan = std::span<Variant* const>;

// For Each over an object.
class Enumerator {
public:
    virtual ~Enumerator();
    // The next item into `out`; false at the end.
    virtual bool next(Variant& out) = 0;
};

// Enumerates a snapshot of items.
class VectorEnumerator final : public Enumerator {
public:
    explicit VectorEnumerator(std::vector<Variant> items) : items_(std::move(items)) {}
    bool next(Variant& out) override;

private:
    std::vector<Variant> items_;
    std::size_t pos_ = 0;
};

// ---- Objects ----

// Base of every late-bound object. Reference counted (see Ref in Variant.h); never on the stack.
class Object {
public:
    Object() noexcept = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    // TypeName of the object.
    virtual std::string className() const;
    // Invokes member `name` ("" is the default member). Unknown member: 438; a member that does
    // not support `kind`, or wrong argument count: 450.
    virtual Variant invoke(std::string_view name, InvokeKind kind, ArgSpan args);
    // Whether the object has a member of that name (for hosts that expose an object's members
    // as globals).
    virtual bool hasMember(std::string_view name) const;
    // For Each; the default refuses with 451.
    virtual std::unique_ptr<Enumerator> enumerate();

    long refCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

protected:
    // Runs when the last reference goes; deletes the object. A script class overrides it to run
    // its Terminate first.
    virtual void finalRelease() noexcept;

private:
    friend void addRef(const Object*) noexcept;
    friend void release(const Object*) noexcept;
    mutable std::atomic<long> refs_{0};
};

// Convenience calls.
// obj.name(args...) as a method (by-value arguments); Nothing gives 91.
Variant call(const Variant& object, std::string_view name, std::vector<Variant> args = {});
// obj.name (property get, or method without arguments).
Variant getProperty(const Variant& object, std::string_view name, std::vector<Variant> args = {});
// obj.name = value (let) and Set obj.name = value (set).
void letProperty(const Variant& object, std::string_view name, Variant value);
void setProperty(const Variant& object, std::string_view name, Variant value);

// ---- Exposing a C++ class ----

// The arguments as a member implementation sees them.
class Args {
public:
    explicit Args(ArgSpan slots) noexcept : slots_(slots) {}
    std::size_t size() const noexcept { return slots_.size(); }
    // Present and not omitted.
    bool has(std::size_t i) const noexcept;
    // The caller's slot (by reference); error 450 when absent.
    Variant& ref(std::size_t i) const;
    // The argument's value with objects reduced to their default value.
    Variant value(std::size_t i) const;
    // The raw argument (an object stays an object); Empty when absent or omitted.
    const Variant& raw(std::size_t i) const;
    // Typed readers (the conversions of Variant.h); `def` when absent or omitted.
    std::string string(std::size_t i, std::string_view def = {}) const;
    std::int32_t int32(std::size_t i, std::int32_t def = 0) const;
    double number(std::size_t i, double def = 0) const;
    bool boolean(std::size_t i, bool def = false) const;
    ArgSpan refs() const noexcept { return slots_; }

private:
    ArgSpan slots_;
};

struct Arity {
    int min = 0;
    int max = 0;   // kAnyCount for any number
};
inline constexpr int kAnyCount = 1 << 20;

// A member table for class T, built once (a function-local static) and shared by all objects.
// Names are matched without regard to case. A getter/method called with more arguments than its
// arity allows, whose result is an object, passes the surplus to that object's default member
// (Record.Fields("x") as Record.Fields.Item("x")).
template <class T>
class Members {
public:
    using Fn = std::function<Variant(T&, Args&)>;
    using SetFn = std::function<void(T&, Args& index, const Variant& value)>;

    explicit Members(std::string className) : className_(std::move(className)) {}

    Members& method(std::string_view name, Arity arity, Fn fn) { entry(name).method = {arity, std::move(fn)}; return *this; }
    Members& get(std::string_view name, Arity arity, Fn fn) { entry(name).get = {arity, std::move(fn)}; return *this; }
    Members& get(std::string_view name, Fn fn) { return get(name, Arity{}, std::move(fn)); }
    Members& let(std::string_view name, Arity index, SetFn fn) { entry(name).let = {index, std::move(fn)}; return *this; }
    Members& let(std::string_view name, SetFn fn) { return let(name, Arity{}, std::move(fn)); }
    Members& set(std::string_view name, Arity index, SetFn fn) { entry(name).set = {index, std::move(fn)}; return *this; }
    Members& set(std::string_view name, SetFn fn) { return set(name, Arity{}, std::move(fn)); }
    // The member that the empty name stands for.
    Members& defaultMember(std::string_view name) { defaultName_ = key(name); return *this; }

    const std::string& className() const noexcept { return className_; }
    bool has(std::string_view name) const { return find(name) != nullptr; }

    Variant invoke(T& self, std::string_view name, InvokeKind kind, ArgSpan args) const;

private:
    struct Call { Arity arity; Fn fn; };
    struct Assign { Arity arity; SetFn fn; };
    struct Entry { Call method, get; Assign let, set; };

    static std::string key(std::string_view name) {
        std::string k(name);
        for (char& c : k)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return k;
    }
    Entry& entry(std::string_view name) { return entries_[key(name)]; }
    const Entry* find(std::string_view name) const {
        auto it = entries_.find(key(name.empty() ? std::string_view(defaultName_) : name));
        return it == entries_.end() ? nullptr : &it->second;
    }

    std::string className_;
    std::string defaultName_;
    std::unordered_map<std::string, Entry> entries_;
};

// Late-bound calls in `Members::invoke` that need no template (defined in Object.cpp).
namespace detail {
[[noreturn]] void noSuchMember(std::string_view name);
[[noreturn]] void wrongArguments();
// Calls `result`'s default member with `rest` (chaining surplus arguments).
Variant chainDefault(const Variant& result, InvokeKind kind, ArgSpan rest);
}  // namespace detail

template <class T>
Variant Members<T>::invoke(T& self, std::string_view name, InvokeKind kind, ArgSpan args) const {
    const Entry* e = find(name);
    if (!e) detail::noSuchMember(name);
    const int n = int(args.size());
    auto callable = [&](const Call& c) -> Variant {
        if (n < c.arity.min) detail::wrongArguments();
        if (n <= c.arity.max) {
            Args a(args);
            return c.fn(self, a);
        }
        Args a(args.first(std::size_t(c.arity.max)));
        Variant result = c.fn(self, a);
        return detail::chainDefault(result, kind, args.subspan(std::size_t(c.arity.max)));
    };
    auto assign = [&](const Assign& primary, const Assign& fallback) -> Variant {
        const Assign& s = primary.fn ? primary : fallback;
        if (s.fn) {
            const int index = n - 1;
            if (index < s.arity.min || index > s.arity.max) detail::wrongArguments();
            Args a(args.first(std::size_t(index)));
            s.fn(self, a, *args[std::size_t(index)]);
            return Variant();
        }
        // obj.Prop(i) = v where Prop(i) is an object: assign through its default member.
        if (e->get.fn && n >= 1 && n - 1 >= e->get.arity.min) {
            const std::size_t index = std::size_t(std::min(n - 1, e->get.arity.max));
            Args a(args.first(index));
            Variant target = e->get.fn(self, a);
            return detail::chainDefault(target, kind, args.subspan(index));
        }
        detail::wrongArguments();
    };
    if (hasKind(kind, InvokeKind::PropertyLet)) return assign(e->let, e->set);
    if (hasKind(kind, InvokeKind::PropertySet)) return assign(e->set, e->let);
    if (hasKind(kind, InvokeKind::PropertyGet) && e->get.fn) return callable(e->get);
    if (e->method.fn) return callable(e->method);
    if (e->get.fn) return callable(e->get);
    detail::wrongArguments();
}

// Base for an exposed class: `static const Members<Derived>& members();` is all it must give.
template <class Derived>
class Dispatch : public Object {
public:
    std::string className() const override { return Derived::members().className(); }
    Variant invoke(std::string_view name, InvokeKind kind, ArgSpan args) override {
        return Derived::members().invoke(static_cast<Derived&>(*this), name, kind, args);
    }
    bool hasMember(std::string_view name) const override { return Derived::members().has(name); }
};

}  // namespace vt::automation
