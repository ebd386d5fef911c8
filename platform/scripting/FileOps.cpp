#include "FileOps.h"

#include "platform/automation/Object.h"
#include "platform/files/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt::scripting {

using automation::raise;
namespace fs = std::filesystem;

namespace {

std::error_code lastError() { return {errno, std::system_category()}; }

bool isDir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// Anything at that name, a dangling link included.
bool taken(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

bool isLink(const fs::path& p) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(p, ec));
}

void requireFolder(const fs::path& p) {
    if (!isDir(p)) raise(fserr::PathNotFound);
}

fs::path nonEmptyPath(std::string_view text) {
    if (text.empty()) raise(fserr::InvalidCall);
    return absolutePath(text);
}

std::vector<fs::directory_entry> entriesOf(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::directory_entry> out;
    fs::directory_iterator it(folder, ec);
    if (ec) raiseFor(ec, fserr::PathNotFound);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) raiseFor(ec, fserr::PathNotFound);
        out.push_back(*it);
    }
    if (ec) raiseFor(ec, fserr::PathNotFound);
    // Name order, so that an operation that stops at an error has always done the same part.
    std::sort(out.begin(), out.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return a.path().filename() < b.path().filename();
    });
    return out;
}

// Renames without ever replacing what is at `to` (EEXIST then).
bool renameNoReplace(const fs::path& from, const fs::path& to, std::error_code& ec) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        ec.clear();
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        ec = lastError();
        return false;
    }
    // A file system without the flag.
    if (taken(to)) {
        ec = std::make_error_code(std::errc::file_exists);
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0) {
        ec.clear();
        return true;
    }
    ec = lastError();
    return false;
}

// `p` is `folder` or lies inside it (links resolved).
bool within(const fs::path& folder, const fs::path& p) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(folder, ec);
    const fs::path b = fs::weakly_canonical(p, ec);
    auto ia = a.begin(), ib = b.begin();
    for (; ia != a.end() && ib != b.end() && *ia == *ib; ++ia, ++ib) {
    }
    return ia == a.end() || (std::next(ia) == a.end() && ia->empty());
}

// Copies `source` to a temporary file beside `target` and renames it into place, so a failed
// copy leaves `target` as it was. The copy keeps the source's modification time.
void placeCopy(const fs::path& source, const fs::path& target, bool replace) {
    try {
        files::SafeFile temp(target);
        struct stat from {};
        if (::stat(source.c_str(), &from) != 0) raiseFor(lastError(), fserr::FileNotFound);
        try {
            temp.writeFrom(source);
        } catch (const fs::filesystem_error& e) {
            raiseFor(e.code(), fserr::FileNotFound);
        }
        const struct timespec times[2] = {{0, UTIME_OMIT}, from.st_mtim};
        ::futimens(temp.fd(), times);
        // A copy has its source's permissions, as the copy of a file always had.
        temp.setMode(from.st_mode & 07777);
        temp.commit(replace);
    } catch (const fs::filesystem_error& e) {
        raiseFor(e.code(), fserr::PathNotFound);
    }
}

void copyOneFile(const fs::path& source, const fs::path& target, bool overwrite) {
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    if (fs::is_directory(st)) raise(fserr::PermissionDenied);
    const bool there = taken(target);
    if (there) {
        if (!overwrite) raise(fserr::FileAlreadyExists);
        // Copying a file over itself would empty it.
        if (fs::equivalent(source, target, ec)) raise(fserr::PermissionDenied);
        if (isReadOnly(target)) raise(fserr::PermissionDenied);
    }
    placeCopy(source, target, there);
}

void moveOneFile(const fs::path& source, const fs::path& target) {
    if (taken(target)) raise(fserr::FileAlreadyExists);
    std::error_code ec;
    if (renameNoReplace(source, target, ec)) return;
    if (ec.value() == EXDEV) {
        placeCopy(source, target, false);
        fs::remove(source, ec);
        if (ec) raiseFor(ec, fserr::FileNotFound);
        return;
    }
    if (ec.value() == EEXIST) raise(fserr::FileAlreadyExists);
    raiseFor(ec, fserr::FileNotFound);
}

void copyLink(const fs::path& link, const fs::path& target, bool overwrite) {
    std::error_code ec;
    if (taken(target)) {
        if (!overwrite) raise(fserr::FileAlreadyExists);
        if (isDir(target) && !isLink(target)) raise(fserr::PermissionDenied);
        fs::remove(target, ec);
        if (ec) raiseFor(ec, fserr::FileNotFound);
    }
    fs::copy_symlink(link, target, ec);
    if (ec) raiseFor(ec, fserr::FileNotFound);
}

void copyTree(const fs::path& source, const fs::path& target, bool overwrite) {
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    if (fs::exists(st) && !fs::is_directory(st)) raise(fserr::FileAlreadyExists);
    if (!fs::exists(st)) {
        fs::create_directory(target, source, ec);
        if (ec) raiseFor(ec, fserr::PathNotFound);
    }
    for (const fs::directory_entry& e : entriesOf(source)) {
        const fs::path to = target / e.path().filename();
        const fs::file_status linkStatus = e.symlink_status(ec);
        const fs::file_status status = e.status(ec);
        // Links to folders (and dangling ones) are copied as links: following them could loop.
        if (fs::is_symlink(linkStatus) && !fs::is_regular_file(status))
            copyLink(e.path(), to, overwrite);
        else if (fs::is_directory(status))
            copyTree(e.path(), to, overwrite);
        else
            copyOneFile(e.path(), to, overwrite);
    }
}

void requireNoReadOnlyFile(const fs::path& folder) {
    for (const fs::directory_entry& e : entriesOf(folder)) {
        std::error_code ec;
        const fs::file_status st = e.symlink_status(ec);
        if (fs::is_directory(st))
            requireNoReadOnlyFile(e.path());
        else if (fs::is_regular_file(st) && isReadOnly(e.path()))
            raise(fserr::PermissionDenied);
    }
}

void removeTree(const fs::path& folder, bool force) {
    std::error_code ec;
    if (!isLink(folder)) {   // a link to a folder goes, never what it points at
        if (force) fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const fs::directory_entry& e : entriesOf(folder)) {
            if (fs::is_directory(e.symlink_status(ec))) {
                removeTree(e.path(), force);
            } else {
                fs::remove(e.path(), ec);
                if (ec) raiseFor(ec, fserr::FileNotFound);
            }
        }
    }
    fs::remove(folder, ec);
    if (ec) raiseFor(ec, fserr::PathNotFound);
}

void copyFolderOne(const fs::path& source, const fs::path& target, bool overwrite) {
    if (within(source, target)) raise(fserr::PermissionDenied);
    copyTree(source, target, overwrite);
}

void moveFolderOne(const fs::path& source, const fs::path& target) {
    if (taken(target)) raise(fserr::FileAlreadyExists);
    if (within(source, target)) raise(fserr::PermissionDenied);
    std::error_code ec;
    if (renameNoReplace(source, target, ec)) return;
    if (ec.value() == EXDEV) {
        copyTree(source, target, false);
        removeTree(source, true);
        return;
    }
    if (ec.value() == EEXIST || ec.value() == ENOTEMPTY) raise(fserr::FileAlreadyExists);
    raiseFor(ec, fserr::PathNotFound);
}

// The files or folders a source names; its last name may hold wildcards.
std::vector<fs::path> sources(std::string_view spec, EntryKind kind, bool& wildcard) {
    if (spec.empty()) raise(fserr::InvalidCall);
    const std::string pattern = fileNamePart(spec);
    wildcard = hasWildcards(pattern);
    const fs::path p = absolutePath(spec);
    if (!wildcard) {
        if (kind == EntryKind::Folder) return {existingFolder(spec)};
        if (isFile(p) && !endsWithSeparator(spec)) return {p};
        requireFolder(p.parent_path());
        raise(fserr::FileNotFound);
    }
    std::vector<fs::path> out;
    for (const fs::path& e : listFolder(p.parent_path(), kind))
        if (matchWildcard(pattern, toText(e.filename()))) out.push_back(e);
    if (out.empty()) raise(kind == EntryKind::File ? fserr::FileNotFound : fserr::PathNotFound);
    return out;
}

// Calls `each(source, target)` for every source, in order; stops at the first error.
template <class F>
void toEach(const std::vector<fs::path>& from, bool wildcard, std::string_view destination, F&& each) {
    const fs::path d = nonEmptyPath(destination);
    if (wildcard || endsWithSeparator(destination)) {
        requireFolder(d);
        for (const fs::path& s : from) each(s, d / s.filename());
    } else {
        requireFolder(d.parent_path());
        for (const fs::path& s : from) each(s, d);
    }
}

}  // namespace

bool isFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    return fs::exists(st) && !fs::is_directory(st);
}

bool isFolder(const fs::path& path) { return isDir(path); }

bool fileExists(std::string_view path) { return !path.empty() && isFile(absolutePath(path)); }

bool folderExists(std::string_view path) { return !path.empty() && isDir(absolutePath(path)); }

fs::path existingFile(std::string_view path) {
    const fs::path p = nonEmptyPath(path);
    if (!isFile(p)) raise(fserr::FileNotFound);
    return p;
}

fs::path existingFolder(std::string_view path) {
    const fs::path p = nonEmptyPath(path);
    if (!isDir(p)) raise(fserr::PathNotFound);
    return p;
}

std::vector<fs::path> listFolder(const fs::path& folder, EntryKind kind) {
    requireFolder(folder);
    std::vector<fs::path> out;
    for (const fs::directory_entry& e : entriesOf(folder)) {
        const bool dir = isDir(e.path());
        if (kind == EntryKind::Folder ? dir : (!dir && isFile(e.path()))) out.push_back(e.path());
    }
    return out;
}

double folderSize(const fs::path& folder) {
    double total = 0;
    for (const fs::directory_entry& e : entriesOf(folder)) {
        std::error_code ec;
        const fs::file_status st = e.symlink_status(ec);
        if (fs::is_directory(st)) {
            total += folderSize(e.path());
        } else if (isFile(e.path())) {
            const auto size = fs::file_size(e.path(), ec);
            if (!ec) total += double(size);
        }
    }
    return total;
}

void copyFiles(std::string_view source, std::string_view destination, bool overwrite) {
    bool wildcard = false;
    const auto from = sources(source, EntryKind::File, wildcard);
    toEach(from, wildcard, destination, [&](const fs::path& s, const fs::path& t) { copyOneFile(s, t, overwrite); });
}

void moveFiles(std::string_view source, std::string_view destination) {
    bool wildcard = false;
    const auto from = sources(source, EntryKind::File, wildcard);
    toEach(from, wildcard, destination, [](const fs::path& s, const fs::path& t) { moveOneFile(s, t); });
}

void deleteFiles(std::string_view spec, bool force) {
    bool wildcard = false;
    for (const fs::path& p : sources(spec, EntryKind::File, wildcard)) deleteFile(p, force);
}

void copyFolders(std::string_view source, std::string_view destination, bool overwrite) {
    bool wildcard = false;
    const auto from = sources(source, EntryKind::Folder, wildcard);
    toEach(from, wildcard, destination, [&](const fs::path& s, const fs::path& t) { copyFolderOne(s, t, overwrite); });
}

void moveFolders(std::string_view source, std::string_view destination) {
    bool wildcard = false;
    const auto from = sources(source, EntryKind::Folder, wildcard);
    toEach(from, wildcard, destination, [](const fs::path& s, const fs::path& t) { moveFolderOne(s, t); });
}

void deleteFolders(std::string_view spec, bool force) {
    bool wildcard = false;
    for (const fs::path& p : sources(spec, EntryKind::Folder, wildcard)) deleteFolder(p, force);
}

fs::path createFolder(std::string_view path) {
    const fs::path p = nonEmptyPath(path);
    if (taken(p)) raise(fserr::FileAlreadyExists);
    requireFolder(p.parent_path());
    std::error_code ec;
    fs::create_directory(p, ec);
    if (ec) raiseFor(ec, fserr::PathNotFound);
    return p;
}

void copyFileTo(const fs::path& source, std::string_view destination, bool overwrite) {
    if (!isFile(source)) raise(fserr::FileNotFound);
    toEach({source}, false, destination, [&](const fs::path& s, const fs::path& t) { copyOneFile(s, t, overwrite); });
}

fs::path moveFileTo(const fs::path& source, std::string_view destination) {
    if (!isFile(source)) raise(fserr::FileNotFound);
    fs::path moved;
    toEach({source}, false, destination, [&](const fs::path& s, const fs::path& t) {
        moveOneFile(s, t);
        moved = t;
    });
    return moved;
}

void deleteFile(const fs::path& file, bool force) {
    if (isDir(file) || !taken(file)) raise(fserr::FileNotFound);
    if (!force && isReadOnly(file)) raise(fserr::PermissionDenied);
    std::error_code ec;
    fs::remove(file, ec);
    if (ec) raiseFor(ec, fserr::FileNotFound);
}

void copyFolderTo(const fs::path& source, std::string_view destination, bool overwrite) {
    requireFolder(source);
    toEach({source}, false, destination, [&](const fs::path& s, const fs::path& t) { copyFolderOne(s, t, overwrite); });
}

fs::path moveFolderTo(const fs::path& source, std::string_view destination) {
    requireFolder(source);
    fs::path moved;
    toEach({source}, false, destination, [&](const fs::path& s, const fs::path& t) {
        moveFolderOne(s, t);
        moved = t;
    });
    return moved;
}

void deleteFolder(const fs::path& folder, bool force) {
    requireFolder(folder);
    if (!force) requireNoReadOnlyFile(folder);
    removeTree(folder, force);
}

}  // namespace vt::scripting
