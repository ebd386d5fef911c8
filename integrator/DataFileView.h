#pragma once
// The lines of a data file read back on demand, so that a grid over a result of any size holds
// no copy of it: an open descriptor (the file may be renamed, replaced or removed meanwhile),
// the offset of every 64th line, and the last block of lines read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vt::integrator {

class DataFileView {
public:
    static constexpr std::size_t kLinesPerMark = 64;

    // Where the lines of a file start, noted while it is written.
    struct Index {
        std::vector<std::uint64_t> marks;   // offset of line k * kLinesPerMark
        std::size_t lines = 0;
        std::uint64_t size = 0;
        void addLine(std::uint64_t bytes) {
            if (lines % kLinesPerMark == 0) marks.push_back(size);
            ++lines;
            size += bytes;
        }
    };

    DataFileView() = default;
    // The lines of `index` in the file open at `fd`, read through a descriptor of its own (`fd`
    // stays the caller's). Throws std::filesystem::filesystem_error.
    static DataFileView over(int fd, Index index);

    DataFileView(DataFileView&& other) noexcept;
    DataFileView& operator=(DataFileView&& other) noexcept;
    DataFileView(const DataFileView&) = delete;
    DataFileView& operator=(const DataFileView&) = delete;
    ~DataFileView();

    std::size_t lines() const { return lines_; }
    // Line i without its line end; valid until the next call. A file changed under the view
    // gives what it holds now, or an empty line.
    std::string_view line(std::size_t i) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::size_t lines_ = 0;
    std::vector<std::uint64_t> marks_;
    mutable std::size_t cachedBlock_ = std::size_t(-1);
    mutable std::string cache_;
    mutable std::vector<std::size_t> starts_;   // line starts within cache_, and its end
};

}  // namespace vt::integrator
