#include "integrator/ImportPair.h"

#include <fcntl.h>

namespace vt::integrator {

bool BlankLineBreaks(std::string& v, std::size_t from) {
    bool changed = false;
    for (std::size_t at = from; at < v.size(); ++at) {
        const char c = v[at];
        if (c == '\t' || c == '\r' || c == '\n') {
            v[at] = ' ';
            changed = true;
        }
    }
    return changed;
}

namespace {

// The file, once its folder holds no temporary file of a killed write.
const std::filesystem::path& afterLeftovers(const std::filesystem::path& file) {
    files::RemoveLeftovers(file.parent_path());
    return file;
}

}  // namespace

ImportPair::ImportPair(const std::filesystem::path& layoutFile, const std::filesystem::path& dataFile)
    : data_(afterLeftovers(dataFile)), layout_(layoutFile) {
    buffer_.reserve(kBufferBytes + 4096);
}

void ImportPair::flush() {
    data_.write(buffer_);
    // The disk starts on what is written while the rows still come, so the closing sync waits
    // for the last part only.
    ::sync_file_range(data_.fd(), off64_t(written_), off64_t(buffer_.size()), SYNC_FILE_RANGE_WRITE);
    written_ += buffer_.size();
    buffer_.clear();
}

void ImportPair::commit(const std::function<void(int)>& reached) {
    flush();
    files::CommitPair(data_, layout_, reached);
}

}  // namespace vt::integrator
