#include "exchange/Networks.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "exchange/ExchangeSessions.h"
#include "exchange/FileJournal.h"
#include "platform/db/Database.h"

namespace vt::exchange {

namespace {

constexpr std::string_view kTitle = core::kApplicationName;

// Every field but the name, in the order Save writes them.
constexpr const char* kFields =
    "URL, Proxy, protocol, AccessType, RemotePort, timeout, UserName, Password, CheckTime, \"Time\", "
    "\"Interval\", CheckInterval, SendReceive, ReceiveOnly, SendOnly, SendScript, ReceiveScript, "
    "OrganizationName, Email, PartnerName, PartnerURL, SignOutgoing, EncryptOutgoing, CompressOutgoing, "
    "RequireSignature, RequireEncryption, MDNSigned, MDNUnsigned, RequestMDN, Syncronous, Asyncronous, "
    "Provider, \"Algorithm\", Hash, StoreLocation, StoreName, Certificate, SizeLimit";

NetworkSettings fromRow(db::Statement& q) {
    NetworkSettings n;
    int c = 0;
    n.network = q.text(c++);
    n.url = q.text(c++);
    n.proxy = q.text(c++);
    n.protocol = q.integer(c++);
    n.accessType = q.integer(c++);
    n.remotePort = q.text(c++);
    n.timeOut = q.text(c++);
    n.userName = q.text(c++);
    n.password = q.text(c++);
    n.checkTime = q.integer(c++);
    n.time = q.real(c++);
    n.interval = q.integer(c++);
    n.checkInterval = q.integer(c++);
    n.sendReceive = q.integer(c++) != 0;
    n.receiveOnly = q.integer(c++) != 0;
    n.sendOnly = q.integer(c++) != 0;
    n.sendScript = q.text(c++);
    n.receiveScript = q.text(c++);
    n.organizationName = q.text(c++);
    n.email = q.text(c++);
    n.partnerName = q.text(c++);
    n.partnerUrl = q.text(c++);
    for (int* check : {&n.signOutgoing, &n.encryptOutgoing, &n.compressOutgoing, &n.requireSignature,
                       &n.requireEncryption, &n.mdnSigned, &n.mdnUnsigned, &n.requestMdn})
        *check = q.integer(c++);
    n.syncronous = q.integer(c++) != 0;
    n.asyncronous = q.integer(c++) != 0;
    n.provider = q.integer(c++);
    n.algorithm = q.integer(c++);
    n.hash = q.integer(c++);
    n.storeLocation = q.integer(c++);
    n.storeName = q.integer(c++);
    n.certificate = q.integer(c++);
    n.sizeLimit = q.integer(c++);
    // The check boxes exclude each other: the interval wins, as it is applied last.
    if (n.checkInterval == 1) n.checkTime = 0;
    return n;
}

const std::string kSelect = std::string("SELECT Network, ") + kFields + " FROM Internet";

}  // namespace

std::string ValidateNetworkName(std::string_view name) {
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return "Invalid Network Name!";
    if (name.size() < 6) return "Enter a longer Network Name! (Min 6)";
    return {};
}

std::vector<NetworkSettings> ReadNetworks(db::Database& db) {
    EnsureExchangeTables(db);
    std::vector<NetworkSettings> out;
    auto q = db.prepare(kSelect + " ORDER BY Internet.Network ASC");
    while (q.step()) out.push_back(fromRow(q));
    return out;
}

std::optional<NetworkSettings> ReadNetwork(db::Database& db, std::string_view name) {
    EnsureExchangeTables(db);
    auto q = db.prepare(kSelect + " WHERE Internet.Network = ?1 ORDER BY Id LIMIT 1");
    q.bind(1, name);
    if (!q.step()) return std::nullopt;
    return fromRow(q);
}

void InsertNetwork(db::Database& db, std::string_view name) {
    auto taken = db.prepare("SELECT Network FROM Internet WHERE Internet.Network = ?1 COLLATE NOCASE LIMIT 1");
    taken.bind(1, name);
    if (taken.step())
        throw core::RunError(3022, "A network named " + taken.text(0) + " exists already: network names differ "
                                       "in more than letter case.");
    auto q = db.prepare("INSERT INTO Internet (Network) VALUES (?1)");
    q.bind(1, name);
    q.run();
}

void WriteNetwork(db::Database& db, const NetworkSettings& n) {
    EnsureExchangeTables(db);
    auto q = db.prepare(
        "UPDATE Internet SET URL = ?1, Proxy = ?2, protocol = ?3, AccessType = ?4, RemotePort = ?5, timeout = ?6, "
        "UserName = ?7, Password = ?8, CheckTime = ?9, \"Time\" = ?10, \"Interval\" = ?11, CheckInterval = ?12, "
        "SendReceive = ?13, ReceiveOnly = ?14, SendOnly = ?15, SendScript = ?16, ReceiveScript = ?17, "
        "OrganizationName = ?18, Email = ?19, PartnerName = ?20, PartnerURL = ?21, SignOutgoing = ?22, "
        "EncryptOutgoing = ?23, CompressOutgoing = ?24, RequireSignature = ?25, RequireEncryption = ?26, "
        "MDNSigned = ?27, MDNUnsigned = ?28, RequestMDN = ?29, Syncronous = ?30, Asyncronous = ?31, "
        "Provider = ?32, \"Algorithm\" = ?33, Hash = ?34, StoreLocation = ?35, StoreName = ?36, "
        "Certificate = ?37, SizeLimit = ?38 WHERE Id = (SELECT Id FROM Internet WHERE Internet.Network = ?39 ORDER BY Id LIMIT 1)");
    int i = 1;
    auto b = [&q, &i](const auto& value) { q.bind(i++, value); };
    for (const std::string* t : {&n.url, &n.proxy}) b(*t);
    b(n.protocol);
    b(n.accessType);
    for (const std::string* t : {&n.remotePort, &n.timeOut, &n.userName, &n.password}) b(*t);
    b(n.checkTime);
    b(n.time);
    b(n.interval);
    b(n.checkInterval);
    for (bool option : {n.sendReceive, n.receiveOnly, n.sendOnly}) b(option ? -1 : 0);
    for (const std::string* t : {&n.sendScript, &n.receiveScript, &n.organizationName, &n.email, &n.partnerName,
                                 &n.partnerUrl})
        b(*t);
    for (int check : {n.signOutgoing, n.encryptOutgoing, n.compressOutgoing, n.requireSignature,
                      n.requireEncryption, n.mdnSigned, n.mdnUnsigned, n.requestMdn})
        b(check);
    for (bool option : {n.syncronous, n.asyncronous}) b(option ? -1 : 0);
    for (int position : {n.provider, n.algorithm, n.hash, n.storeLocation, n.storeName, n.certificate}) b(position);
    b(n.sizeLimit);
    b(n.network);
    q.run();
    if (db.changes() == 0) throw core::RunError(3021, "The network " + n.network + " is no longer stored.");
}

bool DeleteNetwork(db::Database& db, std::string_view name) {
    auto q = db.prepare(
        "DELETE FROM Internet WHERE Id = (SELECT Id FROM Internet WHERE Internet.Network = ?1 ORDER BY Id LIMIT 1)");
    q.bind(1, name);
    q.run();
    return db.changes() > 0;
}

// ---- The editor ----

void NetworkEditor::LoadNetworks() {
    try {
        networks_ = ReadNetworks(s_.db);
        editing_ = false;
        selected_ = networks_.empty() ? -1 : 0;
        if (selected_ == 0) ShowNetwork();
    } catch (...) {
        core::ReportError(s_);
    }
}

void NetworkEditor::ShowNetwork() {
    if (selected_ < 0) return;
    caption_ = "Exchange - " + networks_[std::size_t(selected_)].network;
    try {
        if (auto row = ReadNetwork(s_.db, networks_[std::size_t(selected_)].network))
            networks_[std::size_t(selected_)] = *row;
    } catch (...) {
        // Showing never reports: what cannot be read stays as it was.
    }
}

void NetworkEditor::select(int index) {
    if (editing_ || index < 0 || index >= int(networks_.size())) return;
    selected_ = index;
    ShowNetwork();
}

void NetworkEditor::cmdAddNetwork_Click() {
    try {
        const std::optional<std::string> answer = s_.ui.inputBox("Enter Network Name:", kTitle, "");
        if (!answer || answer->empty()) return;
        const std::string name = *answer;
        const std::string refusal = ValidateNetworkName(name);
        if (!refusal.empty()) {
            const int icon = refusal == "Invalid Network Name!" ? core::vbCritical : core::vbExclamation;
            s_.ui.messageBox(refusal, icon | core::vbOKOnly, kTitle);
            return;
        }
        InsertNetwork(s_.db, name);
        core::LogHistory(s_, "Info", "Network Added " + name);
        LoadNetworks();
    } catch (...) {
        core::ReportError(s_);
    }
}

void NetworkEditor::cmdDeleteNetwork_Click() {
    try {
        if (selected_ < 0) throw core::RunError(91, "Object variable or With block variable not set");
        const std::string name = networks_[std::size_t(selected_)].network;
        if (s_.ui.messageBox("Delete Network? " + name, core::vbYesNo | core::vbQuestion, kTitle) != core::vbYes)
            return;
        if (DeleteNetwork(s_.db, name)) LoadNetworks();
    } catch (...) {
        core::ReportError(s_);
    }
}

void NetworkEditor::cmdModify_Click() {
    if (selected_ < 0) return;
    if (!editing_) {
        editing_ = true;
        return;
    }
    try {
        if (s_.ui.messageBox("Save Network Changes?", core::vbYesNo | core::vbQuestion, kTitle) == core::vbYes) {
            // A setting that cannot work is named now, not by a failing session later; the
            // edits stay on screen.
            const std::string refusal = ValidateNetworkSettings(networks_[std::size_t(selected_)]);
            if (!refusal.empty()) {
                s_.ui.messageBox(refusal, core::vbExclamation | core::vbOKOnly, kTitle);
                return;
            }
            WriteNetwork(s_.db, networks_[std::size_t(selected_)]);
        }
        ShowNetwork();
        editing_ = false;
    } catch (...) {
        // The edits stay on screen and the next press asks again.
        core::ReportError(s_);
    }
}

void NetworkEditor::setCheckTime(int index, int state) {
    NetworkSettings& n = at(index);
    n.checkTime = state;
    if (state == 1) n.checkInterval = 0;
}

void NetworkEditor::setCheckInterval(int index, int state) {
    NetworkSettings& n = at(index);
    n.checkInterval = state;
    if (state == 1) n.checkTime = 0;
}


}  // namespace vt::exchange
