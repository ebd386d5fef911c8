// The record layout file and the data lines read into its record set. An input is a layout and
// data text separated by the first NUL byte (no NUL: no data). A layout either names its fault
// or gives an open, empty record set; every data line then becomes one record, or the reader
// stops with a run-time error on a value its field cannot hold.

#include "FuzzCheck.h"
#include "Scratch.h"
#include "core/RecordLayout.h"
#include "maps/MapTranslator.h"
#include "platform/automation/Recordset.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "tests/support/RecordingUiSink.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
fs::path gLayout;

// Lines as the data reader counts them: each line end closes one, and a last line without an
// end counts when it holds anything.
std::size_t dataLines(std::string_view data) {
    std::size_t n = 0;
    for (char c : data) n += c == '\n';
    return n + (!data.empty() && data.back() != '\n');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gLayout = vt::fuzz::scratchFolder("layout") / "ACME_850_004010_O.ADO";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace vt;
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t nul = input.find('\0');
    const std::string_view layout = input.substr(0, nul);
    const std::string_view data = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    std::ofstream(gLayout, std::ios::binary | std::ios::trunc).write(layout.data(), std::streamsize(layout.size()));

    std::size_t announced = 0;
    automation::Ref<automation::Recordset> record;
    try {
        record = core::readRecordLayout(gLayout, [&](const std::string&) { ++announced; });
    } catch (const automation::Error&) {
        return 0;
    }
    VT_FUZZ_CHECK(record && record->isOpen(), "a layout read without error gave no open record set");
    VT_FUZZ_CHECK(record->fieldCount() > 0 && record->fieldCount() == announced, "fields and announced names differ");
    VT_FUZZ_CHECK(record->recordCount() == 0, "a new record set holds records");

    db::Database closed;
    test::RecordingUiSink ui;
    FixedClock clock{text::DateTime{2024, 3, 5, 14, 7, 9}};
    MemorySettings settings;
    const core::Services s{closed, ui, clock, settings};
    try {
        maps::ReadOutboundData(s, *record, data);
    } catch (const automation::Error&) {
        return 0;
    }
    VT_FUZZ_CHECK(std::size_t(record->recordCount()) == dataLines(data), "not one record a data line");
    return 0;
}
