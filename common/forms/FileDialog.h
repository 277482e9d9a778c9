#pragma once
// The open-file dialog of Settings: a filter text of "description|pattern|" pairs, a modal
// ShowOpen, and the chosen file's full path. Cancel is reported as a failure, so a handler that
// abandons its steps silently leaves everything as it was. Tests script the answers.

#include "Platform.h"

#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

// The user closed the dialog without choosing a file.
class DialogCancelled : public RuntimeError {
public:
    DialogCancelled() : RuntimeError(QStringLiteral("Выбор файла отменен.")) {}
};

class FileDialog {
public:
    QString Filter;
    QString FileName;

    // Modal; returns with FileName set to the chosen file's full path, or throws DialogCancelled.
    void ShowOpen();

    struct Entry {
        QString description;
        QString pattern;
    };
    // "description|pattern|description|pattern|" into its entries; a trailing "|" is allowed.
    static QList<Entry> parseFilter(const QString& filter);
    // The entries as Qt's name-filter list, "description (pattern)"; the descriptions stay as
    // written and get the pattern appended only when they do not end with it already.
    static QStringList qtNameFilters(const QString& filter);
    // Whether a file passes one entry's pattern ("a;b" lists several). Our programs carry no
    // suffix, so "*.exe" stands for any file with the execute permission; other patterns match
    // the file name regardless of letter case.
    static bool matches(const QString& pattern, const QString& fileName, bool executable);
    static bool matches(const QString& pattern, const QFileInfo& file);

    // Test seams: once scripted, no dialog is shown; each ShowOpen takes the next primed answer, or
    // cancels when none is primed. Priming an answer turns scripting on; reset() clears the answers
    // and the record and keeps scripting on.
    static void setScripted(bool scripted);
    static void setNextFileName(const QString& path);
    static void setNextCancel();
    static const QStringList& asked(); // the Filter of each ShowOpen, in order
    static void reset();
};
