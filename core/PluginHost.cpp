#include "core/PluginHost.h"

#include "core/ErrorReporter.h"
#include "core/UiSink.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Recordset.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <cmath>
#include <limits>

namespace vt::core {

namespace {

using namespace automation;

// The database object a plug-in sees. Engine failures become Errors with the engine's number and
// text, raised to the plug-in like any run-time error.
class PluginDatabase final : public Dispatch<PluginDatabase> {
public:
    explicit PluginDatabase(db::Database& db) : db_(db) {}

    static const Members<PluginDatabase>& members() {
        static const Members<PluginDatabase> m = [] {
            Members<PluginDatabase> t("Database");
            t.method("Query", {1, kAnyCount}, [](PluginDatabase& d, Args& a) { return Variant(d.query(a)); });
            t.method("Execute", {1, kAnyCount}, [](PluginDatabase& d, Args& a) {
                d.run(a, [](db::Statement& q) { while (q.step()) {} });
                return Variant(std::int32_t(d.db_.changes()));
            });
            return t;
        }();
        return m;
    }

private:
    template <class Fn>
    void run(Args& a, Fn&& fn) {
        try {
            db::Statement q = db_.prepare(a.string(0));
            for (std::size_t i = 1; i < a.size(); ++i) bind(q, int(i), a.value(i));
            fn(q);
        } catch (const db::Error& e) {
            raise(e.number(), "Database", e.what());
        }
    }

    static void bind(db::Statement& q, int index, const Variant& v) {
        switch (v.type()) {
            case VarType::Empty:
            case VarType::Null: q.bindNull(index); break;
            // True is stored as -1, as every Boolean column of the database holds it.
            case VarType::Boolean: q.bind(index, std::int64_t(toBool(v) ? -1 : 0)); break;
            case VarType::Byte:
            case VarType::Integer:
            case VarType::Long: q.bind(index, std::int64_t(toInt32(v))); break;
            case VarType::String: q.bind(index, toString(v)); break;
            default: q.bind(index, toDouble(v)); break;
        }
    }

    Ref<Recordset> query(Args& a) {
        auto rs = Recordset::create();
        run(a, [&](db::Statement& q) {
            const int columns = q.columnCount();
            for (int c = 0; c < columns; ++c) rs->appendField(q.columnName(c), adtype::Variant);
            rs->open();
            while (q.step()) {
                rs->addNew();
                for (int c = 0; c < columns; ++c) rs->setValue(std::size_t(c), value(q, c));
                rs->update();
            }
        });
        if (!rs->isOpen()) rs->open();
        if (rs->recordCount() > 0) rs->moveFirst();
        return rs;
    }

    static Variant value(const db::Statement& q, int c) {
        const db::Value v = q.value(c);
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            if (*i >= std::numeric_limits<std::int32_t>::min() && *i <= std::numeric_limits<std::int32_t>::max())
                return Variant(std::int32_t(*i));
            return Variant(double(*i));
        }
        if (const auto* d = std::get_if<double>(&v)) return Variant(*d);
        if (const auto* s = std::get_if<std::string>(&v)) return Variant(*s);
        return Variant::null();
    }

    db::Database& db_;
};

}  // namespace

PluginHost::~PluginHost() {
    if (!registry_) return;
    registry_->setHostServices(nullptr);
    registry_->setRefusalLog({});
}

void PluginHost::attach(automation::ClassRegistry& registry) {
    registry_ = &registry;
    registry.setHostServices(this);
    registry.setRefusalLog([this](const std::string& why) { LogHistory(s_, "Error", why); });
}

std::string PluginHost::setting(std::string_view section, std::string_view key, std::string_view def) const {
    return s_.settings.get(section, key, def);
}

automation::ObjectRef PluginHost::database() const {
    if (!s_.db.isOpen()) return {};
    return automation::ObjectRef(automation::makeRef<PluginDatabase>(s_.db));
}

int PluginHost::messageBox(std::string_view text, int style, std::string_view title) {
    return s_.ui.messageBox(text, style, title);
}

void PluginHost::yield() { s_.ui.yield(); }

double PluginHost::now() const { return text::toOleDate(s_.clock.now()); }

}  // namespace vt::core
