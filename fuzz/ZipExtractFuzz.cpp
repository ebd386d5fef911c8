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
// Deep enough that an entry climbing out by one, two or three levels still lands in gBox.
const fs::path kInside = fs::path("d1") / "d2" / "d3" / "in";

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gBox = vt::fuzz::scratchFolder("zip");
    fs::create_directories(gBox / kInside);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fs::path archive = gBox / "received.zip";
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;

    const fs::path in = gBox / kInside;
    (void)vt::exchange::UnzipInto(archive, in);

    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(gBox, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::path rel = it->path().lexically_relative(gBox);
        const bool inside = !rel.lexically_relative(kInside).empty() && *rel.lexically_relative(kInside).begin() != "..";
        if (inside) {
            VT_FUZZ_CHECK(!it->is_symlink(ec), "an entry was unpacked as a link");
            continue;
        }
        VT_FUZZ_CHECK(rel == "received.zip" || rel == "d1" || rel == "d1/d2" || rel == "d1/d2/d3",
                      "an entry was written outside the folder");
    }
    VT_FUZZ_CHECK(contents(archive) == bytes, "the archive was changed");

    fs::remove_all(in, ec);
    fs::create_directory(in, ec);
    return 0;
}
