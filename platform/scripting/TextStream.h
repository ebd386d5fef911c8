#pragma once
// A text file open for reading, writing or appending, one character a byte (1252), or UTF-16LE
// when opened as Unicode (a byte-order mark is skipped on reading and written to a new file).
// A line ends at CR LF, LF or CR; WriteLine writes CR LF. Writes go to the file at once, so
// the file shows what was written before Close and a failed write is reported by the call
// that made it. Errors: 54 for reading a stream opened for writing (and the reverse) or a
// closed one, 62 for reading past the end, 5 for a negative count.

#include "platform/automation/Object.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vt::scripting {

enum class IoMode : std::int32_t { ForReading = 1, ForWriting = 2, ForAppending = 8 };

// The iomode argument (1, 2 or 8; else 5).
IoMode ioModeFrom(std::int32_t value);
// Whether the format argument asks for Unicode: -1 yes, 0 and -2 (the default, ANSI) no; else 5.
bool unicodeFrom(std::int32_t format);

class TextStream final : public automation::Dispatch<TextStream> {
public:
    // Takes ownership of an open file descriptor. `emptyFile`: writing starts at the beginning of
    // the file (a Unicode stream then begins with the byte-order mark).
    TextStream(int fd, IoMode mode, bool unicode, bool emptyFile = false);
    ~TextStream() override;
    static const automation::Members<TextStream>& members();

    // Opens `path`. Reading or appending a file that is not there gives 53 unless `create`;
    // writing empties it. A folder gives 70; a missing parent folder 76.
    static automation::Ref<TextStream> open(const std::filesystem::path& path, IoMode mode, bool create, bool unicode);
    // Creates `path` (emptying a file there when `overwrite`, else 58 when it exists).
    static automation::Ref<TextStream> create(const std::filesystem::path& path, bool overwrite, bool unicode);

    std::string readLine();
    std::string readAll();
    std::string read(std::int32_t count);
    void skip(std::int32_t count);
    void skipLine();
    bool atEndOfStream();
    bool atEndOfLine();

    void write(std::string_view text);
    void writeLine(std::string_view text = {});
    void writeBlankLines(std::int32_t count);

    // 1-based line and column of the next character read or written.
    std::int32_t line() const noexcept { return line_; }
    std::int32_t column() const noexcept { return column_; }
    void close() noexcept;

private:
    void requireReading();
    void requireWriting();
    // The next character without taking it; -1 at the end.
    int peek();
    int get();
    bool fill();
    void decode(const char* bytes, std::size_t n);
    void track(char c) noexcept;
    void writeBytes(std::string_view bytes);

    int fd_ = -1;
    IoMode mode_;
    bool unicode_;
    // Reading: decoded characters not yet taken.
    std::string buf_;
    std::size_t pos_ = 0;
    bool eof_ = false;
    bool atStart_;            // reading: a byte-order mark may follow; writing: one is due
    std::string oddByte_;     // half a UTF-16 unit left from the previous block
    bool highSurrogate_ = false;
    // Position.
    std::int32_t line_ = 1;
    std::int32_t column_ = 1;
    bool afterCR_ = false;
};

}  // namespace vt::scripting
