#include "exchange/clsExchange.h"

namespace vt::exchange {

using automation::Args;
using automation::Variant;

const automation::Members<clsExchange>& clsExchange::members() {
    using M = automation::Members<clsExchange>;
    static const M m = [] {
        M m("clsExchange");
        auto text = [&m](std::string_view name, std::string clsExchange::*field) {
            m.let(name, [field](clsExchange& x, Args&, const Variant& v) { x.*field = automation::toText(v); });
            m.get(name, [field](clsExchange& x, Args&) { return Variant(x.*field); });
        };
        text("LocaleFile", &clsExchange::LocaleFile);
        // The script reference tree offers "Exchange.LocalFile"; a script dragged from it must run.
        text("LocalFile", &clsExchange::LocaleFile);
        text("RemoteFile", &clsExchange::RemoteFile);
        text("Password", &clsExchange::Password);
        text("UserName", &clsExchange::UserName);
        text("URL", &clsExchange::URL);
        text("RemotePort", &clsExchange::RemotePort);
        return m;
    }();
    return m;
}

}  // namespace vt::exchange
