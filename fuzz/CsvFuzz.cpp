// The plug-in's comma-separated lines: any line either names its fault or gives fields that,
// written back with RFC 4180 quoting, read the same again; splitting a file into lines loses no
// byte but the line ends.

#include "ActiveX/Csv.h"
#include "FuzzCheck.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vt::brackwen;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::size_t kept = 0;
    for (std::string_view line : textLines(input)) {
        kept += line.size();
        VT_FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos, "a line holds a line end");
        const CsvLine parsed = splitCsvLine(line);
        if (parsed.error) continue;
        std::string written;
        for (std::size_t i = 0; i < parsed.fields.size(); ++i) {
            if (i) written += ',';
            written += '"';
            for (char c : parsed.fields[i]) written += c == '"' ? std::string("\"\"") : std::string(1, c);
            written += '"';
        }
        const CsvLine again = splitCsvLine(written);
        VT_FUZZ_CHECK(!again.error && again.fields == parsed.fields, "fields written back read differently");
    }
    std::size_t ends = 0;
    for (char c : input) ends += c == '\r' || c == '\n';
    VT_FUZZ_CHECK(kept + ends == input.size(), "splitting into lines lost bytes");
    return 0;
}
