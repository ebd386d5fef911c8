// Statements. Each statement of a block runs under the frame's On Error setting: with Resume
// Next an error sets Err and execution goes on with the next statement; without it the error
// leaves the procedure, tied to the statement where it happened.

#include "Engine.h"
#include "Operators.h"
#include "ScriptObject.h"

#include <algorithm>

namespace vt::vbscript {

using automation::SafeArray;
using automation::VarType;

void Engine::rethrowLocated(const automation::Error& e, const Stmt& s, const Frame& f) {
    const auto* rt = dynamic_cast<const RuntimeError*>(&e);
    throw LocatedError(e, rt ? rt->detail : std::string(), s.pos, f.proc ? f.proc->source : nullptr);
}

Flow Engine::execBlock(const Block& b, Frame& f) {
    for (const StmtPtr& sp : b) {
        const Stmt& s = *sp;
        tick();
        try {
            const Flow fl = exec(s, f);
            if (fl != Flow::Normal) return fl;
        } catch (const ScriptAbort&) {
            throw;
        } catch (const LocatedError& e) {
            if (!f.resumeNext) throw;
            setErr(e);
        } catch (const automation::Error& e) {
            if (!f.resumeNext) rethrowLocated(e, s, f);
            setErr(e);
        } catch (const std::bad_alloc&) {
            const RuntimeError e(automation::err::OutOfMemory);
            if (!f.resumeNext) rethrowLocated(e, s, f);
            setErr(e);
        } catch (const CompileError&) {
            throw;
        } catch (const std::exception& ex) {
            // An object of the host failed without a number.
            const automation::Error e(51, std::string(kRuntimeSource), ex.what());
            if (!f.resumeNext) rethrowLocated(e, s, f);
            setErr(e);
        }
    }
    return Flow::Normal;
}

Flow Engine::exec(const Stmt& s, Frame& f) {
    switch (s.kind) {
    case StmtKind::Assign: {
        const auto& a = static_cast<const AssignStmt&>(s);
        if (!a.appendParts.empty() && appendInPlace(a, f)) return Flow::Normal;
        Variant v = eval(*a.value, f);
        // A plain value into a variable that holds none of an object or array: nothing to check.
        if (!a.isSet && !v.isObject() && !v.isArray() && a.target->kind == ExprKind::Ident) {
            const auto& id = static_cast<const IdentExpr&>(*a.target);
            Variant* slot = nullptr;
            if (!id.hasArgs) {
                if (id.ref.kind == NameKind::Local) slot = f.slots[id.ref.slot];
                else if (id.ref.kind == NameKind::Global) slot = globalVariable(id.ref, f);
            }
            if (slot && !slot->isObject() && !slot->isArray()) {
                *slot = std::move(v);
                return Flow::Normal;
            }
        }
        assign(*a.target, std::move(v), a.isSet, f);
        return Flow::Normal;
    }
    case StmtKind::Call:
        execCallStatement(*static_cast<const CallStmt&>(s).call, f);
        return Flow::Normal;
    case StmtKind::If: return execIf(static_cast<const IfStmt&>(s), f);
    case StmtKind::Loop: return execLoop(static_cast<const LoopStmt&>(s), f);
    case StmtKind::For: return execFor(static_cast<const ForStmt&>(s), f);
    case StmtKind::ForEach: return execForEach(static_cast<const ForEachStmt&>(s), f);
    case StmtKind::Select: return execSelect(static_cast<const SelectStmt&>(s), f);
    case StmtKind::With: return execWith(static_cast<const WithStmt&>(s), f);
    case StmtKind::Exit:
        switch (static_cast<const ExitStmt&>(s).what) {
        case ExitStmt::Do: return Flow::ExitDo;
        case ExitStmt::For: return Flow::ExitFor;
        default:
            clearErr();
            return Flow::ExitProc;
        }
    case StmtKind::OnError:
        f.resumeNext = static_cast<const OnErrorStmt&>(s).resumeNext;
        clearErr();
        return Flow::Normal;
    case StmtKind::ReDim: execReDim(static_cast<const ReDimStmt&>(s), f); return Flow::Normal;
    case StmtKind::Erase: execErase(static_cast<const EraseStmt&>(s), f); return Flow::Normal;
    case StmtKind::Dim: execDim(static_cast<const DimStmt&>(s), f); return Flow::Normal;
    case StmtKind::Nothing: return Flow::Normal;
    }
    return Flow::Normal;
}

// A condition that fails under On Error Resume Next counts as `onError`: execution goes on with
// the statement after the test, as VBScript does (the Then branch, the loop body).
bool Engine::condition(const Expr& e, Frame& f, bool onError) {
    try {
        return ops::truth(eval(e, f));
    } catch (const ScriptAbort&) {
        throw;
    } catch (const automation::Error& ex) {
        if (!f.resumeNext) throw;
        setErr(ex);
        return onError;
    }
}

Flow Engine::execIf(const IfStmt& s, Frame& f) {
    for (const IfStmt::Branch& br : s.branches)
        if (condition(*br.cond, f, true)) return execBlock(br.body, f);
    return execBlock(s.elseBody, f);
}

Flow Engine::execLoop(const LoopStmt& s, Frame& f) {
    for (;;) {
        if (s.test == LoopStmt::PreWhile && !condition(*s.cond, f, true)) break;
        if (s.test == LoopStmt::PreUntil && condition(*s.cond, f, false)) break;
        const Flow fl = execBlock(s.body, f);
        if (fl == Flow::ExitDo && !s.isWhileWend) break;
        if (fl != Flow::Normal) return fl;
        if (s.test == LoopStmt::PostWhile && !condition(*s.cond, f, false)) break;
        if (s.test == LoopStmt::PostUntil && condition(*s.cond, f, true)) break;
        tick();
    }
    return Flow::Normal;
}

namespace {

// A bound or step of For: a number (text is read as a Double).
Variant loopNumber(Variant v) {
    if (v.isObject()) v = automation::defaultValue(v);
    switch (v.type()) {
    case VarType::Null: automation::raise(automation::err::InvalidUseOfNull);
    case VarType::Empty: return Variant(std::int16_t(0));
    case VarType::Boolean: return Variant(std::int16_t(v.boolValue() ? -1 : 0));
    case VarType::String: return Variant(automation::toDouble(v));
    case VarType::Byte: case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double:
    case VarType::Currency: case VarType::Decimal: case VarType::Date:
        return v;
    default: automation::raise(automation::err::TypeMismatch);
    }
}

}  // namespace

namespace {
// The slot of a loop counter that is a local or a declared global, found directly.
inline Variant* directSlot(const IdentExpr& id, Frame& f) {
    const NameRef& r = id.ref;
    if (r.kind == NameKind::Local) return f.slots[r.slot];
    if (r.kind == NameKind::Global) return globalVariable(r, f);
    return nullptr;
}
}  // namespace

Flow Engine::execFor(const ForStmt& s, Frame& f) {
    auto counter = [&](const IdentExpr& id, Frame& fr) {
        Variant* v = directSlot(id, fr);
        return v ? v : variableSlot(id, fr, 1);
    };
    Variant from, to, step;
    try {
        from = loopNumber(eval(*s.from, f));
        to = loopNumber(eval(*s.to, f));
        step = s.step ? loopNumber(eval(*s.step, f)) : Variant(std::int16_t(1));
    } catch (const ScriptAbort&) {
        throw;
    } catch (const automation::Error& e) {
        // Under Resume Next the body runs once with the variable untouched, then Next finds
        // the loop uninitialized.
        if (!f.resumeNext) throw;
        setErr(e);
        const Flow fl = execBlock(s.body, f);
        if (fl == Flow::ExitDo || fl == Flow::ExitProc) return fl;
        if (fl == Flow::Normal) raiseRuntime(err::ForLoopNotInitialized);
        return Flow::Normal;
    }
    Variant* var = variableSlot(*s.var, f, 1);
    if (!var) raiseRuntime(err::IllegalAssignment, s.var->name);
    store(*var, from);
    const bool up = !(*ops::order(step, Variant(std::int16_t(0))) < 0);
    // Integer and Long bounds and counter (the usual loop) are compared and stepped directly.
    std::int32_t limit = 0, by = 0, at = 0;
    const bool whole = ops::wholeNumber(to, limit) && ops::wholeNumber(step, by);
    for (;;) {
        var = counter(*s.var, f);
        if (whole && ops::wholeNumber(*var, at)) {
            if (up ? at > limit : at < limit) break;
        } else {
            const std::optional<int> c = ops::order(*var, to);
            if (!c || (up ? *c > 0 : *c < 0)) break;
        }
        const Flow fl = execBlock(s.body, f);
        if (fl == Flow::ExitFor) break;
        if (fl != Flow::Normal) return fl;
        var = counter(*s.var, f);
        int kind = 0;
        if (whole && ops::wholeNumber(*var, at)) kind = ops::wholeKind(*var, step, std::int64_t(at) + by);
        if (kind) *var = ops::wholeValue(kind, std::int64_t(at) + by);
        else store(*var, ops::add(*var, step));
        tick();
    }
    return Flow::Normal;
}

Flow Engine::execForEach(const ForEachStmt& s, Frame& f) {
    Variant coll;
    std::unique_ptr<automation::Enumerator> it;
    try {
        coll = eval(*s.collection, f);
        if (coll.isObject()) {
            automation::Object* o = coll.object();
            if (!o) automation::raise(automation::err::ObjectRequired);
            HostCall hc(*this);
            it = o->enumerate();
        } else if (!coll.isArray()) {
            automation::raise(automation::err::NotACollection);
        }
    } catch (const ScriptAbort&) {
        throw;
    } catch (const automation::Error& e) {
        // As with For: the body runs once, then Next fails.
        if (!f.resumeNext) throw;
        setErr(e);
        const Flow fl = execBlock(s.body, f);
        if (fl == Flow::ExitDo || fl == Flow::ExitProc) return fl;
        if (fl == Flow::Normal) automation::raise(automation::err::NotACollection);
        return Flow::Normal;
    }
    auto next = [&](Variant& out) -> bool {
        if (it) {
            HostCall hc(*this);
            return it->next(out);
        }
        return false;
    };
    std::size_t pos = 0;
    for (;;) {
        Variant item;
        if (coll.isArray()) {
            const SafeArray& a = coll.arrayValue();
            if (pos >= a.size()) break;
            item = a.item(pos++);
        } else if (!next(item)) {
            break;
        }
        Variant* var = variableSlot(*s.var, f, 1);
        if (!var) raiseRuntime(err::IllegalAssignment, s.var->name);
        store(*var, std::move(item));
        const Flow fl = execBlock(s.body, f);
        if (fl == Flow::ExitFor) return Flow::Normal;
        if (fl != Flow::Normal) return fl;
        tick();
    }
    if (Variant* var = variableSlot(*s.var, f, 0)) overwrite(*var, Variant());
    return Flow::Normal;
}

bool Engine::caseMatches(const Variant& test, const SelectStmt::Item& item, Frame& f) {
    auto literal = [](const Expr& e) { return e.kind == ExprKind::Literal; };
    try {
        const Variant a = eval(*item.a, f);
        switch (item.kind) {
        case SelectStmt::Item::Value: {
            const auto c = ops::order(test, a, false, literal(*item.a));
            return c && *c == 0;
        }
        case SelectStmt::Item::Range: {
            const Variant b = eval(*item.b, f);
            const auto lo = ops::order(test, a, false, literal(*item.a));
            const auto hi = ops::order(test, b, false, literal(*item.b));
            return lo && hi && *lo >= 0 && *hi <= 0;
        }
        case SelectStmt::Item::Compare: {
            const Variant r = ops::compare(item.op, test, a, false, literal(*item.a));
            return !r.isNull() && r.boolValue();
        }
        }
    } catch (const ScriptAbort&) {
        throw;
    } catch (const automation::Error& e) {
        // Resume Next goes on with the statement after the failing Case: its body.
        if (!f.resumeNext) throw;
        setErr(e);
        return true;
    }
    return false;
}

Flow Engine::execSelect(const SelectStmt& s, Frame& f) {
    const Variant test = eval(*s.test, f);
    for (const SelectStmt::Case& c : s.cases)
        for (const SelectStmt::Item& item : c.items)
            if (caseMatches(test, item, f)) return execBlock(c.body, f);
    if (s.hasElse) return execBlock(s.elseBody, f);
    return Flow::Normal;
}

Flow Engine::execWith(const WithStmt& s, Frame& f) {
    Variant obj;
    try {
        obj = eval(*s.object, f);
        if (!obj.isObject()) {
            obj.clear();
            automation::raise(automation::err::ObjectRequired);
        }
    } catch (const ScriptAbort&) {
        throw;
    } catch (const automation::Error& e) {
        if (!f.resumeNext) throw;
        setErr(e);
    }
    Variant& slot = *f.slots[s.slot];
    slot = std::move(obj);
    struct Release {
        Variant& v;
        ~Release() { v.clear(); }
    } release{slot};
    return execBlock(s.body, f);
}

void Engine::execReDim(const ReDimStmt& s, Frame& f) {
    for (const ReDimStmt::Item& item : s.items) {
        if (!variableSlot(*item.var, f, 2)) raiseRuntime(err::IllegalAssignment, item.var->name);
        // The bounds are checked before the array: a bound that is no number (13) or below -1 (5)
        // comes before a fixed array's error 10.
        std::vector<std::int32_t> upper;
        for (const ExprPtr& b : item.bounds) {
            upper.push_back(index(eval(*b, f)));
            if (upper.back() < -1) raiseRuntime(automation::err::InvalidCall);
        }
        // Evaluating the bounds may have moved the variable (a new implicit one).
        Variant* var = variableSlot(*item.var, f, 2);
        if (var->isArray() && (var->arrayValue().fixedSize || var->arrayValue().locked()))
            automation::raise(automation::err::ArrayLocked);
        const std::size_t total = checkedElementCount(upper);
        std::vector<automation::ArrayBound> bounds;
        for (const std::int32_t ub : upper) bounds.push_back({0, std::max(0, ub + 1)});
        if (s.preserve && var->isArray()) {
            SafeArray& a = var->arrayValue();
            // Elements a smaller size drops go only once the array has its new size: a
            // Class_Terminate they run may use the array.
            std::vector<Variant> dropped;
            if (total < a.size() && !a.holdsBytes()) {
                auto& el = a.elements();
                dropped.assign(std::make_move_iterator(el.begin() + std::ptrdiff_t(total)),
                               std::make_move_iterator(el.end()));
            }
            try {
                a.redim(std::move(bounds), true);
            } catch (...) {
                std::move(dropped.begin(), dropped.end(), a.elements().begin() + std::ptrdiff_t(total));
                throw;
            }
        } else {
            overwrite(*var, Variant(SafeArray(std::move(bounds))));
        }
    }
}

const Variant* Engine::quietValue(const Expr& e, Frame& f) {
    if (e.kind == ExprKind::Literal) return &static_cast<const LiteralExpr&>(e).value;
    if (e.kind != ExprKind::Ident) return nullptr;
    const auto& id = static_cast<const IdentExpr&>(e);
    if (id.hasArgs) return nullptr;
    const NameRef& r = id.ref;
    switch (r.kind) {
    case NameKind::Local: return f.slots[r.slot];
    case NameKind::Field: return &f.me->fields[std::size_t(r.slot)];
    case NameKind::Constant: return r.constant;
    case NameKind::Global: {
        if (Variant* v = shadowed(r, f)) return v;
        Symbol& s = *r.symbol;
        if (s.kind == Symbol::Kind::Variable) return s.var;
        if (s.kind == Symbol::Kind::Constant) return &s.constant;
        if (s.kind != Symbol::Kind::None) return nullptr;
        resolveFallback(s);
        if (s.fallback == Symbol::Fallback::Constant) return s.builtinConstant;
        // An undeclared name in a procedure is a variable of its own.
        if (s.fallback == Symbol::Fallback::None && r.implicitSlot >= 0 && !undeclared(r, f)) return f.slots[r.implicitSlot];
        return nullptr;
    }
    default: return nullptr;
    }
}

bool Engine::appendInPlace(const AssignStmt& a, Frame& f) {
    // Only a variable is appended to; a constant is left to assign() and its error.
    const IdentExpr& target = static_cast<const IdentExpr&>(*a.target);
    const NameRef& r = target.ref;
    Variant* slot = nullptr;
    if (r.kind == NameKind::Local) slot = f.slots[r.slot];
    else if (r.kind == NameKind::Field) slot = &f.me->fields[std::size_t(r.slot)];
    else if (r.kind == NameKind::Global) slot = globalVariable(r, f);
    if (!slot && r.kind == NameKind::Global && r.symbol->kind == Symbol::Kind::None && r.implicitSlot >= 0) {
        // An undeclared name in a procedure is its own variable, unless the name is a built-in's.
        resolveFallback(*r.symbol);
        if (r.symbol->fallback == Symbol::Fallback::None && !undeclared(r, f)) slot = f.slots[r.implicitSlot];
    }
    if (!slot || !slot->isString() || a.appendParts.size() > 8) return false;
    const Variant* parts[8];
    std::size_t n = 0;
    for (const Expr* p : a.appendParts) {
        const Variant* v = quietValue(*p, f);
        if (!v || v == slot || v->isObject() || v->isArray()) return false;
        parts[n++] = v;
    }
    std::string& s = slot->stringValue();
    std::string texts[8];
    std::size_t total = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (!parts[i]->isString()) texts[i] = automation::toText(*parts[i]);
        total += parts[i]->isString() ? parts[i]->stringValue().size() : texts[i].size();
    }
    checkStringLength(total);
    if (total > s.capacity()) s.reserve(std::max(total, s.capacity() * 2));
    for (std::size_t i = 0; i < n; ++i) s += parts[i]->isString() ? parts[i]->stringValue() : texts[i];
    return true;
}

void Engine::execErase(const EraseStmt& s, Frame& f) {
    if (s.count != 1) raiseRuntime(automation::err::WrongArgumentCount, "Erase");
    ArrayLocks locks;
    Variant* var = nullptr;
    if (s.var->kind == ExprKind::Ident && !static_cast<const IdentExpr&>(*s.var).hasArgs) {
        const auto& id = static_cast<const IdentExpr&>(*s.var);
        const NameRef& r = id.ref;
        var = variableSlot(id, f, 0);
        if (!var && r.kind == NameKind::Global && r.symbol->kind == Symbol::Kind::None &&
            r.symbol->fallback == Symbol::Fallback::None && undeclared(r, f))
            raiseRuntime(err::VariableUndefined, id.name);
    } else if (s.var->kind == ExprKind::Ident || s.var->kind == ExprKind::Index) {
        var = lvalue(*s.var, f, locks);
    } else {
        eval(*s.var, f);   // a value, "(a)" too: no variable to erase
    }
    if (!var || !var->isArray()) automation::raise(automation::err::TypeMismatch);
    SafeArray& a = var->arrayValue();
    if (a.locked()) automation::raise(automation::err::ArrayLocked);
    if (a.fixedSize && a.holdsBytes()) {
        std::ranges::fill(a.writableBytes(), std::uint8_t(0));
    } else if (a.fixedSize) {
        for (Variant& v : a.elements()) overwrite(v, Variant());
    } else {
        overwrite(*var, Variant(SafeArray()));
    }
}

// The array is made once: run again (in a loop), the statement keeps it.
void Engine::execDim(const DimStmt& s, Frame& f) {
    Variant* var = variableSlot(*s.var, f, 2);
    if (!var) raiseRuntime(err::IllegalAssignment, s.var->name);
    if (!var->isArray()) overwrite(*var, makeArray(s.bounds, !s.bounds.empty()));
}

}  // namespace vt::vbscript
