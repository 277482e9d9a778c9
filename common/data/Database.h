#pragma once
// The one owner of an SQLite connection. Nothing else in the project includes sqlite3.h.
// Every value is bound as a parameter; table and field names come from code, never from data.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

// A failure of the database layer: the message is meant for a person, in Russian.
class DbError : public std::runtime_error {
public:
    // `reason` is the sentence that says why; empty: the message is all of it.
    DbError(const QString& message, int code = 0, const QString& reason = QString());
    // The failure with SQLite's result code `code` on the file at `path`, told by its reason;
    // `systemError` is the errno behind it, which tells a full disk from other disk errors.
    static DbError of(const QString& path, int code, int systemError = 0);
    int code() const { return m_code; }
    QString message() const { return QString::fromUtf8(what()); }
    // Why it failed, without what it was doing: "Файл … держит заблокированным другая программа."
    const QString& reason() const { return m_reason; }
    bool busy() const;
    bool readOnly() const; // the file or its folder cannot be written

private:
    int m_code;
    QString m_reason;
};

class Database {
public:
    // Opens an existing file for reading and writing; never creates one.
    static std::shared_ptr<Database> open(const QString& path);
    // Creates a new file (the preparation tool only).
    static std::shared_ptr<Database> create(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return m_path; }
    void setBusyTimeout(int ms);

    QStringList tables();
    QStringList columns(const QString& table);
    QList<qint64> rowids(const QString& table);
    qint64 count(const QString& table);
    // The fields of one record as text (NULL as empty); nothing when the record is gone.
    std::optional<QStringList> row(const QString& table, const QStringList& fields, qint64 rowid);

    // Each write is one short transaction started with BEGIN IMMEDIATE.
    qint64 insert(const QString& table, const QStringList& fields, const QStringList& values);
    // Returns false when the record no longer exists (nothing is written then).
    bool update(const QString& table, qint64 rowid, const QStringList& fields, const QStringList& values);
    bool remove(const QString& table, qint64 rowid);

    // Runs a script of statements that take no parameters (schema set-up).
    void exec(const QString& sql);

    // Whether a connection, of this program or another, has the file at `path` open. In
    // write-ahead-log mode each one holds a read lock on the file's shared memory for as long as it
    // is open, idle or not.
    static bool inUse(const QString& path);
    // Runs `action` unless such a connection has the file open now, holding off any that would
    // begin to use it meanwhile; returns whether it ran. `action` may throw.
    static bool whileUnused(const QString& path, const std::function<void()>& action);

    class Statement;

private:
    explicit Database(const QString& path);
    void openWith(int flags);
    [[noreturn]] void fail(int rc) const;
    Statement prepare(const QString& sql);
    template <class F> auto writeTransaction(F&& body);

    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_madeSideFiles = false; // the -wal and -shm files did not exist before this open

public:
    // Test seams
    // The busy timeout of connections opened from now on; a negative value restores the default.
    static void setDefaultBusyTimeoutForTests(int ms);
    // Opens as a program opens a file it cannot write (root can write any file).
    static void setOpenReadOnlyForTests(bool readOnly);
};

// An RAII prepared statement; finalized when it goes out of scope.
class Database::Statement {
public:
    Statement(const Database& db, sqlite3_stmt* stmt) : m_db(&db), m_stmt(stmt) {}
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    ~Statement();
    void bind(int index, const QString& text);
    void bind(int index, qint64 value);
    bool step(); // true while a row is ready
    QString text(int column) const;
    qint64 integer(int column) const;

private:
    const Database* m_db;
    sqlite3_stmt* m_stmt;
};
