#pragma once
// The Exchange object of network scripts ("Exchange"): the network's connection values going
// into a script, and file names between the script and the window. Six texts, empty at first.

#include "platform/automation/Object.h"

#include <string>

namespace vt::exchange {

class clsExchange final : public automation::Dispatch<clsExchange> {
public:
    static const automation::Members<clsExchange>& members();

    std::string URL;
    std::string RemotePort;
    std::string UserName;
    std::string Password;
    std::string RemoteFile;
    std::string LocaleFile;
};

}  // namespace vt::exchange
