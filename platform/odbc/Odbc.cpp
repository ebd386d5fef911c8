#include "platform/odbc/Odbc.h"

#include "platform/odbc/TextForms.h"
#include "platform/text/Text.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vt::odbc {

using detail::generalDate;
using detail::generalDecimal;
using detail::generalNumber;
using detail::hex;
using detail::isAscii;
using detail::oneLine;

namespace {

struct Env {
    SQLHENV h = SQL_NULL_HENV;
    Env() {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h))) {
            h = SQL_NULL_HENV;
            return;
        }
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~Env() {
        if (h) SQLFreeHandle(SQL_HANDLE_ENV, h);
    }
    Env(const Env&) = delete;
    Env& operator=(const Env&) = delete;
};

std::string fromDriver(const SQLCHAR* s, SQLSMALLINT length) {
    if (length < 0) length = 0;
    return text::utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(s), std::size_t(length)));
}

[[noreturn]] void fail(SQLSMALLINT type, SQLHANDLE handle, std::string_view what) {
    std::string message, state;
    long number = 0;
    SQLCHAR sqlState[6];
    SQLCHAR buffer[SQL_MAX_MESSAGE_LENGTH + 1];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1; handle && i <= 8; ++i) {
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, i, sqlState, &native, buffer, sizeof buffer, &length))) break;
        // The first record that is not a warning names the failure.
        if (state.empty() || state.rfind("01", 0) == 0) {
            state.assign(reinterpret_cast<const char*>(sqlState), 5);
            number = native;
        }
        if (!message.empty()) message += ' ';
        message += oneLine(fromDriver(buffer, std::min<SQLSMALLINT>(length, SQL_MAX_MESSAGE_LENGTH)));
    }
    if (message.empty()) message = std::string(what) + " failed";
    throw Error(number, state, message);
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, std::string_view what) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) fail(type, handle, what);
}

bool needsBraces(std::string_view v) {
    if (v.empty()) return false;
    if (v.front() == ' ' || v.back() == ' ') return true;
    return v.find_first_of(";{}=") != std::string_view::npos;
}

}  // namespace

// ---- Lists ----

std::vector<DataSource> dataSources() {
    std::vector<DataSource> out;
    Env env;
    if (!env.h) return out;
    SQLCHAR name[1024], description[1024];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        const SQLRETURN rc = SQLDataSources(env.h, direction, name, sizeof name, &nameLength, description,
                                            sizeof description, &descriptionLength);
        if (!SQL_SUCCEEDED(rc)) break;
        direction = SQL_FETCH_NEXT;
        DataSource d{fromDriver(name, std::min<SQLSMALLINT>(nameLength, 1023)),
                     fromDriver(description, std::min<SQLSMALLINT>(descriptionLength, 1023))};
        if (!text::trim(d.name).empty()) out.push_back(std::move(d));
    }
    return out;
}

std::vector<std::string> drivers() {
    std::vector<std::string> out;
    Env env;
    if (!env.h) return out;
    SQLCHAR description[1024], attributes[4096];
    SQLSMALLINT descriptionLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env.h, direction, description, sizeof description, &descriptionLength, attributes,
                                    sizeof attributes, &attributesLength))) {
        direction = SQL_FETCH_NEXT;
        out.push_back(fromDriver(description, std::min<SQLSMALLINT>(descriptionLength, 1023)));
    }
    return out;
}

bool isBraced(std::string_view v) {
    if (v.size() < 2 || v.front() != '{' || v.back() != '}') return false;
    const std::string_view inner = v.substr(1, v.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i)
        if (inner[i] == '}') {
            if (i + 1 >= inner.size() || inner[i + 1] != '}') return false;
            ++i;
        }
    return true;
}

std::string attribute(std::string_view key, std::string_view value) {
    std::string out(key);
    out += '=';
    if (!needsBraces(value)) {
        out += value;
    } else {
        out += '{';
        for (char c : value) {
            out += c;
            if (c == '}') out += '}';
        }
        out += '}';
    }
    out += ';';
    return out;
}

// ---- Types ----

int adoTypeOf(int t) {
    switch (t) {
    case SQL_CHAR: return 129;
    case SQL_VARCHAR: return 200;
    case SQL_LONGVARCHAR: return 201;
    case SQL_WCHAR: return 130;
    case SQL_WVARCHAR: return 202;
    case SQL_WLONGVARCHAR: return 203;
    case SQL_NUMERIC: case SQL_DECIMAL: return 131;
    case SQL_SMALLINT: return 2;
    case SQL_INTEGER: return 3;
    case SQL_TINYINT: return 16;
    case SQL_BIGINT: return 20;
    case SQL_REAL: return 4;
    case SQL_FLOAT: case SQL_DOUBLE: return 5;
    case SQL_BIT: return 11;
    case SQL_TYPE_DATE: case SQL_DATE: return 133;
    case SQL_TYPE_TIME: case SQL_TIME: return 134;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: return 135;
    case SQL_BINARY: return 128;
    case SQL_VARBINARY: return 204;
    case SQL_LONGVARBINARY: return 205;
    case SQL_GUID: return 72;
    default: return 200;
    }
}

std::int64_t adoSizeOf(int t, std::int64_t columnSize) {
    switch (adoTypeOf(t)) {
    case 2: return 2;
    case 3: return 4;
    case 16: return 1;
    case 20: return 8;
    case 4: return 4;
    case 5: return 8;
    case 11: return 2;
    case 133: return 6;
    case 134: return 6;
    case 135: return 16;
    case 72: return 16;
    case 131: return 19;
    default: return std::clamp<std::int64_t>(columnSize, 0, INT_MAX);
    }
}

// ---- Result ----

namespace {

// Bound buffers: how much of a row block may take, and the widest text value read in place
// (longer ones are read again in pieces).
constexpr std::size_t kBlockBytes = 1 << 20;
constexpr std::size_t kMaxBlockRows = 256;
constexpr SQLLEN kWidestInPlace = 1024;

struct Binding {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLLEN width = 0;
    std::vector<char> data;
    std::vector<SQLLEN> indicator;
};

}  // namespace

struct Result::Handle {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    Canceller* canceller = nullptr;
    std::vector<Binding> bindings;   // empty: values are read with SQLGetData
    SQLULEN blockRows = 1, fetched = 0, position = 0;
    std::vector<SQLUSMALLINT> status;
    bool statusKnown = false;
    ~Handle() {
        if (canceller) canceller->detach();
        if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
};

Result::Result(Result&&) noexcept = default;
Result& Result::operator=(Result&&) noexcept = default;
Result::~Result() = default;

void Result::describe() {
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(h_->stmt, &count), SQL_HANDLE_STMT, h_->stmt, "SQLNumResultCols");
    if (count <= 0) {
        SQLLEN rows = -1;
        if (SQL_SUCCEEDED(SQLRowCount(h_->stmt, &rows))) rowsAffected_ = rows;
        return;
    }
    columns_.reserve(std::size_t(count));
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(count); ++i) {
        SQLCHAR name[512];
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeCol(h_->stmt, i, name, sizeof name, &nameLength, &type, &size, &digits, &nullable),
              SQL_HANDLE_STMT, h_->stmt, "SQLDescribeCol");
        Column c;
        c.name = fromDriver(name, std::min<SQLSMALLINT>(nameLength, 511));
        c.sqlType = type;
        c.adoType = adoTypeOf(type);
        c.size = adoSizeOf(type, std::int64_t(std::min<SQLULEN>(size, SQLULEN(INT_MAX))));
        if (c.adoType == 131) {
            c.precision = int(std::clamp<SQLULEN>(size, 0, 255));
            c.scale = std::clamp<int>(digits, 0, 255);
        }
        columns_.push_back(std::move(c));
    }
}

// Binds every column to a buffer so that one call hands over many rows. A text value longer
// than its buffer is read again in pieces, which needs SQLGetData on bound columns, and inside a
// block of rows also on any row of the block; drivers without the latter get blocks of one row.
void Result::bind(unsigned long getData) {
    if (!(getData & SQL_GD_BOUND) || columns_.empty()) return;
    std::vector<Binding> bindings(columns_.size());
    std::size_t rowBytes = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        Binding& b = bindings[i];
        switch (c.adoType) {
        case 2: case 3: case 16: case 20: b.cType = SQL_C_SBIGINT; b.width = sizeof(SQLBIGINT); break;
        case 4: case 5: b.cType = SQL_C_DOUBLE; b.width = sizeof(double); break;
        case 11: b.cType = SQL_C_BIT; b.width = 1; break;
        case 133: case 135: b.cType = SQL_C_TYPE_TIMESTAMP; b.width = sizeof(SQL_TIMESTAMP_STRUCT); break;
        case 134: b.cType = SQL_C_TYPE_TIME; b.width = sizeof(SQL_TIME_STRUCT); break;
        case 128: case 204: case 205:
            b.cType = SQL_C_BINARY;
            b.width = std::clamp<SQLLEN>(SQLLEN(c.size), 16, kWidestInPlace);
            break;
        default: {
            // Characters of the declared size in UTF-8, or a decimal's digits, sign and point.
            const SQLLEN characters = c.adoType == 131 ? c.precision + 2 : SQLLEN(c.size);
            b.cType = SQL_C_CHAR;
            b.width = std::clamp<SQLLEN>(characters * 4 + 1, 32, kWidestInPlace);
        }
        }
        rowBytes += std::size_t(b.width) + sizeof(SQLLEN);
    }
    SQLULEN rows = getData & SQL_GD_BLOCK ? std::clamp<std::size_t>(kBlockBytes / rowBytes, 1, kMaxBlockRows) : 1;
    SQLHSTMT st = h_->stmt;
    auto unbind = [&] {
        SQLFreeStmt(st, SQL_UNBIND);
        SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0);
        SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttr(st, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    };
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_BIND_BY_COLUMN)), 0)))
        return;
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0))) rows = 1;
    // A driver may take a smaller block than asked.
    SQLULEN taken = 1;
    if (SQL_SUCCEEDED(SQLGetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, &taken, 0, nullptr)) && taken >= 1 && taken <= rows)
        rows = taken;
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &h_->fetched, 0))) {
        unbind();
        return;
    }
    h_->status.assign(rows, SQL_ROW_SUCCESS);
    h_->statusKnown = SQL_SUCCEEDED(SQLSetStmtAttr(st, SQL_ATTR_ROW_STATUS_PTR, h_->status.data(), 0));
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        Binding& b = bindings[i];
        b.data.resize(std::size_t(b.width) * rows);
        b.indicator.resize(rows);
        if (!SQL_SUCCEEDED(SQLBindCol(st, SQLUSMALLINT(i + 1), b.cType, b.data.data(), b.width, b.indicator.data()))) {
            unbind();
            return;
        }
    }
    h_->blockRows = rows;
    h_->bindings = std::move(bindings);
}

std::size_t Result::blockRows() const { return h_ ? std::size_t(h_->blockRows) : 1; }

bool Result::fetch() {
    if (!h_ || columns_.empty()) return false;
    Handle& h = *h_;
    if (!h.bindings.empty() && h.position + 1 < h.fetched) {
        ++h.position;
        if (h.canceller && h.canceller->cancelled()) h.canceller->raise();
        return true;
    }
    for (;;) {
        if (h.canceller) h.canceller->enter();
        const SQLRETURN rc = SQLFetch(h.stmt);
        if (h.canceller) h.canceller->leave();
        if (rc == SQL_NO_DATA) return false;
        check(rc, SQL_HANDLE_STMT, h.stmt, "SQLFetch");
        if (h.bindings.empty()) return true;
        h.position = 0;
        if (h.statusKnown)
            for (SQLULEN r = 0; r < h.fetched; ++r)
                if (h.status[r] == SQL_ROW_ERROR) fail(SQL_HANDLE_STMT, h.stmt, "SQLFetch");
        if (h.fetched > 0) return true;
    }
}

// The rest of a value that did not fit, or all of it without buffers: text, decimals and
// binaries arrive in pieces of any length.
bool Result::readPieces(std::size_t i, bool binary, std::string& raw) {
    SQLHSTMT st = h_->stmt;
    const SQLUSMALLINT col = SQLUSMALLINT(i + 1);
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    const std::size_t terminator = binary ? 0 : 1;
    raw.clear();
    char chunk[1024];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(st, col, cType, chunk, sizeof chunk, &indicator);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st, "SQLGetData");
        if (indicator == SQL_NULL_DATA) return false;
        std::size_t got = sizeof chunk - terminator;
        if (indicator != SQL_NO_TOTAL && std::size_t(indicator) < got) got = std::size_t(indicator);
        raw.append(chunk, got);
        if (rc == SQL_SUCCESS) break;
    }
    return true;
}

std::optional<std::string> Result::value(std::size_t i) {
    std::string out;
    if (!value(i, out)) return std::nullopt;
    return out;
}

bool Result::value(std::size_t i, std::string& out) {
    out.clear();
    return appendValue(i, out);
}

bool Result::appendValue(std::size_t i, std::string& to) {
    std::string& out = scratch_;
    const Column& c = columns_.at(i);
    Handle& h = *h_;
    const bool bound = !h.bindings.empty();
    SQLLEN indicator = 0;
    const char* cell = nullptr;
    if (bound) {
        const Binding& b = h.bindings[i];
        indicator = b.indicator[h.position];
        if (indicator == SQL_NULL_DATA) return false;
        cell = b.data.data() + std::size_t(b.width) * h.position;
    }
    // A fixed-size value, from its buffer or read now into `target`.
    auto fixed = [&](SQLSMALLINT cType, void* target, SQLLEN length) {
        if (bound) {
            std::memcpy(target, cell, std::size_t(length));
            return true;
        }
        check(SQLGetData(h.stmt, SQLUSMALLINT(i + 1), cType, target, length, &indicator), SQL_HANDLE_STMT, h.stmt,
              "SQLGetData");
        return indicator != SQL_NULL_DATA;
    };
    switch (c.adoType) {
    case 2: case 3: case 16: case 20: {
        SQLBIGINT v = 0;
        if (!fixed(SQL_C_SBIGINT, &v, sizeof v)) return false;
        to += std::to_string(v);
        return true;
    }
    case 4: case 5: {
        double v = 0;
        if (!fixed(SQL_C_DOUBLE, &v, sizeof v)) return false;
        generalNumber(v, out);
        to += out;
        return true;
    }
    case 11: {
        unsigned char v = 0;
        if (!fixed(SQL_C_BIT, &v, sizeof v)) return false;
        to += v ? "True" : "False";
        return true;
    }
    case 134: {
        SQL_TIME_STRUCT t{};
        if (!fixed(SQL_C_TYPE_TIME, &t, sizeof t)) return false;
        generalDate(text::DateTime{1899, 12, 30, t.hour, t.minute, t.second}, out);
        to += out;
        return true;
    }
    case 133: case 135: {
        SQL_TIMESTAMP_STRUCT ts{};
        if (!fixed(SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts)) return false;
        generalDate(text::DateTime{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second}, out);
        to += out;
        return true;
    }
    default:
        break;
    }
    // Drivers hand character data over as UTF-8 (the ANSI drivers of SQLite and PostgreSQL know
    // no wide characters).
    const bool binary = c.adoType == 128 || c.adoType == 204 || c.adoType == 205;
    std::string_view raw;
    if (bound && indicator != SQL_NO_TOTAL && indicator <= h.bindings[i].width - (binary ? 0 : 1)) {
        raw = std::string_view(cell, std::size_t(std::max<SQLLEN>(indicator, 0)));
    } else {
        // Longer than its buffer, or read without one: inside a block the row is made current first.
        if (bound && h.blockRows > 1)
            check(SQLSetPos(h.stmt, SQLSETPOSIROW(h.position + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_HANDLE_STMT,
                  h.stmt, "SQLSetPos");
        if (!readPieces(i, binary, buffer_)) return false;
        raw = buffer_;
    }
    if (binary) {
        to += hex(std::string(raw));
    } else if (c.adoType == 131) {
        to += generalDecimal(std::string(raw));
    } else if (isAscii(raw)) {
        to += raw;
    } else {
        to += text::utf8ToAnsi(raw);
    }
    return true;
}

// ---- Connection ----

struct Connection::Handle {
    Env env;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool open = false;
    SQLUINTEGER getData = 0;   // the driver's SQLGetData extensions
    ~Handle() {
        if (open) SQLDisconnect(dbc);
        if (dbc) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
};

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::open(std::string_view connectionString, int loginTimeoutSeconds) {
    close();
    auto h = std::make_unique<Handle>();
    if (!h->env.h) throw Error(0, "IM004", "The ODBC driver manager could not allocate an environment");
    check(SQLAllocHandle(SQL_HANDLE_DBC, h->env.h, &h->dbc), SQL_HANDLE_ENV, h->env.h, "SQLAllocHandle");
    SQLSetConnectAttr(h->dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds)), 0);
    const std::string utf8 = text::ansiToUtf8(connectionString);
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(h->dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(utf8.c_str())), SQL_NTS, out,
                         sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) fail(SQL_HANDLE_DBC, h->dbc, "SQLDriverConnect");
    h->open = true;
    if (!SQL_SUCCEEDED(SQLGetInfo(h->dbc, SQL_GETDATA_EXTENSIONS, &h->getData, sizeof h->getData, nullptr)))
        h->getData = 0;
    h_ = std::move(h);
}

void Connection::close() { h_.reset(); }

bool Connection::isOpen() const { return h_ && h_->open; }

std::string Connection::dataSourceName() const {
    if (!isOpen()) return {};
    SQLCHAR name[512];
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(h_->dbc, SQL_DATA_SOURCE_NAME, name, sizeof name, &length))) return {};
    return fromDriver(name, std::min<SQLSMALLINT>(length, 511));
}

Result Connection::execute(std::string_view sql, int queryTimeoutSeconds, Canceller* canceller) {
    if (!isOpen()) throw Error(3704, "08003", "Operation is not allowed when the object is closed.");
    Result r;
    r.h_ = std::make_unique<Result::Handle>();
    check(SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &r.h_->stmt), SQL_HANDLE_DBC, h_->dbc, "SQLAllocHandle");
    if (canceller) {
        canceller->attach(r.h_->stmt);
        r.h_->canceller = canceller;
    }
    SQLSetStmtAttr(r.h_->stmt, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);
    const std::string utf8 = text::ansiToUtf8(sql);
    SQLHSTMT st = r.h_->stmt;
    if (canceller) canceller->enter();
    const SQLRETURN rc =
        SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(utf8.c_str())), SQLINTEGER(utf8.size()));
    if (canceller) canceller->leave();
    check(rc, SQL_HANDLE_STMT, st, "SQLExecDirect");
    r.describe();
    r.bind(h_->getData);
    return r;
}

void Connection::setAutoCommit(bool on) {
    if (!isOpen()) throw Error(3704, "08003", "Operation is not allowed when the object is closed.");
    const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    check(SQLSetConnectAttr(h_->dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value), 0), SQL_HANDLE_DBC,
          h_->dbc, "SQLSetConnectAttr");
}

void Connection::commit() {
    if (!isOpen()) throw Error(3704, "08003", "Operation is not allowed when the object is closed.");
    check(SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_COMMIT), SQL_HANDLE_DBC, h_->dbc, "SQLEndTran");
}

void Connection::rollback() {
    if (!isOpen()) return;
    SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_ROLLBACK);
}

std::vector<TypeInfo> Connection::types(int sqlType) {
    if (!isOpen()) throw Error(3704, "08003", "Operation is not allowed when the object is closed.");
    struct Stmt {
        SQLHSTMT h = SQL_NULL_HSTMT;
        ~Stmt() {
            if (h) SQLFreeHandle(SQL_HANDLE_STMT, h);
        }
    } st;
    check(SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &st.h), SQL_HANDLE_DBC, h_->dbc, "SQLAllocHandle");
    check(SQLGetTypeInfo(st.h, SQLSMALLINT(sqlType)), SQL_HANDLE_STMT, st.h, "SQLGetTypeInfo");
    std::vector<TypeInfo> out;
    auto text = [&](SQLUSMALLINT col, std::string& to) {
        SQLCHAR buf[256];
        SQLLEN indicator = 0;
        to.clear();
        if (SQL_SUCCEEDED(SQLGetData(st.h, col, SQL_C_CHAR, buf, sizeof buf, &indicator)) && indicator != SQL_NULL_DATA)
            to = fromDriver(buf, SQLSMALLINT(std::clamp<SQLLEN>(indicator, 0, sizeof buf - 1)));
    };
    auto number = [&](SQLUSMALLINT col, std::int64_t none) -> std::int64_t {
        SQLBIGINT v = 0;
        SQLLEN indicator = 0;
        if (!SQL_SUCCEEDED(SQLGetData(st.h, col, SQL_C_SBIGINT, &v, sizeof v, &indicator)) || indicator == SQL_NULL_DATA)
            return none;
        return v;
    };
    for (;;) {
        const SQLRETURN rc = SQLFetch(st.h);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st.h, "SQLFetch");
        TypeInfo t;
        text(1, t.name);
        t.sqlType = int(number(2, 0));
        t.columnSize = number(3, 0);
        text(6, t.createParams);
        t.maximumScale = int(std::clamp<std::int64_t>(number(15, -1), -1, INT_MAX));
        // Drivers list the types near to the one asked for as well.
        if (t.sqlType == sqlType && !t.name.empty()) out.push_back(std::move(t));
    }
    return out;
}

// ---- Prepared ----

struct Prepared::Handle {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ~Handle() {
        if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
};

Prepared::Prepared() = default;
Prepared::Prepared(Prepared&&) noexcept = default;
Prepared& Prepared::operator=(Prepared&&) noexcept = default;
Prepared::~Prepared() = default;

Prepared Connection::prepare(std::string_view sql, int queryTimeoutSeconds) {
    if (!isOpen()) throw Error(3704, "08003", "Operation is not allowed when the object is closed.");
    Prepared p;
    p.h_ = std::make_unique<Prepared::Handle>();
    check(SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &p.h_->stmt), SQL_HANDLE_DBC, h_->dbc, "SQLAllocHandle");
    SQLSetStmtAttr(p.h_->stmt, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);
    const std::string utf8 = text::ansiToUtf8(sql);
    check(SQLPrepare(p.h_->stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(utf8.c_str())), SQLINTEGER(utf8.size())),
          SQL_HANDLE_STMT, p.h_->stmt, "SQLPrepare");
    return p;
}

void Prepared::run(const std::vector<Parameter>& values) {
    // The buffers stay put until the statement has run.
    std::vector<std::string> texts(values.size());
    std::vector<SQL_TIMESTAMP_STRUCT> stamps(values.size());
    std::vector<double> numbers(values.size());
    std::vector<SQLLEN> lengths(values.size());
    SQLFreeStmt(h_->stmt, SQL_RESET_PARAMS);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Parameter& v = values[i];
        const auto n = SQLUSMALLINT(i + 1);
        SQLRETURN rc = SQL_SUCCESS;
        switch (v.kind) {
        case Parameter::Kind::Number:
            numbers[i] = v.number;
            lengths[i] = v.null ? SQL_NULL_DATA : 0;
            rc = SQLBindParameter(h_->stmt, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &numbers[i], 0, &lengths[i]);
            break;
        case Parameter::Kind::Exact:
            texts[i] = v.text;
            lengths[i] = v.null ? SQL_NULL_DATA : SQLLEN(texts[i].size());
            rc = SQLBindParameter(h_->stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_NUMERIC,
                                  SQLULEN(std::max(1, v.precision)), SQLSMALLINT(v.scale), texts[i].data(),
                                  SQLLEN(texts[i].size()), &lengths[i]);
            break;
        case Parameter::Kind::Timestamp:
            stamps[i] = {SQLSMALLINT(v.year), SQLUSMALLINT(v.month), SQLUSMALLINT(v.day), SQLUSMALLINT(v.hour),
                         SQLUSMALLINT(v.minute), SQLUSMALLINT(v.second), 0};
            lengths[i] = v.null ? SQL_NULL_DATA : SQLLEN(sizeof stamps[i]);
            rc = SQLBindParameter(h_->stmt, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0,
                                  &stamps[i], 0, &lengths[i]);
            break;
        default:
            texts[i] = text::ansiToUtf8(v.text);
            lengths[i] = v.null ? SQL_NULL_DATA : SQLLEN(texts[i].size());
            rc = SQLBindParameter(h_->stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(1, texts[i].size()), 0, texts[i].data(),
                                  SQLLEN(texts[i].size()), &lengths[i]);
        }
        check(rc, SQL_HANDLE_STMT, h_->stmt, "SQLBindParameter");
    }
    const SQLRETURN rc = SQLExecute(h_->stmt);
    check(rc, SQL_HANDLE_STMT, h_->stmt, "SQLExecute");
    SQLFreeStmt(h_->stmt, SQL_CLOSE);
}

}  // namespace vt::odbc
