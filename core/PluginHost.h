#pragma once
// What the program offers its plug-ins (automation::HostServices) over its own ports: settings,
// the application database as a Query/Execute object with bound values, message boxes, yielding
// and the clock. The database key stays here.

#include "core/Services.h"
#include "platform/automation/Plugin.h"

namespace vt::automation {
class ClassRegistry;
}

namespace vt::core {

class PluginHost final : public automation::HostServices {
public:
    explicit PluginHost(const Services& s) : s_(s) {}
    ~PluginHost() override;
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Serves the plug-ins `registry` creates, and logs each library it refuses to load as an
    // "Error" History row, until this host ends.
    void attach(automation::ClassRegistry& registry);

    std::string setting(std::string_view section, std::string_view key, std::string_view def) const override;
    // Nothing while the database is closed.
    automation::ObjectRef database() const override;
    int messageBox(std::string_view text, int style, std::string_view title) override;
    void yield() override;
    double now() const override;

private:
    const Services& s_;
    automation::ClassRegistry* registry_ = nullptr;
};

}  // namespace vt::core
