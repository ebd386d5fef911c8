#pragma once
// The parsed program. The parser builds it; the compiler (Compiler.cpp) resolves every name to
// a slot or a global symbol in place; the interpreter walks it.

#include "Lexer.h"

#include "platform/automation/Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vt::vbscript {

using automation::Variant;

struct Symbol;
struct ProcDef;
struct ClassDef;

struct Pos {
    int line = 0;     // 1-based
    int column = 0;   // 0-based
};

// ---- Expressions ----

enum class ExprKind : std::uint8_t { Literal, Ident, Member, Index, Paren, Unary, Binary, New, Me };

enum class UnaryOp : std::uint8_t { Neg, Plus, Not };
enum class BinaryOp : std::uint8_t {
    Pow, Mul, Div, IntDiv, Mod, Add, Sub, Concat,
    Eq, Ne, Lt, Gt, Le, Ge, Is,
    And, Or, Xor, Eqv, Imp,
};

struct Expr {
    Expr(ExprKind k, Pos p) : kind(k), pos(p) {}
    virtual ~Expr() = default;
    ExprKind kind;
    Pos pos;
};
using ExprPtr = std::unique_ptr<Expr>;
using ArgList = std::vector<ExprPtr>;   // a null entry is an omitted argument

struct LiteralExpr : Expr {
    LiteralExpr(Pos p, Variant v) : Expr(ExprKind::Literal, p), value(std::move(v)) {}
    Variant value;
};

// Where a name lives, decided by the compiler.
enum class NameKind : std::uint8_t {
    Unresolved,
    Local,        // slot of the current frame (parameter, Dim, function result)
    Field,        // field of Me
    ClassMember,  // procedure or property of Me
    Constant,     // a Const of this unit or procedure; `constant` holds the value
    Global,       // through `symbol`, bound at run time
};

struct NameRef {
    NameKind kind = NameKind::Unresolved;
    std::int32_t slot = -1;          // Local, Field
    std::int32_t implicitSlot = -1;  // Global inside a procedure: local slot used when the name is undeclared
    std::int32_t member = -1;        // ClassMember: index in the class's member table
    bool explicitMode = false;       // Option Explicit in the unit that holds the reference
    bool resultSlot = false;         // the function's own name, meaning its result
    Symbol* symbol = nullptr;        // Global
    const Variant* constant = nullptr;
};

struct IdentExpr : Expr {
    IdentExpr(Pos p, std::string n) : Expr(ExprKind::Ident, p), name(std::move(n)) {}
    std::string name;
    NameRef ref;
    ArgList args;
    bool hasArgs = false;   // written with a parenthesized list, possibly empty
};

struct MemberExpr : Expr {
    MemberExpr(Pos p, ExprPtr obj, std::string n) : Expr(ExprKind::Member, p), object(std::move(obj)), name(std::move(n)) {}
    ExprPtr object;             // null: the object of the innermost With
    std::int32_t withSlot = -1; // slot holding that object (-1: no With around it)
    std::string name;
    ArgList args;
    bool hasArgs = false;
    // Member of a script class found last time (saves the name lookup).
    mutable const ClassDef* cachedClass = nullptr;
    mutable std::int32_t cachedMember = -1;
};

struct IndexExpr : Expr {
    IndexExpr(Pos p, ExprPtr t) : Expr(ExprKind::Index, p), target(std::move(t)) {}
    ExprPtr target;
    ArgList args;
};

struct ParenExpr : Expr {
    ParenExpr(Pos p, ExprPtr e) : Expr(ExprKind::Paren, p), inner(std::move(e)) {}
    ExprPtr inner;
};

struct UnaryExpr : Expr {
    UnaryExpr(Pos p, UnaryOp o, ExprPtr e) : Expr(ExprKind::Unary, p), op(o), operand(std::move(e)) {}
    UnaryOp op;
    ExprPtr operand;
};

struct BinaryExpr : Expr {
    BinaryExpr(Pos p, BinaryOp o, ExprPtr l, ExprPtr r)
        : Expr(ExprKind::Binary, p), op(o), lhs(std::move(l)), rhs(std::move(r)) {}
    BinaryOp op;
    ExprPtr lhs, rhs;
};

struct NewExpr : Expr {
    NewExpr(Pos p, std::string n) : Expr(ExprKind::New, p), className(std::move(n)) {}
    std::string className;
    Symbol* symbol = nullptr;
    bool explicitMode = false;   // Option Explicit: an unknown class is an undefined name
};

struct MeExpr : Expr {
    explicit MeExpr(Pos p) : Expr(ExprKind::Me, p) {}
};

// ---- Statements ----

enum class StmtKind : std::uint8_t {
    Assign, Call, If, Loop, For, ForEach, Select, With, Exit, OnError, ReDim, Erase, Dim, Nothing,
};

struct Stmt {
    Stmt(StmtKind k, Pos p) : kind(k), pos(p) {}
    virtual ~Stmt() = default;
    StmtKind kind;
    Pos pos;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct AssignStmt : Stmt {
    AssignStmt(Pos p) : Stmt(StmtKind::Assign, p) {}
    ExprPtr target;
    ExprPtr value;
    bool isSet = false;
    // s = s & a & b: the parts after s (a, b), which may be appended to s in place.
    std::vector<const Expr*> appendParts;
};

struct CallStmt : Stmt {
    CallStmt(Pos p) : Stmt(StmtKind::Call, p) {}
    ExprPtr call;   // Ident, Member or Index, with its arguments
};

struct IfStmt : Stmt {
    IfStmt(Pos p) : Stmt(StmtKind::If, p) {}
    struct Branch {
        ExprPtr cond;
        Block body;
    };
    std::vector<Branch> branches;   // If, then each ElseIf
    Block elseBody;
};

// Do ... Loop in its five forms and While ... Wend.
struct LoopStmt : Stmt {
    enum Test : std::uint8_t { None, PreWhile, PreUntil, PostWhile, PostUntil };
    LoopStmt(Pos p) : Stmt(StmtKind::Loop, p) {}
    Test test = None;
    bool isWhileWend = false;
    ExprPtr cond;
    Block body;
};

struct ForStmt : Stmt {
    ForStmt(Pos p) : Stmt(StmtKind::For, p) {}
    std::unique_ptr<IdentExpr> var;
    ExprPtr from, to, step;   // step may be null (1)
    Block body;
};

struct ForEachStmt : Stmt {
    ForEachStmt(Pos p) : Stmt(StmtKind::ForEach, p) {}
    std::unique_ptr<IdentExpr> var;
    ExprPtr collection;
    Block body;
};

struct SelectStmt : Stmt {
    SelectStmt(Pos p) : Stmt(StmtKind::Select, p) {}
    struct Item {
        enum Kind : std::uint8_t { Value, Range, Compare } kind = Value;
        BinaryOp op = BinaryOp::Eq;   // Compare: Case Is <op> value
        ExprPtr a, b;
    };
    struct Case {
        std::vector<Item> items;
        Block body;
        Pos pos;
    };
    ExprPtr test;
    std::vector<Case> cases;
    bool hasElse = false;
    Block elseBody;
};

struct WithStmt : Stmt {
    WithStmt(Pos p) : Stmt(StmtKind::With, p) {}
    ExprPtr object;
    std::int32_t slot = -1;
    Block body;
};

struct ExitStmt : Stmt {
    enum What : std::uint8_t { Do, For, Sub, Function, Property };
    ExitStmt(Pos p, What w) : Stmt(StmtKind::Exit, p), what(w) {}
    What what;
};

struct OnErrorStmt : Stmt {
    OnErrorStmt(Pos p, bool r) : Stmt(StmtKind::OnError, p), resumeNext(r) {}
    bool resumeNext;
};

struct ReDimStmt : Stmt {
    ReDimStmt(Pos p) : Stmt(StmtKind::ReDim, p) {}
    struct Item {
        std::unique_ptr<IdentExpr> var;
        ArgList bounds;   // upper bounds, one per dimension
    };
    bool preserve = false;
    std::vector<Item> items;
};

struct EraseStmt : Stmt {
    EraseStmt(Pos p) : Stmt(StmtKind::Erase, p) {}
    ExprPtr var;             // a variable or an array element holding an array
    std::size_t count = 1;   // more than one is refused when run, as a call with too many arguments
};

// A Dim of an array outside procedures and classes: the variable is declared from the start of
// the script, the array made when the statement runs.
struct DimStmt : Stmt {
    DimStmt(Pos p) : Stmt(StmtKind::Dim, p) {}
    std::unique_ptr<IdentExpr> var;
    std::vector<std::int32_t> bounds;   // upper bounds of a fixed array (empty: dynamic)
};

// Dim (of plain variables), Const, Stop and declarations: nothing to do when reached.
struct NothingStmt : Stmt {
    explicit NothingStmt(Pos p) : Stmt(StmtKind::Nothing, p) {}
};

// ---- Declarations ----

struct VarDecl {
    std::string name;
    Pos pos;
    bool isArray = false;              // declared with parentheses
    std::vector<std::int32_t> bounds;  // upper bounds of a fixed array (empty: dynamic)
    bool isPublic = true;
};

struct ConstDecl {
    std::string name;
    Pos pos;
    Variant value;
    bool isPublic = true;
};

enum class ProcKind : std::uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct ParamDecl {
    std::string name;
    bool byVal = false;
    bool isArray = false;
};

// A local array declared with bounds, created when the procedure starts.
struct LocalArray {
    std::int32_t slot;
    std::vector<std::int32_t> bounds;
};

struct ProcDef {
    std::string name;
    ProcKind kind = ProcKind::Sub;
    bool isPublic = true;
    bool isDefault = false;
    Pos pos;
    std::vector<ParamDecl> params;
    std::vector<VarDecl> dims;      // every Dim of the body (hoisted)
    std::vector<ConstDecl> consts;  // every Const of the body
    Block body;

    // Filled by the compiler.
    std::int32_t slotCount = 0;
    std::int32_t resultSlot = -1;
    std::vector<LocalArray> arrays;
    std::vector<std::string> slotNames;   // name of each slot ("" for hidden ones)
    std::unordered_map<std::string, Variant> constValues;   // lower-case name -> value
    ClassDef* owner = nullptr;
    std::shared_ptr<const SourceText> source;
    bool explicitMode = false;
    bool topLevel = false;   // the statements of a unit or the host's expression: global scope
    // Names of the frame's slots for code compiled while it runs (Execute, Eval): parameters,
    // Dims and ReDims, and the undeclared names the body uses (lower-case name -> slot).
    std::unordered_map<std::string, std::int32_t> localSlots;
    std::unordered_map<std::string, std::int32_t> implicitSlots;

    bool returnsValue() const noexcept { return kind == ProcKind::Function || kind == ProcKind::PropertyGet; }
};

struct ClassMember {
    std::string name;
    std::int32_t field = -1;    // a variable of the class
    bool isPublic = true;
    std::shared_ptr<ProcDef> method;   // Sub or Function
    std::shared_ptr<ProcDef> get, let, set;
};

struct ClassDef {
    std::string name;
    Pos pos;
    std::vector<VarDecl> fields;
    std::vector<std::shared_ptr<ProcDef>> procs;   // as declared
    // Filled by the compiler.
    std::vector<ClassMember> members;
    std::unordered_map<std::string, std::int32_t> memberIndex;   // lower-case name -> member
    std::int32_t defaultMember = -1;
    ProcDef* initialize = nullptr;
    ProcDef* terminate = nullptr;
    std::shared_ptr<const SourceText> source;

    const ClassMember* find(std::string_view lowerName) const;
};

// One piece of script text as parsed.
struct Unit {
    std::shared_ptr<const SourceText> source;
    bool explicitMode = false;
    std::vector<VarDecl> dims;      // top-level Dim, Public, Private (hoisted)
    std::vector<ConstDecl> consts;
    std::vector<std::shared_ptr<ProcDef>> procs;
    std::vector<std::shared_ptr<ClassDef>> classes;
    // Top-level statements, run as a procedure without parameters.
    std::shared_ptr<ProcDef> main;
};

}  // namespace vt::vbscript
