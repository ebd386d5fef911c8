#pragma once
// The record layout file and the data file of a key, written beside the old ones and put in
// place together, the layout last: a kill at any moment leaves the old pair, the new pair, or a
// data file without its layout, which the outbound translator refuses. Temporary files that a
// killed write left in the folder are removed first.

#include "platform/files/SafeFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vt::integrator {

// Characters from `from` on that would break the data file's lines (TAB, CR, LF) become blanks.
// True when one did.
bool BlankLineBreaks(std::string& value, std::size_t from = 0);

class ImportPair {
public:
    // Throws std::filesystem::filesystem_error (a missing folder, a target nobody may write).
    ImportPair(const std::filesystem::path& layoutFile, const std::filesystem::path& dataFile);

    void writeLayout(std::string_view text) { layout_.write(text); }
    // Data bytes, gathered into large writes: added by append, or added to data() and then
    // handed over by gathered().
    void append(std::string_view bytes) {
        buffer_.append(bytes);
        gathered();
    }
    std::string& data() { return buffer_; }
    void gathered() {
        if (buffer_.size() >= kBufferBytes) flush();
    }
    // Writes what was gathered; the data file then holds every byte appended so far.
    void flush();
    // The data file's descriptor, for reading back what was written.
    int dataDescriptor() const { return data_.fd(); }

    // Puts both files in place; `reached` hears each step (see files::CommitPair).
    void commit(const std::function<void(int)>& reached = {});

private:
    static constexpr std::size_t kBufferBytes = 1 << 20;
    files::SafeFile data_, layout_;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

}  // namespace vt::integrator
