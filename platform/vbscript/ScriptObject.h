#pragma once
// Instances of script classes, procedure references and the Err object, all late-bound
// automation objects, so a host or another object can call them by name. A script object runs its Class_Terminate the moment
// its last reference goes.

#include "Ast.h"

#include "platform/automation/Object.h"
#include "platform/scripting/Cycles.h"

#include <memory>
#include <string>
#include <vector>

namespace vt::vbscript {

class Engine;
struct ErrInfo;

class ScriptObject final : public automation::Object, public scripting::Traceable {
public:
    ScriptObject(std::shared_ptr<const ClassDef> cls, const std::shared_ptr<Engine>& engine);
    ~ScriptObject() override;

    std::string className() const override;
    Variant invoke(std::string_view name, automation::InvokeKind kind, automation::ArgSpan args) override;
    bool hasMember(std::string_view name) const override;
    void forEachValue(const std::function<void(const Variant&)>& visit) const override;
    void dropValues() noexcept override;

    const ClassDef& cls() const noexcept { return *cls_; }
    Engine* engine() const noexcept { return engineRaw_; }
    std::vector<Variant> fields;

protected:
    void finalRelease() noexcept override;

private:
    // Runs Class_Terminate (once) or deletes the object.
    void destroy() noexcept;

    std::shared_ptr<const ClassDef> cls_;
    std::weak_ptr<Engine> engine_;
    Engine* engineRaw_;
    bool terminating_ = false;
};

// What GetRef gives: an object whose default member calls a global procedure of the script.
class ProcRef final : public automation::Object {
public:
    ProcRef(std::shared_ptr<const ProcDef> proc, const std::shared_ptr<Engine>& engine);
    ~ProcRef() override;

    std::string className() const override;
    Variant invoke(std::string_view name, automation::InvokeKind kind, automation::ArgSpan args) override;

private:
    std::shared_ptr<const ProcDef> proc_;
    std::weak_ptr<Engine> engine_;
};

// Err: Number (default), Description, Source, HelpFile, HelpContext, Clear, Raise.
class ErrObject final : public automation::Dispatch<ErrObject> {
public:
    ErrObject();
    ~ErrObject() override;
    static const automation::Members<ErrObject>& members();
    ErrInfo& info() noexcept { return *info_; }

private:
    std::unique_ptr<ErrInfo> info_;
};

}  // namespace vt::vbscript
