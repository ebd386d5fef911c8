#pragma once
// ODBC over the unixODBC driver manager: the data sources and drivers it knows, connections made
// from attribute strings with login and query time-outs, statements and their result columns
// described with ADO type numbers, and fetching in blocks of rows where the driver allows it.
// Text crosses the boundary as 1252.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vt::odbc {

// A failure reported by the driver manager or a driver: the native error number of the first
// diagnostic record, its SQLSTATE and the diagnostic texts joined by blanks on one line.
class Error : public std::runtime_error {
public:
    Error(long number, std::string state, const std::string& text)
        : std::runtime_error(text), number_(number), state_(std::move(state)) {}
    long number() const { return number_; }
    const std::string& sqlState() const { return state_; }

private:
    long number_;
    std::string state_;
};

struct DataSource {
    std::string name;          // as listed, user and system sources alike
    std::string description;   // the driver's description
    bool operator==(const DataSource&) const = default;
};

// Every data source, in the driver manager's order. Empty when the manager fails.
std::vector<DataSource> dataSources();
// Every installed driver's description, in the manager's order. Empty when the manager fails.
std::vector<std::string> drivers();

// One attribute of a connection string, "Key=value;" with the value braced when it holds a
// character that would end or open an attribute (";", "{", "}", "=", blanks at its ends), so a
// password cannot add attributes. A "}" inside braces is doubled.
std::string attribute(std::string_view key, std::string_view value);
// Whether `value` is already a braced attribute value ("{PostgreSQL ANSI}", with any "}" inside
// doubled), which a connection string takes as it stands.
bool isBraced(std::string_view value);

inline constexpr int kLoginTimeoutSeconds = 15;
inline constexpr int kQueryTimeoutSeconds = 30;

struct Column {
    std::string name;
    int sqlType = 0;             // the driver's SQL type
    int adoType = 200;           // its ADO type number
    std::int64_t size = 0;       // the ADO defined size
    int precision = 0;           // numeric precision (0 to 255)
    int scale = 0;               // numeric scale (0 to 255)
};

// The ADO type number and defined size that a column of SQL type `sqlType` and column size
// `columnSize` gets; unknown types become variable text.
int adoTypeOf(int sqlType);
std::int64_t adoSizeOf(int sqlType, std::int64_t columnSize);

class Connection;
class Result;

// A value for one "?" of a prepared statement: of a kind (which also types a Null), text in 1252.
// An exact number is its decimal text ("-199877.39") with the precision and scale it is sent as,
// so no digit passes through a floating number.
struct Parameter {
    enum class Kind { Text, Number, Timestamp, Exact };
    Kind kind = Kind::Text;
    bool null = false;
    std::string text;
    double number = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int precision = 0, scale = 0;
};

// SQL type numbers asked for by callers that cannot include the driver manager's headers.
namespace sqltype {
inline constexpr int Numeric = 2;
inline constexpr int Decimal = 3;
}  // namespace sqltype

// One data type of a data source as SQLGetTypeInfo lists it.
struct TypeInfo {
    std::string name;            // as used in CREATE TABLE
    int sqlType = 0;
    std::int64_t columnSize = 0; // the largest precision (0 when not given)
    std::string createParams;    // "precision,scale", "length", ... ("" for none)
    int maximumScale = -1;       // -1 when not given
};

// A statement prepared once and run with new values each time (many inserts).
class Prepared {
public:
    Prepared(Prepared&&) noexcept;
    Prepared& operator=(Prepared&&) noexcept;
    ~Prepared();
    // Runs it with one value for each "?", in order. Throws Error.
    void run(const std::vector<Parameter>& values);

private:
    friend class Connection;
    Prepared();
    struct Handle;
    std::unique_ptr<Handle> h_;
};

// Stops a statement from another thread while a driver call runs: Cancel, and the query time-out
// for drivers that ignore their own (SQLite's). Once cancelled, the statement's calls fail with
// SQLSTATE HY008 ("Operation canceled"), or HYT00 ("Query timeout expired") after a time-out.
// It must outlive the statements it is given to.
class Canceller {
public:
    void cancel();
    bool cancelled() const;
    bool timedOut() const;
    // For a timer that calls it at short intervals, from one thread: cancels the statement once
    // one driver call has been seen running for longer than `limit`; true when it did so now.
    bool cancelIfOverdue(std::chrono::steady_clock::duration limit);

private:
    friend class Connection;
    friend class Result;
    void attach(void* statement);
    void detach();
    void enter();
    void leave();
    [[noreturn]] void raise() const;
    std::mutex mutex_;   // keeps the statement from going while it is cancelled
    void* statement_ = nullptr;
    std::atomic<bool> cancelled_{false}, timedOut_{false};
    std::atomic<std::uint64_t> calls_{0};   // odd while a driver call runs
    std::uint64_t seenCall_ = 0;             // the timer's: the call it saw, and since when
    std::chrono::steady_clock::time_point seenSince_;
};

// The result of one statement, read a row at a time; values are read as text.
class Result {
public:
    Result(Result&&) noexcept;
    Result& operator=(Result&&) noexcept;
    ~Result();

    // False for a statement that returned no rowset (UPDATE, DDL, ...).
    bool hasRowset() const { return !columns_.empty(); }
    const std::vector<Column>& columns() const { return columns_; }
    // Rows changed by a statement without rowset (-1 when the driver cannot tell).
    std::int64_t rowsAffected() const { return rowsAffected_; }
    // Moves to the next row; false at the end.
    bool fetch();
    // The value of column i (from 0) of the current row as text, nothing for Null: numbers in
    // the general form (no trailing zeros, "." decimal point), dates and times as "m/d/yyyy
    // h:mm:ss AM", truth values "True"/"False". Each column may be read once per row, in order.
    std::optional<std::string> value(std::size_t i);
    // The same into `out`, reusing its storage; false (and `out` empty) for Null.
    bool value(std::size_t i, std::string& out);
    // The same added to the end of `to`; false (and `to` as it was) for Null.
    bool appendValue(std::size_t i, std::string& to);
    // Rows the driver hands over per call (1 where it cannot give blocks safely).
    std::size_t blockRows() const;

private:
    friend class Connection;
    Result() = default;
    void describe();
    void bind(unsigned long getDataExtensions);
    bool readPieces(std::size_t i, bool binary, std::string& raw);
    struct Handle;
    std::unique_ptr<Handle> h_;
    std::vector<Column> columns_;
    std::int64_t rowsAffected_ = -1;
    std::string buffer_, scratch_;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects with a complete connection string (no prompt). Throws Error.
    void open(std::string_view connectionString, int loginTimeoutSeconds = kLoginTimeoutSeconds);
    void close();
    bool isOpen() const;
    // The data source's name as the driver reports it ("" when unknown or closed).
    std::string dataSourceName() const;

    // Runs one statement with the query time-out. Throws Error (also when not open). A
    // `canceller` can stop it from another thread (see Canceller).
    Result execute(std::string_view sql, int queryTimeoutSeconds = kQueryTimeoutSeconds,
                   Canceller* canceller = nullptr);
    Prepared prepare(std::string_view sql, int queryTimeoutSeconds = kQueryTimeoutSeconds);
    // The data source's types of SQL type `sqlType`, best match first. Throws Error.
    std::vector<TypeInfo> types(int sqlType);

    // Off: what follows is one transaction, ended by commit or rollback. Throws Error.
    void setAutoCommit(bool on);
    void commit();
    void rollback();

private:
    struct Handle;
    std::unique_ptr<Handle> h_;
};

}  // namespace vt::odbc
