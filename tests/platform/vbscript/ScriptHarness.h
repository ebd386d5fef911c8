#pragma once
// A script control with a recording object: scripts call Print (a bare member of "Out") and
// the test reads the printed lines back, joined by "|".

#include "platform/vbscript/ScriptControl.h"

#include "platform/automation/Object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vt::vbscript::test {

class Recorder final : public automation::Dispatch<Recorder> {
public:
    static const automation::Members<Recorder>& members() {
        static const automation::Members<Recorder> m = [] {
            automation::Members<Recorder> t("Recorder");
            t.method("Print", {0, automation::kAnyCount}, [](Recorder& r, automation::Args& a) {
                std::string line;
                for (std::size_t i = 0; i < a.size(); ++i) {
                    if (i) line += ' ';
                    line += automation::toText(a.raw(i));
                }
                r.lines.push_back(line);
                return automation::Variant();
            });
            return t;
        }();
        return m;
    }
    std::vector<std::string> lines;
};

struct Outcome {
    std::string output;        // printed lines joined by "|"
    ScriptError error;         // number 0 when the script ran through
};

class Harness {
public:
    Harness() : out_(automation::makeRef<Recorder>()) { reset(); }

    void reset() {
        sc.reset();
        out_->lines.clear();
        sc.addObject("Out", automation::Variant(out_), true);
    }

    // Runs one piece of code in a fresh control.
    Outcome run(const std::string& code) {
        reset();
        return more(code);
    }

    // Adds more code to the same control.
    Outcome more(const std::string& code) {
        out_->lines.clear();
        Outcome o;
        try {
            sc.addCode(code);
        } catch (const ScriptException& e) {
            o.error = e.error;
        }
        o.output = joined();
        return o;
    }

    std::string joined() const {
        std::string s;
        for (std::size_t i = 0; i < out_->lines.size(); ++i) {
            if (i) s += '|';
            s += out_->lines[i];
        }
        return s;
    }

    ScriptControl sc;

private:
    automation::Ref<Recorder> out_;
};

// One snippet and what it prints (lines joined by "|").
struct OutputCase {
    const char* code;
    const char* output;
};

// One snippet and the error it stops with.
struct ErrorCase {
    const char* code;
    std::int32_t number;
    int line;
    int column;
    const char* description = nullptr;   // checked when given
};

// Each case runs in a fresh script state of `h` (its clock, UI and limits stay).
inline void expectOutputs(Harness& h, std::initializer_list<OutputCase> cases) {
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.code);
        const Outcome o = h.run(c.code);
        EXPECT_EQ(o.error.number, 0) << o.error.description << " at " << o.error.line << ":" << o.error.column;
        EXPECT_EQ(o.output, c.output);
    }
}

inline void expectErrors(Harness& h, std::initializer_list<ErrorCase> cases) {
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.code);
        const Outcome o = h.run(c.code);
        EXPECT_EQ(o.error.number, c.number) << o.error.description;
        EXPECT_EQ(o.error.line, c.line);
        EXPECT_EQ(o.error.column, c.column);
        if (c.description) {
            EXPECT_EQ(o.error.description, c.description);
        }
    }
}

inline void expectOutputs(std::initializer_list<OutputCase> cases) {
    Harness h;
    expectOutputs(h, cases);
}

inline void expectErrors(std::initializer_list<ErrorCase> cases) {
    Harness h;
    expectErrors(h, cases);
}

}  // namespace vt::vbscript::test
