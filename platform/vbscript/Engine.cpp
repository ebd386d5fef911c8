#include "Engine.h"

#include "Builtins.h"
#include "RegExp.h"
#include "ScriptObject.h"

#include "platform/scripting/Register.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdio>

#include <stdexcept>
#include <utility>

namespace vt::vbscript {

using automation::Object;
using automation::ObjectRef;
using automation::SafeArray;
using Clk = std::chrono::steady_clock;

Variant* shadowedSlot(const NameRef& r, const Frame& f) noexcept {
    if (r.implicitSlot < 0) return nullptr;
    const auto& d = f.added->declaredImplicit;
    return std::find(d.begin(), d.end(), r.implicitSlot) != d.end() ? f.slots[r.implicitSlot] : nullptr;
}

// ---- ArgBuffer ----

ArgBuffer::~ArgBuffer() {
    // The arrays are unlocked before the temporaries go (a Terminate they run may resize them).
    locks_.unlockFrom(0);
    if (!heapTemps_)
        for (std::size_t i = tempCount_; i-- > 0;) temps_[i].~Variant();
}

void ArgBuffer::grow(std::size_t n) {
    const std::size_t cap = std::max(n + 1, 2 * cap_);
    // The old storage (inline or an earlier heap block) stays until everything has moved.
    auto temps = std::make_unique<Variant[]>(cap);
    auto ptrs = std::make_unique<Variant*[]>(cap);
    for (std::size_t i = 0; i < tempCount_; ++i) temps[i] = std::move(temps_[i]);
    for (std::size_t i = 0; i < n_; ++i) {
        Variant* p = ptrs_[i];
        // Temporaries move with their storage.
        if (p >= temps_ && p < temps_ + tempCount_) p = temps.get() + (p - temps_);
        ptrs[i] = p;
    }
    if (!heapTemps_)
        for (std::size_t i = tempCount_; i-- > 0;) temps_[i].~Variant();
    heapTemps_ = std::move(temps);
    heapPtrs_ = std::move(ptrs);
    temps_ = heapTemps_.get();
    ptrs_ = heapPtrs_.get();
    cap_ = cap;
}

void ArgBuffer::addValue(Variant v) {
    reserve(n_ + 1);
    if (heapTemps_) temps_[tempCount_] = std::move(v);
    else new (&temps_[tempCount_]) Variant(std::move(v));
    ptrs_[n_++] = &temps_[tempCount_++];
}

// ---- Engine ----

Engine::Engine() : errObject_(automation::makeRef<ErrObject>()), clock_(&systemClock_) {}

Engine::~Engine() = default;

ErrInfo& Engine::err() noexcept { return static_cast<ErrObject*>(errObject_.get())->info(); }
const ObjectRef& Engine::errObject() const noexcept { return errObject_; }
void Engine::clearErr() { err() = ErrInfo{}; }

void Engine::setErr(const automation::Error& e) {
    ErrInfo& i = err();
    i.number = scriptErrorNumber(e.number);
    i.description = scriptErrorDescription(e);
    i.source = e.source.empty() ? std::string(kRuntimeSource) : e.source;
    i.helpFile = e.helpFile;
    i.helpContext = e.helpContext;
}

// ---- Run budget ----

Engine::RunScope::RunScope(Engine& e) : e_(e) {
    if (e_.runDepth_++ == 0) e_.startRun();
}
Engine::RunScope::~RunScope() {
    if (--e_.runDepth_ == 0) e_.retired_.clear();
}

void Engine::hostBegin() noexcept {
    if (hostDepth_++ == 0) hostStart_ = now();
}
void Engine::hostEnd() noexcept {
    if (--hostDepth_ == 0) excluded_ += now() - hostStart_;
}

Engine::ScriptTime::ScriptTime(Engine& e) : e_(e), saved_(e.hostDepth_) {
    if (saved_ > 0) {
        e_.excluded_ += e_.now() - e_.hostStart_;
        e_.hostDepth_ = 0;
    }
}

Engine::ScriptTime::~ScriptTime() {
    if (saved_ > 0) {
        e_.hostDepth_ = saved_;
        e_.hostStart_ = e_.now();
    }
}

void Engine::startRun() {
    runStart_ = now();
    excluded_ = {};
    timedOut_ = false;
    aborted_ = false;
    // The first checks come soon, so that a run whose first statements are slow is seen early.
    interval_ = 1;
    ticks_ = 1;
    lastCheck_ = lastMemoryCheck_ = runStart_;
    memoryBase_ = 0;
    callDepth_ = 0;
    // The lowest stack address script calls may reach.
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    // Looked up once per thread: on the main thread glibc answers by parsing /proc/self/maps,
    // which cost far more than the short scripts a translation runs thousands of times.
    static thread_local const std::uintptr_t stackBase = [] {
        pthread_attr_t attr;
        void* base = nullptr;
        std::size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            pthread_attr_getstack(&attr, &base, &size);
            pthread_attr_destroy(&attr);
        }
        return reinterpret_cast<std::uintptr_t>(base);
    }();
    std::uintptr_t low = stackBase;
    if (!low || low >= here) low = here - std::min<std::uintptr_t>(8u << 20, 4 * limits.stackReserve);
    stackLimit_ = low + limits.stackReserve;
    if (stackLimit_ >= here) stackLimit_ = here - 64 * 1024;
}

void Engine::abort(ScriptAbort::Reason why) {
    // A Terminate that swallows the stop leaves the flag: the next check stops the run again.
    aborted_ = true;
    abortReason_ = why;
    ticks_ = 0;
    throw ScriptAbort(why);
}

void Engine::checkBudget() {
    const int most = std::max(1, limits.checkInterval);
    if (aborted_ && runDepth_ > 0) abort(abortReason_);
    if (onCheck && runDepth_ > 0) {
        HostCall hc(*this);
        onCheck();
    }
    if (cancelFlag && cancelFlag->load(std::memory_order_relaxed)) abort(ScriptAbort::Cancelled);
    if (runDepth_ == 0) {
        ticks_ = most;
        return;
    }
    const auto t = now();
    // Slow statements (huge texts, slow objects) would make the checks rare in time: check more
    // often while they last, and less often again while statements are quick.
    using std::chrono::milliseconds;
    const auto since = t - lastCheck_;
    lastCheck_ = t;
    if (since > milliseconds(10)) interval_ = std::max(1, interval_ / 8);
    else if (since < milliseconds(1)) interval_ = std::min(most, interval_ * 2);
    interval_ = std::min(interval_, most);
    ticks_ = interval_;
    if (t - lastMemoryCheck_ >= milliseconds(100)) {
        lastMemoryCheck_ = t;
        checkMemory();
    }
    if (timeoutMs < 0) return;
    auto used = t - runStart_ - excluded_;
    if (hostDepth_ > 0) used -= t - hostStart_;
    if (used >= std::chrono::milliseconds(timeoutMs)) {
        if (!timedOut_) {
            timedOut_ = true;
            if (onTimeout) {
                HostCall hc(*this);
                onTimeout();
            }
        }
        abort(ScriptAbort::Timeout);
    }
}

namespace {
// Resident bytes of the process, 0 when unknown.
std::size_t residentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long size = 0, resident = 0;
    const int n = std::fscanf(f, "%lu %lu", &size, &resident);
    std::fclose(f);
    if (n != 2) return 0;
    return std::size_t(resident) * std::size_t(sysconf(_SC_PAGESIZE));
}
}  // namespace

// A run that keeps allocating (a runaway loop filling an array or a dictionary) stops before it
// exhausts the machine; each statement alone is limited elsewhere (texts, arrays).
void Engine::checkMemory() {
    if (limits.maxMemoryGrowth == 0) return;
    const std::size_t rss = residentBytes();
    if (rss == 0) return;
    if (memoryBase_ == 0) {
        memoryBase_ = rss;
        return;
    }
    if (rss > memoryBase_ && rss - memoryBase_ > limits.maxMemoryGrowth) abort(ScriptAbort::OutOfMemory);
}

void Engine::outOfStack() { raiseRuntime(err::OutOfStackSpace); }

// ---- Reports ----

void Engine::fail(ScriptError e, bool notify) {
    lastError_ = e;
    if (notify && onError) {
        HostCall hc(*this);
        onError(lastError_);
    }
    throw ScriptException(std::move(e));
}

void Engine::failCompile(const CompileError& ce, const SourceText& src) {
    ScriptError e;
    e.number = ce.number;
    e.description = errorText(ce.number);
    e.source = std::string(kCompileSource);
    e.line = ce.line;
    e.column = ce.column;
    e.lineText = std::string(src.line(ce.line));
    fail(std::move(e), true);
}

void Engine::failRuntime(const automation::Error& ex, const SourceText* fallback) {
    ScriptError e;
    e.number = scriptErrorNumber(ex.number);
    e.description = scriptErrorDescription(ex);
    e.source = ex.source.empty() ? std::string(kRuntimeSource) : ex.source;
    if (const auto* rt = dynamic_cast<const RuntimeError*>(&ex); rt && !rt->detail.empty() &&
                                                                  ex.description == errorText(ex.number))
        e.description += ": '" + rt->detail + "'";
    if (const auto* le = dynamic_cast<const LocatedError*>(&ex)) {
        e.line = le->where.line;
        e.column = le->where.column;
        if (le->source) e.lineText = std::string(le->source->line(e.line));
    } else if (fallback) {
        e.line = 1;
        e.lineText = std::string(fallback->line(1));
    }
    fail(std::move(e), true);
}

void Engine::failAbort(const ScriptAbort& a) {
    ScriptError e;
    e.source = std::string(kRuntimeSource);
    e.description = a.what();
    if (a.reason == ScriptAbort::OutOfMemory) {
        // A failure of the script, reported as one.
        e.number = automation::err::OutOfMemory;
        fail(std::move(e), true);
    }
    e.number = err::Aborted;
    fail(std::move(e), false);
}

template <class F>
auto Engine::guarded(const SourceText* src, F&& f) -> decltype(f()) {
    try {
        if constexpr (std::is_void_v<decltype(f())>) {
            f();
            // Stopped where nothing could pass the stop on (a Terminate at the very end).
            if (aborted_ && runDepth_ == 0) throw ScriptAbort(abortReason_);
        } else {
            auto r = f();
            if (aborted_ && runDepth_ == 0) throw ScriptAbort(abortReason_);
            return r;
        }
    } catch (const ScriptException&) {
        throw;
    } catch (const ScriptAbort& a) {
        failAbort(a);
    } catch (const CompileError& ce) {
        failCompile(ce, *src);
    } catch (const automation::Error& e) {
        failRuntime(e, src);
    } catch (const std::bad_alloc&) {
        failRuntime(RuntimeError(automation::err::OutOfMemory), src);
    } catch (const std::exception& e) {
        failRuntime(automation::Error(51, std::string(kRuntimeSource), e.what()), src);
    }
}

// ---- Host API ----

namespace {
// Where an expression begins (a binary node's own position is its operator).
Pos startOf(const Expr& e) {
    switch (e.kind) {
    case ExprKind::Binary: return startOf(*static_cast<const BinaryExpr&>(e).lhs);
    case ExprKind::Member: {
        const auto& m = static_cast<const MemberExpr&>(e);
        return m.object ? startOf(*m.object) : e.pos;
    }
    case ExprKind::Index: return startOf(*static_cast<const IndexExpr&>(e).target);
    default: return e.pos;
    }
}
}  // namespace

std::shared_ptr<const SourceText> Engine::makeSource(std::string_view text) {
    return std::make_shared<const SourceText>(std::string(text));
}

void Engine::reset() {
    if (runDepth_ > 0) throw std::logic_error("ScriptControl::reset while a script runs");
    lastError_ = {};
    aborted_ = false;
    // The Terminate handlers below are timed by the steady clock: a reset never reads the host's
    // time source, which may already be gone when the control is destroyed.
    struct KeepTimeSource {
        Engine& e;
        std::function<std::chrono::steady_clock::time_point()> saved = std::exchange(e.timeSource, nullptr);
        ~KeepTimeSource() { e.timeSource = std::move(saved); }
    } keep{*this};
    {
        RunScope rs(*this);
        // Objects still referenced run their Terminate now, while the names still exist. A
        // Terminate may store new objects or add variables: a few more rounds release those.
        for (int round = 0; round < 4; ++round) {
            bool more = false;
            for (std::size_t i = 0; i < globals_.size(); ++i) {
                if (!globals_[i].isObject() && !globals_[i].isArray()) continue;
                more = true;
                overwrite(globals_[i], Variant());
            }
            if (!more) break;
        }
        for (std::size_t i = 0; i < items_.size(); ++i) overwrite(items_[i].object, Variant());
    }
    // What is left goes without running script code: the names are about to go.
    closing_ = true;
    struct Open {
        bool& flag;
        ~Open() { flag = false; }
    } open{closing_};
    symbols_.forEach([](Symbol& s) {
        s.kind = Symbol::Kind::None;
        s.var = nullptr;
        s.constant.clear();
        s.proc.reset();
        s.cls.reset();
        s.fallbackEpoch = 0;
    });
    globals_.clear();
    items_.clear();
    cycles_.collect();
    ++epoch_;
    clearErr();
    rndSeed = kFirstRndSeed;
}

void Engine::addObject(std::string_view name, const Variant& object, bool addMembers) {
    lastError_ = {};
    aborted_ = false;
    if (!object.isObject() || object.isNothing()) automation::raise(automation::err::ObjectRequired);
    for (const NamedItem& item : items_)
        if (lowerName(item.name) == lowerName(name)) automation::raise(457);
    items_.push_back(NamedItem{std::string(name), object, addMembers});
    ++epoch_;
}

void Engine::bindUnit(Unit& unit) {
    // A procedure replaced while script code runs may still be running (or about to be called).
    auto retire = [this](Symbol& s) {
        if (s.proc && runDepth_ > 0) retired_.push_back(std::move(s.proc));
        s.proc.reset();
    };
    for (const VarDecl& d : unit.dims) {
        Symbol& s = symbols_.intern(d.name);
        if (!s.var) s.var = &globals_.emplace_back();
        s.kind = Symbol::Kind::Variable;
        retire(s);
        s.cls.reset();
        if (d.isArray) {
            // Made afresh when its Dim runs.
            if (s.var->isArray() && s.var->arrayValue().locked()) raiseRuntime(automation::err::ArrayLocked, d.name);
            overwrite(*s.var, Variant());
        }
    }
    for (const ConstDecl& c : unit.consts) {
        Symbol& s = symbols_.intern(c.name);
        s.kind = Symbol::Kind::Constant;
        s.constant = c.value;
        retire(s);
        s.cls.reset();
    }
    for (const auto& cls : unit.classes) {
        Symbol& s = symbols_.intern(cls->name);
        s.kind = Symbol::Kind::Class;
        s.cls = cls;
        retire(s);
    }
    for (const auto& p : unit.procs) {
        Symbol& s = symbols_.intern(p->name);
        s.kind = Symbol::Kind::Procedure;
        retire(s);
        s.proc = p;
        s.cls.reset();
    }
}

Variant Engine::runProcMain(const ProcDef& main) {
    RunScope rs(*this);
    return callProc(main, nullptr, {});
}

void Engine::addCode(std::string_view text) {
    lastError_ = {};
    aborted_ = false;
    const std::shared_ptr<const SourceText> src = makeSource(text);
    std::shared_ptr<ProcDef> main;
    guarded(src.get(), [&] {
        ParseLimits pl{limits.maxNesting, limits.maxOperators};
        std::unique_ptr<Unit> unit = parseUnit(src, pl);
        compileUnit(*unit, symbols_);
        bindUnit(*unit);
        main = unit->main;
    });
    guarded(src.get(), [&] { runProcMain(*main); });
}

Variant Engine::eval(std::string_view text) {
    lastError_ = {};
    aborted_ = false;
    const std::shared_ptr<const SourceText> src = makeSource(text);
    ProcDef frame;
    frame.source = src;
    ExprPtr e;
    guarded(src.get(), [&] {
        ParseLimits pl{limits.maxNesting, limits.maxOperators};
        e = parseExpressionText(*src, pl);
        compileExpression(*e, frame, symbols_, false);
    });
    return guarded(src.get(), [&]() -> Variant {
        RunScope rs(*this);
        std::vector<Variant> store(std::size_t(frame.slotCount));
        std::vector<Variant*> slots;
        for (Variant& v : store) slots.push_back(&v);
        Frame f{&frame, slots.data(), nullptr, false, nullptr};
        try {
            return eval(*e, f);
        } catch (const LocatedError&) {
            throw;
        } catch (const automation::Error& ex) {
            const auto* rt = dynamic_cast<const RuntimeError*>(&ex);
            throw LocatedError(ex, rt ? rt->detail : std::string(), startOf(*e), src);
        }
    });
}

Variant Engine::run(std::string_view name, std::span<Variant> args) {
    lastError_ = {};
    aborted_ = false;
    Symbol* s = symbols_.find(name);
    if (!s || s->kind != Symbol::Kind::Procedure) {
        ScriptError e;
        e.number = 35;
        e.description = errorText(35) + ": '" + std::string(name) + "'";
        e.source = std::string(kRuntimeSource);
        fail(std::move(e), true);
    }
    const std::shared_ptr<ProcDef> p = s->proc;
    return guarded(p->source.get(), [&]() -> Variant {
        RunScope rs(*this);
        std::vector<Variant*> slots;
        for (Variant& a : args) slots.push_back(&a);
        return callProc(*p, nullptr, ArgSpan(slots.data(), slots.size()));
    });
}

// ---- Script objects ----

Variant Engine::invokeScriptObject(ScriptObject& o, std::string_view name, InvokeKind kind, ArgSpan args) {
    const ClassDef& c = o.cls();
    const ClassMember* m = nullptr;
    if (name.empty()) {
        if (c.defaultMember >= 0) m = &c.members[std::size_t(c.defaultMember)];
    } else {
        m = c.find(lowerName(name));
    }
    if (!m) automation::raise(automation::err::NoSuchMember);
    RunScope rs(*this);
    const ObjectRef keep(&o);
    return invokeMember(o, *m, kind, args, false);
}

void Engine::runTerminate(ScriptObject& o) noexcept {
    // A stopped run runs no more script code, not even the Terminate of the objects it drops (a
    // Terminate cannot pass the stop on, and one that makes new objects would go on forever).
    if ((aborted_ && runDepth_ > 0) || closing_) return;
    try {
        RunScope rs(*this);
        callProc(*o.cls().terminate, &o, {});
    } catch (...) {
        // A failing Terminate has nobody to report to; the object goes all the same.
    }
}

Variant Engine::newObject(const std::shared_ptr<ClassDef>& cls) {
    auto obj = automation::makeRef<ScriptObject>(cls, shared_from_this());
    cycles_.add(*obj);
    obj->fields.resize(cls->fields.size());
    for (std::size_t i = 0; i < cls->fields.size(); ++i)
        if (cls->fields[i].isArray) obj->fields[i] = makeArray(cls->fields[i].bounds, !cls->fields[i].bounds.empty());
    if (cls->initialize) callProc(*cls->initialize, obj.get(), {});
    return Variant(obj);
}

Variant Engine::makeArray(const std::vector<std::int32_t>& bounds, bool fixed) {
    checkedElementCount(bounds);
    std::vector<automation::ArrayBound> b;
    for (std::int32_t ub : bounds) b.push_back({0, std::max(0, ub + 1)});
    SafeArray a(std::move(b));
    a.fixedSize = fixed;
    return Variant(std::move(a));
}

// ---- ScriptControl ----

ScriptException::ScriptException(ScriptError e)
    : automation::Error(e.number, e.source, e.description), error(std::move(e)) {}

ScriptControl::ScriptControl() : engine_(std::make_shared<Engine>()) {
    // The classes every script may create: Scripting.Dictionary, Scripting.FileSystemObject and
    // VBScript.RegExp.
    static const bool registered = (scripting::registerScriptingClasses(), registerRegExpClass(), true);
    (void)registered;
}

ScriptControl::~ScriptControl() {
    // The host may be half gone: nothing of its own is called or read from here on.
    engine_->timeSource = nullptr;
    engine_->onTimeout = nullptr;
    engine_->onError = nullptr;
    engine_->cancelFlag = nullptr;
    engine_->onCheck = nullptr;
    engine_->ui = {};
    engine_->setClock(nullptr);
    try {
        engine_->reset();
    } catch (...) {
    }
}

void ScriptControl::reset() { engine_->reset(); }
void ScriptControl::addObject(std::string_view name, const Variant& object, bool addMembers) {
    engine_->addObject(name, object, addMembers);
}
void ScriptControl::addCode(std::string_view text) { engine_->addCode(text); }
Variant ScriptControl::eval(std::string_view expression) { return engine_->eval(expression); }
void ScriptControl::executeStatement(std::string_view text) { engine_->addCode(text); }
Variant ScriptControl::run(std::string_view procedure, std::span<Variant> args) { return engine_->run(procedure, args); }
const ScriptError& ScriptControl::error() const { return engine_->lastError(); }
void ScriptControl::setTimeout(long milliseconds) { engine_->timeoutMs = milliseconds; }
long ScriptControl::timeout() const { return engine_->timeoutMs; }
void ScriptControl::setTimeoutHandler(std::function<void()> handler) { engine_->onTimeout = std::move(handler); }
void ScriptControl::setCancelFlag(const std::atomic<bool>* flag) { engine_->cancelFlag = flag; }
void ScriptControl::setCheckHook(std::function<void()> hook) { engine_->onCheck = std::move(hook); }
void ScriptControl::setErrorHandler(std::function<void(const ScriptError&)> handler) { engine_->onError = std::move(handler); }
void ScriptControl::setUi(ScriptUi ui) { engine_->ui = std::move(ui); }
void ScriptControl::setClock(const Clock* clock) { engine_->setClock(clock); }
void ScriptControl::setLimits(const ScriptLimits& limits) { engine_->limits = limits; }
void ScriptControl::setTimeSource(std::function<std::chrono::steady_clock::time_point()> now) {
    engine_->timeSource = std::move(now);
}

ScriptControl::HostTime::HostTime(ScriptControl& sc) : engine_(*sc.engine_) { engine_.hostBegin(); }
ScriptControl::HostTime::~HostTime() { engine_.hostEnd(); }

}  // namespace vt::vbscript
