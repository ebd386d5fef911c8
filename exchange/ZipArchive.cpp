#include "exchange/ZipArchive.h"

#include "core/RunError.h"
#include "platform/files/SafeFile.h"

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <iterator>
#include <optional>
#include <vector>

namespace vt::exchange {

namespace fs = std::filesystem;

namespace {

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

core::RunError WriteError(const fs::path& file, const std::error_code& error) {
    if (error == std::errc::no_space_on_device || error.value() == EDQUOT)
        return core::RunError(61, "Disk full: " + file.string());
    return core::RunError(75, "Path/File access error: " + file.string() + ": " + error.message());
}

core::RunError WriteError(const fs::path& file, int error) {
    return WriteError(file, std::error_code(error, std::generic_category()));
}

void ZipFile(const fs::path& file, const fs::path& archive) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw core::RunError(53, "File not found: " + file.string());
    std::optional<files::SafeFile> temp;
    try {
        temp.emplace(archive);
    } catch (const fs::filesystem_error& e) {
        throw WriteError(archive, e.code());
    }
    // Made in memory and written through the safe writer's descriptor: the library would write
    // by name, where anyone who can write the folder could have put something else.
    zip_error_t error;
    zip_error_init(&error);
    struct Source {
        zip_source_t* s;
        ~Source() {
            if (s) zip_source_free(s);
        }
    } buffer{zip_source_buffer_create(nullptr, 0, 0, &error)};
    auto failure = [&](const std::string& what, const std::string& why) {
        zip_error_fini(&error);
        return core::RunError(75, what + ": " + why);
    };
    if (!buffer.s) throw failure("Cannot create the archive " + archive.string(), zip_error_strerror(&error));
    zip_t* z = zip_open_from_source(buffer.s, ZIP_TRUNCATE, &error);
    if (!z) throw failure("Cannot create the archive " + archive.string(), zip_error_strerror(&error));
    zip_source_keep(buffer.s);   // outlives the archive, which writes into it at its close
    zip_source_t* source = zip_source_file(z, file.c_str(), 0, -1);
    if (!source || zip_file_add(z, file.filename().c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
        const std::string why = zip_strerror(z);
        if (source) zip_source_free(source);
        zip_discard(z);
        throw failure("Cannot add " + file.string() + " to the archive", why);
    }
    if (zip_close(z) != 0) {
        const std::string why = zip_strerror(z);
        zip_discard(z);
        throw failure("Cannot write the archive " + archive.string(), why);
    }
    zip_error_fini(&error);
    try {
        if (zip_source_open(buffer.s) < 0)
            throw core::RunError(75, "Cannot write the archive " + archive.string() + ": " +
                                         zip_error_strerror(zip_source_error(buffer.s)));
        char bytes[65536];
        zip_int64_t n;
        while ((n = zip_source_read(buffer.s, bytes, sizeof bytes)) > 0) temp->write(std::string_view(bytes, std::size_t(n)));
        zip_source_close(buffer.s);
        temp->commit();
    } catch (const fs::filesystem_error& e) {
        throw WriteError(archive, e.code());
    }
}

namespace {

std::string sizeText(std::int64_t bytes) {
    if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MB";
    return std::to_string(bytes) + " bytes";
}

// Why an entry's target cannot be used ("" when it can): every folder on the way must be a
// folder, and the target itself no folder.
std::string blockedTarget(const fs::path& base, const fs::path& target, bool folder) {
    std::error_code ec;
    fs::path at = base;
    const fs::path rel = target.lexically_relative(base);
    std::size_t left = std::size_t(std::distance(rel.begin(), rel.end()));
    for (const fs::path& part : rel) {
        at /= part;
        --left;
        const fs::file_status st = fs::symlink_status(at, ec);
        if (ec || st.type() == fs::file_type::not_found) return {};
        const bool last = left == 0;
        if (fs::is_symlink(st)) return "would be written through a link";
        if ((!last || folder) && !fs::is_directory(st)) return "needs a folder where the file " + at.filename().string() + " stands";
        if (last && !folder && fs::is_directory(st)) return "would replace a folder";
    }
    return {};
}

}  // namespace

UnzipResult UnzipInto(const fs::path& archive, const fs::path& folder, std::int64_t maxBytes) {
    UnzipResult result;
    int code = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &code);
    if (!z) {
        result.failure = "Cannot open the archive " + archive.string() + ": " + zipErrorText(code);
        return result;
    }
    struct Close {
        zip_t* z;
        ~Close() { zip_discard(z); }
    } close{z};

    const fs::path base = fs::absolute(folder).lexically_normal();
    std::error_code ec;
    fs::create_directories(base, ec);
    if (ec) {
        result.failure = "Cannot make the folder " + base.string() + ": " + ec.message();
        return result;
    }
    std::int64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(z, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const std::string name = raw ? raw : "";
        auto refuse = [&](const std::string& why) {
            result.refused.push_back("Zip entry \"" + name + "\" " + why + "; it was not extracted from " +
                                     archive.filename().string());
        };
        std::string why = unsafeEntry(name);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (why.empty() && zip_file_get_external_attributes(z, zip_uint64_t(i), 0, &system, &attributes) == 0 &&
            system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK)
            why = "is a link";
        std::string rel = name;
        for (char& c : rel)
            if (c == '\\') c = '/';
        const bool isFolder = !rel.empty() && rel.back() == '/';
        const fs::path target = (base / rel).lexically_normal();
        const std::string t = target.string(), b = base.string();
        if (why.empty() && (t.compare(0, b.size(), b) != 0 || (t.size() > b.size() && t[b.size()] != '/')))
            why = "climbs out of the folder";
        if (why.empty()) why = blockedTarget(base, target, isFolder);
        if (!why.empty()) {
            refuse(why);
            continue;
        }
        try {
            if (isFolder) {
                fs::create_directories(target);
                continue;
            }
            fs::create_directories(target.parent_path());
            zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
            if (!f) {
                refuse(std::string("cannot be read: ") + zip_strerror(z));
                continue;
            }
            struct CloseEntry {
                zip_file_t* f;
                ~CloseEntry() { zip_fclose(f); }
            } closeEntry{f};
            files::SafeFile out(target);
            std::int64_t size = 0;
            std::string tooLarge;
            char buffer[65536];
            zip_int64_t n;
            while ((n = zip_fread(f, buffer, sizeof buffer)) > 0) {
                size += n;
                if (maxBytes > 0 && (size > maxBytes || total + size > maxBytes)) {
                    tooLarge = "is larger than the limit of " + sizeText(maxBytes);
                    break;
                }
                out.write(std::string_view(buffer, std::size_t(n)));
            }
            if (!tooLarge.empty()) {
                refuse(tooLarge);
                continue;
            }
            if (n < 0) {
                refuse(std::string("cannot be read: ") + zip_file_strerror(f));
                continue;
            }
            out.commit();
            total += size;
            ++result.written;
        } catch (const fs::filesystem_error& e) {
            refuse("cannot be written: " + e.code().message());
        } catch (const std::exception& e) {
            refuse(std::string("cannot be written: ") + e.what());
        }
    }
    return result;
}

}  // namespace vt::exchange
