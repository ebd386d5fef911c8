#include "exchange/ZipArchive.h"

#include "core/RunError.h"
#include "platform/files/SafeFile.h"

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <optional>
#include <vector>

namespace vt::exchange {

namespace fs = std::filesystem;

namespace {

// The numbers scripts know: 61 for a full disk, 75 for any other failure to write.
core::RunError writeError(const fs::path& file, const fs::filesystem_error& e) {
    const int error = e.code().value();
    if (error == ENOSPC || error == EDQUOT) return core::RunError(61, "Disk full: " + file.string());
    return core::RunError(75, "Path/File access error: " + file.string() + ": " + std::strerror(error));
}

std::string zipErrorText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

// Why an entry name may not be unpacked into a folder ("" when it may).
std::string unsafeEntry(const std::string& name) {
    if (name.empty()) return "has no name";
    if (name.find('\0') != std::string::npos) return "has a NUL in its name";
    if (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':')) return "has an absolute path";
    std::string part;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            if (part == "..") return "climbs out of the folder";
            part.clear();
        } else {
            part += name[i];
        }
    }
    return {};
}

}  // namespace

void ReplaceFile(const fs::path& file, std::string_view bytes) {
    try {
        files::ReplaceFile(file, bytes);
    } catch (const fs::filesystem_error& e) {
        throw writeError(file, e);
    }
}

void ZipFile(const fs::path& file, const fs::path& archive) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw core::RunError(53, "File not found: " + file.string());
    std::optional<files::SafeFile> temp;
    try {
        temp.emplace(archive);
    } catch (const fs::filesystem_error& e) {
        throw writeError(archive, e);
    }
    int code = 0;
    zip_t* z = zip_open(temp->path().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) throw core::RunError(75, "Cannot create the archive " + archive.string() + ": " + zipErrorText(code));
    zip_source_t* source = zip_source_file(z, file.c_str(), 0, -1);
    if (!source || zip_file_add(z, file.filename().c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
        const std::string why = zip_strerror(z);
        if (source) zip_source_free(source);
        zip_discard(z);
        throw core::RunError(75, "Cannot add " + file.string() + " to the archive: " + why);
    }
    if (zip_close(z) != 0) {
        const std::string why = zip_strerror(z);
        zip_discard(z);
        throw core::RunError(75, "Cannot write the archive " + archive.string() + ": " + why);
    }
    try {
        temp->commit();
    } catch (const fs::filesystem_error& e) {
        throw writeError(archive, e);
    }
}

std::string UnzipInto(const fs::path& archive, const fs::path& folder) {
    int code = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (!z) return "Cannot open the archive " + archive.string() + ": " + zipErrorText(code);
    struct Close {
        zip_t* z;
        ~Close() { zip_discard(z); }
    } close{z};

    const zip_int64_t count = zip_get_num_entries(z, 0);
    struct Entry {
        zip_uint64_t index;
        fs::path target;
        bool folder;
    };
    std::vector<Entry> entries;
    const fs::path base = fs::absolute(folder).lexically_normal();
    // Every name is checked before anything is written: a refused archive leaves no files.
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(z, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const std::string name = raw ? raw : "";
        std::string why = unsafeEntry(name);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (why.empty() && zip_file_get_external_attributes(z, zip_uint64_t(i), 0, &system, &attributes) == 0 &&
            system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK)
            why = "is a link";
        std::string rel = name;
        for (char& c : rel)
            if (c == '\\') c = '/';
        const fs::path target = (base / rel).lexically_normal();
        const std::string t = target.string(), b = base.string();
        if (why.empty() && (t.compare(0, b.size(), b) != 0 || (t.size() > b.size() && t[b.size()] != '/')))
            why = "climbs out of the folder";
        if (!why.empty())
            return "Zip entry \"" + name + "\" " + why + "; nothing was extracted from " + archive.string();
        entries.push_back({zip_uint64_t(i), target, !rel.empty() && rel.back() == '/'});
    }
    try {
        fs::create_directories(base);
        for (const Entry& e : entries) {
            if (e.folder) {
                fs::create_directories(e.target);
                continue;
            }
            fs::create_directories(e.target.parent_path());
            zip_file_t* f = zip_fopen_index(z, e.index, 0);
            if (!f) return "Cannot read " + e.target.filename().string() + " from the archive: " + zip_strerror(z);
            std::string bytes;
            char buffer[65536];
            zip_int64_t n;
            while ((n = zip_fread(f, buffer, sizeof buffer)) > 0) bytes.append(buffer, std::size_t(n));
            const bool failed = n < 0;
            const std::string why = failed ? zip_file_strerror(f) : "";
            zip_fclose(f);
            if (failed) return "Cannot read " + e.target.filename().string() + " from the archive: " + why;
            ReplaceFile(e.target, bytes);
        }
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

}  // namespace vt::exchange
