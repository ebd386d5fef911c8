#pragma once
// Per-user settings: string values by section and key under the application name.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vt {

class Settings {
public:
    virtual ~Settings() = default;
    // The stored value, or `def` when the key is absent.
    virtual std::string get(std::string_view section, std::string_view key,
                            std::string_view def = {}) const = 0;
    virtual void set(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual void remove(std::string_view section, std::string_view key) = 0;
    virtual void removeSection(std::string_view section) = 0;
    virtual bool contains(std::string_view section, std::string_view key) const = 0;
    // Makes sure every value set so far is in the store. Throws std::runtime_error, saying why,
    // when the store could not be written or would have lost a setting it holds; the values stay
    // set for this run and a later flush writes them.
    virtual void flush() {}
};

// In memory, for tests.
class MemorySettings final : public Settings {
public:
    std::string get(std::string_view section, std::string_view key, std::string_view def = {}) const override;
    void set(std::string_view section, std::string_view key, std::string_view value) override;
    void remove(std::string_view section, std::string_view key) override;
    void removeSection(std::string_view section) override;
    bool contains(std::string_view section, std::string_view key) const override;

private:
    // Section and key compare without case, as the settings store does.
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, std::map<std::string, std::string, NoCase>, NoCase> data_;
};

// The user's INI file ($XDG_CONFIG_HOME/Veltrane/Veltrane.conf), mode 0600. Values are 1252 text.
class FileSettings final : public Settings {
public:
    FileSettings();
    explicit FileSettings(const std::filesystem::path& iniFile);
    ~FileSettings() override;
    std::string get(std::string_view section, std::string_view key, std::string_view def = {}) const override;
    void set(std::string_view section, std::string_view key, std::string_view value) override;
    void remove(std::string_view section, std::string_view key) override;
    void removeSection(std::string_view section) override;
    bool contains(std::string_view section, std::string_view key) const override;
    void sync();
    void flush() override;
    std::filesystem::path fileName() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// ---- Folders ----
// The user's home folder: $HOME, else the one the user database gives when it exists and the
// user can write in it; empty otherwise.
std::filesystem::path homeFolder();
// The per-user data root: $VELTRANE_HOME, else $XDG_DATA_HOME/Veltrane, else
// ~/.local/share/Veltrane. Stands in for "the program's own folder" as a default. Without a
// home folder (and no variable naming the root) std::runtime_error with the message to show;
// FileSettings() throws it the same way.
std::filesystem::path dataRoot();
// The data root, created owner-only (0700) when missing.
std::filesystem::path createDataRoot();
// The default working folder of that name under the data root ("Export", "Import", "Inbound",
// "Outbound", "Sent", "Reports", "ActiveX", "Database"); created when missing.
std::filesystem::path defaultFolder(std::string_view name);
// Where the delivered database and templates are installed ($VELTRANE_DATA_DIR, else the share
// folder beside the program, else the build's data folder).
std::filesystem::path shareFolder();
// The delivered plug-in libraries: "ActiveX" in the share folder, or in a build the plug-in
// folder beside its data folder; empty when there is none.
std::filesystem::path deliveredPluginFolder();

}  // namespace vt
