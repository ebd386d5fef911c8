#include "Folder.h"

#include "File.h"
#include "FileOps.h"
#include "TextStream.h"

namespace vt::scripting {

using namespace vt::automation;
namespace fs = std::filesystem;

namespace {

bool isRoot(const fs::path& p) { return p == p.root_path(); }

// A name of an entry directly in `folder`; empty when the text is not a plain name.
fs::path childPath(const fs::path& folder, std::string_view name) {
    if (name.empty() || name == "." || name == "..") return {};
    for (char c : name)
        if (isSeparator(c)) return {};
    return folder / toPath(name);
}

std::vector<Variant> files(const fs::path& folder) {
    std::vector<Variant> out;
    for (const fs::path& p : listFolder(folder, EntryKind::File)) out.emplace_back(makeRef<File>(p));
    return out;
}

std::vector<Variant> folders(const fs::path& folder) {
    std::vector<Variant> out;
    for (const fs::path& p : listFolder(folder, EntryKind::Folder)) out.emplace_back(makeRef<Folder>(p));
    return out;
}

}  // namespace

const Members<Folder>& Folder::members() {
    static const Members<Folder> m = [] {
        Members<Folder> t("Folder");
        t.get("Name", [](Folder& f, Args&) { return Variant(isRoot(f.path_) ? std::string() : toText(f.path_.filename())); })
            .get("Path", [](Folder& f, Args&) { return Variant(toText(f.path_)); })
            .get("Files", [](Folder& f, Args&) { return Variant(makeRef<Files>(f.path_)); })
            .get("SubFolders", [](Folder& f, Args&) { return Variant(makeRef<Folders>(f.path_)); })
            .get("ParentFolder", [](Folder& f, Args&) {
                return isRoot(f.path_) ? Variant::nothing() : Variant(makeRef<Folder>(f.path_.parent_path()));
            })
            .get("Size", [](Folder& f, Args&) {
                if (!isFolder(f.path_)) raise(fserr::PathNotFound);
                return sizeValue(folderSize(f.path_));
            })
            .method("Delete", {0, 1}, [](Folder& f, Args& a) {
                deleteFolder(f.path_, a.boolean(0, false));
                return Variant();
            })
            .method("Copy", {1, 2}, [](Folder& f, Args& a) {
                copyFolderTo(f.path_, a.string(0), a.boolean(1, true));
                return Variant();
            })
            .method("Move", {1, 1}, [](Folder& f, Args& a) {
                f.path_ = moveFolderTo(f.path_, a.string(0));
                return Variant();
            })
            .method("CreateTextFile", {1, 3}, [](Folder& f, Args& a) {
                const std::string name = a.string(0);
                if (name.empty()) raise(fserr::InvalidCall);
                const fs::path p = absolutePath(buildPath(toText(f.path_), name));
                return Variant(TextStream::create(p, a.boolean(1, true), a.boolean(2, false)));
            })
            .defaultMember("Path");
        return t;
    }();
    return m;
}

std::unique_ptr<Enumerator> Files::enumerate() { return std::make_unique<VectorEnumerator>(files(folder_)); }

const Members<Files>& Files::members() {
    static const Members<Files> m = [] {
        Members<Files> t("Files");
        t.get("Count", [](Files& c, Args&) { return Variant(std::int32_t(listFolder(c.folder_, EntryKind::File).size())); })
            .get("Item", {1, 1}, [](Files& c, Args& a) {
                const fs::path p = childPath(c.folder_, a.string(0));
                if (p.empty() || !isFile(p)) raise(fserr::FileNotFound);
                return Variant(makeRef<File>(p));
            })
            .defaultMember("Item");
        return t;
    }();
    return m;
}

std::unique_ptr<Enumerator> Folders::enumerate() { return std::make_unique<VectorEnumerator>(folders(folder_)); }

const Members<Folders>& Folders::members() {
    static const Members<Folders> m = [] {
        Members<Folders> t("Folders");
        t.get("Count", [](Folders& c, Args&) { return Variant(std::int32_t(listFolder(c.folder_, EntryKind::Folder).size())); })
            .get("Item", {1, 1}, [](Folders& c, Args& a) {
                const fs::path p = childPath(c.folder_, a.string(0));
                if (p.empty() || !isFolder(p)) raise(fserr::PathNotFound);
                return Variant(makeRef<Folder>(p));
            })
            .defaultMember("Item");
        return t;
    }();
    return m;
}

}  // namespace vt::scripting
