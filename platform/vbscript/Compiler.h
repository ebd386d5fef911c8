#pragma once
// Name resolution: gives every local a slot, finds class members, checks declarations, and
// ties every other name to a global Symbol whose binding is looked up at run time. Nothing is
// bound here; the engine binds a unit's declarations once the whole unit compiled.

#include "Ast.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vt::vbscript {

struct Builtin;

// A global name. Script declarations bind it; when none does, the host's named items and the
// language's own functions and constants are looked up (and cached until the next AddObject or
// Reset).
struct Symbol {
    enum class Kind : std::uint8_t { None, Variable, Constant, Procedure, Class };
    enum class Fallback : std::uint8_t { None, Builtin, Constant, Item, ItemMember };

    std::string name;   // spelling first seen
    Kind kind = Kind::None;
    Variant* var = nullptr;               // Variable: the global slot
    Variant constant;                     // Constant
    std::shared_ptr<ProcDef> proc;        // Procedure
    std::shared_ptr<ClassDef> cls;        // Class

    std::uint32_t fallbackEpoch = 0;      // 0: not looked up yet
    Fallback fallback = Fallback::None;
    const Builtin* builtin = nullptr;
    const Variant* builtinConstant = nullptr;
    std::int32_t item = -1;
};

class SymbolTable {
public:
    Symbol& intern(std::string_view name);
    Symbol* find(std::string_view name);
    template <class F>
    void forEach(F f) {
        for (auto& [k, s] : symbols_) f(*s);
    }

private:
    std::unordered_map<std::string, std::unique_ptr<Symbol>> symbols_;
};

// Resolves the whole unit in place. Throws CompileError (1041 Name redefined, 1052, 1053, ...).
void compileUnit(Unit& unit, SymbolTable& symbols);

// Resolves an expression at the top level (the host's Eval); `explicitMode` as Option Explicit.
void compileExpression(Expr& e, ProcDef& frame, SymbolTable& symbols, bool explicitMode);

// What code compiled while a procedure runs (Execute and Eval inside it) sees of its frame: the
// procedure's own slots by name, then variables that earlier such code added, in this order.
struct FrameScope {
    const ProcDef* proc = nullptr;   // the running procedure (not top-level code)
    ClassDef* cls = nullptr;         // the class of Me, or null
    std::vector<std::pair<std::string, bool>> added;   // lower-case name, declared with Dim
    std::vector<std::int32_t> declaredImplicit;         // the procedure's undeclared names that Execute declared
};
// A variable the compiled code adds to the frame (a Dim, or an undeclared name it uses).
struct FrameAddition {
    std::string name;   // lower-case
    std::int32_t slot;
    bool declared;
};

// Resolves a unit whose statements run in that frame: the main procedure's slots start with the
// frame's (FrameScope order), then `added` ones, then hidden ones. Its procedures and classes are
// resolved as global ones. Throws CompileError as compileUnit.
void compileUnitInFrame(Unit& unit, SymbolTable& symbols, const FrameScope& frame, std::vector<FrameAddition>& added);
// Resolves an expression evaluated in that frame into `code` (its slots laid out the same way).
void compileExpressionInFrame(Expr& e, ProcDef& code, SymbolTable& symbols, const FrameScope& frame, bool explicitMode);

std::string lowerName(std::string_view name);

}  // namespace vt::vbscript
