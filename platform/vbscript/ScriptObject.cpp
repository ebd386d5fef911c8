#include "ScriptObject.h"

#include "Engine.h"

#include <deque>

namespace vt::vbscript {

using automation::Args;
using automation::Members;

ScriptObject::ScriptObject(std::shared_ptr<const ClassDef> cls, const std::shared_ptr<Engine>& engine)
    : Traceable(static_cast<automation::Object&>(*this)), cls_(std::move(cls)), engine_(engine), engineRaw_(engine.get()) {}

void ScriptObject::forEachValue(const std::function<void(const Variant&)>& visit) const {
    for (const Variant& v : fields) visit(v);
}

void ScriptObject::dropValues() noexcept {
    std::vector<Variant> old = std::move(fields);
    fields.assign(old.size(), Variant());
    old.clear();
}

ScriptObject::~ScriptObject() = default;

std::string ScriptObject::className() const { return cls_->name; }

Variant ScriptObject::invoke(std::string_view name, automation::InvokeKind kind, automation::ArgSpan args) {
    const std::shared_ptr<Engine> e = engine_.lock();
    if (!e) automation::raise(automation::err::ObjectRequired);
    return e->invokeScriptObject(*this, name, kind, args);
}

bool ScriptObject::hasMember(std::string_view name) const {
    const ClassMember* m = cls_->find(lowerName(name));
    if (!m) return false;
    if (m->field >= 0) return m->isPublic;
    for (const auto* p : {m->method.get(), m->get.get(), m->let.get(), m->set.get()})
        if (p && p->isPublic) return true;
    return false;
}

namespace {
// Releasing an object releases its fields, which may release the next object, and so on: a
// linked list of a hundred thousand nodes would use up the native stack. Beyond this depth the
// objects wait in a queue that the outermost release works off.
constexpr int kMaxReleaseDepth = 200;
thread_local int releaseDepth = 0;
thread_local std::deque<ScriptObject*> releaseQueue;
}  // namespace

void ScriptObject::finalRelease() noexcept {
    if (releaseDepth >= kMaxReleaseDepth) {
        releaseQueue.push_back(this);
        return;
    }
    ++releaseDepth;
    destroy();
    if (releaseDepth == 1) {
        while (!releaseQueue.empty()) {
            ScriptObject* next = releaseQueue.front();
            releaseQueue.pop_front();
            next->destroy();
        }
    }
    --releaseDepth;
}

void ScriptObject::destroy() noexcept {
    if (!terminating_) {
        terminating_ = true;
        if (cls_->terminate) {
            if (const std::shared_ptr<Engine> e = engine_.lock()) {
                // Alive again while Terminate runs; the last release below deletes it.
                automation::ObjectRef keep(this);
                e->runTerminate(*this);
                return;
            }
        }
    }
    delete this;
}

ScriptObject* asScriptObject(automation::Object* o) { return dynamic_cast<ScriptObject*>(o); }

// ---- GetRef ----

ProcRef::ProcRef(std::shared_ptr<const ProcDef> proc, const std::shared_ptr<Engine>& engine)
    : proc_(std::move(proc)), engine_(engine) {}

ProcRef::~ProcRef() = default;

std::string ProcRef::className() const { return "Object"; }

Variant ProcRef::invoke(std::string_view name, automation::InvokeKind kind, automation::ArgSpan args) {
    if (!name.empty() || automation::hasKind(kind, automation::InvokeKind::PropertyLet) ||
        automation::hasKind(kind, automation::InvokeKind::PropertySet))
        automation::raise(automation::err::NoSuchMember);
    const std::shared_ptr<Engine> e = engine_.lock();
    if (!e) automation::raise(automation::err::ObjectRequired);
    return e->callRef(*proc_, args);
}

// ---- Err ----

ErrObject::ErrObject() : info_(std::make_unique<ErrInfo>()) {}
ErrObject::~ErrObject() = default;

const Members<ErrObject>& ErrObject::members() {
    static const Members<ErrObject> m = [] {
        Members<ErrObject> t("ErrObject");
        t.get("Number", [](ErrObject& o, Args&) { return Variant(o.info().number); });
        t.let("Number", [](ErrObject& o, Args&, const Variant& v) { o.info().number = automation::toInt32(v); });
        t.get("Description", [](ErrObject& o, Args&) { return Variant(o.info().description); });
        t.let("Description", [](ErrObject& o, Args&, const Variant& v) { o.info().description = automation::toString(v); });
        t.get("Source", [](ErrObject& o, Args&) { return Variant(o.info().source); });
        t.let("Source", [](ErrObject& o, Args&, const Variant& v) { o.info().source = automation::toString(v); });
        t.get("HelpFile", [](ErrObject& o, Args&) { return Variant(o.info().helpFile); });
        t.let("HelpFile", [](ErrObject& o, Args&, const Variant& v) { o.info().helpFile = automation::toString(v); });
        t.get("HelpContext", [](ErrObject& o, Args&) { return Variant(o.info().helpContext); });
        t.let("HelpContext", [](ErrObject& o, Args&, const Variant& v) { o.info().helpContext = automation::toInt32(v); });
        t.method("Clear", {0, 0}, [](ErrObject& o, Args&) {
            o.info() = ErrInfo{};
            return Variant();
        });
        // Arguments left out take what Err still holds, else the defaults. A number is a script
        // error (1 to 65535) or an HRESULT.
        t.method("Raise", {1, 5}, [](ErrObject& o, Args& a) -> Variant {
            const std::int32_t number = scriptErrorNumber(a.int32(0));
            if (number == 0 || number > 0xFFFF) automation::raise(automation::err::InvalidCall);
            const ErrInfo& now = o.info();
            std::string description = a.has(2)                ? a.string(2)
                                      : !now.description.empty() ? now.description
                                                                  : errorText(number);
            std::string source = a.has(1) ? a.string(1) : !now.source.empty() ? now.source : std::string(kRuntimeSource);
            automation::Error e(number, std::move(source), std::move(description));
            e.helpFile = a.has(3) ? a.string(3) : now.helpFile;
            e.helpContext = a.has(4) ? a.int32(4) : now.helpContext;
            throw e;
        });
        t.defaultMember("Number");
        return t;
    }();
    return m;
}

}  // namespace vt::vbscript
