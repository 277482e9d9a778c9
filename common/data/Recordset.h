#pragma once
// The records of one table as a data source sees them: the rowids taken when it opens (records that
// others add later appear only at the next open), a current record read afresh on every move, and
// the changed fields of that record, stored when the source leaves it.

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

class Database;

class Recordset : public QObject {
    Q_OBJECT
public:
    Recordset(std::shared_ptr<Database> db, const QString& table, const QStringList& fields, bool readOnly);
    ~Recordset() override;

    // The operations the windows call.
    void AddNew();
    void Delete();
    void MoveFirst();
    void MoveNext();
    // Leaves the current record as a move does, takes the list of records afresh and makes the
    // first one current (none when the table is empty): what a new open would show now.
    void Requery();

    // The navigator's arrows: they stop at the first and the last record.
    void arrowFirst();
    void arrowPrevious();
    void arrowNext();
    void arrowLast();

    bool hasCurrent() const;
    bool isNew() const { return m_new; }
    int position() const { return m_pos; } // index in the list; meaningful only with a current record
    int recordCount() const { return int(m_ids.size()); }
    bool readOnly() const { return m_readOnly; }
    const QString& table() const { return m_table; }
    const QStringList& fields() const { return m_fields; }

    QString value(const QString& field) const;
    // Marks the field changed when the text differs, and always on a new record; without a current
    // record nothing is kept.
    void setValue(const QString& field, const QString& text);
    bool isChanged() const { return !m_changed.isEmpty(); }
    // The changed fields of the current record with their texts, in field order.
    struct Changes {
        QStringList fields;
        QStringList values;
    };
    Changes changes() const;

    // Stores the changed fields of the current record; throws DbError and keeps the edit on failure.
    void store();
    // Forgets the changes of the current record without storing them.
    void discardChanges();

    // Any record of the list by index, read without moving the current record (the grid's view).
    std::optional<QStringList> readAt(int index, const QStringList& fields) const;

signals:
    void currentChanged();
    // The changed fields of a record that someone else deleted: they were dropped, not stored.
    void editLost(const QStringList& fields, const QStringList& values);

private:
    void leave();
    void moveTo(int index);
    void arrowStep(int step);
    void clearCurrent(int pos);

    std::shared_ptr<Database> m_db;
    QString m_table;
    QStringList m_fields;
    bool m_readOnly;
    QList<qint64> m_ids;
    int m_pos = -1;         // current index; -1 or m_ids.size() when none is current
    bool m_current = false; // a record of the list (or a new one) is current
    bool m_new = false;     // the current record was begun by AddNew and is not stored yet
    bool m_gone = false;    // the current record was deleted by someone else since the open
    QStringList m_values;
    QSet<int> m_changed;
};
