// The settings file as a user may have edited it. Read, saved and read again, it keeps every
// setting the first read found, with its value, and the value saved; the program's store reads
// what the file holds; and the saved file means the same to another INI reader (QSettings').

#include "FuzzCheck.h"
#include "Scratch.h"
#include "platform/settings/IniText.h"
#include "platform/settings/Settings.h"
#include "platform/text/AnsiQt.h"

#include <QFile>
#include <QSettings>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
fs::path gFolder;

vt::ini::Entries readFile(const fs::path& file) {
    QFile f(QString::fromStdString(file.string()));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return vt::ini::read(f.readAll());
}

bool isProbe(const QString& name) { return name.compare(QStringLiteral("Fuzz/Probe"), Qt::CaseInsensitive) == 0; }

vt::ini::Entries withoutProbe(vt::ini::Entries entries) {
    for (auto it = entries.begin(); it != entries.end();) it = isProbe(it.key()) ? entries.erase(it) : std::next(it);
    return entries;
}

bool halfPair(const QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ++i;
        else if (s[i].isSurrogate()) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gFolder = vt::fuzz::scratchFolder("settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A file of its own for every input: a store keeps what it read of a file while the file's
    // size and time stay the same, and two inputs may well share both.
    static unsigned long serial = 0;
    const fs::path file = gFolder / ("Veltrane-" + std::to_string(++serial) + ".conf");
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));

    const vt::ini::Entries loaded = vt::ini::read(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    {
        vt::FileSettings store(file);
        // Names that differ only in case are one name to the store, which reads one of them.
        std::set<QString> names, folded;
        for (auto it = loaded.begin(); it != loaded.end(); ++it)
            for (const QString& name : {it.key(), it.key().section(QLatin1Char('/'), 0, 0)}) {
                names.insert(name);
                folded.insert(name.toLower());
            }
        const bool caseless = names.size() == folded.size();
        for (auto it = loaded.begin(); caseless && it != loaded.end(); ++it) {
            const QString& key = it.key();
            const qsizetype slash = key.indexOf(QLatin1Char('/'));
            if (slash <= 0 || key.indexOf(QLatin1Char('/'), slash + 1) >= 0) continue;
            // The program names its settings in 1252 text; a name outside it is none of its own.
            const std::string section = vt::text::toAnsi(key.left(slash)), name = vt::text::toAnsi(key.mid(slash + 1));
            if (vt::text::fromAnsi(section) + QLatin1Char('/') + vt::text::fromAnsi(name) != key) continue;
            VT_FUZZ_CHECK(store.get(section, name, "\x01") == vt::text::toAnsi(it.value().toString()),
                          "the store reads a value other than the file holds");
        }
        store.set("Fuzz", "Probe", "saved");
        try {
            store.flush();
        } catch (const std::runtime_error& e) {
            VT_FUZZ_CHECK(false, e.what());
        }
    }

    const vt::ini::Entries saved = readFile(file);
    VT_FUZZ_CHECK(withoutProbe(saved) == withoutProbe(loaded), "a save lost or changed a setting the file held");
    bool probe = false;
    for (auto it = saved.begin(); it != saved.end(); ++it) probe |= isProbe(it.key()) && it.value() == QStringLiteral("saved");
    VT_FUZZ_CHECK(probe, "the saved value is missing");

    // Another reader, on a copy that no store of this process has read.
    const fs::path copy = gFolder / ("copy-" + std::to_string(serial) + ".ini");
    fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
    {
        QSettings other(QString::fromStdString(copy.string()), QSettings::IniFormat);
        VT_FUZZ_CHECK(other.status() == QSettings::NoError, "another reader finds the saved file malformed");
        const QStringList keys = other.allKeys();
        VT_FUZZ_CHECK(keys.size() == saved.size(), "another reader finds other settings in the saved file");
        for (auto it = saved.begin(); it != saved.end(); ++it) {
            const QVariant value = other.value(it.key());
            // Half a surrogate pair is text only to us; QSettings makes it a question mark.
            if (halfPair(it.value().toString())) continue;
            VT_FUZZ_CHECK(value.typeId() == QMetaType::QString && value == it.value(),
                          "another reader reads a saved value otherwise");
        }
    }
    std::error_code ec;
    fs::remove(copy, ec);
    fs::remove(file, ec);
    return 0;
}
