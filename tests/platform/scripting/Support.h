#pragma once
// Helpers of the scripting tests: objects created by name through the class registry and used
// late-bound (as the interpreter does), errors as "<number> <text>", and a scratch folder.

#include "platform/automation/ClassRegistry.h"
#include "platform/scripting/Register.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace scripting_test {

using namespace vt::automation;
namespace fs = std::filesystem;

inline Variant create(std::string_view progId) {
    vt::scripting::registerScriptingClasses();
    return Variant(ClassRegistry::instance().create(progId));
}

// What a call fails with: "<number> <description>", or "ok".
inline std::string failure(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return std::to_string(e.number) + " " + e.description;
    }
    return "ok";
}

inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number;
    }
    return 0;
}

// obj.name(index) = value and Set obj.name(index) = value.
inline void assignIndexed(const Variant& object, std::string_view name, Variant index, Variant value,
                          InvokeKind kind = InvokeKind::PropertyLet) {
    std::vector<Variant> args{std::move(index), std::move(value)};
    std::vector<Variant*> slots{&args[0], &args[1]};
    const ObjectRef keep = object.objectRef();
    object.object()->invoke(name, kind, slots);
}

// The items For Each gives.
inline std::vector<Variant> forEach(const Variant& object) {
    std::vector<Variant> out;
    auto e = object.object()->enumerate();
    Variant v;
    while (e->next(v)) out.push_back(v);
    return out;
}

inline std::vector<Variant> elements(const Variant& array) { return array.arrayValue().elements(); }

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const fs::path& base = fs::temp_directory_path()) {
        std::string pattern = (base / "vt-scripting-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& root() const { return root_; }
    // The script text of a path under the root.
    std::string path(std::string_view rel) const { return (root_ / std::string(rel)).string(); }

    void write(std::string_view rel, std::string_view bytes) const {
        const fs::path p = root_ / std::string(rel);
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string read(std::string_view rel) const {
        std::ifstream in(root_ / std::string(rel), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Everything under `rel` in name order: "dir/" for a folder, "file=content" for a file.
    std::string tree(std::string_view rel = {}) const {
        const fs::path base = root_ / std::string(rel);
        std::vector<std::string> lines;
        for (auto it = fs::recursive_directory_iterator(base); it != fs::recursive_directory_iterator(); ++it) {
            const std::string name = it->path().lexically_relative(base).generic_string();
            lines.push_back(it->is_directory() ? name + "/" : name + "=" + read(it->path().lexically_relative(root_).string()));
        }
        std::sort(lines.begin(), lines.end());
        std::string out;
        for (const auto& l : lines) out += (out.empty() ? "" : " ") + l;
        return out;
    }

private:
    fs::path root_;
};

}  // namespace scripting_test
