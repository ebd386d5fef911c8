// Code compiled while a script runs: Eval, Execute, ExecuteGlobal, and the procedure references
// of GetRef. A compile error in such code is a run-time error of the statement that asked for it,
// so On Error Resume Next catches it.

#include "Engine.h"
#include "ScriptObject.h"

#include <optional>

namespace vt::vbscript {

namespace {

// Text that does not compile is a compilation error of the calling statement: its own number
// where the compiler stopped at a word or a literal, a plain syntax error where it ran into an
// operator, a bracket or the end of the text.
[[noreturn]] void failedToCompile(const CompileError& ce) {
    const std::int32_t n = ce.atSymbol && ce.number != err::OutOfStackSpace ? err::SyntaxError : ce.number;
    throw RuntimeError(automation::Error(n, std::string(kCompileSource), errorText(n)), {});
}

// The scope a frame offers to code compiled in it; none for top-level code (the global scope).
std::optional<FrameScope> scopeOf(const Frame& f) {
    if (!f.proc || f.proc->topLevel) return std::nullopt;
    FrameScope fs;
    fs.proc = f.proc;
    fs.cls = f.proc->owner;
    if (f.added) {
        fs.added = f.added->names;
        fs.declaredImplicit = f.added->declaredImplicit;
    }
    return fs;
}

// Slots of code compiled in `f`: the frame's own, then the variables Execute added to it, then
// temporaries of the code itself.
void shareSlots(const Frame& f, std::vector<Variant*>& slots) {
    const std::size_t own = std::size_t(f.proc->slotCount);
    for (std::size_t i = 0; i < own && i < slots.size(); ++i) slots[i] = f.slots[i];
    if (!f.added) return;
    for (std::size_t i = 0; i < f.added->values.size() && own + i < slots.size(); ++i)
        slots[own + i] = f.added->values[i].get();
}

}  // namespace

void Engine::executeGlobal(std::string_view text) {
    const std::shared_ptr<const SourceText> src = makeSource(text);
    std::unique_ptr<Unit> unit;
    try {
        unit = parseUnit(src, ParseLimits{limits.maxNesting, limits.maxOperators});
        compileUnit(*unit, symbols_);
        checkRedeclarations(*unit);
    } catch (const CompileError& ce) {
        failedToCompile(ce);
    }
    bindUnit(*unit);
    const std::shared_ptr<ProcDef> main = unit->main;
    callProc(*main, nullptr, {});
}

void Engine::executeIn(std::string_view text, Frame& f) {
    const std::optional<FrameScope> fs = scopeOf(f);
    if (!fs) {
        executeGlobal(text);
        return;
    }
    const std::shared_ptr<const SourceText> src = makeSource(text);
    std::unique_ptr<Unit> unit;
    std::vector<FrameAddition> added;
    try {
        unit = parseUnit(src, ParseLimits{limits.maxNesting, limits.maxOperators});
        compileUnitInFrame(*unit, symbols_, *fs, added);
    } catch (const CompileError& ce) {
        failedToCompile(ce);
    }
    // Procedures and classes become global; variables and constants stay with the frame.
    unit->dims.clear();
    unit->consts.clear();
    bindUnit(*unit);

    const std::shared_ptr<ProcDef> main = unit->main;
    const ProcDef& m = *main;
    std::vector<Variant> temps(std::size_t(m.slotCount));
    std::vector<Variant*> slots(std::size_t(m.slotCount));
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = &temps[i];
    shareSlots(f, slots);
    // A Dim of a name the frame knew only as undeclared makes it a declared one.
    const std::int32_t own = f.proc->slotCount;
    for (const auto& [name, slot] : m.localSlots) {
        if (slot >= own) {
            if (f.added && std::size_t(slot - own) < f.added->names.size())
                f.added->names[std::size_t(slot - own)].second = true;
        } else if (auto it = f.proc->implicitSlots.find(name); it != f.proc->implicitSlots.end() && it->second == slot) {
            // The procedure's own use of the name, refused by Option Explicit so far, now finds it.
            if (!f.added) f.added = std::make_unique<FrameVars>();
            f.added->declaredImplicit.push_back(slot);
        }
    }
    for (const FrameAddition& a : added) {
        if (!f.added) f.added = std::make_unique<FrameVars>();
        f.added->names.emplace_back(a.name, a.declared);
        f.added->values.push_back(std::make_unique<Variant>());
        slots[std::size_t(a.slot)] = f.added->values.back().get();
    }

    enterCall();
    struct Leave {
        Engine& e;
        ~Leave() { e.leaveCall(); }
    } leave{*this};
    Frame ef{&m, slots.data(), f.me, false, nullptr};
    execBlock(m.body, ef);
}

void Engine::checkRedeclarations(const Unit& unit) {
    auto existing = [this](const std::string& name) -> const Symbol* {
        const Symbol* s = symbols_.find(name);
        return s && s->kind != Symbol::Kind::None ? s : nullptr;
    };
    auto constant = [&](const std::string& name) {
        const Symbol* s = existing(name);
        return s && s->kind == Symbol::Kind::Constant;
    };
    auto redefined = [](Pos p) { throw CompileError(err::NameRedefined, p.line, p.column); };
    for (const ConstDecl& c : unit.consts)
        if (existing(c.name)) redefined(c.pos);
    for (const VarDecl& d : unit.dims) {
        if (constant(d.name)) redefined(d.pos);
        const Symbol* s = existing(d.name);
        if (d.isArray && s && s->kind == Symbol::Kind::Variable && s->var->isArray())
            raiseRuntime(automation::err::TypeMismatch, d.name);
    }
    for (const auto& p : unit.procs)
        if (constant(p->name)) redefined(p->pos);
    for (const auto& c : unit.classes)
        if (constant(c->name)) redefined(c->pos);
}

Variant Engine::evalIn(std::string_view text, Frame& f) {
    const std::optional<FrameScope> fs = scopeOf(f);
    const bool explicitMode = f.proc && f.proc->explicitMode;
    const std::shared_ptr<const SourceText> src = makeSource(text);
    ProcDef code;
    code.source = src;
    ExprPtr e;
    try {
        e = parseExpressionText(*src, ParseLimits{limits.maxNesting, limits.maxOperators});
        if (fs) compileExpressionInFrame(*e, code, symbols_, *fs, explicitMode);
        else compileExpression(*e, code, symbols_, explicitMode);
    } catch (const CompileError& ce) {
        failedToCompile(ce);
    }
    std::vector<Variant> temps(std::size_t(code.slotCount));
    std::vector<Variant*> slots(std::size_t(code.slotCount));
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = &temps[i];
    if (fs) shareSlots(f, slots);
    enterCall();
    struct Leave {
        Engine& e;
        ~Leave() { e.leaveCall(); }
    } leave{*this};
    Frame ef{&code, slots.data(), fs ? f.me : nullptr, false, nullptr};
    return eval(*e, ef);
}

Variant Engine::procRef(std::string_view name) {
    Symbol* s = symbols_.find(name);
    if (!s || s->kind != Symbol::Kind::Procedure) raiseRuntime(automation::err::InvalidCall);
    return Variant(automation::ObjectRef(automation::makeRef<ProcRef>(s->proc, shared_from_this())));
}

Variant Engine::callRef(const ProcDef& p, ArgSpan args) {
    RunScope rs(*this);
    ScriptTime st(*this);
    return callProc(p, nullptr, args);
}

}  // namespace vt::vbscript
