#pragma once
// The VBScript engine as its hosts use it: the stand-in for the platform's script control.
// A host resets it, adds named objects, adds code (whose top-level statements run at once) and
// reads an error record when something fails. Runs are limited in time and can be cancelled.
//
//   vt::vbscript::ScriptControl sc;
//   sc.setTimeout(60000);
//   sc.addObject("objScript", script);            // reached as objScript.Member only
//   sc.addObject("Form", form, /*addMembers*/true); // also LogSession "x" without "Form."
//   sc.setUi(vt::vbscript::scriptUiFor(uiSink));    // MsgBox, InputBox (ScriptUiFor.h)
//   sc.addCode(text);                               // throws ScriptException on failure
//
// CreateObject reaches the program's class registry; the first ScriptControl registers the
// scripting classes (Scripting.Dictionary, Scripting.FileSystemObject) there.
//
// Everything runs on the calling thread; one ScriptControl is used by one thread at a time
// (the cancel flag may be set from any thread).

#include "platform/automation/Object.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vt {
class Clock;
}

namespace vt::vbscript {

class Engine;

// What the host's error event and error object report.
struct ScriptError {
    std::int32_t number = 0;    // 1002, 13, 500, ... (0: no error)
    // The text of the error; for the engine's own run-time errors followed by the name in error,
    // as "Type mismatch: 'Foo'" (Err.Description inside the script has the text alone).
    std::string description;
    std::string source;         // "VBScript compilation error", "VBScript runtime error" or the object's own
    int line = 0;               // 1-based line in the text given to the call that failed; 0 when unknown
    int column = 0;             // 0-based character position in that line
    std::string lineText;       // the text of that line
    bool operator==(const ScriptError&) const = default;
};

// Thrown by the host calls when the script fails; carries the same record as error().
class ScriptException : public automation::Error {
public:
    explicit ScriptException(ScriptError e);
    ScriptError error;
};

// Limits that keep a faulty script from exhausting the process. Tests make them tiny.
struct ScriptLimits {
    int maxCallDepth = 2000;          // nested procedure calls; beyond: error 28 "Out of stack space"
    int maxNesting = 200;             // nested blocks, parentheses and calls in the source: compile error 28
    int maxOperators = 4000;          // operators in one statement (a chain nests as deep): compile error 28
    int checkInterval = 1000;         // statements and loop turns between two time-out / cancel checks
                                      // at most (fewer while statements are slow)
    std::size_t stackReserve = 512 * 1024;   // native stack bytes kept free; beyond: error 28
    // Bytes the process may grow by while a run lasts (resident memory, looked at ten times a
    // second); beyond, the run stops with error 7 "Out of memory", which On Error does not
    // catch. 0: no limit.
    std::size_t maxMemoryGrowth = std::size_t(2) << 30;
};

// How scripts reach the user (MsgBox, InputBox). A call whose hook is unset, or any call while
// `unattended` answers true, fails with run-time error 70 instead of waiting for an answer.
// ScriptUiFor.h binds these to a host's window port. `title` is empty when the script gives none.
struct ScriptUi {
    // Returns the answer (1 OK, 2 Cancel, 6 Yes, 7 No, ...).
    std::function<int(std::string_view prompt, int buttons, std::string_view title)> messageBox;
    // The entered text, or nothing when cancelled.
    std::function<std::optional<std::string>(std::string_view prompt, std::string_view title,
                                             std::string_view defaultText)>
        inputBox;
    // True while nobody watches the runs (schedulers, batch runs); asked at every call.
    std::function<bool()> unattended;
};

class ScriptControl {
public:
    static constexpr long kNoTimeout = -1;

    ScriptControl();
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    // Removes all code, global variables and named objects (script objects still alive run
    // their Class_Terminate; those that only reference each other are then freed without it).
    // Not allowed while a script runs.
    void reset();

    // Adds a named object. With `addMembers` its members are also reachable by their bare names.
    // Error 457 for a name already added, 424 when `object` is not an object.
    void addObject(std::string_view name, const automation::Variant& object, bool addMembers = false);

    // Compiles the text, keeps its procedures, classes and global variables until the next
    // reset (declaring a name again in a later call replaces it) and runs its top-level
    // statements. On a compile or run-time error: calls the error handler, then throws
    // ScriptException; procedures already declared stay.
    void addCode(std::string_view text);
    // The value of one expression in the global scope.
    automation::Variant eval(std::string_view expression);
    // Runs statements in the global scope (as addCode).
    void executeStatement(std::string_view text);
    // Calls a global procedure; `args` are passed by reference. Error 35 when there is none.
    automation::Variant run(std::string_view procedure, std::span<automation::Variant> args = {});

    // The last failure of a host call (number 0 after a call that succeeded).
    const ScriptError& error() const;

    // Milliseconds a run may take (kNoTimeout: no limit). Time spent inside calls to the host's
    // objects and in the UI hooks is not counted (time in dictionaries and files is). When it
    // runs out: the time-out handler is called once and the run stops with an error (number
    // 0x80004004, "Script timed out"); the error handler is not called.
    void setTimeout(long milliseconds);
    long timeout() const;
    void setTimeoutHandler(std::function<void()> handler);
    // When the flag becomes true the run stops ("Script cancelled") at the next check.
    void setCancelFlag(const std::atomic<bool>* flag);
    // Called at the time-out and cancel checks of a run (see ScriptLimits::checkInterval), before
    // the cancel flag is read: a host may let window events run there, so that a script that never
    // calls the host leaves the window alive and can be cancelled. Its time is not counted.
    void setCheckHook(std::function<void()> hook);
    void setErrorHandler(std::function<void(const ScriptError&)> handler);
    void setUi(ScriptUi ui);
    // The clock of Date, Time, Now, Timer and Randomize; null restores the system clock.
    void setClock(const Clock* clock);
    void setLimits(const ScriptLimits& limits);
    // The clock the time-out reads (null restores the steady clock); tests drive it.
    void setTimeSource(std::function<std::chrono::steady_clock::time_point()> now);

    // Host work that should not count towards the time-out, as long as the scope lives.
    class HostTime {
    public:
        explicit HostTime(ScriptControl& sc);
        ~HostTime();
        HostTime(const HostTime&) = delete;
        HostTime& operator=(const HostTime&) = delete;

    private:
        Engine& engine_;
    };

private:
    std::shared_ptr<Engine> engine_;
};

}  // namespace vt::vbscript
