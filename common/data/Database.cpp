#include "Database.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

constexpr int kDefaultBusyTimeoutMs = 5000;
int defaultBusyTimeoutMs = kDefaultBusyTimeoutMs;
bool openReadOnlyForTests = false;

// Connections of this process per file: the side files are looked at only when the last one closes.
QHash<QString, int>& openConnections() {
    static QHash<QString, int> counts;
    return counts;
}

// SQLite keeps the -wal and -shm beside the file that a link leads to.
QString sideFileBase(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

// The last writer to close removes the -wal and -shm; a connection that could only read, or whose
// first read failed (on a full disk), leaves them behind. When this process made them, the log is
// empty and no connection has the file open any more, they go.
void removeSideFilesLeftBehind(const QString& path) {
    const QString base = sideFileBase(path);
    const QByteArray wal = QFile::encodeName(base + QStringLiteral("-wal"));
    const QByteArray shm = QFile::encodeName(base + QStringLiteral("-shm"));
    if (!QFile::exists(QString::fromLocal8Bit(shm)))
        return;
    Database::whileUnused(path, [&] {
        if (QFileInfo(QString::fromLocal8Bit(wal)).size() != 0)
            return;
        ::unlink(wal.constData());
        ::unlink(shm.constData());
    });
}

QString quoted(const QString& identifier) {
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

DbError::DbError(const QString& message, int code, const QString& reason)
    : std::runtime_error(message.toStdString()), m_code(code), m_reason(reason.isEmpty() ? message : reason) {
}

bool DbError::busy() const {
    const int primary = m_code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool DbError::readOnly() const {
    return (m_code & 0xff) == SQLITE_READONLY;
}

DbError DbError::of(const QString& path, int code, int systemError) {
    // SQLite tells a full disk met while sizing the shared memory as a mere I/O error.
    if ((code & 0xff) == SQLITE_IOERR && (systemError == ENOSPC || systemError == EDQUOT))
        code = SQLITE_FULL;
    // SQLite's own texts are English and speak of its internals: the person is told of the file.
    QString sentence;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        sentence = QStringLiteral("Файл %1 держит заблокированным другая программа.");
        break;
    case SQLITE_READONLY:
        sentence = QStringLiteral("Файл %1 или его папка доступны только для чтения.");
        break;
    case SQLITE_CANTOPEN: {
        const QFileInfo file(path);
        if (!file.exists() && !file.isSymLink())
            sentence = QStringLiteral("Файл базы данных %1 не найден.");
        else if (file.isDir())
            sentence = QStringLiteral("На месте файла базы данных %1 стоит папка.");
        else if (!file.isFile())
            sentence = QStringLiteral("Файл базы данных %1 не открывается.");
        else if (!file.isReadable())
            sentence = QStringLiteral("Нет прав на чтение файла базы данных %1.");
        else
            sentence = QStringLiteral("Файл базы данных %1 не открывается.");
        break;
    }
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        sentence = QStringLiteral("Файл %1 повреждён или не является базой данных.");
        break;
    case SQLITE_FULL:
        sentence = QStringLiteral("На диске с файлом %1 нет места.");
        break;
    case SQLITE_IOERR:
        sentence = QStringLiteral("Файл %1 не читается или не записывается: ошибка диска.");
        break;
    case SQLITE_CONSTRAINT:
        sentence = QStringLiteral("База данных %1 отказалась принять изменение.");
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        sentence = QStringLiteral("Нет прав на доступ к файлу %1.");
        break;
    default:
        return DbError(QStringLiteral("Ошибка базы данных в файле %1 (код %2).").arg(path).arg(code), code);
    }
    return DbError(sentence.arg(path), code);
}

Database::Database(const QString& path) : m_path(path) {}

Database::~Database() {
    if (!m_db)
        return;
    sqlite3_close_v2(m_db);
    if (--openConnections()[m_path] > 0)
        return;
    openConnections().remove(m_path);
    if (m_madeSideFiles)
        removeSideFilesLeftBehind(m_path);
}

void Database::openWith(int flags) {
    const QByteArray name = m_path.toUtf8();
    const QString base = sideFileBase(m_path);
    m_madeSideFiles =
        !QFile::exists(base + QStringLiteral("-wal")) && !QFile::exists(base + QStringLiteral("-shm"));
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const int err = m_db ? sqlite3_extended_errcode(m_db) : rc;
        const int systemError = m_db ? sqlite3_system_errno(m_db) : 0;
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DbError::of(m_path, err ? err : rc, systemError);
    }
    ++openConnections()[m_path];
    sqlite3_extended_result_codes(m_db, 1);
    setBusyTimeout(defaultBusyTimeoutMs);
}

std::shared_ptr<Database> Database::open(const QString& path) {
    // A folder, a pipe or a device in the file's place is no database; a pipe would even block the
    // first read. A link to a file is followed.
    const QFileInfo file(path);
    if ((file.exists() || file.isSymLink()) && !file.isFile())
        throw DbError::of(path, SQLITE_CANTOPEN);
    std::shared_ptr<Database> db(new Database(path));
    // A file this program cannot write is opened for reading, as SQLite would do by itself.
    const bool writable = !openReadOnlyForTests && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
    db->openWith(writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    return db;
}

std::shared_ptr<Database> Database::create(const QString& path) {
    std::shared_ptr<Database> db(new Database(path));
    db->openWith(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    return db;
}

void Database::setDefaultBusyTimeoutForTests(int ms) {
    defaultBusyTimeoutMs = ms < 0 ? kDefaultBusyTimeoutMs : ms;
}

void Database::setOpenReadOnlyForTests(bool readOnly) {
    openReadOnlyForTests = readOnly;
}

void Database::setBusyTimeout(int ms) {
    sqlite3_busy_timeout(m_db, ms);
}

void Database::fail(int rc) const {
    const int err = m_db ? sqlite3_extended_errcode(m_db) : rc;
    throw DbError::of(m_path, err ? err : rc, m_db ? sqlite3_system_errno(m_db) : 0);
}

Database::Statement Database::prepare(const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    return Statement(*this, stmt);
}

Database::Statement::Statement(Statement&& other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt) {
    other.m_stmt = nullptr;
}

Database::Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Database::Statement::bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const int rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        m_db->fail(rc);
}

void Database::Statement::bind(int index, qint64 value) {
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    if (rc != SQLITE_OK)
        m_db->fail(rc);
}

bool Database::Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db->fail(rc);
}

QString Database::Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

qint64 Database::Statement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QStringList Database::tables() {
    Statement st = prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_'"));
    QStringList names;
    while (st.step())
        names << st.text(0);
    return names;
}

QStringList Database::columns(const QString& table) {
    Statement st = prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
    st.bind(1, table);
    QStringList names;
    while (st.step())
        names << st.text(0);
    return names;
}

QList<qint64> Database::rowids(const QString& table) {
    Statement st = prepare(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(quoted(table)));
    QList<qint64> ids;
    while (st.step())
        ids << st.integer(0);
    return ids;
}

qint64 Database::count(const QString& table) {
    Statement st = prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quoted(table)));
    st.step();
    return st.integer(0);
}

std::optional<QStringList> Database::row(const QString& table, const QStringList& fields, qint64 rowid) {
    QStringList cols;
    for (const QString& f : fields)
        cols << quoted(f);
    const QString list = cols.isEmpty() ? QStringLiteral("rowid") : cols.join(QLatin1Char(','));
    Statement st = prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(list, quoted(table)));
    st.bind(1, rowid);
    if (!st.step())
        return std::nullopt;
    QStringList values;
    for (int i = 0; i < fields.size(); ++i)
        values << st.text(i);
    return values;
}

template <class F> auto Database::writeTransaction(F&& body) {
    int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    try {
        auto result = body();
        rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
        return result;
    } catch (...) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

qint64 Database::insert(const QString& table, const QStringList& fields, const QStringList& values) {
    return writeTransaction([&] {
        QString sql;
        if (fields.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table));
        } else {
            QStringList cols, marks;
            for (int i = 0; i < fields.size(); ++i) {
                cols << quoted(fields[i]);
                marks << QStringLiteral("?%1").arg(i + 1);
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(table), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        Statement st = prepare(sql);
        for (int i = 0; i < fields.size(); ++i)
            st.bind(i + 1, values.value(i));
        st.step();
        return qint64(sqlite3_last_insert_rowid(m_db));
    });
}

bool Database::update(const QString& table, qint64 rowid, const QStringList& fields,
                      const QStringList& values) {
    if (fields.isEmpty())
        return true;
    return writeTransaction([&] {
        QStringList sets;
        for (int i = 0; i < fields.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(quoted(fields[i])).arg(i + 1);
        Statement st = prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                   .arg(quoted(table), sets.join(QLatin1Char(',')))
                                   .arg(fields.size() + 1));
        for (int i = 0; i < fields.size(); ++i)
            st.bind(i + 1, values.value(i));
        st.bind(int(fields.size()) + 1, rowid);
        st.step();
        return sqlite3_changes(m_db) > 0;
    });
}

bool Database::remove(const QString& table, qint64 rowid) {
    return writeTransaction([&] {
        Statement st = prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoted(table)));
        st.bind(1, rowid);
        st.step();
        return sqlite3_changes(m_db) > 0;
    });
}

void Database::exec(const QString& sql) {
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
}

bool Database::inUse(const QString& path) {
    return !whileUnused(path, [] {});
}

bool Database::whileUnused(const QString& path, const std::function<void()>& action) {
    // Locks are the process's own: they do not show this program's connections, and closing the
    // descriptor below would drop the locks those hold. So they are counted instead.
    const QFileInfo file(path);
    for (auto it = openConnections().cbegin(); it != openConnections().cend(); ++it)
        if (QFileInfo(it.key()) == file)
            return false;
    const QByteArray shm = QFile::encodeName(sideFileBase(path) + QStringLiteral("-shm"));
    const int fd = ::open(shm.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        // Without shared memory no connection has the file open in write-ahead-log mode.
        if (errno != ENOENT)
            return false;
        action();
        return true;
    }
    // Each open connection keeps a read lock on the dead-man byte of the shared memory; one that
    // begins meanwhile waits for this write lock.
    constexpr off_t deadManByte = 128;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = deadManByte;
    lock.l_len = 1;
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
        ::close(fd);
        return false;
    }
    try {
        action();
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return true;
}
