#include "ActiveX/Brackwen.h"

#include "platform/text/Text.h"

#include <cmath>
#include <ctime>

namespace vt::brackwen {

using namespace automation;

std::filesystem::path ownFolder() { return libraryFolder(reinterpret_cast<const void*>(&ownFolder)); }

std::filesystem::path folderSetting(HostServices* host, std::string_view key) {
    std::string folder = host ? host->setting("Folders", key, "") : std::string();
    if (folder.empty()) return ownFolder();
    return std::filesystem::path(folder);
}

void yieldEvents(HostServices* host) {
    if (host) host->yield();
}

int messageBox(HostServices* host, std::string_view text, int style) {
    return host ? host->messageBox(text, style, kLibraryName) : 1;
}

double today(HostServices* host) {
    if (host) return std::floor(host->now());
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return text::toOleDate(text::DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

Ref<Recordset> recordsetOf(const Variant& v) {
    Ref<Recordset> rs = v.isObject() ? refCast<Recordset>(v.objectRef()) : Ref<Recordset>();
    if (!rs) raise(err::ObjectRequired);
    return rs;
}

std::string textOf(const Variant& v) { return v.isNull() || v.isEmpty() ? std::string() : toString(v); }

std::string trimBlanks(std::string_view s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

std::string upper1252(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'a' && c <= 'z') ch = char(c - 32);
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) ch = char(c - 32);
        else if (c == 0x9A || c == 0x9C || c == 0x9E) ch = char(c - 16);
        else if (c == 0xFF) ch = char(0x9F);
    }
    return out;
}

namespace {
ShowLocationWindow& showWindow() {
    static ShowLocationWindow show;
    return show;
}
}  // namespace

void setLocationWindow(ShowLocationWindow show) { showWindow() = std::move(show); }
const ShowLocationWindow& locationWindow() { return showWindow(); }

}  // namespace vt::brackwen
