#include "Paths.h"

#include "platform/automation/Object.h"
#include "platform/text/Text.h"

#include <cerrno>

namespace vt::scripting {

namespace fs = std::filesystem;

bool isSeparator(char c) noexcept { return c == '/' || c == '\\'; }

bool endsWithSeparator(std::string_view text) noexcept { return !text.empty() && isSeparator(text.back()); }

fs::path toPath(std::string_view text) {
    std::string native = text::ansiToUtf8(text);
    for (char& c : native)
        if (c == '\\') c = '/';
    return fs::path(native);
}

std::string toText(const fs::path& path) { return text::utf8ToAnsi(path.generic_string()); }

fs::path absolutePath(std::string_view text) {
    fs::path p = toPath(text);
    std::error_code ec;
    fs::path full = fs::absolute(p, ec);
    if (ec) full = fs::current_path() / p;
    full = full.lexically_normal();
    if (!full.has_filename() && full != full.root_path()) full = full.parent_path();
    return full;
}

namespace {

// [start, end) of the last name in `path`, trailing separators left out.
std::pair<std::size_t, std::size_t> lastName(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && isSeparator(path[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !isSeparator(path[start - 1])) --start;
    return {start, end};
}

}  // namespace

std::string fileNamePart(std::string_view path) {
    const auto [start, end] = lastName(path);
    return std::string(path.substr(start, end - start));
}

std::string baseNamePart(std::string_view path) {
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string extensionPart(std::string_view path) {
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string parentFolderPart(std::string_view path) {
    const auto [start, end] = lastName(path);
    if (start == end) return {};   // no name at all ("" or the root)
    std::size_t len = start;
    while (len > 0 && isSeparator(path[len - 1])) --len;
    if (len == 0) return start > 0 ? std::string(path.substr(0, 1)) : std::string();
    return std::string(path.substr(0, len));
}

std::string buildPath(std::string_view path, std::string_view name) {
    if (path.empty()) return std::string(name);
    std::string out(path);
    if (endsWithSeparator(path)) {
        out.append(!name.empty() && isSeparator(name.front()) ? name.substr(1) : name);
    } else {
        if (!name.empty() && !isSeparator(name.front())) out += '/';
        out.append(name);
    }
    return out;
}

bool hasWildcards(std::string_view name) noexcept { return name.find_first_of("*?") != std::string_view::npos; }

namespace {

bool glob(std::string_view p, std::string_view s) noexcept {
    std::size_t pi = 0, si = 0, starP = std::string_view::npos, starS = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starS = si;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

bool matchWildcard(std::string_view pattern, std::string_view name) noexcept {
    if (glob(pattern, name)) return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return glob(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

void raiseFor(const std::error_code& ec, std::int32_t missing) {
    switch (ec.value()) {
    case ENOENT: automation::raise(missing);
    case ENOTDIR: automation::raise(fserr::PathNotFound);
    case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY: case EBUSY: case EINVAL: case EXDEV:
        automation::raise(fserr::PermissionDenied);
    case EEXIST: case ENOTEMPTY: automation::raise(fserr::FileAlreadyExists);
    case ENOSPC: case EDQUOT: automation::raise(fserr::DiskFull);
    case ENAMETOOLONG: automation::raise(52);   // Bad file name or number
    default: automation::raise(fserr::DeviceIO);
    }
}

bool isReadOnly(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    return !ec && (st.permissions() & fs::perms::owner_write) == fs::perms::none;
}

}  // namespace vt::scripting
