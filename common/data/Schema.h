#pragma once
// Where the shared database lives, its five tables and the texts the programs put into them.

#include <QString>
#include <QStringList>
#include <memory>

class Database;

QString DatabasePath();

struct TableDef {
    const char* name;
    QStringList fields; // in the table's own field order
};

namespace Tables {
const TableDef& Programs();
const TableDef& Types();
const TableDef& Fixing();
const TableDef& Passwords();
const TableDef& Access();
QList<const TableDef*> all();
// The fields of one of the five tables by its name, in table order; empty for any other name.
QStringList fieldsOf(const QString& table);
} // namespace Tables

// The fields by table, for the windows that bind them.
namespace Fields {
namespace Programs {
inline const QString Name = QStringLiteral("Name");
inline const QString Company = QStringLiteral("Company");
inline const QString Type = QStringLiteral("Type");
inline const QString Directory = QStringLiteral("Directory");
inline const QString IconDir = QStringLiteral("IconDir");
} // namespace Programs
namespace Types {
inline const QString NameType = QStringLiteral("NameType");
inline const QString IconType = QStringLiteral("IconType");
} // namespace Types
namespace Fixing {
inline const QString Name = QStringLiteral("Name");
inline const QString FixDate = QStringLiteral("FixDate");
inline const QString FixTime = QStringLiteral("FixTime");
} // namespace Fixing
namespace Passwords {
inline const QString Progr = QStringLiteral("Progr");
inline const QString Settings = QStringLiteral("Settings");
inline const QString Look = QStringLiteral("Look");
} // namespace Passwords
namespace Access {
inline const QString MainProg = QStringLiteral("MainProg");
inline const QString Settings = QStringLiteral("Settings");
inline const QString Password = QStringLiteral("Password");
} // namespace Access
} // namespace Fields

// The fields of one record with the texts they were to take, for a person: the table and each field
// by its name in the file and in Russian words, a line each.
QString describeRecord(const QString& table, const QStringList& fields, const QStringList& values);

// What the user is told when the database lacks a part a program needs.
namespace Missing {
QString table(const QString& path, const QString& table);
QString field(const QString& path, const QString& table, const QString& field);
QString record(const QString& path, const QString& table);
} // namespace Missing

namespace AccessLevel {
inline const QString Denied = QStringLiteral("0");
inline const QString WithPassword = QStringLiteral("1");
inline const QString Free = QStringLiteral("2");
} // namespace AccessLevel

// Settings writes these into an empty icon or picture field; they never follow the program folder.
inline const QString ErrorIconPath = QStringLiteral("D:\\Orvanto 3\\Icon\\Error.ico");
inline const QString ErrorPicturePath = QStringLiteral("D:\\Orvanto 3\\categories\\Error.bmp");

struct LaunchRecord {
    QString name;
    QString fixDate; // MM-dd-yyyy
    QString fixTime; // HH:mm:ss
};

// Checks that the file at `path` is a database with the five tables, their fields and the single
// records of Access and Passwords. Returns what is wrong for a person to read, or an empty text.
// Never creates or writes anything.
QString checkDatabase(const QString& path);

// Creates the five tables in a new database (the preparation tool and tests).
void createSchema(Database& db);
