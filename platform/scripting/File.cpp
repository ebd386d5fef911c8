#include "File.h"

#include "FileOps.h"
#include "Folder.h"
#include "TextStream.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <sys/stat.h>

namespace vt::scripting {

using namespace vt::automation;
namespace fs = std::filesystem;

Variant sizeValue(double bytes) {
    if (bytes <= double(INT32_MAX)) return Variant(std::int32_t(bytes));
    return Variant(bytes);
}

Variant modifiedDate(const fs::path& path, std::int32_t missing) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) raiseFor(std::error_code(errno, std::system_category()), missing);
    const text::DateTime dt = localDateTime(st.st_mtim.tv_sec);
    return Variant(Date{text::toOleDate(dt)});
}

const Members<File>& File::members() {
    static const Members<File> m = [] {
        Members<File> t("File");
        t.get("Name", [](File& f, Args&) { return Variant(toText(f.path_.filename())); })
            .get("Path", [](File& f, Args&) { return Variant(toText(f.path_)); })
            .get("Size", [](File& f, Args&) {
                std::error_code ec;
                const auto size = fs::file_size(f.path_, ec);
                if (ec) raiseFor(ec, fserr::FileNotFound);
                return sizeValue(double(size));
            })
            .get("DateLastModified", [](File& f, Args&) { return modifiedDate(f.path_, fserr::FileNotFound); })
            .get("ParentFolder", [](File& f, Args&) { return Variant(makeRef<Folder>(f.path_.parent_path())); })
            .method("Copy", {1, 2}, [](File& f, Args& a) {
                copyFileTo(f.path_, a.string(0), a.boolean(1, true));
                return Variant();
            })
            .method("Move", {1, 1}, [](File& f, Args& a) {
                f.path_ = moveFileTo(f.path_, a.string(0));
                return Variant();
            })
            .method("Delete", {0, 1}, [](File& f, Args& a) {
                deleteFile(f.path_, a.boolean(0, false));
                return Variant();
            })
            .method("OpenAsTextStream", {0, 2}, [](File& f, Args& a) {
                const IoMode mode = ioModeFrom(a.int32(0, 1));
                const bool unicode = unicodeFrom(a.int32(1, 0));
                if (!isFile(f.path_)) raise(fserr::FileNotFound);
                return Variant(TextStream::open(f.path_, mode, false, unicode));
            })
            .defaultMember("Path");
        return t;
    }();
    return m;
}

}  // namespace vt::scripting
