// Zip extraction into a scratch folder: whatever the archive holds, nothing is written outside
// the folder, no link is made, and the archive itself stays as it was.

#include "FuzzCheck.h"
#include "Scratch.h"
#include "exchange/ZipArchive.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
fs::path gBox;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gBox = vt::fuzz::scratchFolder("zip");
    fs::create_directories(gBox / "in");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fs::path archive = gBox / "received.zip";
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;

    (void)vt::exchange::UnzipInto(archive, gBox / "in");

    std::error_code ec;
    for (const auto& e : fs::directory_iterator(gBox, ec)) {
        const std::string name = e.path().filename().string();
        VT_FUZZ_CHECK(name == "in" || name == "received.zip", "an entry was written beside the folder");
    }
    for (auto it = fs::recursive_directory_iterator(gBox / "in", ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        VT_FUZZ_CHECK(!it->is_symlink(ec), "an entry was unpacked as a link");
    VT_FUZZ_CHECK(contents(archive) == bytes, "the archive was changed");

    fs::remove_all(gBox / "in", ec);
    fs::create_directory(gBox / "in", ec);
    return 0;
}
