#include "Settings.h"

#include "IniText.h"
#include "platform/text/AnsiQt.h"

#include <QFile>
#include <QSettings>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <strings.h>
#include <vector>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt {

namespace {

// The settings store compares section and key names without case; QSettings on this platform
// does not, so a name is matched against the stored ones first.
QString resolve(const QStringList& stored, const QString& name) {
    for (const QString& s : stored)
        if (s.compare(name, Qt::CaseInsensitive) == 0) return s;
    return name;
}

QString groupKey(QSettings& qs, std::string_view section, std::string_view key) {
    QString group = resolve(qs.childGroups(), text::fromAnsi(section));
    qs.beginGroup(group);
    QString k = resolve(qs.childKeys(), text::fromAnsi(key));
    qs.endGroup();
    return group + QLatin1Char('/') + k;
}

// The setting the last write of this thread refused to lose; empty when none.
QString& refusedLoss() {
    thread_local QString setting;
    return setting;
}

bool readIni(QIODevice& device, QSettings::SettingsMap& map) {
    map = ini::read(device.readAll());
    return true;
}

bool writeIni(QIODevice& device, const QSettings::SettingsMap& map) {
    const QByteArray text = ini::write(map);
    refusedLoss() = ini::lostSetting(map, text);
    return refusedLoss().isEmpty() && device.write(text) == text.size();
}

// INI text as QSettings writes it, read by our own reader (IniText.h).
QSettings::Format iniFormat() {
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("conf"), readIni, writeIni);
    return format;
}

// A folder named by the environment; a relative one names no folder.
std::filesystem::path envPath(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v == '/') ? std::filesystem::path(v) : std::filesystem::path();
}

// The home folder, or the reason there is none to use: without one the data and settings would
// land where other users can reach them, and a folder from the user database that is missing or
// not the user's to write in is no better.
struct Home {
    std::filesystem::path folder;
    std::string problem;
};

Home findHome() {
    if (auto p = envPath("HOME"); !p.empty()) return {p, {}};
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? std::size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    const std::string again = ". Set HOME and start Veltrane again.";
    if (!found || !found->pw_dir || found->pw_dir[0] != '/')
        return {{}, "Veltrane cannot find your home folder: HOME is not set and the user database names none for you" + again};
    const std::filesystem::path folder = found->pw_dir;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return {{}, "Veltrane cannot use your home folder: HOME is not set and the folder the user database names for "
                    "you, " + folder.string() + ", does not exist" + again};
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return {{}, "Veltrane cannot use your home folder: HOME is not set and you cannot write in the folder the user "
                    "database names for you, " + folder.string() + again};
    return {folder, {}};
}

std::filesystem::path knownHomeFolder() {
    Home home = findHome();
    if (home.folder.empty()) throw std::runtime_error(home.problem);
    return home.folder;
}

}  // namespace

// ---- MemorySettings ----

bool MemorySettings::NoCase::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

std::string MemorySettings::get(std::string_view section, std::string_view key, std::string_view def) const {
    auto s = data_.find(std::string(section));
    if (s == data_.end()) return std::string(def);
    auto k = s->second.find(std::string(key));
    return k == s->second.end() ? std::string(def) : k->second;
}

void MemorySettings::set(std::string_view section, std::string_view key, std::string_view value) {
    data_[std::string(section)][std::string(key)] = std::string(value);
}

void MemorySettings::remove(std::string_view section, std::string_view key) {
    auto s = data_.find(std::string(section));
    if (s != data_.end()) s->second.erase(std::string(key));
}

void MemorySettings::removeSection(std::string_view section) { data_.erase(std::string(section)); }

bool MemorySettings::contains(std::string_view section, std::string_view key) const {
    auto s = data_.find(std::string(section));
    return s != data_.end() && s->second.count(std::string(key));
}

// ---- FileSettings ----

struct FileSettings::Impl {
    explicit Impl(const QString& file) : qs((makePrivate(file), file), iniFormat()) {}
    QSettings qs;
    // The settings hold folders, partner names and logins: the folder is the owner's alone, and
    // the file exists at 0600 before the first save, whose temporary file takes its mode.
    static void makePrivate(const QString& file) {
        const std::filesystem::path path(QFile::encodeName(file).toStdString());
        std::error_code ec;
        if (std::filesystem::create_directories(path.parent_path(), ec))
            ::chmod(path.parent_path().c_str(), 0700);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
    }
    // The file holds the account's password hash. Each sync writes a new file and renames it
    // into place, created with the process's umask, so the application's own folder is kept
    // private as well (a file placed elsewhere leaves its folder alone).
    void protect() {
        const QByteArray file = QFile::encodeName(qs.fileName());
        const std::filesystem::path folder = std::filesystem::path(file.constData()).parent_path();
        if (folder.filename() == "Veltrane") {
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            ::chmod(folder.c_str(), 0700);
        }
        qs.sync();
        ::chmod(file.constData(), 0600);
    }
};

static std::filesystem::path defaultIniFile() {
    std::filesystem::path config = envPath("XDG_CONFIG_HOME");
    if (config.empty()) config = knownHomeFolder() / ".config";
    return config / "Veltrane" / "Veltrane.conf";
}

FileSettings::FileSettings() : FileSettings(defaultIniFile()) {}

FileSettings::FileSettings(const std::filesystem::path& iniFile)
    : d_(std::make_unique<Impl>(QString::fromStdString(iniFile.string()))) {}

FileSettings::~FileSettings() {
    d_->protect();
}

std::string FileSettings::get(std::string_view section, std::string_view key, std::string_view def) const {
    QVariant v = d_->qs.value(groupKey(d_->qs, section, key));
    if (!v.isValid()) return std::string(def);
    return text::toAnsi(v.toString());
}

void FileSettings::set(std::string_view section, std::string_view key, std::string_view value) {
    d_->qs.setValue(groupKey(d_->qs, section, key), text::fromAnsi(value));
    d_->protect();
}

void FileSettings::remove(std::string_view section, std::string_view key) {
    d_->qs.remove(groupKey(d_->qs, section, key));
    d_->protect();
}

void FileSettings::removeSection(std::string_view section) {
    d_->qs.remove(resolve(d_->qs.childGroups(), text::fromAnsi(section)));
    d_->protect();
}

bool FileSettings::contains(std::string_view section, std::string_view key) const {
    return d_->qs.contains(groupKey(d_->qs, section, key));
}

void FileSettings::sync() { d_->protect(); }

void FileSettings::flush() {
    // A store keeps its first error for good; a fresh one, which shares the values still to be
    // written and writes them as it starts, tells whether this write went through.
    refusedLoss().clear();
    d_ = std::make_unique<Impl>(d_->qs.fileName());
    d_->protect();
    if (d_->qs.status() == QSettings::NoError) return;
    const std::string file = QFile::encodeName(d_->qs.fileName()).toStdString();
    if (!refusedLoss().isEmpty())
        throw std::runtime_error("The settings file " + file + " was not saved: it would have lost the setting " +
                                 text::toAnsi(refusedLoss()));
    throw std::runtime_error("The settings file " + file + " could not be written");
}

std::filesystem::path FileSettings::fileName() const { return d_->qs.fileName().toStdString(); }

// ---- Folders ----

std::filesystem::path homeFolder() { return findHome().folder; }

std::filesystem::path dataRoot() {
    if (auto p = envPath("VELTRANE_HOME"); !p.empty()) return p;
    if (auto p = envPath("XDG_DATA_HOME"); !p.empty()) return p / "Veltrane";
    return knownHomeFolder() / ".local" / "share" / "Veltrane";
}

std::filesystem::path createDataRoot() {
    const std::filesystem::path root = dataRoot();
    std::error_code ec;
    std::filesystem::create_directories(root.parent_path(), ec);
    ::mkdir(root.c_str(), 0700);   // an existing folder keeps the mode its owner gave it
    return root;
}

std::filesystem::path defaultFolder(std::string_view name) {
    std::filesystem::path p = createDataRoot() / std::string(name);
    std::error_code ec;
    std::filesystem::create_directories(p, ec);
    return p;
}

std::filesystem::path shareFolder() {
    if (auto p = envPath("VELTRANE_DATA_DIR"); !p.empty()) return p;
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        std::filesystem::path bin = exe.parent_path();
        for (auto candidate : {bin / ".." / "share" / "veltrane", bin / ".." / "data", bin / ".." / ".." / "data"}) {
            if (std::filesystem::exists(candidate / "Veltrane.mdb", ec)) return candidate.lexically_normal();
        }
    }
    return "/usr/local/share/veltrane";
}

std::filesystem::path deliveredPluginFolder() {
    std::filesystem::path share = shareFolder().lexically_normal();
    if (share.filename().empty()) share = share.parent_path();
    std::vector<std::filesystem::path> candidates{share / "ActiveX"};
    // A build keeps its plug-ins beside its data folder.
    if (share.filename() == "data") candidates.push_back(share.parent_path() / "ActiveX");
    std::error_code ec;
    for (const auto& candidate : candidates)
        if (std::filesystem::is_directory(candidate, ec)) return candidate;
    return {};
}

}  // namespace vt
