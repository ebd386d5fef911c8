#include "FileSystem.h"

#include "File.h"
#include "FileOps.h"
#include "Folder.h"
#include "TextStream.h"

#include <cstdio>
#include <random>

namespace vt::scripting {

using namespace vt::automation;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kTemporaryFolder = 2;

fs::path streamPath(const Args& a) {
    const std::string path = a.string(0);
    if (path.empty()) raise(fserr::InvalidCall);
    return absolutePath(path);
}

}  // namespace

std::string tempName() {
    static std::mt19937 generator{std::random_device{}()};
    char name[16];
    std::snprintf(name, sizeof name, "rad%05X.tmp", unsigned(generator() & 0xFFFFF));
    return name;
}

const Members<FileSystemObject>& FileSystemObject::members() {
    using F = FileSystemObject;
    static const Members<F> m = [] {
        Members<F> t("FileSystemObject");
        t.method("FileExists", {1, 1}, [](F&, Args& a) { return Variant(fileExists(a.string(0))); })
            .method("FolderExists", {1, 1}, [](F&, Args& a) { return Variant(folderExists(a.string(0))); })
            .method("GetFile", {1, 1}, [](F&, Args& a) { return Variant(makeRef<File>(existingFile(a.string(0)))); })
            .method("GetFolder", {1, 1}, [](F&, Args& a) { return Variant(makeRef<Folder>(existingFolder(a.string(0)))); })
            .method("GetFileName", {1, 1}, [](F&, Args& a) { return Variant(fileNamePart(a.string(0))); })
            .method("GetBaseName", {1, 1}, [](F&, Args& a) { return Variant(baseNamePart(a.string(0))); })
            .method("GetExtensionName", {1, 1}, [](F&, Args& a) { return Variant(extensionPart(a.string(0))); })
            .method("GetParentFolderName", {1, 1}, [](F&, Args& a) { return Variant(parentFolderPart(a.string(0))); })
            .method("BuildPath", {2, 2}, [](F&, Args& a) { return Variant(buildPath(a.string(0), a.string(1))); })
            .method("GetAbsolutePathName", {1, 1}, [](F&, Args& a) { return Variant(toText(absolutePath(a.string(0)))); })
            .method("GetTempName", {}, [](F&, Args&) { return Variant(tempName()); })
            .method("GetSpecialFolder", {1, 1}, [](F&, Args& a) {
                // Only the temporary folder has a counterpart here.
                if (a.int32(0) != kTemporaryFolder) raise(fserr::InvalidCall);
                std::error_code ec;
                const fs::path temp = fs::temp_directory_path(ec);
                if (ec || !isFolder(temp)) raise(fserr::PathNotFound);
                return Variant(makeRef<Folder>(absolutePath(toText(temp))));
            })
            .method("CreateFolder", {1, 1}, [](F&, Args& a) { return Variant(makeRef<Folder>(createFolder(a.string(0)))); })
            .method("DeleteFile", {1, 2}, [](F&, Args& a) {
                deleteFiles(a.string(0), a.boolean(1, false));
                return Variant();
            })
            .method("DeleteFolder", {1, 2}, [](F&, Args& a) {
                deleteFolders(a.string(0), a.boolean(1, false));
                return Variant();
            })
            .method("CopyFile", {2, 3}, [](F&, Args& a) {
                copyFiles(a.string(0), a.string(1), a.boolean(2, true));
                return Variant();
            })
            .method("CopyFolder", {2, 3}, [](F&, Args& a) {
                copyFolders(a.string(0), a.string(1), a.boolean(2, true));
                return Variant();
            })
            .method("MoveFile", {2, 2}, [](F&, Args& a) {
                moveFiles(a.string(0), a.string(1));
                return Variant();
            })
            .method("MoveFolder", {2, 2}, [](F&, Args& a) {
                moveFolders(a.string(0), a.string(1));
                return Variant();
            })
            .method("OpenTextFile", {1, 4}, [](F&, Args& a) {
                const fs::path path = streamPath(a);
                const IoMode mode = ioModeFrom(a.int32(1, 1));
                const bool create = a.boolean(2, false);
                const bool unicode = unicodeFrom(a.int32(3, 0));
                return Variant(TextStream::open(path, mode, create, unicode));
            })
            .method("CreateTextFile", {1, 3}, [](F&, Args& a) {
                const fs::path path = streamPath(a);
                return Variant(TextStream::create(path, a.boolean(1, true), a.boolean(2, false)));
            });
        return t;
    }();
    return m;
}

}  // namespace vt::scripting
