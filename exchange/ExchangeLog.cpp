#include "exchange/ExchangeLog.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

namespace vt::exchange {

void WriteExchangeRow(db::Database& db, std::string_view logType, std::string_view date, std::string_view time,
                      std::string_view description) {
    auto& insert =
        db.cached("INSERT INTO Exchange (Type, \"Date\", \"Time\", User, Description) VALUES (?1, ?2, ?3, ?4, ?5)");
    insert.bindAll(logType, date, time, core::gUserName, description);
    insert.run();
}

void LogExchange(const core::Services& s, std::string_view logType, std::string_view description) {
    try {
        const text::DateTime now = s.clock.now();
        WriteExchangeRow(s.db, logType, text::formatDate(now, "mm/d/yyyy"), text::formatDate(now, "hh:mm:ss AMPM"),
                         description);
    } catch (...) {
        try {
            const core::ErrorInfo error = core::describeError(std::current_exception());
            if (s.ui.unattended())
                s.ui.status(1, error.description);
            else
                s.ui.messageBox(error.description, core::vbCritical | core::vbOKOnly, core::kApplicationName);
        } catch (...) {
        }
    }
}

std::string InetStateText(int state) {
    static const char* const texts[] = {
        "No state information is available.",
        "Looking up the IP address for the remote server.",
        "Found the IP address for the remote server.",
        "Connecting to the remote server.",
        "Connected to the remote server.",
        "Requesting information from the remote server.",
        "The request was sent successfully to the remote server.",
        "Receiving a response from the remote server.",
        "The response was received successfully from the remote server.",
        "Disconnecting from the remote server.",
        "Disconnected from the remote server.",
        "An error has occurred while communicating with the remote server.",
        "The request was completed, all data has been received.",
    };
    if (state >= 0 && state <= 12) return texts[state];
    return "Unknown state: " + text::formatNumber(state, "#,##0");
}

}  // namespace vt::exchange
