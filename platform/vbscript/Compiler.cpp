#include "Compiler.h"

#include "Errors.h"

#include "platform/text/Text.h"

#include <algorithm>

namespace vt::vbscript {

std::string lowerName(std::string_view name) { return text::toLower(name); }

Symbol& SymbolTable::intern(std::string_view name) {
    std::string key = lowerName(name);
    auto it = symbols_.find(key);
    if (it != symbols_.end()) return *it->second;
    auto s = std::make_unique<Symbol>();
    s->name = std::string(name);
    Symbol& ref = *s;
    symbols_.emplace(std::move(key), std::move(s));
    return ref;
}

Symbol* SymbolTable::find(std::string_view name) {
    auto it = symbols_.find(lowerName(name));
    return it == symbols_.end() ? nullptr : it->second.get();
}

const ClassMember* ClassDef::find(std::string_view lowerName) const {
    auto it = memberIndex.find(std::string(lowerName));
    return it == memberIndex.end() ? nullptr : &members[std::size_t(it->second)];
}

namespace {

[[noreturn]] void redefined(Pos p) { throw CompileError(err::NameRedefined, p.line, p.column); }

class Resolver {
public:
    Resolver(Unit& unit, SymbolTable& symbols) : unit_(unit), symbols_(symbols) {}

    void run() {
        checkUnitNames();
        for (const ConstDecl& c : unit_.consts) unitConsts_.emplace(lowerName(c.name), &c.value);
        for (auto& cls : unit_.classes) buildClass(*cls);
        for (auto& p : unit_.procs) resolveProc(*p, nullptr, false);
        for (auto& cls : unit_.classes)
            for (auto& p : cls->procs) resolveProc(*p, cls.get(), false);
        resolveProc(*unit_.main, nullptr, true);
    }

    void expression(Expr& e, ProcDef& frame) {
        frame.topLevel = true;
        Scope sc(&frame, nullptr, true);
        sc.nextSlot = frame.slotCount;
        resolveExpr(e, sc);
        frame.slotCount = sc.nextSlot;
    }

    // The unit's statements run in the frame of a running procedure (Execute there): they see
    // its slots by name, then the variables earlier such runs added. Procedures and classes of
    // the unit are global as always.
    void inFrame(const FrameScope& fs, std::vector<FrameAddition>& added) {
        checkUnitNames();
        for (const ConstDecl& c : unit_.consts) unitConsts_.emplace(lowerName(c.name), &c.value);
        for (auto& cls : unit_.classes) buildClass(*cls);
        for (auto& p : unit_.procs) resolveProc(*p, nullptr, false);
        for (auto& cls : unit_.classes)
            for (auto& p : cls->procs) resolveProc(*p, cls.get(), false);

        ProcDef& m = *unit_.main;
        Scope sc(&m, fs.cls, false);
        seed(m, sc, fs);
        m.explicitMode = unit_.explicitMode;
        const std::int32_t firstNew = sc.nextSlot;
        for (const VarDecl& d : unit_.dims) {
            const std::string k = lowerName(d.name);
            // Declaring a variable the frame already has changes nothing.
            if (!d.isArray && sc.locals.count(k)) continue;
            if (sc.locals.count(k) || k == sc.resultName) redefined(d.pos);
            std::int32_t slot;
            if (auto it = sc.implicit.find(k); it != sc.implicit.end()) {
                slot = it->second;
                sc.implicit.erase(it);
            } else {
                slot = newSlot(sc, d.name);
            }
            sc.locals.emplace(k, slot);
        }
        collectReDims(m.body, sc);
        resolveBlock(m.body, sc);
        m.slotCount = sc.nextSlot;
        for (const auto& [k, slot] : sc.locals)
            if (slot >= firstNew) added.push_back(FrameAddition{k, slot, true});
        for (const auto& [k, slot] : sc.implicit)
            if (slot >= firstNew) added.push_back(FrameAddition{k, slot, false});
        m.localSlots = std::move(sc.locals);
        m.implicitSlots = std::move(sc.implicit);
    }

    // An expression evaluated in the frame of a running procedure (Eval there).
    void expressionInFrame(Expr& e, ProcDef& frame, const FrameScope& fs) {
        Scope sc(&frame, fs.cls, false);
        seed(frame, sc, fs);
        frame.explicitMode = unit_.explicitMode;
        resolveExpr(e, sc);
        frame.slotCount = sc.nextSlot;
        frame.localSlots = std::move(sc.locals);
        frame.implicitSlots = std::move(sc.implicit);
    }

private:
    struct Scope {
        Scope(ProcDef* p, ClassDef* c, bool top) : proc(p), cls(c), topLevel(top) {}
        ProcDef* proc;
        ClassDef* cls;
        bool topLevel;
        std::string resultName;          // lower-case name that stands for the function's result
        std::int32_t resultSlot = -1;
        std::unordered_map<std::string, std::int32_t> locals;
        std::unordered_map<std::string, std::int32_t> implicit;
        std::unordered_map<std::string, int> redimmed;   // names a ReDim of this procedure declares
        std::vector<std::int32_t> withStack;
        std::int32_t nextSlot = 0;
    };

    void checkUnitNames() {
        std::unordered_map<std::string, int> seen;
        for (const VarDecl& d : unit_.dims)
            if (!seen.emplace(lowerName(d.name), 0).second) redefined(d.pos);
        for (const ConstDecl& c : unit_.consts)
            if (!seen.emplace(lowerName(c.name), 0).second) redefined(c.pos);
        for (const auto& cls : unit_.classes)
            if (!seen.emplace(lowerName(cls->name), 0).second) redefined(cls->pos);
        for (const auto& p : unit_.procs)
            if (seen.count(lowerName(p->name))) redefined(p->pos);
    }

    void buildClass(ClassDef& c) {
        auto add = [&](const std::string& name) -> std::int32_t {
            const std::int32_t i = std::int32_t(c.members.size());
            c.members.push_back(ClassMember{});
            c.members.back().name = name;
            c.memberIndex.emplace(lowerName(name), i);
            return i;
        };
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            const VarDecl& f = c.fields[i];
            if (c.memberIndex.count(lowerName(f.name))) redefined(f.pos);
            const std::int32_t m = add(f.name);
            c.members[std::size_t(m)].field = std::int32_t(i);
            c.members[std::size_t(m)].isPublic = f.isPublic;
        }
        for (auto& p : c.procs) {
            const std::string key = lowerName(p->name);
            auto it = c.memberIndex.find(key);
            const std::int32_t idx = it == c.memberIndex.end() ? add(p->name) : it->second;
            ClassMember& m = c.members[std::size_t(idx)];
            if (m.field >= 0) redefined(p->pos);
            // A Property Get and a Sub or Function of the same name: the property takes the name.
            // So does a Property Let after the Sub or Function (before it, it is a redefinition).
            switch (p->kind) {
            case ProcKind::Sub:
            case ProcKind::Function:
                if (m.method || m.let || m.set) redefined(p->pos);
                if (!m.get) m.method = p;
                break;
            case ProcKind::PropertyGet:
                if (m.get) redefined(p->pos);
                m.get = p;
                m.method.reset();
                break;
            case ProcKind::PropertyLet:
                if (m.let) redefined(p->pos);
                m.let = p;
                m.method.reset();
                break;
            case ProcKind::PropertySet:
                if (m.method || m.set) redefined(p->pos);
                m.set = p;
                break;
            }
            if (p->isDefault) {
                if (c.defaultMember >= 0 && c.defaultMember != idx)
                    throw CompileError(err::MultipleDefault, p->pos.line, p->pos.column);
                c.defaultMember = idx;
            }
            if (p->kind == ProcKind::Sub && (key == "class_initialize" || key == "class_terminate")) {
                if (!p->params.empty()) throw CompileError(err::ClassInitNoArgs, p->pos.line, p->pos.column);
                (key == "class_initialize" ? c.initialize : c.terminate) = p.get();
            }
            p->owner = &c;
        }
        for (const ClassMember& m : c.members) {
            if (!m.get) continue;
            for (const auto* setter : {m.let.get(), m.set.get()})
                if (setter && setter->params.size() != m.get->params.size() + 1)
                    throw CompileError(err::InconsistentPropertyArgs, setter->pos.line, setter->pos.column);
        }
    }

    // The frame of `code` starts with the slots of the running procedure, then the variables
    // earlier runs added; it sees the procedure's constants and its result.
    void seed(ProcDef& code, Scope& sc, const FrameScope& fs) {
        const ProcDef& p = *fs.proc;
        code.owner = fs.cls;
        code.topLevel = false;
        code.name = p.name;
        code.kind = p.kind;
        code.resultSlot = p.resultSlot;
        code.constValues = p.constValues;
        sc.locals = p.localSlots;
        sc.implicit = p.implicitSlots;
        for (auto it = sc.implicit.begin(); it != sc.implicit.end();) {
            if (std::find(fs.declaredImplicit.begin(), fs.declaredImplicit.end(), it->second) != fs.declaredImplicit.end()) {
                sc.locals.emplace(it->first, it->second);
                it = sc.implicit.erase(it);
            } else {
                ++it;
            }
        }
        if (p.returnsValue() && p.resultSlot >= 0) {
            sc.resultName = lowerName(p.name);
            sc.resultSlot = p.resultSlot;
        }
        std::int32_t slot = p.slotCount;
        for (const auto& [name, declared] : fs.added) (declared ? sc.locals : sc.implicit).emplace(name, slot++);
        sc.nextSlot = slot;
        code.slotNames.assign(std::size_t(slot), std::string());
    }

    void resolveProc(ProcDef& p, ClassDef* cls, bool topLevel) {
        Scope sc(&p, cls, topLevel);
        p.explicitMode = unit_.explicitMode;
        p.owner = cls;
        p.topLevel = topLevel;
        p.slotNames.clear();
        p.arrays.clear();
        std::int32_t slot = 0;
        if (!topLevel) {
            const std::string self = lowerName(p.name);
            for (const ParamDecl& prm : p.params) {
                const std::string k = lowerName(prm.name);
                if (!sc.locals.emplace(k, slot).second) redefined(p.pos);
                p.slotNames.push_back(prm.name);
                ++slot;
            }
            if (p.returnsValue()) {
                if (sc.locals.count(self)) redefined(p.pos);
                p.resultSlot = slot++;
                p.slotNames.push_back(p.name);
                sc.resultName = self;
                sc.resultSlot = p.resultSlot;
            }
            for (const VarDecl& d : p.dims) {
                const std::string k = lowerName(d.name);
                if (!sc.locals.emplace(k, slot).second || (p.returnsValue() && k == self)) redefined(d.pos);
                if (d.isArray) p.arrays.push_back(LocalArray{slot, d.bounds});
                p.slotNames.push_back(d.name);
                ++slot;
            }
            for (const ConstDecl& c : p.consts) {
                const std::string k = lowerName(c.name);
                if (sc.locals.count(k) || !p.constValues.emplace(k, c.value).second) redefined(c.pos);
            }
        }
        sc.nextSlot = slot;
        if (!topLevel) collectReDims(p.body, sc);
        resolveBlock(p.body, sc);
        p.slotCount = sc.nextSlot;
        p.localSlots = std::move(sc.locals);
        p.implicitSlots = std::move(sc.implicit);
    }

    // ReDim declares the array it sizes, Option Explicit or not.
    void collectReDims(const Block& b, Scope& sc) {
        for (const auto& s : b) {
            switch (s->kind) {
            case StmtKind::ReDim:
                for (const auto& item : static_cast<const ReDimStmt&>(*s).items)
                    sc.redimmed.emplace(lowerName(item.var->name), 0);
                break;
            case StmtKind::If: {
                const auto& st = static_cast<const IfStmt&>(*s);
                for (const auto& br : st.branches) collectReDims(br.body, sc);
                collectReDims(st.elseBody, sc);
                break;
            }
            case StmtKind::Loop: collectReDims(static_cast<const LoopStmt&>(*s).body, sc); break;
            case StmtKind::For: collectReDims(static_cast<const ForStmt&>(*s).body, sc); break;
            case StmtKind::ForEach: collectReDims(static_cast<const ForEachStmt&>(*s).body, sc); break;
            case StmtKind::With: collectReDims(static_cast<const WithStmt&>(*s).body, sc); break;
            case StmtKind::Select: {
                const auto& st = static_cast<const SelectStmt&>(*s);
                for (const auto& c : st.cases) collectReDims(c.body, sc);
                collectReDims(st.elseBody, sc);
                break;
            }
            default: break;
            }
        }
    }

    std::int32_t newSlot(Scope& sc, std::string name) {
        sc.proc->slotNames.push_back(std::move(name));
        return sc.nextSlot++;
    }

    void resolveBlock(Block& b, Scope& sc) {
        for (auto& s : b) resolveStmt(*s, sc);
    }

    void resolveStmt(Stmt& s, Scope& sc) {
        switch (s.kind) {
        case StmtKind::Assign: {
            auto& a = static_cast<AssignStmt&>(s);
            resolveExpr(*a.target, sc);
            resolveExpr(*a.value, sc);
            findAppend(a);
            break;
        }
        case StmtKind::Call: resolveExpr(*static_cast<CallStmt&>(s).call, sc); break;
        case StmtKind::If: {
            auto& st = static_cast<IfStmt&>(s);
            for (auto& br : st.branches) {
                resolveExpr(*br.cond, sc);
                resolveBlock(br.body, sc);
            }
            resolveBlock(st.elseBody, sc);
            break;
        }
        case StmtKind::Loop: {
            auto& st = static_cast<LoopStmt&>(s);
            if (st.cond) resolveExpr(*st.cond, sc);
            resolveBlock(st.body, sc);
            break;
        }
        case StmtKind::For: {
            auto& st = static_cast<ForStmt&>(s);
            resolveExpr(*st.var, sc);
            resolveExpr(*st.from, sc);
            resolveExpr(*st.to, sc);
            if (st.step) resolveExpr(*st.step, sc);
            resolveBlock(st.body, sc);
            break;
        }
        case StmtKind::ForEach: {
            auto& st = static_cast<ForEachStmt&>(s);
            resolveExpr(*st.var, sc);
            resolveExpr(*st.collection, sc);
            resolveBlock(st.body, sc);
            break;
        }
        case StmtKind::Select: {
            auto& st = static_cast<SelectStmt&>(s);
            resolveExpr(*st.test, sc);
            for (auto& c : st.cases) {
                for (auto& item : c.items) {
                    resolveExpr(*item.a, sc);
                    if (item.b) resolveExpr(*item.b, sc);
                }
                resolveBlock(c.body, sc);
            }
            resolveBlock(st.elseBody, sc);
            break;
        }
        case StmtKind::With: {
            auto& st = static_cast<WithStmt&>(s);
            resolveExpr(*st.object, sc);
            st.slot = newSlot(sc, "");
            sc.withStack.push_back(st.slot);
            resolveBlock(st.body, sc);
            sc.withStack.pop_back();
            break;
        }
        case StmtKind::ReDim:
            for (auto& item : static_cast<ReDimStmt&>(s).items) {
                resolveExpr(*item.var, sc);
                for (auto& b : item.bounds) resolveExpr(*b, sc);
            }
            break;
        case StmtKind::Erase: resolveExpr(*static_cast<EraseStmt&>(s).var, sc); break;
        case StmtKind::Dim: resolveExpr(*static_cast<DimStmt&>(s).var, sc); break;
        case StmtKind::Exit:
        case StmtKind::OnError:
        case StmtKind::Nothing:
            break;
        }
    }

    void resolveArgs(ArgList& args, Scope& sc) {
        for (auto& a : args)
            if (a) resolveExpr(*a, sc);
    }

    void resolveExpr(Expr& e, Scope& sc) {
        switch (e.kind) {
        case ExprKind::Literal:
        case ExprKind::Me:
            break;
        case ExprKind::Ident: {
            auto& id = static_cast<IdentExpr&>(e);
            resolveName(id, sc);
            resolveArgs(id.args, sc);
            break;
        }
        case ExprKind::Member: {
            auto& m = static_cast<MemberExpr&>(e);
            if (m.object) resolveExpr(*m.object, sc);
            else m.withSlot = sc.withStack.empty() ? -1 : sc.withStack.back();
            resolveArgs(m.args, sc);
            break;
        }
        case ExprKind::Index: {
            auto& ix = static_cast<IndexExpr&>(e);
            resolveExpr(*ix.target, sc);
            resolveArgs(ix.args, sc);
            break;
        }
        case ExprKind::Paren: resolveExpr(*static_cast<ParenExpr&>(e).inner, sc); break;
        case ExprKind::Unary: resolveExpr(*static_cast<UnaryExpr&>(e).operand, sc); break;
        case ExprKind::Binary: {
            auto& b = static_cast<BinaryExpr&>(e);
            resolveExpr(*b.lhs, sc);
            resolveExpr(*b.rhs, sc);
            break;
        }
        case ExprKind::New: {
            auto& n = static_cast<NewExpr&>(e);
            n.symbol = &symbols_.intern(n.className);
            n.explicitMode = unit_.explicitMode && !declaredHere(lowerName(n.className), sc);
            break;
        }
        }
    }

    // s = s & a & b, with s a plain name: the parts a, b to append.
    static void findAppend(AssignStmt& a) {
        if (a.isSet || a.target->kind != ExprKind::Ident) return;
        const auto& target = static_cast<const IdentExpr&>(*a.target);
        if (target.hasArgs) return;
        std::vector<const Expr*> parts;
        const Expr* e = a.value.get();
        while (e->kind == ExprKind::Binary && static_cast<const BinaryExpr*>(e)->op == BinaryOp::Concat) {
            const auto* b = static_cast<const BinaryExpr*>(e);
            parts.push_back(b->rhs.get());
            e = b->lhs.get();
        }
        if (parts.empty() || e->kind != ExprKind::Ident) return;
        const auto& first = static_cast<const IdentExpr&>(*e);
        if (first.hasArgs || lowerName(first.name) != lowerName(target.name)) return;
        a.appendParts.assign(parts.rbegin(), parts.rend());
    }

    // A name the procedure, its class or the unit declares as something other than a global.
    bool declaredHere(const std::string& k, const Scope& sc) const {
        if (!sc.topLevel && (sc.locals.count(k) || k == sc.resultName || sc.proc->constValues.count(k) || sc.redimmed.count(k)))
            return true;
        return (sc.cls && sc.cls->memberIndex.count(k)) || unitConsts_.count(k);
    }

    void resolveName(IdentExpr& id, Scope& sc) {
        const std::string k = lowerName(id.name);
        NameRef& r = id.ref;
        r.explicitMode = unit_.explicitMode;
        ProcDef& p = *sc.proc;
        if (!sc.topLevel) {
            if (!id.hasArgs && sc.resultSlot >= 0 && k == sc.resultName) {
                r.kind = NameKind::Local;
                r.slot = sc.resultSlot;
                r.resultSlot = true;
                return;
            }
            if (auto it = sc.locals.find(k); it != sc.locals.end()) {
                r.kind = NameKind::Local;
                r.slot = it->second;
                return;
            }
            // Local constants, and unit constants this procedure already uses (a local one is
            // stored first and so shadows the unit's).
            if (auto it = p.constValues.find(k); it != p.constValues.end()) {
                r.kind = NameKind::Constant;
                r.constant = &it->second;
                return;
            }
        }
        if (sc.cls) {
            if (auto it = sc.cls->memberIndex.find(k); it != sc.cls->memberIndex.end()) {
                const ClassMember& m = sc.cls->members[std::size_t(it->second)];
                if (m.field >= 0) {
                    r.kind = NameKind::Field;
                    r.slot = m.field;
                } else {
                    r.kind = NameKind::ClassMember;
                    r.member = it->second;
                }
                return;
            }
        }
        if (auto it = unitConsts_.find(k); it != unitConsts_.end()) {
            r.kind = NameKind::Constant;
            r.constant = &p.constValues.emplace(k, *it->second).first->second;
            return;
        }
        r.kind = NameKind::Global;
        r.symbol = &symbols_.intern(id.name);
        if (sc.redimmed.count(k)) r.explicitMode = false;
        if (!sc.topLevel) {
            auto it = sc.implicit.find(k);
            if (it == sc.implicit.end()) it = sc.implicit.emplace(k, newSlot(sc, id.name)).first;
            r.implicitSlot = it->second;
        }
    }

    Unit& unit_;
    SymbolTable& symbols_;
    std::unordered_map<std::string, const Variant*> unitConsts_;
};

}  // namespace

void compileUnit(Unit& unit, SymbolTable& symbols) { Resolver(unit, symbols).run(); }

void compileExpression(Expr& e, ProcDef& frame, SymbolTable& symbols, bool explicitMode) {
    Unit u;
    u.explicitMode = explicitMode;
    Resolver(u, symbols).expression(e, frame);
}

void compileUnitInFrame(Unit& unit, SymbolTable& symbols, const FrameScope& frame, std::vector<FrameAddition>& added) {
    Resolver(unit, symbols).inFrame(frame, added);
}

void compileExpressionInFrame(Expr& e, ProcDef& code, SymbolTable& symbols, const FrameScope& frame, bool explicitMode) {
    Unit u;
    u.explicitMode = explicitMode;
    Resolver(u, symbols).expressionInFrame(e, code, frame);
}

}  // namespace vt::vbscript
