// Expressions, calls and assignments.

#include "Builtins.h"
#include "Engine.h"
#include "Operators.h"
#include "RegExp.h"
#include "ScriptObject.h"

#include "platform/scripting/Dictionary.h"
#include "platform/scripting/File.h"
#include "platform/scripting/FileSystem.h"
#include "platform/scripting/Folder.h"
#include "platform/scripting/TextStream.h"
#include "platform/text/Text.h"

#include <optional>
#include <typeinfo>

namespace vt::vbscript {

using automation::Object;
using automation::ObjectRef;
using automation::SafeArray;

namespace {

constexpr InvokeKind kGet = InvokeKind::Method | InvokeKind::PropertyGet;

// Indices of one array access (VBScript arrays have at most 60 dimensions).
struct Indices {
    std::int32_t v[64];
    std::size_t n = 0;
    std::span<const std::int32_t> span() const { return {v, n}; }
};

// Only a value written out in the script keeps its kind in a comparison: a sign before it or a
// constant standing for it makes a value like any other ("abc" = -5 is False, not error 13).
bool isLiteral(const Expr& e) { return e.kind == ExprKind::Literal; }

// The object expression's name for "Object required: 'x'".
std::string describe(const MemberExpr& m) {
    if (m.object && m.object->kind == ExprKind::Ident) return static_cast<const IdentExpr&>(*m.object).name;
    return m.name;
}

// "obj.Member" for "Object doesn't support this property or method: 'obj.Member'".
std::string describeMember(const MemberExpr& m) {
    if (m.object && m.object->kind == ExprKind::Ident)
        return static_cast<const IdentExpr&>(*m.object).name + "." + m.name;
    return m.name;
}

}  // namespace

std::int32_t Engine::index(const Variant& v) {
    if (v.isMissing()) raiseRuntime(automation::err::SubscriptOutOfRange);
    return automation::toInt32(v);
}

std::size_t Engine::elementOffset(const SafeArray& a, ArgSpan args) {
    Indices ix;
    if (args.size() > 60) raiseRuntime(automation::err::SubscriptOutOfRange);
    for (Variant* p : args) ix.v[ix.n++] = index(*p);
    return a.offset(ix.span());
}

void Engine::storeElement(SafeArray& a, std::size_t pos, Variant value) {
    if (a.holdsBytes()) a.setItem(pos, std::move(value));
    else store(a.elements()[pos], std::move(value));
}

Variant* ArrayLocks::addByte(SafeArray& a, std::size_t pos) {
    const std::uint8_t b = a.bytes()[pos];
    bytes_.push_back(std::make_unique<ByteSlot>(ByteSlot{&a, pos, locks_.size(), b, Variant(b)}));
    add(a);
    return &bytes_.back()->value;
}

void ArrayLocks::writeBackFrom(std::size_t n) noexcept {
    while (!bytes_.empty() && bytes_.back()->lock >= n) {
        ByteSlot& s = *bytes_.back();
        if (s.pos < s.array->size() && !(s.value == Variant(s.original))) {
            try {
                try {
                    s.array->setItem(s.pos, s.value);
                } catch (const automation::Error&) {
                    s.array->elements()[s.pos] = std::move(s.value);
                }
            } catch (...) {
                // Out of memory turning the array into Variants: the element keeps its byte.
            }
        }
        bytes_.pop_back();
    }
}

void Engine::store(Variant& slot, Variant value) {
    if (slot.isArray()) {
        const SafeArray& old = slot.arrayValue();
        if (old.locked()) raiseRuntime(automation::err::ArrayLocked);
        if (old.fixedSize) raiseRuntime(automation::err::TypeMismatch);
    }
    // The object or array the slot held goes last (see overwrite()): its Class_Terminate may
    // even free the array that holds `slot`, which is not touched after that.
    Variant old;
    if (slot.isObject() || slot.isArray()) old = std::move(slot);
    slot = std::move(value);
    if (slot.isArray()) {
        // A copy of a fixed or locked array is an ordinary dynamic one.
        SafeArray& a = slot.arrayValue();
        a.fixedSize = false;
        while (a.locked()) a.unlock();
    }
}

Variant Engine::letValue(Variant v) {
    if (!v.isObject()) return v;
    if (!v.object()) raiseRuntime(automation::err::ObjectNotSet);
    return automation::defaultValue(v);
}

// ---- Names ----

void Engine::resolveFallback(Symbol& s) {
    if (s.fallbackEpoch == epoch_) return;
    s.fallbackEpoch = epoch_;
    s.fallback = Symbol::Fallback::None;
    s.builtin = nullptr;
    s.builtinConstant = nullptr;
    s.item = -1;
    const std::string k = lowerName(s.name);
    const BuiltinTable& t = builtins();
    if (const Builtin* b = t.find(k)) {
        s.fallback = Symbol::Fallback::Builtin;
        s.builtin = b;
        return;
    }
    if (const Variant* c = t.findConstant(k)) {
        s.fallback = Symbol::Fallback::Constant;
        s.builtinConstant = c;
        return;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (lowerName(items_[i].name) == k) {
            s.fallback = Symbol::Fallback::Item;
            s.item = std::int32_t(i);
            return;
        }
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].addMembers) continue;
        Object* o = items_[i].object.object();
        if (o && o->hasMember(s.name)) {
            s.fallback = Symbol::Fallback::ItemMember;
            s.item = std::int32_t(i);
            return;
        }
    }
}

// The storage of a plain variable, or null for anything else (constants, procedures, host
// names). `create`: 0 finds only, 1 creates an undeclared variable (500 under Option Explicit),
// 2 declares it whatever the option says (ReDim).
Variant* Engine::variableSlot(const IdentExpr& id, Frame& f, int create) {
    const NameRef& r = id.ref;
    switch (r.kind) {
    case NameKind::Local: return f.slots[r.slot];
    case NameKind::Field: return &f.me->fields[std::size_t(r.slot)];
    case NameKind::Global: {
        if (Variant* v = shadowed(r, f)) return v;
        Symbol& s = *r.symbol;
        if (s.kind == Symbol::Kind::Variable) return s.var;
        if (s.kind != Symbol::Kind::None) return nullptr;
        resolveFallback(s);
        if (s.fallback != Symbol::Fallback::None) return nullptr;
        if (create != 2 && undeclared(r, f)) {
            if (create == 0) return nullptr;
            raiseRuntime(err::VariableUndefined, id.name);
        }
        // Inside a procedure an undeclared name is a variable of its own.
        if (r.implicitSlot >= 0) return f.slots[r.implicitSlot];
        if (create == 0) return nullptr;
        if (!s.var) s.var = &globals_.emplace_back();
        s.kind = Symbol::Kind::Variable;
        return s.var;
    }
    default: return nullptr;
    }
}

// The storage of a variable or of an array element. The arrays that hold the element, at every
// level of x(i)(j), are added to `locks`: code run by a later index, or by the procedure the
// element is passed to, cannot free it.
Variant* Engine::lvalue(const Expr& e, Frame& f, ArrayLocks& locks) {
    const ArgList* args = nullptr;
    Variant* base = nullptr;
    const std::size_t mark = locks.size();
    if (e.kind == ExprKind::Ident) {
        const auto& id = static_cast<const IdentExpr&>(e);
        if (!id.hasArgs) return variableSlot(id, f, 1);
        base = variableSlot(id, f, 0);
        args = &id.args;
    } else if (e.kind == ExprKind::Index) {
        const auto& ix = static_cast<const IndexExpr&>(e);
        base = lvalue(*ix.target, f, locks);
        args = &ix.args;
    } else {
        return nullptr;
    }
    if (!base || !base->isArray()) {
        locks.unlockFrom(mark);
        return nullptr;
    }
    Indices ix;
    if (args->size() > 60) raiseRuntime(automation::err::SubscriptOutOfRange);
    for (const ExprPtr& a : *args) ix.v[ix.n++] = a ? index(eval(*a, f)) : index(Variant::missing());
    if (!base->isArray()) {
        locks.unlockFrom(mark);
        return nullptr;
    }
    SafeArray& arr = base->arrayValue();
    if (arr.holdsBytes()) return locks.addByte(arr, arr.offset(ix.span()));
    Variant& el = arr.at(ix.span());
    locks.add(arr);
    return &el;
}

// The slot of a local or declared global variable named alone; null for anything else.
static Variant* plainSlot(const Expr& e, Frame& f) {
    if (e.kind != ExprKind::Ident || static_cast<const IdentExpr&>(e).hasArgs) return nullptr;
    const NameRef& r = static_cast<const IdentExpr&>(e).ref;
    if (r.kind == NameKind::Local) return f.slots[r.slot];
    if (r.kind == NameKind::Global) return globalVariable(r, f);
    return nullptr;
}

void Engine::buildArgs(const ArgList& args, Frame& f, ArgBuffer& out, bool byRef) {
    out.reserve(args.size());
    for (const ExprPtr& a : args) {
        if (!a) {
            out.addValue(Variant::missing());
            continue;
        }
        if (byRef) {
            // A plain variable (the usual argument) is passed by its slot at once.
            if (Variant* slot = plainSlot(*a, f)) {
                out.addRef(slot);
                continue;
            }
        }
        if (byRef && (a->kind == ExprKind::Ident || a->kind == ExprKind::Index)) {
            // lvalue() evaluates nothing unless it finds an array, so the fallback below does
            // not repeat side effects.
            if (Variant* p = lvalue(*a, f, out.locks())) {
                out.addRef(p);
                continue;
            }
        }
        out.addValue(eval(*a, f));
    }
}

// ---- Evaluation ----

Variant Engine::eval(const Expr& e, Frame& f) {
    switch (e.kind) {
    case ExprKind::Literal: return static_cast<const LiteralExpr&>(e).value;
    case ExprKind::Ident: return evalIdent(static_cast<const IdentExpr&>(e), f, false);
    case ExprKind::Member: return evalMember(static_cast<const MemberExpr&>(e), f);
    case ExprKind::Index: return evalIndex(static_cast<const IndexExpr&>(e), f);
    case ExprKind::Paren: return eval(*static_cast<const ParenExpr&>(e).inner, f);
    case ExprKind::Unary: return evalUnary(static_cast<const UnaryExpr&>(e), f);
    case ExprKind::Binary: return evalBinary(static_cast<const BinaryExpr&>(e), f);
    case ExprKind::New: return evalNew(static_cast<const NewExpr&>(e));
    case ExprKind::Me:
        if (!f.me) raiseRuntime(automation::err::ObjectRequired, "Me");
        return Variant(ObjectRef(f.me));
    }
    return {};
}

Variant Engine::evalUnary(const UnaryExpr& u, Frame& f) {
    switch (u.op) {
    case UnaryOp::Neg: return ops::neg(eval(*u.operand, f));
    case UnaryOp::Plus: return eval(*u.operand, f);
    case UnaryOp::Not: return ops::logicalNot(eval(*u.operand, f));
    }
    return {};
}

namespace {
// A literal, constant or variable read in place (reading it runs nothing); null otherwise.
const Variant* inPlace(const Expr& e, const Frame& f) {
    if (e.kind == ExprKind::Literal) return &static_cast<const LiteralExpr&>(e).value;
    if (e.kind != ExprKind::Ident) return nullptr;
    const auto& id = static_cast<const IdentExpr&>(e);
    if (id.hasArgs) return nullptr;
    const NameRef& r = id.ref;
    switch (r.kind) {
    case NameKind::Local: return f.slots[r.slot];
    case NameKind::Constant: return r.constant;
    case NameKind::Global: return globalVariable(r, f);
    default: return nullptr;
    }
}
}  // namespace

Variant Engine::evalBinary(const BinaryExpr& b, Frame& f) {
    if (stackLow()) raiseRuntime(err::OutOfStackSpace);
    if (const Variant *pa = inPlace(*b.lhs, f), *pc = pa ? inPlace(*b.rhs, f) : nullptr; pc) {
        // Integers and Longs: the common arithmetic and comparisons without the general rules.
        std::int32_t x, y;
        if (ops::wholeNumber(*pa, x) && ops::wholeNumber(*pc, y)) {
            switch (b.op) {
            case BinaryOp::Add:
                if (const int k = ops::wholeKind(*pa, *pc, std::int64_t(x) + y)) return ops::wholeValue(k, std::int64_t(x) + y);
                break;
            case BinaryOp::Sub:
                if (const int k = ops::wholeKind(*pa, *pc, std::int64_t(x) - y)) return ops::wholeValue(k, std::int64_t(x) - y);
                break;
            case BinaryOp::Eq: return Variant(x == y);
            case BinaryOp::Ne: return Variant(x != y);
            case BinaryOp::Lt: return Variant(x < y);
            case BinaryOp::Gt: return Variant(x > y);
            case BinaryOp::Le: return Variant(x <= y);
            case BinaryOp::Ge: return Variant(x >= y);
            default: break;
            }
        }
        switch (b.op) {
        case BinaryOp::Eq: case BinaryOp::Ne: case BinaryOp::Lt: case BinaryOp::Gt: case BinaryOp::Le: case BinaryOp::Ge:
            return ops::compare(b.op, *pa, *pc, isLiteral(*b.lhs), isLiteral(*b.rhs));
        default:
            return ops::binary(b.op, *pa, *pc);
        }
    }
    // Plain variables are read in place; everything else into a temporary.
    auto operand = [&](const Expr& e, Variant& tmp) -> const Variant& {
        if (e.kind == ExprKind::Ident) {
            const auto& id = static_cast<const IdentExpr&>(e);
            if (!id.hasArgs) {
                const NameRef& r = id.ref;
                if (r.kind == NameKind::Local) return *f.slots[r.slot];
                if (r.kind == NameKind::Global)
                    if (Variant* v = globalVariable(r, f)) return *v;
            }
        }
        tmp = eval(e, f);
        return tmp;
    };
    // The left side is read in place only when reading the right one runs no script code that
    // could change it (x & F() uses x as it was before F ran).
    auto quiet = [&](const Expr& e) {
        if (e.kind == ExprKind::Literal) return true;
        if (e.kind != ExprKind::Ident || static_cast<const IdentExpr&>(e).hasArgs) return false;
        const NameRef& r = static_cast<const IdentExpr&>(e).ref;
        return r.kind == NameKind::Local || r.kind == NameKind::Constant ||
               (r.kind == NameKind::Global && globalVariable(r, f));
    };
    Variant ta, tb;
    const Variant& a = quiet(*b.rhs) ? operand(*b.lhs, ta) : (ta = eval(*b.lhs, f));
    const Variant& c = operand(*b.rhs, tb);
    switch (b.op) {
    case BinaryOp::Eq: case BinaryOp::Ne: case BinaryOp::Lt: case BinaryOp::Gt: case BinaryOp::Le: case BinaryOp::Ge:
        return ops::compare(b.op, a, c, isLiteral(*b.lhs), isLiteral(*b.rhs));
    default:
        return ops::binary(b.op, a, c);
    }
}

Variant Engine::evalNew(const NewExpr& n) {
    // The built-in RegExp, even where the script declares a class of that name.
    if (text::equalsNoCase(n.className, "RegExp")) return Variant(automation::makeRef<RegExp>());
    Symbol& s = *n.symbol;
    if (s.kind != Symbol::Kind::Class) {
        // Under Option Explicit a name nothing declares is an undefined variable; a name that
        // stands for something else (a variable, a function) is no class.
        bool undefined = n.explicitMode && s.kind == Symbol::Kind::None;
        if (undefined) {
            resolveFallback(s);
            undefined = s.fallback == Symbol::Fallback::None;
        }
        raiseRuntime(undefined ? err::VariableUndefined : err::ClassNotDefined, n.className);
    }
    return newObject(s.cls);
}

Variant Engine::evalIdent(const IdentExpr& id, Frame& f, bool statement) {
    const NameRef& r = id.ref;
    switch (r.kind) {
    case NameKind::Local: return valueWithArgs(*f.slots[r.slot], id, f, statement);
    case NameKind::Field: return valueWithArgs(f.me->fields[std::size_t(r.slot)], id, f, statement);
    case NameKind::Constant:
        if (!id.args.empty() || statement) raiseRuntime(automation::err::TypeMismatch, id.name);
        return *r.constant;
    case NameKind::ClassMember: {
        ArgBuffer args;
        buildArgs(id.args, f, args, true);
        const ObjectRef keep(f.me);
        return invokeMember(*f.me, f.me->cls().members[std::size_t(r.member)], kGet, args.span(), true);
    }
    case NameKind::Global: return evalGlobal(id, f, statement);
    case NameKind::Unresolved: break;
    }
    raiseRuntime(automation::err::TypeMismatch, id.name);
}

Variant Engine::evalGlobal(const IdentExpr& id, Frame& f, bool statement) {
    if (Variant* v = shadowed(id.ref, f)) return valueWithArgs(*v, id, f, statement);
    Symbol& s = *id.ref.symbol;
    switch (s.kind) {
    case Symbol::Kind::Variable: return valueWithArgs(*s.var, id, f, statement);
    case Symbol::Kind::Constant:
        if (!id.args.empty() || statement) raiseRuntime(automation::err::TypeMismatch, id.name);
        return s.constant;
    case Symbol::Kind::Procedure: {
        // Kept by the symbol, or by retired_ when code run meanwhile redefines it.
        const ProcDef* p = s.proc.get();
        // Arguments that are all plain variables go by their slots, with nothing to build.
        if (id.args.size() <= 4) {
            Variant* direct[4];
            std::size_t k = 0;
            for (const ExprPtr& a : id.args) {
                Variant* slot = a ? plainSlot(*a, f) : nullptr;
                if (!slot) break;
                direct[k++] = slot;
            }
            if (k == id.args.size()) return callProc(*p, nullptr, ArgSpan(direct, k));
        }
        ArgBuffer args;
        buildArgs(id.args, f, args, true);
        return callProc(*p, nullptr, args.span());
    }
    case Symbol::Kind::Class: raiseRuntime(automation::err::TypeMismatch, id.name);
    case Symbol::Kind::None: break;
    }
    resolveFallback(s);
    switch (s.fallback) {
    case Symbol::Fallback::Builtin:
        if (s.builtin->use == Builtin::StatementOnly && !statement)
            raiseRuntime(automation::err::TypeMismatch, id.name);
        return callBuiltin(*s.builtin, id.args, f, id.name, statement);
    case Symbol::Fallback::Constant:
        if (!id.args.empty() || statement) raiseRuntime(automation::err::TypeMismatch, id.name);
        return *s.builtinConstant;
    case Symbol::Fallback::Item: {
        const Variant target = items_[std::size_t(s.item)].object;
        return valueWithArgs(target, id, f, statement);
    }
    case Symbol::Fallback::ItemMember: {
        const Variant target = items_[std::size_t(s.item)].object;
        ArgBuffer args;
        buildArgs(id.args, f, args, true);
        return hostInvoke(*target.object(), id.name, kGet, args.span());
    }
    case Symbol::Fallback::None: break;
    }
    // An undeclared name: a new Empty variable (in a procedure its own), unless Option Explicit
    // holds; called, it is a type mismatch.
    if (undeclared(id.ref, f)) raiseRuntime(err::VariableUndefined, id.name);
    if (id.ref.implicitSlot >= 0) return valueWithArgs(*f.slots[id.ref.implicitSlot], id, f, statement);
    if (id.hasArgs || statement) raiseRuntime(automation::err::TypeMismatch, id.name);
    return *variableSlot(id, f, 1);
}

Variant Engine::valueWithArgs(const Variant& v, const IdentExpr& id, Frame& f, bool statement) {
    if (!id.hasArgs) {
        if (!statement) return v;
        // A name alone as a statement calls an object's default method.
        if (v.isObject() && v.object()) {
            const Variant keep = v;
            return applyArgValues(keep, {}, id.name);
        }
        raiseRuntime(automation::err::TypeMismatch, id.name);
    }
    return applyArgs(v, id.args, f, id.name);
}

Variant Engine::applyArgs(const Variant& v, const ArgList& args, Frame& f, std::string_view detail) {
    if (v.isArray()) {
        Indices ix;
        if (args.size() > 60) raiseRuntime(automation::err::SubscriptOutOfRange, detail);
        for (const ExprPtr& a : args) ix.v[ix.n++] = a ? index(eval(*a, f)) : index(Variant::missing());
        if (!v.isArray()) raiseRuntime(automation::err::TypeMismatch, detail);
        try {
            return v.arrayValue().get(ix.span());
        } catch (const automation::Error& e) {
            throw RuntimeError(e, std::string(detail));
        }
    }
    if (v.isObject()) {
        if (!v.object()) raiseRuntime(automation::err::ObjectRequired, detail);
        const Variant keep = v;
        ArgBuffer ab;
        buildArgs(args, f, ab, true);
        return applyArgValues(keep, ab.span(), detail);
    }
    raiseRuntime(automation::err::TypeMismatch, detail);
}

Variant Engine::applyArgValues(const Variant& v, ArgSpan args, std::string_view detail) {
    if (v.isArray()) {
        if (args.empty()) return v;
        try {
            const SafeArray& a = v.arrayValue();
            return a.item(elementOffset(a, args));
        } catch (const RuntimeError&) {
            throw;
        } catch (const automation::Error& e) {
            throw RuntimeError(e, std::string(detail));
        }
    }
    if (v.isObject()) {
        Object* o = v.object();
        if (!o) raiseRuntime(automation::err::ObjectRequired, detail);
        const Variant keep = v;
        if (ScriptObject* so = asScriptObject(o); so && so->engine() == this) {
            const ClassDef& c = so->cls();
            if (c.defaultMember < 0) raiseRuntime(automation::err::NoSuchMember, detail);
            return invokeMember(*so, c.members[std::size_t(c.defaultMember)], kGet, args, false);
        }
        return hostInvoke(*o, "", kGet, args);
    }
    raiseRuntime(automation::err::TypeMismatch, detail);
}

Variant Engine::callBuiltin(const Builtin& b, const ArgList& args, Frame& f, std::string_view name, bool statement) {
    const int n = int(args.size());
    if (n < b.minArgs || n > b.maxArgs) raiseRuntime(automation::err::WrongArgumentCount, name);
    ArgBuffer ab;
    buildArgs(args, f, ab, true);
    // The conversions as a statement (Call CInt(x)): the arguments are read, the call refused.
    if (statement && b.use == Builtin::ValueOnly) raiseRuntime(err::BadVariableType, name);
    callerFrame_ = &f;
    try {
        return b.fn(*this, ab.span());
    } catch (const LocatedError&) {
        throw;
    } catch (const RuntimeError& e) {
        if (!e.detail.empty()) throw;
        throw RuntimeError(e, std::string(b.name));
    } catch (const automation::Error& e) {
        throw RuntimeError(e, std::string(b.name));
    }
}

namespace {
// The scripting objects (dictionaries, files) belong to the language: time spent in them counts
// towards the time-out like the script's own, so a runaway loop over a dictionary stops too.
bool languageObject(const Object& o) {
    const std::type_info& t = typeid(o);
    return t == typeid(scripting::Dictionary) || t == typeid(scripting::TextStream) ||
           t == typeid(scripting::FileSystemObject) || t == typeid(scripting::File) || t == typeid(scripting::Folder) ||
           t == typeid(scripting::Files) || t == typeid(scripting::Folders) || t == typeid(RegExp);
}
}  // namespace

Variant Engine::hostInvoke(Object& o, std::string_view name, InvokeKind kind, ArgSpan args) {
    if (ScriptObject* so = asScriptObject(&o); so && so->engine() == this) return o.invoke(name, kind, args);
    std::optional<HostCall> hc;
    if (!languageObject(o)) hc.emplace(*this);
    try {
        return o.invoke(name, kind, args);
    } catch (const RuntimeError&) {
        throw;
    } catch (const automation::Error& e) {
        if (e.number == automation::err::NoSuchMember || e.number == automation::err::WrongArgumentCount)
            throw RuntimeError(e, std::string(name));
        throw;
    }
}

const Variant& Engine::withObject(const MemberExpr& m, Frame& f) {
    if (m.withSlot < 0) raiseRuntime(err::UnqualifiedReference, m.name);
    return *f.slots[m.withSlot];
}

Variant Engine::invokeOn(const Variant& target, const MemberExpr& m, InvokeKind kind, ArgSpan args, Frame& f) {
    Object* o = target.object();
    if (!o) raiseRuntime(automation::err::ObjectRequired, describe(m));
    const Variant keep = target;
    if (ScriptObject* so = asScriptObject(o); so && so->engine() == this) {
        const ClassDef& c = so->cls();
        const ClassMember* member = nullptr;
        if (m.cachedClass == &c && std::size_t(m.cachedMember) < c.members.size() &&
            text::equalsNoCase(c.members[std::size_t(m.cachedMember)].name, m.name)) {
            member = &c.members[std::size_t(m.cachedMember)];
        } else {
            member = c.find(lowerName(m.name));
            if (!member) raiseRuntime(automation::err::NoSuchMember, describeMember(m));
            m.cachedClass = &c;
            m.cachedMember = std::int32_t(member - c.members.data());
        }
        // o.count(): empty parentheses after a field, also one holding an array (a Property Get
        // called so returns its value).
        if (member->field >= 0 && m.hasArgs && m.args.empty() && kind == kGet &&
            !so->fields[std::size_t(member->field)].isObject())
            raiseRuntime(automation::err::InvalidCall, describeMember(m));
        return invokeMember(*so, *member, kind, args, so == f.me);
    }
    const bool assigning =
        automation::hasKind(kind, InvokeKind::PropertyLet) || automation::hasKind(kind, InvokeKind::PropertySet);
    try {
        return hostInvoke(*o, m.name, kind, args);
    } catch (const RuntimeError& e) {
        if (e.number == automation::err::NoSuchMember && e.detail == m.name) throw RuntimeError(e, describeMember(m));
        if (e.number != automation::err::WrongArgumentCount || args.size() < (assigning ? 2u : 1u)) throw;
    }
    // A property that takes no index but returns an array (obj.Lines(0)), or one that returns an
    // object whose default member takes the assignment (Fields.Item("x") = v).
    if (!assigning) {
        const Variant whole = hostInvoke(*o, m.name, kGet, {});
        if (!whole.isArray()) raiseRuntime(automation::err::WrongArgumentCount, m.name);
        return applyArgValues(whole, args, m.name);
    }
    const Variant inner = hostInvoke(*o, m.name, kGet, args.first(args.size() - 1));
    if (!inner.isObject() || !inner.object()) raiseRuntime(automation::err::WrongArgumentCount, m.name);
    return hostInvoke(*inner.object(), "", kind, args.last(1));
}

Variant Engine::evalMember(const MemberExpr& m, Frame& f) {
    const Variant target = m.object ? eval(*m.object, f) : withObject(m, f);
    ArgBuffer args;
    buildArgs(m.args, f, args, true);
    return invokeOn(target, m, kGet, args.span(), f);
}

Variant Engine::evalIndex(const IndexExpr& ix, Frame& f) {
    const Variant base = eval(*ix.target, f);
    return applyArgs(base, ix.args, f, "");
}

// ---- Calls ----

Variant Engine::callProc(const ProcDef& p, ScriptObject* me, ArgSpan args) {
    if (args.size() != p.params.size()) raiseRuntime(automation::err::WrongArgumentCount, p.name);
    enterCall();
    struct Leave {
        Engine& e;
        ~Leave() { e.leaveCall(); }
    } leave{*this};
    constexpr int kInline = 8;
    const int n = p.slotCount;
    // A small procedure's variables live here, made for its slots only.
    alignas(Variant) unsigned char inlineVals[kInline * sizeof(Variant)];
    Variant* inlinePtrs[kInline];
    std::unique_ptr<Variant[]> heapVals;
    std::unique_ptr<Variant*[]> heapPtrs;
    Variant* vals = reinterpret_cast<Variant*>(inlineVals);
    Variant** ptrs = inlinePtrs;
    if (n > kInline) {
        heapVals = std::make_unique<Variant[]>(std::size_t(n));
        heapPtrs = std::make_unique<Variant*[]>(std::size_t(n));
        vals = heapVals.get();
        ptrs = heapPtrs.get();
    } else {
        for (int i = 0; i < n; ++i) ptrs[i] = new (&vals[i]) Variant();
    }
    struct Locals {
        Variant* vals;
        int n;
        ~Locals() {
            for (int i = n; i-- > 0;)
                if (!vals[i].isEmpty()) vals[i].~Variant();   // an Empty one holds nothing to free
        }
    } locals{vals, heapVals ? 0 : n};
    if (heapVals)
        for (int i = 0; i < n; ++i) ptrs[i] = &vals[i];
    for (std::size_t i = 0; i < p.params.size(); ++i) {
        if (p.params[i].byVal) store(vals[i], *args[i]);
        else ptrs[i] = args[i];
    }
    for (const LocalArray& la : p.arrays) vals[la.slot] = makeArray(la.bounds, !la.bounds.empty());
    Frame f{&p, ptrs, me, false, nullptr};
    execBlock(p.body, f);
    return p.resultSlot >= 0 ? std::move(vals[p.resultSlot]) : Variant();
}

Variant Engine::invokeMember(ScriptObject& o, const ClassMember& m, InvokeKind kind, ArgSpan args, bool inside) {
    const bool let = automation::hasKind(kind, InvokeKind::PropertyLet);
    const bool set = !let && automation::hasKind(kind, InvokeKind::PropertySet);
    if (m.field >= 0) {
        if (!inside && !m.isPublic) raiseRuntime(automation::err::NoSuchMember, m.name);
        Variant& fv = o.fields[std::size_t(m.field)];
        if (!let && !set) {
            if (args.empty()) return fv;
            // o.count(0): a plain value has no member to take the index.
            if (!fv.isArray() && !fv.isObject()) raiseRuntime(automation::err::NoSuchMember, m.name);
            return applyArgValues(fv, args, m.name);
        }
        if (args.empty()) raiseRuntime(automation::err::WrongArgumentCount, m.name);
        Variant value = *args[args.size() - 1];
        if (set && !value.isObject()) raiseRuntime(automation::err::ObjectRequired, m.name);
        if (let) value = letValue(std::move(value));
        const ArgSpan index = args.first(args.size() - 1);
        if (index.empty()) {
            store(fv, std::move(value));
        } else if (fv.isArray()) {
            SafeArray& a = fv.arrayValue();
            storeElement(a, elementOffset(a, index), std::move(value));
        } else if (fv.isObject() && fv.object()) {
            const Variant target = fv;
            ArgBuffer ab;
            ab.reserve(args.size());
            for (Variant* a : index) ab.addRef(a);
            ab.addValue(std::move(value));
            hostInvoke(*target.object(), "", kind, ab.span());
        } else {
            raiseRuntime(automation::err::NoSuchMember, m.name);   // as o.count(0) read
        }
        return {};
    }
    const ProcDef* p = let ? m.let.get() : set ? m.set.get() : (m.get ? m.get.get() : m.method.get());
    if (!p) raiseRuntime(automation::err::WrongArgumentCount, m.name);
    if (!inside && !p->isPublic) raiseRuntime(automation::err::NoSuchMember, m.name);
    if (!let && !set && args.size() > p->params.size() && p->params.empty()) {
        // obj.List(1) where List returns an array or an object.
        const Variant r = callProc(*p, &o, {});
        return applyArgValues(r, args, m.name);
    }
    if (let && !args.empty() && args[args.size() - 1]->isObject()) {
        ArgBuffer ab;
        ab.reserve(args.size());
        for (std::size_t i = 0; i + 1 < args.size(); ++i) ab.addRef(args[i]);
        ab.addValue(letValue(*args[args.size() - 1]));
        return callProc(*p, &o, ab.span());
    }
    return callProc(*p, &o, args);
}

void Engine::execCallStatement(const Expr& e, Frame& f) {
    switch (e.kind) {
    case ExprKind::Ident: evalIdent(static_cast<const IdentExpr&>(e), f, true); return;
    case ExprKind::Member: evalMember(static_cast<const MemberExpr&>(e), f); return;
    case ExprKind::Index: evalIndex(static_cast<const IndexExpr&>(e), f); return;
    default: eval(e, f); return;
    }
}

// ---- Assignment ----

void Engine::assignToValue(Variant& base, const ArgList& args, Variant value, bool isSet, Frame& f,
                           std::string_view detail) {
    const InvokeKind kind = isSet ? InvokeKind::PropertySet : InvokeKind::PropertyLet;
    if (base.isArray()) {
        Indices ix;
        if (args.size() > 60) raiseRuntime(automation::err::SubscriptOutOfRange, detail);
        for (const ExprPtr& a : args) ix.v[ix.n++] = a ? index(eval(*a, f)) : index(Variant::missing());
        if (!base.isArray()) raiseRuntime(automation::err::TypeMismatch, detail);
        try {
            SafeArray& a = base.arrayValue();
            storeElement(a, a.offset(ix.span()), std::move(value));
        } catch (const RuntimeError&) {
            throw;
        } catch (const automation::Error& e) {
            throw RuntimeError(e, std::string(detail));
        }
        return;
    }
    if (base.isObject()) {
        if (!base.object()) raiseRuntime(automation::err::ObjectRequired, detail);
        const Variant target = base;
        ArgBuffer ab;
        buildArgs(args, f, ab, true);
        ab.addValue(std::move(value));
        hostInvoke(*target.object(), "", kind, ab.span());
        return;
    }
    raiseRuntime(automation::err::TypeMismatch, detail);
}

void Engine::assign(const Expr& target, Variant value, bool isSet, Frame& f) {
    const InvokeKind kind = isSet ? InvokeKind::PropertySet : InvokeKind::PropertyLet;
    // Me, a literal or a sum: nothing to assign to, whatever the value (Me = Nothing too).
    if (target.kind != ExprKind::Ident && target.kind != ExprKind::Member && target.kind != ExprKind::Index)
        raiseRuntime(err::IllegalAssignment);
    if (isSet) {
        if (!value.isObject()) {
            std::string name = target.kind == ExprKind::Ident ? static_cast<const IdentExpr&>(target).name : "";
            raiseRuntime(automation::err::ObjectRequired, name);
        }
    } else {
        value = letValue(std::move(value));
    }
    switch (target.kind) {
    case ExprKind::Ident: {
        const auto& id = static_cast<const IdentExpr&>(target);
        const NameRef& r = id.ref;
        if (r.kind == NameKind::Constant) raiseRuntime(err::IllegalAssignment, id.name);
        if (r.kind == NameKind::ClassMember) {
            ArgBuffer ab;
            buildArgs(id.args, f, ab, true);
            ab.addValue(std::move(value));
            const ObjectRef keep(f.me);
            invokeMember(*f.me, f.me->cls().members[std::size_t(r.member)], kind, ab.span(), true);
            return;
        }
        if (r.kind == NameKind::Global && !shadowed(r, f)) {
            Symbol& s = *r.symbol;
            if (s.kind != Symbol::Kind::Variable && s.kind != Symbol::Kind::None)
                raiseRuntime(err::IllegalAssignment, id.name);
            if (s.kind == Symbol::Kind::None) {
                resolveFallback(s);
                if (s.fallback == Symbol::Fallback::ItemMember || s.fallback == Symbol::Fallback::Item) {
                    const Variant t = items_[std::size_t(s.item)].object;
                    if (s.fallback == Symbol::Fallback::Item && !id.hasArgs)
                        raiseRuntime(err::IllegalAssignment, id.name);
                    ArgBuffer ab;
                    buildArgs(id.args, f, ab, true);
                    ab.addValue(std::move(value));
                    hostInvoke(*t.object(), s.fallback == Symbol::Fallback::Item ? "" : id.name, kind, ab.span());
                    return;
                }
                if (s.fallback != Symbol::Fallback::None) raiseRuntime(err::IllegalAssignment, id.name);
                if (id.hasArgs) {
                    if (undeclared(r, f)) raiseRuntime(err::VariableUndefined, id.name);
                    if (r.implicitSlot < 0) raiseRuntime(automation::err::TypeMismatch, id.name);
                    assignToValue(*f.slots[r.implicitSlot], id.args, std::move(value), isSet, f, id.name);
                    return;
                }
            }
        }
        Variant* slot = variableSlot(id, f, id.hasArgs ? 0 : 1);
        if (!slot) raiseRuntime(err::IllegalAssignment, id.name);
        if (!id.hasArgs) store(*slot, std::move(value));
        else assignToValue(*slot, id.args, std::move(value), isSet, f, id.name);
        return;
    }
    case ExprKind::Member: {
        const auto& m = static_cast<const MemberExpr&>(target);
        const Variant obj = m.object ? eval(*m.object, f) : withObject(m, f);
        ArgBuffer ab;
        buildArgs(m.args, f, ab, true);
        ab.addValue(std::move(value));
        invokeOn(obj, m, kind, ab.span(), f);
        return;
    }
    case ExprKind::Index: {
        const auto& ix = static_cast<const IndexExpr&>(target);
        ArrayLocks locks;
        if (Variant* base = lvalue(*ix.target, f, locks)) {
            // x(0)(1) = v with x(0) Nothing: no array and no object to index.
            if (base->isObject() && !base->object()) raiseRuntime(automation::err::TypeMismatch);
            assignToValue(*base, ix.args, std::move(value), isSet, f, "");
            return;
        }
        Variant base = eval(*ix.target, f);
        assignToValue(base, ix.args, std::move(value), isSet, f, "");
        return;
    }
    default:
        break;   // refused above
    }
}

}  // namespace vt::vbscript
