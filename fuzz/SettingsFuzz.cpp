// The settings file as a user may have edited it: whatever the reader takes from it reads the same
// through the program's store, a save succeeds and keeps all of it, and the saved file reads
// back as what was loaded plus the value saved.

#include "FuzzCheck.h"
#include "Scratch.h"
#include "platform/settings/Settings.h"
#include "platform/text/AnsiQt.h"

#include <QSettings>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
fs::path gFolder;

std::map<QString, QVariant> everything(const fs::path& file) {
    QSettings read(QString::fromStdString(file.string()), QSettings::IniFormat);
    std::map<QString, QVariant> out;
    for (const QString& key : read.allKeys()) out[key] = read.value(key);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gFolder = vt::fuzz::scratchFolder("settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One file for every input, since the reader keeps what it read of each file for good. It
    // reads a file again when its size or time differs, and the time may not: a comment line in
    // front makes the size another than the one of the last file saved.
    const fs::path file = gFolder / "Veltrane.conf";
    static std::uintmax_t lastSize = 0;
    std::string text = ";\n" + std::string(reinterpret_cast<const char*>(data), size);
    if (text.size() == lastSize) text.insert(0, ";");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;

    const std::map<QString, QVariant> loaded = everything(file);
    std::map<QString, QVariant> expected = loaded;
    {
        vt::FileSettings store(file);
        // Names that differ only in case are one name to the store, which reads one of them.
        std::set<QString> names, folded;
        for (const auto& [key, value] : loaded)
            for (const QString& name : {key, key.section(QLatin1Char('/'), 0, 0)}) {
                names.insert(name);
                folded.insert(name.toLower());
            }
        const bool caseless = names.size() == folded.size();
        for (const auto& [key, value] : loaded) {
            const qsizetype slash = key.indexOf(QLatin1Char('/'));
            if (!caseless || slash <= 0 || key.indexOf(QLatin1Char('/'), slash + 1) >= 0 ||
                value.typeId() != QMetaType::QString)
                continue;
            // The program names its settings in 1252 text; a name outside it is none of its own.
            const std::string section = vt::text::toAnsi(key.left(slash)), name = vt::text::toAnsi(key.mid(slash + 1));
            if (vt::text::fromAnsi(section) + QLatin1Char('/') + vt::text::fromAnsi(name) != key) continue;
            const std::string got = store.get(section, name, "\x01");
            VT_FUZZ_CHECK(got == vt::text::toAnsi(value.toString()), "the store reads a value other than the file holds");
        }
        store.set("Fuzz", "Probe", "saved");
        try {
            store.flush();
        } catch (const std::runtime_error& e) {
            VT_FUZZ_CHECK(false, e.what());
        }
    }
    for (auto it = expected.begin(); it != expected.end();)
        it = it->first.compare(QStringLiteral("Fuzz/Probe"), Qt::CaseInsensitive) == 0 ? expected.erase(it) : std::next(it);
    const std::map<QString, QVariant> saved = everything(file);
    std::map<QString, QVariant> kept = saved;
    for (auto it = kept.begin(); it != kept.end();)
        it = it->first.compare(QStringLiteral("Fuzz/Probe"), Qt::CaseInsensitive) == 0 ? kept.erase(it) : std::next(it);
    VT_FUZZ_CHECK(kept == expected, "a save lost or changed what the file held");
    VT_FUZZ_CHECK(saved.size() == kept.size() + 1, "the saved value is missing");

    std::error_code ec;
    lastSize = fs::file_size(file, ec);
    return 0;
}
