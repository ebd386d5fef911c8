#include "Object.h"

#include "Plugin.h"

#include "platform/text/Text.h"

#include <ctime>
#include <dlfcn.h>

#include <map>

namespace vt::automation {

// ---- Errors ----

std::string_view standardErrorText(std::int32_t number) {
    static const std::map<std::int32_t, std::string_view> texts = {
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {7, "Out of memory"},
        {9, "Subscript out of range"},
        {10, "This array is fixed or temporarily locked"},
        {11, "Division by zero"},
        {13, "Type mismatch"},
        {14, "Out of string space"},
        {28, "Out of stack space"},
        {35, "Sub or Function not defined"},
        {48, "Error in loading DLL"},
        {51, "Internal error"},
        {52, "Bad file name or number"},
        {53, "File not found"},
        {54, "Bad file mode"},
        {55, "File already open"},
        {57, "Device I/O error"},
        {58, "File already exists"},
        {61, "Disk full"},
        {62, "Input past end of file"},
        {67, "Too many files"},
        {68, "Device unavailable"},
        {70, "Permission denied"},
        {71, "Disk not ready"},
        {74, "Can't rename with different drive"},
        {75, "Path/File access error"},
        {76, "Path not found"},
        {91, "Object variable not set"},
        {92, "For loop not initialized"},
        {94, "Invalid use of Null"},
        {322, "Can't create necessary temporary file"},
        {424, "Object required"},
        {429, "ActiveX component can't create object"},
        {430, "Class doesn't support Automation"},
        {432, "File name or class name not found during Automation operation"},
        {438, "Object doesn't support this property or method"},
        {440, "Automation error"},
        {445, "Object doesn't support this action"},
        {446, "Object doesn't support named arguments"},
        {448, "Named argument not found"},
        {449, "Argument not optional"},
        {450, "Wrong number of arguments or invalid property assignment"},
        {451, "Object not a collection"},
        {453, "Specified DLL function not found"},
        {457, "This key is already associated with an element of this collection"},
        {458, "Variable uses an Automation type not supported in VBScript"},
        {500, "Variable is undefined"},
        {501, "Illegal assignment"},
        {505, "Invalid or unqualified reference"},
        {506, "Class not defined"},
        {507, "An exception occurred"},
        {3001, "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another."},
        {3021, "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record."},
        {3219, "Operation is not allowed in this context."},
        {3265, "Item cannot be found in the collection corresponding to the requested name or ordinal."},
        {3367, "Object is already in collection. Cannot append."},
        {3704, "Operation is not allowed when the object is closed."},
        {3705, "Operation is not allowed when the object is open."},
        {3709, "The connection cannot be used to perform this operation. It is either closed or invalid in this context."},
        {-2147217887, "Multiple-step operation generated errors. Check each status value."},
        {-2147217885, "Row handle referred to a deleted row or a row marked for deletion."},
    };
    auto it = texts.find(number);
    return it == texts.end() ? std::string_view() : it->second;
}

Error::Error(std::int32_t n, std::string src, std::string desc)
    : number(n), source(std::move(src)), description(std::move(desc)) {
    if (description.empty()) description = std::string(standardErrorText(n));
}

Error::~Error() = default;

const char* Error::what() const noexcept { return description.c_str(); }

void raise(std::int32_t number, std::string_view source, std::string_view description) {
    throw Error(number, std::string(source), std::string(description));
}

// ---- Enumeration ----

Enumerator::~Enumerator() = default;

bool VectorEnumerator::next(Variant& out) {
    if (pos_ >= items_.size()) return false;
    out = items_[pos_++];
    return true;
}

// ---- Objects ----

void addRef(const Object* object) noexcept { object->refs_.fetch_add(1, std::memory_order_relaxed); }

void release(const Object* object) noexcept {
    if (object->refs_.fetch_sub(1, std::memory_order_acq_rel) == 1)
        const_cast<Object*>(object)->finalRelease();
}

Object::~Object() = default;

std::string Object::className() const { return "Object"; }

Variant Object::invoke(std::string_view name, InvokeKind, ArgSpan) { detail::noSuchMember(name); }

bool Object::hasMember(std::string_view) const { return false; }

std::unique_ptr<Enumerator> Object::enumerate() { raise(err::NotACollection); }

void Object::finalRelease() noexcept { delete this; }

namespace {
Variant invokeOn(const Variant& target, std::string_view name, InvokeKind kind, std::vector<Variant>& args) {
    Object* o = target.object();
    if (!o) raise(target.isObject() ? err::ObjectNotSet : err::ObjectRequired);
    std::vector<Variant*> slots;
    slots.reserve(args.size());
    for (Variant& a : args) slots.push_back(&a);
    // Keep the object alive across the call even if the call drops the caller's reference.
    const ObjectRef keep = target.objectRef();
    return o->invoke(name, kind, slots);
}
}  // namespace

Variant call(const Variant& object, std::string_view name, std::vector<Variant> args) {
    return invokeOn(object, name, InvokeKind::Method | InvokeKind::PropertyGet, args);
}

Variant getProperty(const Variant& object, std::string_view name, std::vector<Variant> args) {
    return invokeOn(object, name, InvokeKind::PropertyGet | InvokeKind::Method, args);
}

void letProperty(const Variant& object, std::string_view name, Variant value) {
    std::vector<Variant> args{std::move(value)};
    invokeOn(object, name, InvokeKind::PropertyLet, args);
}

void setProperty(const Variant& object, std::string_view name, Variant value) {
    std::vector<Variant> args{std::move(value)};
    invokeOn(object, name, InvokeKind::PropertySet, args);
}

// ---- Args ----

namespace {
const Variant kAbsent;
}

bool Args::has(std::size_t i) const noexcept { return i < slots_.size() && slots_[i] && !slots_[i]->isMissing(); }

Variant& Args::ref(std::size_t i) const {
    if (i >= slots_.size() || !slots_[i]) raise(err::WrongArgumentCount);
    return *slots_[i];
}

const Variant& Args::raw(std::size_t i) const { return has(i) ? *slots_[i] : kAbsent; }

Variant Args::value(std::size_t i) const {
    const Variant& v = raw(i);
    return v.isObject() ? defaultValue(v) : v;
}

std::string Args::string(std::size_t i, std::string_view def) const {
    return has(i) ? toString(*slots_[i]) : std::string(def);
}

std::int32_t Args::int32(std::size_t i, std::int32_t def) const { return has(i) ? toInt32(*slots_[i]) : def; }

double Args::number(std::size_t i, double def) const { return has(i) ? toDouble(*slots_[i]) : def; }

bool Args::boolean(std::size_t i, bool def) const { return has(i) ? toBool(*slots_[i]) : def; }

namespace detail {

void noSuchMember(std::string_view) { raise(err::NoSuchMember); }

void wrongArguments() { raise(err::WrongArgumentCount); }

Variant chainDefault(const Variant& result, InvokeKind kind, ArgSpan rest) {
    Object* o = result.object();
    if (!o) {
        if (result.isObject()) raise(err::ObjectNotSet);
        wrongArguments();
    }
    const ObjectRef keep = result.objectRef();
    return o->invoke("", kind, rest);
}

}  // namespace detail

// ---- Plug-in support ----

HostServices::~HostServices() = default;

int HostServices::messageBox(std::string_view, int, std::string_view) { return 1; }   // vbOK

void HostServices::yield() {}

double HostServices::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return text::toOleDate(text::DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                          local.tm_min, local.tm_sec, 0});
}

std::filesystem::path libraryFolder(const void* anyAddressInIt) {
    Dl_info info{};
    if (dladdr(anyAddressInIt, &info) && info.dli_fname) {
        std::error_code ec;
        const auto p = std::filesystem::canonical(info.dli_fname, ec);
        return (ec ? std::filesystem::path(info.dli_fname) : p).parent_path();
    }
    return {};
}

}  // namespace vt::automation
