#pragma once
// The interpreter behind ScriptControl: global state, the run budget, and the tree-walking
// evaluation of compiled units (Engine.cpp: host calls and units; Exec.cpp: statements;
// Eval.cpp: expressions, calls and assignments).

#include "Ast.h"
#include "Compiler.h"
#include "Errors.h"
#include "Parser.h"
#include "ScriptControl.h"

#include "platform/scripting/Cycles.h"
#include "platform/text/Clock.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vt::vbscript {

class ScriptObject;
class ErrObject;
struct Builtin;

using automation::ArgSpan;
using automation::InvokeKind;

struct NamedItem {
    std::string name;
    Variant object;
    bool addMembers = false;
};

enum class Flow : std::uint8_t { Normal, ExitDo, ExitFor, ExitProc };

// Variables that Execute added to a procedure's frame; their slots follow the procedure's own.
struct FrameVars {
    std::vector<std::pair<std::string, bool>> names;   // lower-case name, declared with Dim
    std::vector<std::unique_ptr<Variant>> values;
    std::vector<std::int32_t> declaredImplicit;   // the procedure's undeclared names that Execute declared
};

struct Frame {
    const ProcDef* proc = nullptr;
    Variant** slots = nullptr;
    ScriptObject* me = nullptr;
    bool resumeNext = false;
    std::unique_ptr<FrameVars> added;   // made by the first Execute that adds a variable
};

// A global name that an Execute in this frame declared as its own: that slot; else null.
Variant* shadowedSlot(const NameRef& r, const Frame& f) noexcept;
inline Variant* shadowed(const NameRef& r, const Frame& f) noexcept {
    return f.added ? shadowedSlot(r, f) : nullptr;   // rare: only after Execute in a procedure
}
// The variable a global name stands for in this frame, when it is one; else null.
inline Variant* globalVariable(const NameRef& r, const Frame& f) {
    if (Variant* v = shadowed(r, f)) return v;
    return r.symbol->kind == Symbol::Kind::Variable ? r.symbol->var : nullptr;
}

// A run-time error tied to the statement where it happened.
class LocatedError : public RuntimeError {
public:
    LocatedError(const automation::Error& e, std::string detail, Pos where, std::shared_ptr<const SourceText> src)
        : RuntimeError(e, std::move(detail)), where(where), source(std::move(src)) {}
    Pos where;
    std::shared_ptr<const SourceText> source;
};

// Arrays holding an element that is in use (a by-reference argument, an element being assigned
// while its indices are worked out). Locked, they can be neither resized, erased nor replaced,
// so the element stays where it is; they are unlocked when the set goes.
//
// An element of a byte array is a byte, with no Variant to point to: it is handed out as a slot
// of its own, whose value goes back into the array when the set goes (a value that is no byte
// turns the array into one of Variants rather than being lost).
class ArrayLocks {
public:
    ArrayLocks() = default;
    ~ArrayLocks() { unlockFrom(0); }
    ArrayLocks(const ArrayLocks&) = delete;
    ArrayLocks& operator=(const ArrayLocks&) = delete;

    void add(automation::SafeArray& a) {
        locks_.push_back(&a);
        a.lock();
    }
    // Locks `a`, a byte array, and returns the slot of its element at `pos` (storage order).
    Variant* addByte(automation::SafeArray& a, std::size_t pos);
    std::size_t size() const noexcept { return locks_.size(); }
    // Unlocks the arrays added after the first `n`.
    void unlockFrom(std::size_t n) noexcept {
        if (!bytes_.empty()) writeBackFrom(n);
        while (locks_.size() > n) {
            locks_.back()->unlock();
            locks_.pop_back();
        }
    }

private:
    struct ByteSlot {
        automation::SafeArray* array;
        std::size_t pos;
        std::size_t lock;   // index of the array's entry in locks_
        std::uint8_t original;
        Variant value;
    };
    void writeBackFrom(std::size_t n) noexcept;

    std::vector<automation::SafeArray*> locks_;
    std::vector<std::unique_ptr<ByteSlot>> bytes_;   // slots keep their address
};

// Arguments of one call: by-reference slots for plain variables and array elements (the
// arrays are locked meanwhile), temporaries for everything else.
class ArgBuffer {
public:
    static constexpr std::size_t kInline = 6;
    ArgBuffer() = default;
    ~ArgBuffer();
    ArgBuffer(const ArgBuffer&) = delete;
    ArgBuffer& operator=(const ArgBuffer&) = delete;

    void reserve(std::size_t n) {
        if (n + 1 > cap_) grow(n);
    }
    // A temporary holding `v`.
    void addValue(Variant v);
    // The caller's own slot.
    void addRef(Variant* slot) {
        reserve(n_ + 1);
        ptrs_[n_++] = slot;
    }
    // The arrays that hold by-reference elements; unlocked when the call is over.
    ArrayLocks& locks() noexcept { return locks_; }
    ArgSpan span() const noexcept { return ArgSpan(ptrs_, n_); }
    std::size_t size() const noexcept { return n_; }

private:
    void grow(std::size_t n);
    // Inline temporaries are made only when added: a call with few arguments builds no others.
    alignas(Variant) unsigned char inlineTemps_[kInline * sizeof(Variant)];
    Variant* inlinePtrs_[kInline + 1];
    std::unique_ptr<Variant[]> heapTemps_;
    std::unique_ptr<Variant*[]> heapPtrs_;
    Variant* temps_ = reinterpret_cast<Variant*>(inlineTemps_);
    Variant** ptrs_ = inlinePtrs_;
    std::size_t cap_ = kInline + 1;
    std::size_t n_ = 0;
    std::size_t tempCount_ = 0;
    ArrayLocks locks_;
};

struct ErrInfo {
    std::int32_t number = 0;
    std::string description;
    std::string source;
    std::string helpFile;
    std::int32_t helpContext = 0;
};

class Engine : public std::enable_shared_from_this<Engine> {
public:
    Engine();
    ~Engine();

    // ---- Host API (ScriptControl) ----
    void reset();
    void addObject(std::string_view name, const Variant& object, bool addMembers);
    void addCode(std::string_view text);
    Variant eval(std::string_view text);
    Variant run(std::string_view name, std::span<Variant> args);
    const ScriptError& lastError() const noexcept { return lastError_; }

    long timeoutMs = 60000;
    std::function<void()> onTimeout;
    std::function<void(const ScriptError&)> onError;
    const std::atomic<bool>* cancelFlag = nullptr;
    std::function<void()> onCheck;
    ScriptUi ui;
    ScriptLimits limits;
    std::function<std::chrono::steady_clock::time_point()> timeSource;
    void setClock(const Clock* c) noexcept { clock_ = c ? c : &systemClock_; }
    const Clock& clock() const noexcept { return *clock_; }

    // ---- Run budget ----
    // The outermost entry into script code starts the clock of a run.
    class RunScope {
    public:
        explicit RunScope(Engine& e);
        ~RunScope();
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        Engine& e_;
    };
    // Time inside host code, not counted by the time-out.
    class HostCall {
    public:
        explicit HostCall(Engine& e) : e_(e) { e_.hostBegin(); }
        ~HostCall() { e_.hostEnd(); }
        HostCall(const HostCall&) = delete;
        HostCall& operator=(const HostCall&) = delete;

    private:
        Engine& e_;
    };
    void hostBegin() noexcept;
    void hostEnd() noexcept;
    void tick() {
        if (--ticks_ <= 0) checkBudget();
    }

    // Script code called back from inside host code (a GetRef reference) counts again.
    class ScriptTime {
    public:
        explicit ScriptTime(Engine& e);
        ~ScriptTime();
        ScriptTime(const ScriptTime&) = delete;
        ScriptTime& operator=(const ScriptTime&) = delete;

    private:
        Engine& e_;
        int saved_;
    };

    // ---- Code compiled while a script runs (Dynamic.cpp) ----
    // The frame of the statement whose built-in function is running: Eval and Execute work in it.
    Frame& callerFrame() const noexcept { return *callerFrame_; }
    // The value of an expression in the frame's scope (Eval).
    Variant evalIn(std::string_view text, Frame& f);
    // Statements in the frame's scope (Execute): a procedure's locals stay local.
    void executeIn(std::string_view text, Frame& f);
    // Statements in the global scope (ExecuteGlobal; Execute at the top level).
    void executeGlobal(std::string_view text);
    // A reference to a global procedure, called through its default member (GetRef); 5 when
    // there is none.
    Variant procRef(std::string_view name);
    // The call behind such a reference.
    Variant callRef(const ProcDef& p, ArgSpan args);

    // ---- Services for built-ins ----
    // The objects of this engine that may form reference cycles (class instances, dictionaries
    // it created); reset frees the cycles nothing else references.
    scripting::CycleTracker& cycles() noexcept { return cycles_; }
    ErrInfo& err() noexcept;
    const automation::ObjectRef& errObject() const noexcept;
    // Rnd state (VB's 24-bit generator); a reset starts it afresh.
    static constexpr std::uint32_t kFirstRndSeed = 0x50000;
    std::uint32_t rndSeed = kFirstRndSeed;

private:
    friend class ScriptObject;

    // Units and reports (Engine.cpp).
    std::shared_ptr<const SourceText> makeSource(std::string_view text);
    void bindUnit(Unit& unit);
    // Code ExecuteGlobal adds may not redefine a constant or make one of a name in use (1041),
    // nor declare an array over one (13).
    void checkRedeclarations(const Unit& unit);
    Variant runProcMain(const ProcDef& main);
    [[noreturn]] void fail(ScriptError e, bool notify);
    [[noreturn]] void failCompile(const CompileError& ce, const SourceText& src);
    [[noreturn]] void failRuntime(const automation::Error& e, const SourceText* fallback);
    [[noreturn]] void failAbort(const ScriptAbort& a);
    template <class F>
    auto guarded(const SourceText* src, F&& f) -> decltype(f());
    void checkBudget();
    void checkMemory();
    [[noreturn]] void abort(ScriptAbort::Reason why);
    void enterCall() {
        if (callDepth_ >= limits.maxCallDepth || stackLow()) outOfStack();
        ++callDepth_;
    }
    [[noreturn]] static void outOfStack();
    void leaveCall() noexcept { --callDepth_; }
    void startRun();
    // True when the native stack is nearly used up.
    bool stackLow() const noexcept {
        return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < stackLimit_;
    }
    std::chrono::steady_clock::time_point now() const {
        return timeSource ? timeSource() : std::chrono::steady_clock::now();
    }
    // Option Explicit refuses the name: it is undeclared, and no Execute in the frame declared it.
    static bool undeclared(const NameRef& r, const Frame& f) {
        if (!r.explicitMode) return false;
        if (!f.added || r.implicitSlot < 0) return true;
        const auto& d = f.added->declaredImplicit;
        return std::find(d.begin(), d.end(), r.implicitSlot) == d.end();
    }
    void clearErr();
    void setErr(const automation::Error& e);
    Variant newObject(const std::shared_ptr<ClassDef>& cls);
    static Variant makeArray(const std::vector<std::int32_t>& bounds, bool fixed);
    // Script objects (called by ScriptObject).
    Variant invokeScriptObject(ScriptObject& o, std::string_view name, InvokeKind kind, ArgSpan args);
    void runTerminate(ScriptObject& o) noexcept;

    // Statements (Exec.cpp).
    Flow execBlock(const Block& b, Frame& f);
    Flow exec(const Stmt& s, Frame& f);
    Flow execIf(const IfStmt& s, Frame& f);
    Flow execLoop(const LoopStmt& s, Frame& f);
    Flow execFor(const ForStmt& s, Frame& f);
    Flow execForEach(const ForEachStmt& s, Frame& f);
    Flow execSelect(const SelectStmt& s, Frame& f);
    Flow execWith(const WithStmt& s, Frame& f);
    void execReDim(const ReDimStmt& s, Frame& f);
    void execErase(const EraseStmt& s, Frame& f);
    void execDim(const DimStmt& s, Frame& f);
    bool condition(const Expr& e, Frame& f, bool onError);
    bool caseMatches(const Variant& test, const SelectStmt::Item& item, Frame& f);
    [[noreturn]] void rethrowLocated(const automation::Error& e, const Stmt& s, const Frame& f);

    // Expressions, calls and assignments (Eval.cpp).
    Variant eval(const Expr& e, Frame& f);
    Variant callProc(const ProcDef& p, ScriptObject* me, ArgSpan args);
    Variant invokeMember(ScriptObject& o, const ClassMember& m, InvokeKind kind, ArgSpan args, bool inside);
    Variant evalIdent(const IdentExpr& id, Frame& f, bool statement);
    Variant evalGlobal(const IdentExpr& id, Frame& f, bool statement);
    Variant evalMember(const MemberExpr& m, Frame& f);
    Variant evalIndex(const IndexExpr& ix, Frame& f);
    Variant evalBinary(const BinaryExpr& b, Frame& f);
    Variant evalUnary(const UnaryExpr& u, Frame& f);
    Variant evalNew(const NewExpr& n);
    Variant valueWithArgs(const Variant& v, const IdentExpr& id, Frame& f, bool statement);
    Variant applyArgs(const Variant& v, const ArgList& args, Frame& f, std::string_view detail);
    Variant applyArgValues(const Variant& v, ArgSpan args, std::string_view detail);
    Variant callBuiltin(const Builtin& b, const ArgList& args, Frame& f, std::string_view name, bool statement);
    Variant invokeOn(const Variant& target, const MemberExpr& m, InvokeKind kind, ArgSpan args, Frame& f);
    Variant hostInvoke(automation::Object& o, std::string_view name, InvokeKind kind, ArgSpan args);
    const Variant& withObject(const MemberExpr& m, Frame& f);
    void buildArgs(const ArgList& args, Frame& f, ArgBuffer& out, bool byRef);
    void resolveFallback(Symbol& s);
    Variant* variableSlot(const IdentExpr& id, Frame& f, int create);
    Variant* lvalue(const Expr& e, Frame& f, ArrayLocks& locks);
    std::int32_t index(const Variant& v);
    // The position of the element the index arguments name.
    std::size_t elementOffset(const automation::SafeArray& a, ArgSpan indices);
    // Assigns an element; a byte array takes the value as a Byte.
    static void storeElement(automation::SafeArray& a, std::size_t pos, Variant value);
    void execCallStatement(const Expr& e, Frame& f);
    void assign(const Expr& target, Variant value, bool isSet, Frame& f);
    // s = s & a & b done by appending to s, when reading the parts can run no script code (they
    // are literals, constants or variables holding no object); false when it cannot be.
    bool appendInPlace(const AssignStmt& a, Frame& f);
    // The variable or constant a plain name stands for, found without running anything; null
    // for anything else (a procedure, a property, a name not yet declared).
    const Variant* quietValue(const Expr& e, Frame& f);
    void assignToValue(Variant& base, const ArgList& args, Variant value, bool isSet, Frame& f, std::string_view detail);
    static Variant letValue(Variant v);
    static void store(Variant& slot, Variant value);
    // Puts `value` into `slot`; an object or array the slot held is released only afterwards,
    // so a Class_Terminate it runs finds the slot already changed, never half-assigned. The
    // caller must not touch `slot` after the call: that Terminate may have freed it.
    static void overwrite(Variant& slot, Variant value) {
        if (slot.isObject() || slot.isArray()) {
            Variant old = std::move(slot);
            slot = std::move(value);
            return;
        }
        slot = std::move(value);
    }

    scripting::CycleTracker cycles_;   // first: outlives every value below
    SymbolTable symbols_;
    std::vector<std::shared_ptr<const ProcDef>> retired_;   // replaced during the current run
    std::deque<Variant> globals_;
    std::vector<NamedItem> items_;
    std::uint32_t epoch_ = 1;
    automation::ObjectRef errObject_;
    ScriptError lastError_;

    const Clock* clock_ = nullptr;
    SystemClock systemClock_;

    Frame* callerFrame_ = nullptr;

    // Run state.
    int runDepth_ = 0;
    int hostDepth_ = 0;
    int ticks_ = 1;
    int interval_ = 1;   // statements between two checks, adapted to how long they take
    std::chrono::steady_clock::time_point lastCheck_{};
    std::chrono::steady_clock::time_point lastMemoryCheck_{};
    std::size_t memoryBase_ = 0;   // resident bytes at the run's first memory check (0: none yet)
    int callDepth_ = 0;
    bool timedOut_ = false;
    bool aborted_ = false;   // the run was stopped (time-out, cancel, memory): no more script code
    ScriptAbort::Reason abortReason_ = ScriptAbort::Timeout;
    bool closing_ = false;   // reset is dropping what is left: no Terminate runs
    std::chrono::steady_clock::time_point runStart_{};
    std::chrono::steady_clock::time_point hostStart_{};
    std::chrono::steady_clock::duration excluded_{};
    std::uintptr_t stackLimit_ = 0;   // lowest stack address script calls may reach
};

// The ScriptObject of a class instance, or null.
ScriptObject* asScriptObject(automation::Object* o);

}  // namespace vt::vbscript
