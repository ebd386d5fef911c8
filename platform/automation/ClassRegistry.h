#pragma once
// Creation of objects by class name ("Library.Class", as CreateObject takes it): built-in classes
// registered by the program, else the plug-in library "<ActiveX folder>/<Library>.so" (Plugin.h),
// or the program's own one of that name when the ActiveX folder has none. Libraries load from
// these two folders only, and never when the file, its folder or a folder above them belongs to
// another user or can be written by one (a shared folder with the sticky bit, such as /tmp, may
// stand above them). Libraries stay loaded for the life of the process, so no object outlives
// its code.

#include "Object.h"
#include "Plugin.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vt::automation {

class ClassRegistry {
public:
    using Factory = std::function<ObjectRef()>;

    ClassRegistry();
    ~ClassRegistry();
    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    // The program's one registry.
    static ClassRegistry& instance();

    // A built-in class; the name is matched without regard to case. Replaces an earlier one.
    void registerBuiltin(std::string_view progId, Factory factory);
    bool hasBuiltin(std::string_view progId) const;

    // Where plug-in libraries are looked for, asked at every creation (the setting may change).
    void setPluginFolder(std::function<std::filesystem::path()> folder);
    void setPluginFolder(const std::filesystem::path& folder);
    // The program's own plug-in folder, where the delivered libraries are.
    void setProgramPluginFolder(const std::filesystem::path& folder) { programFolder_ = folder; }
    // Hears why a library was refused before it was loaded, as one sentence naming the file.
    void setRefusalLog(std::function<void(const std::string&)> log) { refusalLog_ = std::move(log); }
    // Handed to every plug-in creation; may be null.
    void setHostServices(HostServices* host) noexcept { host_ = host; }
    HostServices* hostServices() const noexcept { return host_; }

    // Creates an object. Error 429 "ActiveX component can't create object: '<progId>'" when the
    // name has no library part, the library is missing or unusable, or it has no such class.
    ObjectRef create(std::string_view progId);

    // The class names a plug-in library of either folder offers (loads it); error 429 when it
    // cannot be used.
    std::vector<std::string> pluginClassNames(const std::filesystem::path& library);

private:
    struct Library;
    Library& load(const std::filesystem::path& file, std::string_view progId);
    [[noreturn]] void refuse(const std::filesystem::path& file, std::string_view progId, const std::string& why);

    std::map<std::string, Factory> builtins_;   // key: lower-case name
    std::map<std::string, std::unique_ptr<Library>> libraries_;   // key: canonical path
    std::function<std::filesystem::path()> folder_;
    std::filesystem::path programFolder_;
    std::function<void(const std::string&)> refusalLog_;
    HostServices* host_ = nullptr;
};

}  // namespace vt::automation
