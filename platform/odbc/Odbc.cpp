#include "platform/odbc/Odbc.h"

#include "platform/text/Text.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace vt::odbc {

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
        message += fromDriver(buffer, std::min<SQLSMALLINT>(length, SQL_MAX_MESSAGE_LENGTH));
    }
    if (message.empty()) message = std::string(what) + " failed";
    throw Error(number, state, message);
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, std::string_view what) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) fail(type, handle, what);
}

// "0012.500" -> "12.5", "-.50" -> "-0.5", "+3." -> "3": the general form of a decimal.
std::string generalDecimal(std::string s) {
    s = text::trim(s);
    if (s.empty()) return s;
    std::string sign;
    if (s[0] == '-' || s[0] == '+') {
        if (s[0] == '-') sign = "-";
        s.erase(0, 1);
    }
    if (s.find_first_not_of("0123456789.") != std::string::npos) return sign + s;   // exponent, NaN: as given
    std::size_t point = s.find('.');
    std::string whole = s.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : s.substr(point + 1);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (whole.empty()) whole = "0";
    if (whole == "0" && fraction.empty()) return "0";
    return sign + whole + (fraction.empty() ? "" : "." + fraction);
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
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

struct Result::Handle {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    std::size_t nextColumn = 0;
    ~Handle() {
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

bool Result::fetch() {
    if (!h_ || columns_.empty()) return false;
    h_->nextColumn = 0;
    const SQLRETURN rc = SQLFetch(h_->stmt);
    if (rc == SQL_NO_DATA) return false;
    check(rc, SQL_HANDLE_STMT, h_->stmt, "SQLFetch");
    return true;
}

std::optional<std::string> Result::value(std::size_t i) {
    const SQLUSMALLINT col = SQLUSMALLINT(i + 1);
    SQLHSTMT st = h_->stmt;
    const Column& c = columns_.at(i);
    SQLLEN indicator = 0;
    auto get = [&](SQLSMALLINT cType, void* target, SQLLEN length) {
        check(SQLGetData(st, col, cType, target, length, &indicator), SQL_HANDLE_STMT, st, "SQLGetData");
        return indicator != SQL_NULL_DATA;
    };
    switch (c.adoType) {
    case 2: case 3: case 16: case 20: {
        SQLBIGINT v = 0;
        if (!get(SQL_C_SBIGINT, &v, 0)) return std::nullopt;
        return std::to_string(v);
    }
    case 4: case 5: {
        double v = 0;
        if (!get(SQL_C_DOUBLE, &v, 0)) return std::nullopt;
        return text::formatNumber(v, "");
    }
    case 11: {
        unsigned char v = 0;
        if (!get(SQL_C_BIT, &v, 0)) return std::nullopt;
        return std::string(v ? "True" : "False");
    }
    case 133: case 134: case 135: {
        SQL_TIMESTAMP_STRUCT ts{};
        if (c.adoType == 134) {
            SQL_TIME_STRUCT t{};
            if (!get(SQL_C_TYPE_TIME, &t, sizeof t)) return std::nullopt;
            return text::formatDate(text::DateTime{1899, 12, 30, t.hour, t.minute, t.second}, "");
        }
        if (!get(SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts)) return std::nullopt;
        return text::formatDate(text::DateTime{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second}, "");
    }
    default:
        break;
    }
    // Text, decimals and binaries arrive in pieces of any length. Drivers hand character data
    // over as UTF-8 (the ANSI drivers of SQLite and PostgreSQL know no wide characters).
    const bool binary = c.adoType == 128 || c.adoType == 204 || c.adoType == 205;
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    const std::size_t terminator = binary ? 0 : 1;
    std::string& raw = buffer_;
    raw.clear();
    char chunk[256];
    for (;;) {
        const SQLRETURN rc = SQLGetData(st, col, cType, chunk, sizeof chunk, &indicator);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st, "SQLGetData");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        std::size_t got = sizeof chunk - terminator;
        if (indicator != SQL_NO_TOTAL && std::size_t(indicator) < got) got = std::size_t(indicator);
        raw.append(chunk, got);
        if (rc == SQL_SUCCESS) break;
    }
    if (binary) return hex(raw);
    if (c.adoType == 131) return generalDecimal(raw);
    for (unsigned char ch : raw)
        if (ch >= 0x80) return text::utf8ToAnsi(raw);
    return raw;
}

// ---- Connection ----

struct Connection::Handle {
    Env env;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool open = false;
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

Result Connection::execute(std::string_view sql, int queryTimeoutSeconds) {
    if (!isOpen()) throw Error(3704, "08003", "Operation is not allowed when the object is closed.");
    Result r;
    r.h_ = std::make_unique<Result::Handle>();
    check(SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &r.h_->stmt), SQL_HANDLE_DBC, h_->dbc, "SQLAllocHandle");
    SQLSetStmtAttr(r.h_->stmt, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds)), 0);
    const std::string utf8 = text::ansiToUtf8(sql);
    const SQLRETURN rc =
        SQLExecDirect(r.h_->stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(utf8.c_str())), SQLINTEGER(utf8.size()));
    check(rc, SQL_HANDLE_STMT, r.h_->stmt, "SQLExecDirect");
    r.describe();
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
