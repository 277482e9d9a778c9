#include "Schema.h"

#include "Database.h"
#include "Platform.h"

#include <QHash>

QString DatabasePath() {
    // Plain concatenation; a root folder gives "//DataProg.mdb", which still names the file there.
    return ProgramFolder() + QStringLiteral("/DataProg.mdb");
}

namespace Tables {
const TableDef& Programs() {
    using namespace Fields::Programs;
    static const TableDef t{"Programs", {Name, Company, Type, Directory, IconDir}};
    return t;
}
const TableDef& Types() {
    using namespace Fields::Types;
    static const TableDef t{"Types", {NameType, IconType}};
    return t;
}
const TableDef& Fixing() {
    using namespace Fields::Fixing;
    static const TableDef t{"Fixing", {Name, FixDate, FixTime}};
    return t;
}
const TableDef& Passwords() {
    using namespace Fields::Passwords;
    static const TableDef t{"Passwords", {Progr, Settings, Look}};
    return t;
}
const TableDef& Access() {
    using namespace Fields::Access;
    static const TableDef t{"Access", {MainProg, Settings, Password}};
    return t;
}
QList<const TableDef*> all() {
    return {&Programs(), &Types(), &Fixing(), &Passwords(), &Access()};
}
QStringList fieldsOf(const QString& table) {
    for (const TableDef* t : all())
        if (table == QLatin1String(t->name))
            return t->fields;
    return {};
}
} // namespace Tables

namespace {
QString captionOf(const QString& table, const QString& field) {
    using namespace Fields;
    static const QHash<QString, QString> captions{
        {QStringLiteral("Programs"), QStringLiteral("программы")},
        {QStringLiteral("Programs.") + Programs::Name, QStringLiteral("наименование")},
        {QStringLiteral("Programs.") + Programs::Company, QStringLiteral("фирма")},
        {QStringLiteral("Programs.") + Programs::Type, QStringLiteral("категория")},
        {QStringLiteral("Programs.") + Programs::Directory, QStringLiteral("директория исполняемого файла")},
        {QStringLiteral("Programs.") + Programs::IconDir, QStringLiteral("значок")},
        {QStringLiteral("Types"), QStringLiteral("категории")},
        {QStringLiteral("Types.") + Types::NameType, QStringLiteral("название категории")},
        {QStringLiteral("Types.") + Types::IconType, QStringLiteral("картинка")},
        {QStringLiteral("Fixing"), QStringLiteral("журнал запусков")},
        {QStringLiteral("Fixing.") + Fixing::Name, QStringLiteral("название программы")},
        {QStringLiteral("Fixing.") + Fixing::FixDate, QStringLiteral("дата запуска")},
        {QStringLiteral("Fixing.") + Fixing::FixTime, QStringLiteral("время запуска")},
        {QStringLiteral("Passwords"), QStringLiteral("пароли")},
        {QStringLiteral("Passwords.") + Passwords::Progr, QStringLiteral("пароль главной программы запуска")},
        {QStringLiteral("Passwords.") + Passwords::Settings, QStringLiteral("пароль программы настройки")},
        {QStringLiteral("Passwords.") + Passwords::Look, QStringLiteral("пароль настройки уровня доступа")},
        {QStringLiteral("Access"), QStringLiteral("уровни доступа")},
        {QStringLiteral("Access.") + Access::MainProg, QStringLiteral("доступ к главной программе запуска")},
        {QStringLiteral("Access.") + Access::Settings, QStringLiteral("доступ к программе настройки")},
        {QStringLiteral("Access.") + Access::Password, QStringLiteral("доступ к настройке уровня доступа")},
    };
    return captions.value(field.isEmpty() ? table : table + QLatin1Char('.') + field);
}

// "Name (наименование)", or the bare name where there are no words for it.
QString named(const QString& name, const QString& caption) {
    return caption.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, caption);
}
} // namespace

QString describeRecord(const QString& table, const QStringList& fields, const QStringList& values) {
    QStringList lines{QStringLiteral("Таблица %1:").arg(named(table, captionOf(table, QString())))};
    for (int i = 0; i < fields.size(); ++i)
        lines << QStringLiteral("%1: %2").arg(named(fields[i], captionOf(table, fields[i])), values.value(i));
    return lines.join(QLatin1Char('\n'));
}

namespace Missing {
QString table(const QString& path, const QString& table) {
    return QStringLiteral("В базе данных %1 нет таблицы %2.").arg(path, table);
}
QString field(const QString& path, const QString& table, const QString& field) {
    return QStringLiteral("В таблице %2 базы данных %1 нет поля %3.").arg(path, table, field);
}
QString record(const QString& path, const QString& table) {
    return QStringLiteral("В таблице %2 базы данных %1 нет записи.").arg(path, table);
}
} // namespace Missing

QString checkDatabase(const QString& path) {
    // Opening tells a missing file from a folder or anything else in its place.
    try {
        auto db = Database::open(path);
        const QStringList tables = db->tables();
        for (const TableDef* t : Tables::all()) {
            const QString name = QString::fromLatin1(t->name);
            if (!tables.contains(name))
                return Missing::table(path, name);
            const QStringList cols = db->columns(name);
            for (const QString& f : t->fields)
                if (!cols.contains(f))
                    return Missing::field(path, name, f);
        }
        for (const TableDef* t : {&Tables::Access(), &Tables::Passwords()}) {
            if (db->count(QString::fromLatin1(t->name)) == 0)
                return Missing::record(path, QString::fromLatin1(t->name));
        }
    } catch (const DbError& e) {
        return e.message();
    }
    return {};
}

void createSchema(Database& db) {
    QString sql = QStringLiteral("PRAGMA journal_mode=WAL;\nBEGIN;\n");
    for (const TableDef* t : Tables::all()) {
        QStringList cols;
        for (const QString& f : t->fields)
            cols << QStringLiteral("\"%1\" TEXT").arg(f);
        // A record number that is never handed out twice: a data source that still lists a deleted
        // record must not find a newer one in its place (and delete or overwrite that one instead).
        cols << QStringLiteral("\"Id\" INTEGER PRIMARY KEY AUTOINCREMENT");
        sql += QStringLiteral("CREATE TABLE \"%1\" (%2);\n")
                   .arg(QString::fromLatin1(t->name), cols.join(QStringLiteral(", ")));
    }
    sql += QStringLiteral("COMMIT;\n");
    db.exec(sql);
}
