#pragma once
// A network's connection settings as the transfer control takes them. Empty boxes take
// defaults (the URL's protocol, its or the protocol's port, the program's time-out, direct
// access); a value that cannot work is refused with a message that names its box.

#include <cstdint>
#include <string>

namespace vt::exchange {

struct ConnectionInput {
    int protocol = -1;      // cboProtocol position; -1 none chosen
    std::string url;        // txtURL
    std::string remotePort; // mebRemotePort
    std::string timeOut;    // mebTimeOut, seconds
    int accessType = -1;    // cboAccessType position; -1 none chosen
    std::string proxy;      // txtProxy
    std::string sizeLimit;  // megabytes a downloaded or unpacked file may hold; "" the default
};

struct Connection {
    int protocol = 1;
    int remotePort = 0;     // 0: the URL's or the protocol's own
    long timeOut = 60;
    int accessType = 1;
    std::int64_t maxBytes = 0;
};

inline constexpr int kDefaultSizeLimitMb = 100;
inline constexpr int kProtocolSftp = 6;

// The settings to use; RunError 380 naming the box when one cannot work. The protocol "SFTP"
// gives no transfer control, so only the size limit is looked at.
Connection ResolveConnection(const ConnectionInput& input);
// "" when ResolveConnection takes the settings, else its message.
std::string CheckConnection(const ConnectionInput& input);

}  // namespace vt::exchange
