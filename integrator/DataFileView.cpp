#include "integrator/DataFileView.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace vt::integrator {

namespace {

[[noreturn]] void fail(const char* what, int error) {
    throw std::filesystem::filesystem_error(what, std::error_code(error, std::generic_category()));
}

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
std::size_t readAt(int fd, char* into, std::size_t size, std::uint64_t offset) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, into + got, size - got, off_t(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return got;
        }
        if (n == 0) break;
        got += std::size_t(n);
    }
    return got;
}

}  // namespace

DataFileView DataFileView::over(int fd, Index index) {
    DataFileView v;
    v.fd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (v.fd_ < 0) fail("cannot read the data file", errno);
    v.marks_ = std::move(index.marks);
    v.lines_ = index.lines;
    v.size_ = index.size;
    return v;
}

DataFileView::DataFileView(DataFileView&& other) noexcept { *this = std::move(other); }

DataFileView& DataFileView::operator=(DataFileView&& other) noexcept {
    if (this == &other) return *this;
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
    lines_ = std::exchange(other.lines_, 0);
    marks_ = std::move(other.marks_);
    cachedBlock_ = std::exchange(other.cachedBlock_, std::size_t(-1));
    cache_ = std::move(other.cache_);
    starts_ = std::move(other.starts_);
    return *this;
}

DataFileView::~DataFileView() {
    if (fd_ >= 0) ::close(fd_);
}

std::string_view DataFileView::line(std::size_t i) const {
    if (i >= lines_ || fd_ < 0) return {};
    const std::size_t block = i / kLinesPerMark;
    if (block != cachedBlock_) {
        const std::uint64_t from = marks_[block];
        const std::uint64_t to = block + 1 < marks_.size() ? marks_[block + 1] : size_;
        cache_.resize(std::size_t(to - from));
        cache_.resize(readAt(fd_, cache_.data(), cache_.size(), from));
        starts_.clear();
        for (std::size_t at = 0; at < cache_.size();) {
            starts_.push_back(at);
            const std::size_t end = cache_.find('\n', at);
            at = end == std::string::npos ? cache_.size() : end + 1;
        }
        starts_.push_back(cache_.size());
        cachedBlock_ = block;
    }
    const std::size_t k = i % kLinesPerMark;
    if (k + 1 >= starts_.size()) return {};
    std::string_view text(cache_.data() + starts_[k], starts_[k + 1] - starts_[k]);
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

}  // namespace vt::integrator
