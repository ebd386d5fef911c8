#pragma once
// The stored networks (table Internet) and the network editor's logic.
//
// A network is identified by its name; names are unique without regard to letter case. The
// editor keeps every listed network's settings in memory, in list order (Network order), so
// that a session or a scheduler tick reads what the window shows, unsaved edits included. The
// window shows one network at a time and writes its controls back here before anyone reads.

#include "core/Services.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::exchange {

// List entries by stored position: the table stores positions, so these orders are fixed.
inline constexpr std::array<std::string_view, 6> kIntervals = {"Every 15 Minutes", "Every 30 Minutes",
                                                               "Every 45 Minutes", "Every 60 Minutes",
                                                               "Every 75 Minutes", "Every 90 Minutes"};
inline constexpr std::array<std::string_view, 4> kHashes = {"MD2", "MD4", "MD5", "SHA1"};
inline constexpr std::array<std::string_view, 4> kStoreLocations = {
    "Active Directory User Store", "Current User Store", "Local Machine Store", "Smart Card User Store"};
inline constexpr std::array<std::string_view, 4> kStoreNames = {"My", "Root", "AddressBook", "CA"};

// One network's settings, field by field as table Internet holds them.
struct NetworkSettings {
    std::string network;
    std::string url, proxy;
    int protocol = -1, accessType = -1;   // list positions; -1 none
    std::string remotePort, timeOut;
    std::string userName, password;
    int checkTime = 0;
    double time = 0;                       // OLE date; only its time of day counts
    int interval = -1;
    int checkInterval = 0;
    bool sendReceive = false, receiveOnly = false, sendOnly = false;
    std::string sendScript, receiveScript;
    std::string organizationName, email, partnerName, partnerUrl;
    int signOutgoing = 0, encryptOutgoing = 0, compressOutgoing = 0, requireSignature = 0,
        requireEncryption = 0, mdnSigned = 0, mdnUnsigned = 0, requestMdn = 0;
    bool syncronous = false, asyncronous = false;
    int provider = -1, algorithm = -1, hash = -1;
    int storeLocation = 1, storeName = 0;  // "Current User Store", "My"
    int certificate = 0;                   // 1-based; the list's count + 1 when none is selected
    int sizeLimit = 100;                   // megabytes one download or unpacked file may hold

    bool operator==(const NetworkSettings&) const = default;
};

// "" for a good name, else the message that refuses it.
std::string ValidateNetworkName(std::string_view name);


// ---- Table Internet ----
std::vector<NetworkSettings> ReadNetworks(db::Database& db);   // in name order
std::optional<NetworkSettings> ReadNetwork(db::Database& db, std::string_view name);
// Refuses (RunError) a name that is taken, whatever its letter case.
void InsertNetwork(db::Database& db, std::string_view name);
// Writes every field but the name; refuses a row that no longer exists.
void WriteNetwork(db::Database& db, const NetworkSettings& n);
bool DeleteNetwork(db::Database& db, std::string_view name);

// ---- The editor ----
class NetworkEditor {
public:
    explicit NetworkEditor(const core::Services& services) : s_(services) {}

    // LoadNetworks: the list from the table, the first network selected. Reports failures.
    void LoadNetworks();
    // Re-reads the selected network's stored row (ShowNetwork); failures are ignored.
    void ShowNetwork();

    // The buttons. Each reports its own failures (ReportError).
    void cmdAddNetwork_Click();
    void cmdDeleteNetwork_Click();
    void cmdModify_Click();

    void select(int index);
    int selected() const { return selected_; }
    bool editing() const { return editing_; }
    const std::vector<NetworkSettings>& networks() const { return networks_; }
    // Settings of network `index` as the window holds them (edits included).
    NetworkSettings& at(int index) { return networks_.at(std::size_t(index)); }

    // The two schedule check boxes exclude each other.
    void setCheckTime(int index, int state);
    void setCheckInterval(int index, int state);

    // What the window shows: caption, "Modify"/"Save", and which controls are enabled.
    const std::string& caption() const { return caption_; }
    std::string modifyCaption() const { return editing_ ? "Save" : "Modify"; }

private:
    const core::Services& s_;
    std::vector<NetworkSettings> networks_;
    int selected_ = -1;
    bool editing_ = false;
    std::string caption_ = "Exchange";
};

}  // namespace vt::exchange
