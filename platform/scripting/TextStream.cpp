#include "TextStream.h"

#include "Paths.h"
#include "platform/text/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vt::scripting {

using namespace vt::automation;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kByteOrderMark = "\xFF\xFE";

[[noreturn]] void raiseErrno(std::int32_t missing) { raiseFor(std::error_code(errno, std::system_category()), missing); }

void requireParentFolder(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_directory(path.parent_path(), ec)) raise(fserr::PathNotFound);
}

Ref<TextStream> openWith(const fs::path& path, int flags, IoMode mode, bool unicode) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) raiseErrno(fserr::FileNotFound);
    const bool emptyFile = mode != IoMode::ForReading && ::lseek(fd, 0, SEEK_END) == 0;
    auto stream = makeRef<TextStream>(fd, mode, unicode, emptyFile);
    if (unicode && emptyFile) stream->write({});   // the byte-order mark
    return stream;
}

}  // namespace

IoMode ioModeFrom(std::int32_t value) {
    if (value != 1 && value != 2 && value != 8) raise(fserr::InvalidCall);
    return IoMode(value);
}

bool unicodeFrom(std::int32_t format) {
    if (format != 0 && format != -1 && format != -2) raise(fserr::InvalidCall);
    return format == -1;
}

TextStream::TextStream(int fd, IoMode mode, bool unicode, bool emptyFile)
    : fd_(fd), mode_(mode), unicode_(unicode), atStart_(mode == IoMode::ForReading || emptyFile) {}

TextStream::~TextStream() { close(); }

Ref<TextStream> TextStream::open(const fs::path& path, IoMode mode, bool create, bool unicode) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) raise(fserr::PermissionDenied);
    requireParentFolder(path);
    int flags = 0;
    switch (mode) {
    case IoMode::ForReading: flags = O_RDONLY; break;
    case IoMode::ForWriting: flags = O_WRONLY | O_TRUNC; break;
    case IoMode::ForAppending: flags = O_WRONLY | O_APPEND; break;
    default: raise(fserr::InvalidCall);
    }
    if (create) flags |= O_CREAT;
    return openWith(path, flags, mode, unicode);
}

Ref<TextStream> TextStream::create(const fs::path& path, bool overwrite, bool unicode) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) raise(overwrite ? fserr::PermissionDenied : fserr::FileAlreadyExists);
    requireParentFolder(path);
    return openWith(path, O_WRONLY | O_CREAT | (overwrite ? O_TRUNC : O_EXCL), IoMode::ForWriting, unicode);
}

void TextStream::close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void TextStream::requireReading() {
    if (fd_ < 0 || mode_ != IoMode::ForReading) raise(fserr::BadFileMode);
}

void TextStream::requireWriting() {
    if (fd_ < 0 || mode_ == IoMode::ForReading) raise(fserr::BadFileMode);
}

// ---- Reading ----

void TextStream::decode(const char* bytes, std::size_t n) {
    if (!unicode_) {
        buf_.append(bytes, n);
        return;
    }
    std::string pending = std::move(oddByte_);
    pending.append(bytes, n);
    std::size_t i = 0;
    for (; i + 1 < pending.size(); i += 2) {
        const char16_t unit = char16_t(static_cast<unsigned char>(pending[i]) | (static_cast<unsigned char>(pending[i + 1]) << 8));
        if (atStart_) {
            atStart_ = false;
            if (unit == 0xFEFF) continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_) {   // second half of a pair
            highSurrogate_ = false;
            continue;
        }
        highSurrogate_ = unit >= 0xD800 && unit <= 0xDBFF;
        const int byte = highSurrogate_ ? -1 : text::unicodeToAnsi(unit);
        buf_ += byte < 0 ? '?' : char(byte);
    }
    oddByte_ = pending.substr(i);
}

bool TextStream::fill() {
    if (pos_ < buf_.size()) return true;
    buf_.clear();
    pos_ = 0;
    while (!eof_ && buf_.empty()) {
        char block[65536];
        const ssize_t n = ::read(fd_, block, sizeof block);
        if (n < 0) {
            if (errno == EINTR) continue;
            raiseErrno(fserr::DeviceIO);
        }
        if (n == 0)
            eof_ = true;
        else
            decode(block, std::size_t(n));
    }
    return !buf_.empty();
}

int TextStream::peek() { return fill() ? static_cast<unsigned char>(buf_[pos_]) : -1; }

int TextStream::get() {
    const int c = peek();
    if (c >= 0) {
        ++pos_;
        track(char(c));
    }
    return c;
}

void TextStream::track(char c) noexcept {
    if (c == '\r' || (c == '\n' && !afterCR_)) ++line_;
    if (c == '\r' || c == '\n')
        column_ = 1;
    else
        ++column_;
    afterCR_ = c == '\r';
}

std::string TextStream::readLine() {
    requireReading();
    if (!fill()) raise(fserr::InputPastEnd);
    std::string out;
    while (fill()) {
        const std::size_t stop = buf_.find_first_of("\r\n", pos_);
        const std::size_t end = stop == std::string::npos ? buf_.size() : stop;
        if (end > pos_) {
            out.append(buf_, pos_, end - pos_);
            column_ += std::int32_t(end - pos_);
            afterCR_ = false;
            pos_ = end;
        }
        if (stop != std::string::npos) {
            if (get() == '\r' && peek() == '\n') get();
            break;
        }
    }
    return out;
}

std::string TextStream::readAll() {
    requireReading();
    if (!fill()) raise(fserr::InputPastEnd);
    std::string out;
    while (fill()) {
        for (std::size_t i = pos_; i < buf_.size(); ++i) track(buf_[i]);
        out.append(buf_, pos_, std::string::npos);
        pos_ = buf_.size();
    }
    return out;
}

std::string TextStream::read(std::int32_t count) {
    requireReading();
    if (count < 0) raise(fserr::InvalidCall);
    if (!fill()) raise(fserr::InputPastEnd);
    std::string out;
    for (std::int32_t i = 0; i < count; ++i) {
        const int c = get();
        if (c < 0) break;
        out += char(c);
    }
    return out;
}

void TextStream::skip(std::int32_t count) {
    requireReading();
    if (count < 0) raise(fserr::InvalidCall);
    if (count > 0 && !fill()) raise(fserr::InputPastEnd);
    for (std::int32_t i = 0; i < count && get() >= 0; ++i) {
    }
}

void TextStream::skipLine() { readLine(); }

bool TextStream::atEndOfStream() {
    requireReading();
    return !fill();
}

bool TextStream::atEndOfLine() {
    requireReading();
    const int c = peek();
    return c < 0 || c == '\r' || c == '\n';
}

// ---- Writing ----

void TextStream::writeBytes(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            raiseErrno(fserr::DeviceIO);
        }
        bytes.remove_prefix(std::size_t(n));
    }
}

void TextStream::write(std::string_view textToWrite) {
    requireWriting();
    if (!unicode_) {
        writeBytes(textToWrite);
    } else {
        std::string bytes;
        if (atStart_) bytes = kByteOrderMark;   // a Unicode file written from its start
        atStart_ = false;
        bytes.reserve(bytes.size() + textToWrite.size() * 2);
        for (char c : textToWrite) {
            const char32_t u = text::ansiToUnicode(static_cast<unsigned char>(c));
            bytes += char(u & 0xFF);
            bytes += char((u >> 8) & 0xFF);
        }
        writeBytes(bytes);
    }
    for (char c : textToWrite) track(c);
}

void TextStream::writeLine(std::string_view textToWrite) {
    std::string line(textToWrite);
    line += "\r\n";
    write(line);
}

void TextStream::writeBlankLines(std::int32_t count) {
    requireWriting();
    if (count < 0) raise(fserr::InvalidCall);
    std::string lines;
    for (std::int32_t i = 0; i < count; ++i) lines += "\r\n";
    write(lines);
}

// ---- Late-bound members ----

const Members<TextStream>& TextStream::members() {
    using T = TextStream;
    static const Members<T> m = [] {
        Members<T> t("TextStream");
        t.method("ReadLine", {}, [](T& s, Args&) { return Variant(s.readLine()); })
            .method("ReadAll", {}, [](T& s, Args&) { return Variant(s.readAll()); })
            .method("Read", {1, 1}, [](T& s, Args& a) { return Variant(s.read(a.int32(0))); })
            .method("Skip", {1, 1}, [](T& s, Args& a) {
                s.skip(a.int32(0));
                return Variant();
            })
            .method("SkipLine", {}, [](T& s, Args&) {
                s.skipLine();
                return Variant();
            })
            .get("AtEndOfStream", [](T& s, Args&) { return Variant(s.atEndOfStream()); })
            .get("AtEndOfLine", [](T& s, Args&) { return Variant(s.atEndOfLine()); })
            .method("Write", {1, 1}, [](T& s, Args& a) {
                s.write(a.string(0));
                return Variant();
            })
            .method("WriteLine", {0, 1}, [](T& s, Args& a) {
                s.writeLine(a.string(0));
                return Variant();
            })
            .method("WriteBlankLines", {1, 1}, [](T& s, Args& a) {
                s.writeBlankLines(a.int32(0));
                return Variant();
            })
            .get("Line", [](T& s, Args&) { return Variant(s.line()); })
            .get("Column", [](T& s, Args&) { return Variant(s.column()); })
            .method("Close", {}, [](T& s, Args&) {
                s.close();
                return Variant();
            });
        return t;
    }();
    return m;
}

}  // namespace vt::scripting
