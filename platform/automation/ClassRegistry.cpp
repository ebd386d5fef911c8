#include "ClassRegistry.h"

#include "platform/text/Text.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

namespace vt::automation {

namespace {

[[noreturn]] void cannotCreate(std::string_view progId, std::string_view why = {}) {
    std::string text = "ActiveX component can't create object: '" + std::string(progId) + "'";
    if (!why.empty()) text += " (" + std::string(why) + ")";
    throw Error(err::CannotCreateObject, {}, text);
}

// A library name is one file name: no folder parts, nothing that leaves the plug-in folder.
bool isPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == '\0') return false;
    return true;
}

// Why `file` (a canonical path) may not be loaded: it, its folder or a folder above them
// belongs to another user or can be written by one, so someone else could put code there. A
// folder above with the sticky bit lets nobody replace what is not theirs in it. "" when it may.
std::string untrusted(const std::filesystem::path& file) {
    const uid_t me = ::geteuid();
    std::filesystem::path p = file;
    for (int level = 0;; ++level) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) return p.string() + ": " + std::strerror(errno);
        if (S_ISLNK(st.st_mode)) return p.string() + " is a link";
        if (st.st_uid != me && st.st_uid != 0) return p.string() + " belongs to another user";
        const bool sharedSticky = level > 1 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX);
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !sharedSticky) return p.string() + " can be written by other users";
        if (!p.has_relative_path()) return {};
        p = p.parent_path();
    }
}

// The same for the library that `file` names, and for every link on the way to it: a link is
// judged as the user's own or root's, standing in a folder nobody else could change.
std::string untrustedThroughLinks(const std::filesystem::path& file) {
    const uid_t me = ::geteuid();
    std::filesystem::path p = std::filesystem::absolute(file);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) return p.string() + ": " + std::strerror(errno);
        std::error_code ec;
        if (!S_ISLNK(st.st_mode)) {
            const std::filesystem::path full = std::filesystem::canonical(p, ec);
            return ec ? p.string() + ": " + ec.message() : untrusted(full);
        }
        if (st.st_uid != me && st.st_uid != 0) return p.string() + " belongs to another user";
        const std::filesystem::path folder = std::filesystem::canonical(p.parent_path(), ec);
        if (ec) return p.parent_path().string() + ": " + ec.message();
        if (std::string why = untrusted(folder); !why.empty()) return why;
        const std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec) return p.string() + ": " + ec.message();
        p = next.is_absolute() ? next : folder / next;
    }
    return file.string() + ": " + std::strerror(ELOOP);
}

bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec);
}

// Runs a call into a plug-in's code. Whatever else than an Error escapes it (a bad_alloc, an
// exception of the plug-in's own) must not cross into the caller's script or handler as such.
template <class F>
auto guarded(std::string_view progId, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        cannotCreate(progId, e.what());
    } catch (...) {
        cannotCreate(progId, "the plug-in failed");
    }
}

}  // namespace

struct ClassRegistry::Library {
    void* handle = nullptr;
    PluginClassNamesFn classNames = nullptr;
    PluginCreateFn create = nullptr;
};

ClassRegistry::ClassRegistry() = default;

// Libraries are never unloaded: objects they made may live until the process ends.
ClassRegistry::~ClassRegistry() = default;

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry* registry = new ClassRegistry();   // outlives every static object
    return *registry;
}

void ClassRegistry::registerBuiltin(std::string_view progId, Factory factory) {
    builtins_[text::toLower(progId)] = std::move(factory);
}

bool ClassRegistry::hasBuiltin(std::string_view progId) const { return builtins_.count(text::toLower(progId)) != 0; }

void ClassRegistry::setPluginFolder(std::function<std::filesystem::path()> folder) { folder_ = std::move(folder); }

void ClassRegistry::setPluginFolder(const std::filesystem::path& folder) {
    folder_ = [folder] { return folder; };
}

ClassRegistry::Library& ClassRegistry::load(const std::filesystem::path& file, std::string_view progId) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) cannotCreate(progId);
    const std::filesystem::path full = std::filesystem::canonical(file, ec);
    if (ec) cannotCreate(progId, ec.message());
    const std::string key = full.string();
    if (auto it = libraries_.find(key); it != libraries_.end()) return *it->second;
    // Checked before its code runs: loading runs the library's initialisers. Refused under the
    // name it was found by, a link in the ActiveX folder included.
    if (std::string why = untrustedThroughLinks(file); !why.empty()) refuse(file, progId, why);

    void* handle = dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        cannotCreate(progId, why ? why : "the library cannot be loaded");
    }
    auto version = reinterpret_cast<PluginAbiVersionFn>(dlsym(handle, "vt_plugin_abi_version"));
    auto names = reinterpret_cast<PluginClassNamesFn>(dlsym(handle, "vt_plugin_class_names"));
    auto create = reinterpret_cast<PluginCreateFn>(dlsym(handle, "vt_plugin_create"));
    if (!version || !names || !create) {
        dlclose(handle);
        cannotCreate(progId, "not a plug-in library");
    }
    int abi = 0;
    try {
        abi = version();
    } catch (...) {
        abi = -1;
    }
    if (abi < kOldestPluginAbiVersion || abi > kPluginAbiVersion) {
        dlclose(handle);
        cannotCreate(progId, "plug-in interface version " + std::to_string(abi) + ", expected " +
                                 std::to_string(kOldestPluginAbiVersion) + " to " + std::to_string(kPluginAbiVersion));
    }
    auto lib = std::make_unique<Library>();
    lib->handle = handle;
    lib->classNames = names;
    lib->create = create;
    return *libraries_.emplace(key, std::move(lib)).first->second;
}

void ClassRegistry::refuse(const std::filesystem::path& file, std::string_view progId, const std::string& why) {
    if (refusalLog_) refusalLog_(file.string() + " was not loaded: " + why);
    cannotCreate(progId, why);
}

ObjectRef ClassRegistry::create(std::string_view progId) {
    if (auto it = builtins_.find(text::toLower(progId)); it != builtins_.end()) {
        ObjectRef o = it->second();
        if (!o) cannotCreate(progId);
        return o;
    }
    const std::size_t dot = progId.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == progId.size()) cannotCreate(progId);
    const std::string_view library = progId.substr(0, dot);
    const std::string className(progId.substr(dot + 1));
    if (!isPlainName(library) || !folder_) cannotCreate(progId);
    const std::string fileName = std::string(library) + ".so";
    std::filesystem::path file = folder_();
    std::error_code ec;
    if (!file.empty()) file /= fileName;
    if ((file.empty() || !std::filesystem::exists(std::filesystem::symlink_status(file, ec))) && !programFolder_.empty())
        file = programFolder_ / fileName;
    if (file.empty()) cannotCreate(progId);
    Library& lib = load(file, progId);

    // The class must be one the library lists (names without regard to case, as COM's were).
    std::string listed;
    if (const char* const* names = guarded(progId, lib.classNames))
        for (; *names; ++names)
            if (text::equalsNoCase(*names, className)) listed = *names;
    if (listed.empty()) cannotCreate(progId);
    Object* raw = guarded(progId, [&] { return lib.create(listed.c_str(), host_); });
    if (!raw) cannotCreate(progId);
    return ObjectRef(raw);
}

std::vector<std::string> ClassRegistry::pluginClassNames(const std::filesystem::path& library) {
    const std::string progId = library.stem().string();
    const std::filesystem::path folder = library.parent_path();
    if (!sameFolder(folder, folder_ ? folder_() : std::filesystem::path()) && !sameFolder(folder, programFolder_))
        refuse(library, progId, "it is in neither the ActiveX folder nor the program's own folder");
    Library& lib = load(library, progId);
    std::vector<std::string> out;
    if (const char* const* names = guarded(library.stem().string(), lib.classNames))
        for (; *names; ++names) out.emplace_back(*names);
    return out;
}

}  // namespace vt::automation
