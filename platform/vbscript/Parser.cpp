#include "Parser.h"

#include "Errors.h"

#include <limits>

namespace vt::vbscript {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

bool isAssignable(const Expr& e) {
    return e.kind == ExprKind::Ident || e.kind == ExprKind::Member || e.kind == ExprKind::Index;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const ParseLimits& limits) : toks_(std::move(tokens)), lim_(limits) {}

    std::unique_ptr<Unit> unit(std::shared_ptr<const SourceText> source) {
        auto u = std::make_unique<Unit>();
        u->source = source;
        u->main = std::make_shared<ProcDef>();
        u->main->source = source;
        unit_ = u.get();
        parseBlock(u->main->body);
        if (cur().type != Tok::Eof) unexpectedTerminator(err::ExpectedStatement);
        return u;
    }

    ExprPtr standalone() {
        while (cur().type == Tok::Newline) advance();
        ExprPtr e = parseExpr();
        while (cur().type == Tok::Newline) advance();
        if (cur().type != Tok::Eof) fail(err::ExpectedEndOfStatement);
        return e;
    }

private:
    // ---- Tokens ----

    const Token& cur() const { return toks_[i_]; }
    const Token& peek(std::size_t n = 1) const { return toks_[std::min(i_ + n, toks_.size() - 1)]; }
    void advance() {
        if (i_ + 1 < toks_.size()) ++i_;
    }
    Pos here() const { return Pos{cur().line, cur().column}; }
    [[noreturn]] void fail(std::int32_t number) const { failAt(number, cur()); }
    [[noreturn]] void failAt(std::int32_t number, const Token& t) const {
        const bool word = t.type == Tok::Ident || t.type == Tok::Number || t.type == Tok::String || t.type == Tok::Date;
        throw CompileError(number, t.line, t.column, !word);
    }

    bool accept(Tok t) {
        if (cur().type != t) return false;
        advance();
        return true;
    }
    bool accept(Kw k) {
        if (!cur().is(k)) return false;
        advance();
        return true;
    }
    void expect(Tok t, std::int32_t number) {
        if (!accept(t)) fail(number);
    }
    void expect(Kw k, std::int32_t number) {
        if (!accept(k)) fail(number);
    }
    std::string expectName() {
        if (!cur().isName()) fail(err::ExpectedIdentifier);
        std::string n = cur().text;
        advance();
        return n;
    }
    // After a dot every word names a member, keywords included. A dot without one is "Expected
    // identifier" also where the text ends there ("obj.Check ." in Execute too).
    std::string expectMemberName() {
        if (cur().type != Tok::Ident) throw CompileError(err::ExpectedIdentifier, cur().line, cur().column);
        std::string n = cur().text;
        advance();
        return n;
    }

    struct Nest {
        explicit Nest(Parser& p) : p_(p) {
            if (++p_.depth_ > p_.lim_.maxNesting) p_.fail(err::OutOfStackSpace);
        }
        ~Nest() { --p_.depth_; }
        Parser& p_;
    };

    // ---- Statements ----

    void skipSeparators() {
        while (cur().type == Tok::Newline || cur().type == Tok::Colon) advance();
    }

    bool atBlockEnd() const {
        const Token& t = cur();
        if (t.type == Tok::Eof) return true;
        if (t.type != Tok::Ident) return false;
        switch (t.kw) {
        case Kw::End: case Kw::Else: case Kw::ElseIf: case Kw::Loop: case Kw::Next: case Kw::Wend: case Kw::Case:
            return true;
        default:
            return false;
        }
    }

    bool endAhead() const {
        const Token& t = cur();
        return t.endsStatement() || t.is(Kw::End) || (singleLine_ > 0 && t.is(Kw::Else));
    }

    void endStatement() {
        if (!endAhead()) fail(err::ExpectedEndOfStatement);
    }

    [[noreturn]] void unexpectedTerminator(std::int32_t expected) const {
        if (cur().is(Kw::Loop)) fail(err::LoopWithoutDo);
        if (cur().is(Kw::Next)) fail(err::UnexpectedNext);
        fail(expected);
    }

    void parseBlock(Block& out) {
        Nest nest(*this);
        for (;;) {
            skipSeparators();
            if (atBlockEnd()) return;
            parseStatement(out);
        }
    }

    void noBlockInSingleLine() const {
        if (singleLine_ > 0) fail(err::ExpectedStatement);
    }

    void parseStatement(Block& out) {
        operators_ = 0;
        const Token& t = cur();
        if (t.type == Tok::Dot) {
            parseAssignOrCall(out);
            return;
        }
        if (t.type != Tok::Ident) fail(err::ExpectedStatement);
        switch (t.kw) {
        case Kw::None: case Kw::Default: case Kw::Error: case Kw::Explicit: case Kw::Step: case Kw::Get:
        case Kw::Let: case Kw::Preserve: case Kw::Resume: case Kw::GoTo: case Kw::Me:
            parseAssignOrCall(out);
            return;
        case Kw::Property:
            if (peek().is(Kw::Get) || peek().is(Kw::Let) || peek().is(Kw::Set)) {
                noBlockInSingleLine();
                parseProc(true, false);
            } else {
                parseAssignOrCall(out);
            }
            return;
        case Kw::Call: parseCall(out); return;
        case Kw::Set: parseSet(out); return;
        case Kw::Dim:
            advance();
            if (class_ && !proc_) parseVarList(class_->fields, true);
            else if (proc_) parseVarList(proc_->dims, true);
            else parseUnitVars(out, true);
            endStatement();
            return;
        case Kw::Public: case Kw::Private: parseModified(&out); return;
        case Kw::Const: advance(); parseConst(true); return;
        case Kw::ReDim: parseReDim(out); return;
        case Kw::Erase:
            // "erase = 1" assigns to a variable of that name.
            if (peek().type == Tok::Eq) parseAssignOrCall(out);
            else parseErase(out);
            return;
        case Kw::If: parseIf(out); return;
        case Kw::Do: noBlockInSingleLine(); parseDo(out); return;
        case Kw::While: noBlockInSingleLine(); parseWhile(out); return;
        case Kw::For: noBlockInSingleLine(); parseFor(out); return;
        case Kw::Select: noBlockInSingleLine(); parseSelect(out); return;
        case Kw::With: noBlockInSingleLine(); parseWith(out); return;
        case Kw::Exit: parseExit(out); return;
        case Kw::On: parseOnError(out); return;
        case Kw::Option:
            if (proc_ || class_) fail(err::ExpectedStatement);
            advance();
            expect(Kw::Explicit, err::ExpectedStatement);
            unit_->explicitMode = true;
            endStatement();
            return;
        case Kw::Stop:
            advance();
            endStatement();
            return;
        case Kw::Sub: case Kw::Function:
            noBlockInSingleLine();
            parseProc(true, false);
            return;
        case Kw::Class: noBlockInSingleLine(); parseClass(); return;
        case Kw::Loop: fail(err::LoopWithoutDo);
        case Kw::Next: fail(err::UnexpectedNext);
        default:
            fail(err::ExpectedStatement);
        }
    }

    // A statement that starts with a name: an assignment, or a call with or without parentheses.
    void parseAssignOrCall(Block& out) {
        const Pos p = here();
        const std::size_t start = i_;
        std::size_t lastParen = kNone;
        // "f (a).b" passes (a).b to f; "f(a).b" calls b on what f(a) returns.
        const std::size_t spacedParen =
            cur().isName() && peek().type == Tok::LParen && peek().spaceBefore ? i_ + 1 : kNone;
        ExprPtr chain = parseChain(kNone, &lastParen);
        if (cur().type == Tok::Eq) {
            // "Me = x" compiles; it fails when run.
            if (!isAssignable(*chain) && chain->kind != ExprKind::Me) fail(err::ExpectedStatement);
            advance();
            auto st = std::make_unique<AssignStmt>(p);
            st->target = std::move(chain);
            st->value = parseExpr();
            endStatement();
            out.push_back(std::move(st));
            return;
        }
        if (chain->kind == ExprKind::Me || chain->kind == ExprKind::Literal) fail(err::ExpectedStatement);
        if (spacedParen != kNone && lastParen != spacedParen) {
            // "f (a).b": the parentheses open the first argument.
            i_ = start;
            chain = parseChain(spacedParen, nullptr);
            chain = withArgs(std::move(chain), parseBareArgs());
        } else if (endAhead()) {
            if (lastParen != kNone) {
                // "f(x)" as a statement passes x by value; "f(x, y)" needs Call.
                ArgList& args = argsOf(*chain);
                if (args.size() > 1) failAt(err::ParenthesesCallingSub, toks_[lastParen]);
                if (args.size() == 1 && args[0]) {
                    const Pos ap = args[0]->pos;
                    args[0] = std::make_unique<ParenExpr>(ap, std::move(args[0]));
                }
            }
        } else {
            if (lastParen != kNone) {
                // "f (a) + 1, b": the parentheses open the first argument.
                i_ = start;
                chain = parseChain(lastParen, nullptr);
            }
            chain = withArgs(std::move(chain), parseBareArgs());
        }
        endStatement();
        out.push_back(callStatement(p, std::move(chain)));
    }

    // A name alone as a statement is a call without arguments ("f" inside Function f recurses).
    static StmtPtr callStatement(Pos p, ExprPtr chain) {
        if (chain->kind == ExprKind::Ident) static_cast<IdentExpr&>(*chain).hasArgs = true;
        auto st = std::make_unique<CallStmt>(p);
        st->call = std::move(chain);
        return st;
    }

    static ArgList& argsOf(Expr& e) {
        switch (e.kind) {
        case ExprKind::Ident: return static_cast<IdentExpr&>(e).args;
        case ExprKind::Member: return static_cast<MemberExpr&>(e).args;
        default: return static_cast<IndexExpr&>(e).args;
        }
    }

    ExprPtr withArgs(ExprPtr e, ArgList args) {
        if (e->kind == ExprKind::Ident && !static_cast<IdentExpr&>(*e).hasArgs) {
            auto& id = static_cast<IdentExpr&>(*e);
            id.args = std::move(args);
            id.hasArgs = true;
            return e;
        }
        if (e->kind == ExprKind::Member && !static_cast<MemberExpr&>(*e).hasArgs) {
            auto& m = static_cast<MemberExpr&>(*e);
            m.args = std::move(args);
            m.hasArgs = true;
            return e;
        }
        const Pos p = e->pos;
        auto ix = std::make_unique<IndexExpr>(p, std::move(e));
        ix->args = std::move(args);
        return ix;
    }

    ExprPtr parseChain(std::size_t stopAt, std::size_t* lastParen) {
        const Token& t = cur();
        ExprPtr head;
        const Pos p = here();
        if (t.type == Tok::Dot) {
            advance();
            head = std::make_unique<MemberExpr>(p, nullptr, expectMemberName());
        } else if (t.is(Kw::Me)) {
            advance();
            head = std::make_unique<MeExpr>(p);
        } else if (t.isName()) {
            advance();
            head = std::make_unique<IdentExpr>(p, t.text);
        } else {
            fail(err::ExpectedStatement);
        }
        return parsePostfix(std::move(head), stopAt, lastParen);
    }

    ArgList parseBareArgs() {
        ArgList out;
        if (endAhead()) return out;
        for (;;) {
            if (cur().type == Tok::Comma) out.push_back(nullptr);
            else out.push_back(parseExpr());
            if (!accept(Tok::Comma)) break;
            if (endAhead()) {
                out.push_back(nullptr);
                break;
            }
        }
        return out;
    }

    void parseCall(Block& out) {
        const Pos p = here();
        advance();
        if (cur().is(Kw::Erase) && peek().type == Tok::LParen) {
            // "Call Erase(a)" erases a.
            auto st = std::make_unique<EraseStmt>(p);
            advance();
            const Token& open = cur();
            ArgList args = parseParenArgs();
            if (args.empty() || !args[0]) failAt(err::ExpectedIdentifier, open);
            st->count = args.size();
            st->var = std::move(args[0]);
            endStatement();
            out.push_back(std::move(st));
            return;
        }
        ExprPtr chain = parsePostfix(parsePrimary(), kNone, nullptr);
        if (chain->kind == ExprKind::Paren) chain = std::move(static_cast<ParenExpr&>(*chain).inner);
        if (!isAssignable(*chain)) failAt(err::ExpectedIdentifier, toks_[i_]);
        endStatement();
        out.push_back(callStatement(p, std::move(chain)));
    }

    void parseSet(Block& out) {
        const Pos p = here();
        advance();
        // "Set ((obj)) = x" sets obj; "Set (1) = x" compiles and fails when run.
        const bool parenthesized = cur().type == Tok::LParen;
        ExprPtr target = parenthesized ? parsePostfix(parsePrimary(), kNone, nullptr) : parseChain(kNone, nullptr);
        while (target->kind == ExprKind::Paren) target = std::move(static_cast<ParenExpr&>(*target).inner);
        if (!parenthesized && !isAssignable(*target)) fail(err::ExpectedIdentifier);
        expect(Tok::Eq, err::ExpectedAssign);
        auto st = std::make_unique<AssignStmt>(p);
        st->target = std::move(target);
        st->value = parseExpr();
        st->isSet = true;
        endStatement();
        out.push_back(std::move(st));
    }

    std::int32_t parseIntegerConstant() {
        const bool negative = accept(Tok::Minus);
        const Token& t = cur();
        if (t.type != Tok::Number) fail(err::ExpectedIntegerConstant);
        const auto vt = t.value.type();
        if (vt != automation::VarType::Integer && vt != automation::VarType::Long) fail(err::ExpectedIntegerConstant);
        const std::int64_t v = automation::toInt32(t.value);
        advance();
        return std::int32_t(negative ? -v : v);
    }

    void parseVarList(std::vector<VarDecl>& out, bool isPublic) {
        do {
            VarDecl d;
            d.pos = here();
            d.name = expectName();
            d.isPublic = isPublic;
            if (accept(Tok::LParen)) {
                d.isArray = true;
                if (!accept(Tok::RParen)) {
                    do d.bounds.push_back(parseIntegerConstant());
                    while (accept(Tok::Comma));
                    expect(Tok::RParen, err::ExpectedRParen);
                }
            }
            out.push_back(std::move(d));
        } while (accept(Tok::Comma));
    }

    Variant parseConstValue() {
        int sign = 1;
        bool signed_ = false;
        for (;;) {
            if (accept(Tok::Minus)) sign = -sign, signed_ = true;
            else if (accept(Tok::Plus)) signed_ = true;
            else break;
        }
        const Token& t = cur();
        Variant v;
        if (t.type == Tok::Number) {
            v = t.value;
            if (sign < 0) {
                if (v.type() == automation::VarType::Double) v = Variant(-v.doubleValue());
                else v = Variant::integerLiteral(-std::int64_t(automation::toInt32(v)));
            }
        } else if (signed_) {
            fail(err::ExpectedLiteralConstant);
        } else if (t.type == Tok::String) {
            v = Variant(t.text);
        } else if (t.type == Tok::Date) {
            v = t.value;
        } else if (t.is(Kw::True) || t.is(Kw::False)) {
            v = Variant(t.is(Kw::True));
        } else if (t.is(Kw::Empty)) {
            v = Variant();
        } else if (t.is(Kw::Null)) {
            v = Variant::null();
        } else if (t.is(Kw::Nothing)) {
            v = Variant::nothing();
        } else {
            fail(err::ExpectedLiteralConstant);
        }
        advance();
        return v;
    }

    void parseConst(bool isPublic) {
        if (class_ && !proc_) fail(err::ExpectedStatement);
        do {
            ConstDecl c;
            c.pos = here();
            c.name = expectName();
            c.isPublic = isPublic;
            expect(Tok::Eq, err::ExpectedAssign);
            c.value = parseConstValue();
            (proc_ ? proc_->consts : unit_->consts).push_back(std::move(c));
        } while (accept(Tok::Comma));
        endStatement();
    }

    // Variables of the unit. An array is made when its statement runs, so it gets one in `out`.
    void parseUnitVars(Block& out, bool isPublic) {
        const std::size_t first = unit_->dims.size();
        parseVarList(unit_->dims, isPublic);
        for (std::size_t i = first; i < unit_->dims.size(); ++i) {
            const VarDecl& d = unit_->dims[i];
            if (!d.isArray) continue;
            auto st = std::make_unique<DimStmt>(d.pos);
            st->var = std::make_unique<IdentExpr>(d.pos, d.name);
            st->bounds = d.bounds;
            out.push_back(std::move(st));
        }
    }

    // Public / Private: variables, constants or procedures. `out` is the block of a statement
    // outside classes.
    void parseModified(Block* out) {
        const Token& first = cur();
        const bool isPublic = first.is(Kw::Public);
        advance();
        if (proc_) failAt(err::ExpectedStatement, first);
        bool isDefault = false;
        if (cur().is(Kw::Default) &&
            (peek().is(Kw::Sub) || peek().is(Kw::Function) || peek().is(Kw::Property))) {
            if (!class_) fail(err::MustBeInsideClass);
            if (!isPublic) fail(err::DefaultMustBePublic);
            isDefault = true;
            advance();
        }
        noBlockInSingleLine();
        // "Property" followed by a name declares a property (a bad kind word fails there);
        // followed by "," or the end it is a variable called Property.
        if (cur().is(Kw::Sub) || cur().is(Kw::Function) || (cur().is(Kw::Property) && peek().type == Tok::Ident)) {
            parseProc(isPublic, isDefault);
            return;
        }
        if (accept(Kw::Const)) {
            parseConst(isPublic);
            return;
        }
        if (class_) parseVarList(class_->fields, isPublic);
        else parseUnitVars(*out, isPublic);
        endStatement();
    }

    void parseProc(bool isPublic, bool isDefault) {
        const Pos p = here();
        auto def = std::make_shared<ProcDef>();
        const Token& kwTok = cur();
        if (accept(Kw::Sub)) {
            def->kind = ProcKind::Sub;
        } else if (accept(Kw::Function)) {
            def->kind = ProcKind::Function;
        } else {
            expect(Kw::Property, err::ExpectedStatement);
            if (accept(Kw::Get)) def->kind = ProcKind::PropertyGet;
            else if (accept(Kw::Let)) def->kind = ProcKind::PropertyLet;
            else if (accept(Kw::Set)) def->kind = ProcKind::PropertySet;
            else fail(err::ExpectedLetSetGet);
            if (!class_) failAt(err::MustBeInsideClass, kwTok);
        }
        if (proc_) failAt(err::ExpectedStatement, kwTok);
        def->pos = p;
        def->name = expectName();
        def->isPublic = isPublic;
        def->isDefault = isDefault;
        def->source = unit_->source;
        if (accept(Tok::LParen)) {
            if (!accept(Tok::RParen)) {
                do {
                    ParamDecl pd;
                    if (accept(Kw::ByVal)) pd.byVal = true;
                    else accept(Kw::ByRef);
                    pd.name = expectName();
                    if (accept(Tok::LParen)) {
                        expect(Tok::RParen, err::ExpectedRParen);
                        pd.isArray = true;
                    }
                    def->params.push_back(std::move(pd));
                } while (accept(Tok::Comma));
                expect(Tok::RParen, err::ExpectedRParen);
            }
        }
        if ((def->kind == ProcKind::PropertyLet || def->kind == ProcKind::PropertySet) && def->params.empty())
            failAt(err::PropertyNeedsArgument, kwTok);
        if (isDefault && (def->kind == ProcKind::PropertyLet || def->kind == ProcKind::PropertySet))
            failAt(err::DefaultOnlyOnPropertyGet, kwTok);

        ProcDef* const savedProc = proc_;
        const int savedDo = doDepth_, savedFor = forDepth_;
        proc_ = def.get();
        doDepth_ = forDepth_ = 0;
        parseBlock(def->body);
        if (!cur().is(Kw::End)) unexpectedTerminator(err::ExpectedEnd);
        advance();
        switch (def->kind) {
        case ProcKind::Sub: expect(Kw::Sub, err::ExpectedSub); break;
        case ProcKind::Function: expect(Kw::Function, err::ExpectedFunction); break;
        default: expect(Kw::Property, err::ExpectedProperty); break;
        }
        proc_ = savedProc;
        doDepth_ = savedDo;
        forDepth_ = savedFor;
        endStatement();
        if (class_) class_->procs.push_back(std::move(def));
        else unit_->procs.push_back(std::move(def));
    }

    void parseClass() {
        const Token& kwTok = cur();
        advance();
        if (proc_ || class_) failAt(err::ExpectedStatement, kwTok);
        auto cls = std::make_shared<ClassDef>();
        cls->pos = here();
        cls->name = expectName();
        cls->source = unit_->source;
        class_ = cls.get();
        for (;;) {
            skipSeparators();
            const Token& t = cur();
            if (t.is(Kw::End)) {
                advance();
                expect(Kw::Class, err::ExpectedClass);
                break;
            }
            if (t.type == Tok::Eof) fail(err::ExpectedEnd);
            if (t.is(Kw::Public) || t.is(Kw::Private)) {
                parseModified(nullptr);
            } else if (t.is(Kw::Dim)) {
                advance();
                parseVarList(cls->fields, true);
                endStatement();
            } else if (t.is(Kw::Sub) || t.is(Kw::Function) || t.is(Kw::Property)) {
                parseProc(true, false);
            } else if (t.is(Kw::Default)) {
                fail(err::DefaultMustBePublic);
            } else {
                fail(err::ExpectedStatement);
            }
        }
        class_ = nullptr;
        endStatement();
        unit_->classes.push_back(std::move(cls));
    }

    void parseSingleLine(Block& out) {
        for (;;) {
            while (cur().type == Tok::Colon) advance();
            const Token& t = cur();
            if (t.type == Tok::Newline || t.type == Tok::Eof || t.is(Kw::Else) || t.is(Kw::End)) return;
            parseStatement(out);
        }
    }

    void parseIf(Block& out) {
        const Pos p = here();
        advance();
        auto st = std::make_unique<IfStmt>(p);
        IfStmt::Branch first;
        first.cond = parseExpr();
        expect(Kw::Then, err::ExpectedThen);
        if (cur().type != Tok::Newline && cur().type != Tok::Eof) {
            ++singleLine_;
            parseSingleLine(first.body);
            st->branches.push_back(std::move(first));
            if (accept(Kw::Else)) parseSingleLine(st->elseBody);
            --singleLine_;
            if (cur().is(Kw::End) && peek().is(Kw::If)) {
                advance();
                advance();
            }
            endStatement();
            out.push_back(std::move(st));
            return;
        }
        noBlockInSingleLine();
        parseBlock(first.body);
        st->branches.push_back(std::move(first));
        for (;;) {
            if (accept(Kw::ElseIf)) {
                IfStmt::Branch b;
                b.cond = parseExpr();
                expect(Kw::Then, err::ExpectedThen);
                parseBlock(b.body);
                st->branches.push_back(std::move(b));
                continue;
            }
            if (accept(Kw::Else)) {
                parseBlock(st->elseBody);
                if (!cur().is(Kw::End)) unexpectedTerminator(err::ExpectedEnd);
            }
            if (!cur().is(Kw::End)) unexpectedTerminator(err::ExpectedEnd);
            advance();
            expect(Kw::If, err::ExpectedIf);
            break;
        }
        endStatement();
        out.push_back(std::move(st));
    }

    void parseDo(Block& out) {
        const Pos p = here();
        advance();
        auto st = std::make_unique<LoopStmt>(p);
        if (accept(Kw::While)) {
            st->test = LoopStmt::PreWhile;
            st->cond = parseExpr();
        } else if (accept(Kw::Until)) {
            st->test = LoopStmt::PreUntil;
            st->cond = parseExpr();
        } else if (!endAhead()) {
            fail(err::ExpectedWhileUntilEos);
        }
        ++doDepth_;
        parseBlock(st->body);
        --doDepth_;
        if (!cur().is(Kw::Loop)) {
            if (cur().is(Kw::Next)) fail(err::UnexpectedNext);
            fail(err::ExpectedLoop);
        }
        advance();
        if (cur().is(Kw::While) || cur().is(Kw::Until)) {
            if (st->test != LoopStmt::None) fail(err::ExpectedEndOfStatement);
            st->test = accept(Kw::While) ? LoopStmt::PostWhile : (advance(), LoopStmt::PostUntil);
            st->cond = parseExpr();
        } else if (!endAhead()) {
            fail(err::ExpectedWhileUntilEos);
        }
        endStatement();
        out.push_back(std::move(st));
    }

    void parseWhile(Block& out) {
        const Pos p = here();
        advance();
        auto st = std::make_unique<LoopStmt>(p);
        st->isWhileWend = true;
        st->test = LoopStmt::PreWhile;
        st->cond = parseExpr();
        parseBlock(st->body);
        if (!cur().is(Kw::Wend)) unexpectedTerminator(err::ExpectedWend);
        advance();
        endStatement();
        out.push_back(std::move(st));
    }

    void parseFor(Block& out) {
        const Pos p = here();
        advance();
        if (accept(Kw::Each)) {
            auto st = std::make_unique<ForEachStmt>(p);
            const Pos vp = here();
            st->var = std::make_unique<IdentExpr>(vp, expectName());
            expect(Kw::In, err::ExpectedIn);
            st->collection = parseExpr();
            ++forDepth_;
            parseBlock(st->body);
            --forDepth_;
            if (!cur().is(Kw::Next)) unexpectedTerminator(err::ExpectedNext);
            advance();
            endStatement();
            out.push_back(std::move(st));
            return;
        }
        auto st = std::make_unique<ForStmt>(p);
        const Pos vp = here();
        st->var = std::make_unique<IdentExpr>(vp, expectName());
        if (cur().type == Tok::LParen || cur().type == Tok::Dot) fail(err::InvalidForVariable);
        expect(Tok::Eq, err::ExpectedAssign);
        st->from = parseExpr();
        expect(Kw::To, err::ExpectedTo);
        st->to = parseExpr();
        if (accept(Kw::Step)) st->step = parseExpr();
        ++forDepth_;
        parseBlock(st->body);
        --forDepth_;
        if (!cur().is(Kw::Next)) {
            if (cur().is(Kw::Loop)) fail(err::LoopWithoutDo);
            fail(err::ExpectedNext);
        }
        advance();
        endStatement();
        out.push_back(std::move(st));
    }

    static bool comparisonOp(const Token& t, BinaryOp& op) {
        switch (t.type) {
        case Tok::Eq: op = BinaryOp::Eq; return true;
        case Tok::Ne: op = BinaryOp::Ne; return true;
        case Tok::Lt: op = BinaryOp::Lt; return true;
        case Tok::Gt: op = BinaryOp::Gt; return true;
        case Tok::Le: op = BinaryOp::Le; return true;
        case Tok::Ge: op = BinaryOp::Ge; return true;
        default: return false;
        }
    }

    void parseSelect(Block& out) {
        const Pos p = here();
        advance();
        expect(Kw::Case, err::ExpectedCase);
        auto st = std::make_unique<SelectStmt>(p);
        st->test = parseExpr();
        endStatement();
        for (;;) {
            skipSeparators();
            if (cur().is(Kw::End)) {
                advance();
                expect(Kw::Select, err::ExpectedSelect);
                break;
            }
            if (!cur().is(Kw::Case) || st->hasElse) {
                if (cur().type == Tok::Eof || st->hasElse) unexpectedTerminator(err::ExpectedEnd);
                unexpectedTerminator(err::ExpectedCase);
            }
            SelectStmt::Case c;
            c.pos = here();
            advance();
            if (accept(Kw::Else)) {
                st->hasElse = true;
                parseBlock(st->elseBody);
                continue;
            }
            do {
                SelectStmt::Item item;
                if (accept(Kw::Is)) {
                    if (!comparisonOp(cur(), item.op)) fail(err::SyntaxError);
                    advance();
                    item.kind = SelectStmt::Item::Compare;
                    item.a = parseExpr();
                } else {
                    item.a = parseExpr();
                    if (accept(Kw::To)) {
                        item.kind = SelectStmt::Item::Range;
                        item.b = parseExpr();
                    }
                }
                c.items.push_back(std::move(item));
            } while (accept(Tok::Comma));
            parseBlock(c.body);
            st->cases.push_back(std::move(c));
        }
        endStatement();
        out.push_back(std::move(st));
    }

    void parseWith(Block& out) {
        const Pos p = here();
        advance();
        auto st = std::make_unique<WithStmt>(p);
        st->object = parseExpr();
        parseBlock(st->body);
        if (!cur().is(Kw::End)) unexpectedTerminator(err::ExpectedEnd);
        advance();
        expect(Kw::With, err::ExpectedWith);
        endStatement();
        out.push_back(std::move(st));
    }

    void parseExit(Block& out) {
        const Pos p = here();
        advance();
        ExitStmt::What what;
        const bool inProc = proc_ != nullptr;
        if (cur().is(Kw::Do)) {
            if (doDepth_ == 0) fail(err::InvalidExit);
            what = ExitStmt::Do;
        } else if (cur().is(Kw::For)) {
            if (forDepth_ == 0) fail(err::InvalidExit);
            what = ExitStmt::For;
        } else if (cur().is(Kw::Sub)) {
            if (!inProc || proc_->kind != ProcKind::Sub) fail(err::InvalidExit);
            what = ExitStmt::Sub;
        } else if (cur().is(Kw::Function)) {
            if (!inProc || proc_->kind != ProcKind::Function) fail(err::InvalidExit);
            what = ExitStmt::Function;
        } else if (cur().is(Kw::Property)) {
            if (!inProc || proc_->kind == ProcKind::Sub || proc_->kind == ProcKind::Function) fail(err::InvalidExit);
            what = ExitStmt::Property;
        } else {
            fail(err::InvalidExit);
        }
        advance();
        endStatement();
        out.push_back(std::make_unique<ExitStmt>(p, what));
    }

    void parseOnError(Block& out) {
        const Pos p = here();
        advance();
        expect(Kw::Error, err::SyntaxError);
        bool resume;
        if (accept(Kw::Resume)) {
            expect(Kw::Next, err::SyntaxError);
            resume = true;
        } else if (accept(Kw::GoTo)) {
            const Token& t = cur();
            if (t.type != Tok::Number || !(t.value == Variant(std::int16_t(0)))) fail(err::SyntaxError);
            advance();
            resume = false;
        } else {
            fail(err::SyntaxError);
        }
        endStatement();
        out.push_back(std::make_unique<OnErrorStmt>(p, resume));
    }

    void parseReDim(Block& out) {
        const Pos p = here();
        advance();
        auto st = std::make_unique<ReDimStmt>(p);
        st->preserve = accept(Kw::Preserve);
        do {
            ReDimStmt::Item item;
            const Pos vp = here();
            item.var = std::make_unique<IdentExpr>(vp, expectName());
            expect(Tok::LParen, err::ExpectedLParen);
            do item.bounds.push_back(parseExpr());
            while (accept(Tok::Comma));
            expect(Tok::RParen, err::ExpectedRParen);
            st->items.push_back(std::move(item));
        } while (accept(Tok::Comma));
        endStatement();
        out.push_back(std::move(st));
    }

    void parseErase(Block& out) {
        const Pos p = here();
        advance();
        auto st = std::make_unique<EraseStmt>(p);
        // "Erase 5" compiles; erasing what is no variable fails when run.
        const Tok t = cur().type;
        if (!cur().isName() && t != Tok::LParen && t != Tok::Number && t != Tok::String && t != Tok::Date &&
            t != Tok::Minus && t != Tok::Plus)
            fail(err::ExpectedIdentifier);
        st->var = parseExpr();
        while (accept(Tok::Comma)) {
            parseExpr();
            ++st->count;
        }
        endStatement();
        out.push_back(std::move(st));
    }

    // ---- Expressions ----

    ExprPtr parseExpr() {
        Nest nest(*this);
        return parseBinary(1);
    }

    static int binaryPrecedence(const Token& t, BinaryOp& op) {
        switch (t.type) {
        case Tok::Caret: op = BinaryOp::Pow; return 13;
        case Tok::Star: op = BinaryOp::Mul; return 12;
        case Tok::Slash: op = BinaryOp::Div; return 12;
        case Tok::Backslash: op = BinaryOp::IntDiv; return 11;
        case Tok::Plus: op = BinaryOp::Add; return 9;
        case Tok::Minus: op = BinaryOp::Sub; return 9;
        case Tok::Amp: op = BinaryOp::Concat; return 8;
        case Tok::Eq: op = BinaryOp::Eq; return 7;
        case Tok::Ne: op = BinaryOp::Ne; return 7;
        case Tok::Lt: op = BinaryOp::Lt; return 7;
        case Tok::Gt: op = BinaryOp::Gt; return 7;
        case Tok::Le: op = BinaryOp::Le; return 7;
        case Tok::Ge: op = BinaryOp::Ge; return 7;
        case Tok::Ident:
            switch (t.kw) {
            case Kw::Mod: op = BinaryOp::Mod; return 10;
            case Kw::Is: op = BinaryOp::Is; return 7;
            case Kw::And: op = BinaryOp::And; return 5;
            case Kw::Or: op = BinaryOp::Or; return 4;
            case Kw::Xor: op = BinaryOp::Xor; return 3;
            case Kw::Eqv: op = BinaryOp::Eqv; return 2;
            case Kw::Imp: op = BinaryOp::Imp; return 1;
            default: return 0;
            }
        default:
            return 0;
        }
    }

    ExprPtr parseBinary(int minPrec) {
        ExprPtr lhs = parseUnary();
        for (;;) {
            BinaryOp op{};
            const int prec = binaryPrecedence(cur(), op);
            if (prec == 0 || prec < minPrec) return lhs;
            const Pos p = here();
            advance();
            if (++operators_ > lim_.maxOperators) fail(err::OutOfStackSpace);
            ExprPtr rhs = parseBinary(prec + 1);
            lhs = std::make_unique<BinaryExpr>(p, op, std::move(lhs), std::move(rhs));
        }
    }

    // Negation binds tighter than "^" in VBScript (-3^2 is 9); Not is below the comparisons.
    ExprPtr parseUnary() {
        Nest nest(*this);
        const Pos p = here();
        if (accept(Tok::Minus)) {
            if (++operators_ > lim_.maxOperators) fail(err::OutOfStackSpace);
            return std::make_unique<UnaryExpr>(p, UnaryOp::Neg, parseUnary());
        }
        if (accept(Tok::Plus)) return std::make_unique<UnaryExpr>(p, UnaryOp::Plus, parseUnary());
        if (accept(Kw::Not)) {
            if (++operators_ > lim_.maxOperators) fail(err::OutOfStackSpace);
            return std::make_unique<UnaryExpr>(p, UnaryOp::Not, parseBinary(7));
        }
        return parsePostfix(parsePrimary(), kNone, nullptr);
    }

    ExprPtr parsePrimary() {
        const Token& t = cur();
        const Pos p = here();
        switch (t.type) {
        case Tok::Number:
        case Tok::Date: {
            ExprPtr e = std::make_unique<LiteralExpr>(p, t.value);
            advance();
            return e;
        }
        case Tok::String: {
            ExprPtr e = std::make_unique<LiteralExpr>(p, Variant(t.text));
            advance();
            return e;
        }
        case Tok::LParen: {
            advance();
            ExprPtr inner = parseExpr();
            expect(Tok::RParen, err::ExpectedRParen);
            return std::make_unique<ParenExpr>(p, std::move(inner));
        }
        case Tok::Dot:
            advance();
            return std::make_unique<MemberExpr>(p, nullptr, expectMemberName());
        case Tok::Ident:
            switch (t.kw) {
            case Kw::True: advance(); return std::make_unique<LiteralExpr>(p, Variant(true));
            case Kw::False: advance(); return std::make_unique<LiteralExpr>(p, Variant(false));
            case Kw::Empty: advance(); return std::make_unique<LiteralExpr>(p, Variant());
            case Kw::Null: advance(); return std::make_unique<LiteralExpr>(p, Variant::null());
            case Kw::Nothing: advance(); return std::make_unique<LiteralExpr>(p, Variant::nothing());
            case Kw::Me: advance(); return std::make_unique<MeExpr>(p);
            case Kw::New: {
                advance();
                return std::make_unique<NewExpr>(p, expectName());
            }
            default:
                // A reserved word where a value belongs stops the compiler as a symbol would
                // (Eval("Dim v") is a syntax error).
                if (!t.isName()) throw CompileError(err::ExpectedExpression, t.line, t.column, true);
                advance();
                return std::make_unique<IdentExpr>(p, t.text);
            }
        default:
            fail(err::ExpectedExpression);
        }
    }

    ExprPtr parsePostfix(ExprPtr e, std::size_t stopAt, std::size_t* lastParen) {
        for (;;) {
            if (i_ == stopAt) break;
            // "Print .x" passes the With member .x: a blank before the dot ends the chain, unless
            // no name follows the dot to make such a member.
            if (cur().type == Tok::Dot && !(cur().spaceBefore && !cur().joined && peek().type == Tok::Ident)) {
                const Pos p = here();
                advance();
                e = std::make_unique<MemberExpr>(p, std::move(e), expectMemberName());
                if (lastParen) *lastParen = kNone;
                continue;
            }
            if (cur().type == Tok::LParen) {
                const std::size_t at = i_;
                e = unwrapCallee(std::move(e));
                ArgList args = parseParenArgs();
                if (e->kind == ExprKind::Ident && !static_cast<IdentExpr&>(*e).hasArgs) {
                    auto& id = static_cast<IdentExpr&>(*e);
                    id.args = std::move(args);
                    id.hasArgs = true;
                } else if (e->kind == ExprKind::Member && !static_cast<MemberExpr&>(*e).hasArgs) {
                    auto& m = static_cast<MemberExpr&>(*e);
                    m.args = std::move(args);
                    m.hasArgs = true;
                } else {
                    auto ix = std::make_unique<IndexExpr>(Pos{toks_[at].line, toks_[at].column}, std::move(e));
                    ix->args = std::move(args);
                    e = std::move(ix);
                }
                if (lastParen) *lastParen = at;
                continue;
            }
            break;
        }
        return e;
    }

    // "(f)(x)" and "((f))(x)" call f with x, as "f(x)" does.
    static ExprPtr unwrapCallee(ExprPtr e) {
        const Expr* inner = e.get();
        while (inner->kind == ExprKind::Paren) inner = static_cast<const ParenExpr*>(inner)->inner.get();
        const bool name = (inner->kind == ExprKind::Ident && !static_cast<const IdentExpr*>(inner)->hasArgs) ||
                          (inner->kind == ExprKind::Member && !static_cast<const MemberExpr*>(inner)->hasArgs);
        if (inner == e.get() || !name) return e;
        while (e->kind == ExprKind::Paren) e = std::move(static_cast<ParenExpr&>(*e).inner);
        return e;
    }

    ArgList parseParenArgs() {
        Nest nest(*this);
        expect(Tok::LParen, err::ExpectedLParen);
        ArgList out;
        if (accept(Tok::RParen)) return out;
        for (;;) {
            if (cur().type == Tok::Comma || cur().type == Tok::RParen) out.push_back(nullptr);
            else out.push_back(parseExpr());
            if (accept(Tok::Comma)) continue;
            expect(Tok::RParen, err::ExpectedRParen);
            return out;
        }
    }

    std::vector<Token> toks_;
    std::size_t i_ = 0;
    ParseLimits lim_;
    Unit* unit_ = nullptr;
    ProcDef* proc_ = nullptr;
    ClassDef* class_ = nullptr;
    int doDepth_ = 0;
    int forDepth_ = 0;
    int singleLine_ = 0;
    int depth_ = 0;
    int operators_ = 0;
};

}  // namespace

std::unique_ptr<Unit> parseUnit(std::shared_ptr<const SourceText> source, const ParseLimits& limits) {
    Parser p(tokenize(*source), limits);
    return p.unit(std::move(source));
}

ExprPtr parseExpressionText(const SourceText& source, const ParseLimits& limits) {
    Parser p(tokenize(source), limits);
    return p.standalone();
}

}  // namespace vt::vbscript
