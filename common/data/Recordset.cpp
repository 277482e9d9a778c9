#include "Recordset.h"

#include "Database.h"
#include "Platform.h"
#include "Schema.h"

namespace {
[[noreturn]] void noCurrentRecord() {
    throw RuntimeError(QStringLiteral("Нет текущей записи."));
}
[[noreturn]] void readOnlyTable(const QString& table) {
    throw RuntimeError(QStringLiteral("Таблица %1 открыта только для чтения.").arg(table));
}
} // namespace

Recordset::Recordset(std::shared_ptr<Database> db, const QString& table, const QStringList& fields,
                     bool readOnly)
    : m_db(std::move(db)), m_table(table), m_fields(fields), m_readOnly(readOnly) {
    m_ids = m_db->rowids(m_table);
    m_values = QStringList(QList<QString>(m_fields.size()));
    if (!m_ids.isEmpty())
        moveTo(0);
}

Recordset::~Recordset() = default;

bool Recordset::hasCurrent() const {
    return m_current;
}

QString Recordset::value(const QString& field) const {
    const qsizetype i = m_fields.indexOf(field);
    return i < 0 ? QString() : m_values[i];
}

void Recordset::setValue(const QString& field, const QString& text) {
    const qsizetype i = m_fields.indexOf(field);
    // A new record's fields hold nothing yet: an empty text set into one is stored as that empty
    // text, not left out of the insert (which would leave the field NULL).
    if (i < 0 || !m_current || (m_values[i] == text && !m_new))
        return;
    m_values[i] = text;
    m_changed.insert(int(i));
}

void Recordset::store() {
    if (m_changed.isEmpty())
        return;
    if (m_readOnly) {
        // A read-only source never writes.
        m_changed.clear();
        return;
    }
    const auto [fields, values] = changes();
    bool stored = false;
    try {
        if (m_new) {
            m_ids.append(m_db->insert(m_table, fields, values));
            m_pos = int(m_ids.size()) - 1;
            m_new = false;
            stored = true;
        } else if (!m_gone) {
            stored = m_db->update(m_table, m_ids[m_pos], fields, values);
        }
    } catch (const DbError& e) {
        // Whoever tells the user names what stays unstored, not only why.
        throw DbError(QStringLiteral("Изменения не сохранены. %1\n\n%2")
                          .arg(e.reason(), describeRecord(m_table, fields, values)),
                      e.code(), e.reason());
    }
    if (!stored) {
        // A record deleted by the other program is not revived; the edit is dropped, but not
        // without a word.
        m_gone = true;
        m_changed.clear();
        emit editLost(fields, values);
        return;
    }
    m_changed.clear();
}

Recordset::Changes Recordset::changes() const {
    Changes c;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_changed.contains(i)) {
            c.fields << m_fields[i];
            c.values << m_values[i];
        }
    }
    return c;
}

void Recordset::discardChanges() {
    m_changed.clear();
}

void Recordset::leave() {
    store();
    if (m_new) {
        // A new record left without a change is not stored and leaves no trace.
        m_new = false;
        m_current = false;
        m_pos = int(m_ids.size());
    }
}

void Recordset::clearCurrent(int pos) {
    m_current = false;
    m_new = false;
    m_gone = false;
    m_pos = pos;
    m_changed.clear();
    for (QString& v : m_values)
        v.clear();
    emit currentChanged();
}

void Recordset::moveTo(int index) {
    // Read before changing anything: when the read fails, the record shown stays current, so an
    // edit of what is shown cannot land in another record.
    const auto row = m_db->row(m_table, m_fields, m_ids[index]);
    m_pos = index;
    m_current = true;
    m_new = false;
    m_changed.clear();
    m_gone = !row.has_value();
    for (int i = 0; i < m_fields.size(); ++i)
        m_values[i] = row ? row->value(i) : QString();
    emit currentChanged();
}

void Recordset::AddNew() {
    if (m_readOnly)
        readOnlyTable(m_table);
    leave();
    m_current = true;
    m_new = true;
    m_gone = false;
    m_pos = int(m_ids.size());
    m_changed.clear();
    for (QString& v : m_values)
        v.clear();
    emit currentChanged();
}

void Recordset::Delete() {
    if (!m_current)
        noCurrentRecord();
    if (m_readOnly)
        readOnlyTable(m_table);
    if (m_new) {
        clearCurrent(int(m_ids.size()));
        return;
    }
    m_db->remove(m_table, m_ids[m_pos]);
    m_ids.removeAt(m_pos);
    clearCurrent(m_pos);
}

void Recordset::MoveFirst() {
    leave();
    if (m_ids.isEmpty()) {
        clearCurrent(-1);
        noCurrentRecord();
    }
    moveTo(0);
}

void Recordset::MoveNext() {
    if (!m_current)
        noCurrentRecord();
    leave();
    const int next = m_pos + 1;
    if (next >= m_ids.size())
        clearCurrent(int(m_ids.size()));
    else
        moveTo(next);
}

void Recordset::Requery() {
    leave();
    QList<qint64> ids = m_db->rowids(m_table);
    std::swap(m_ids, ids);
    try {
        if (m_ids.isEmpty())
            clearCurrent(-1);
        else
            moveTo(0);
    } catch (...) {
        // The read failed: the record shown stays current, in the list it belongs to.
        std::swap(m_ids, ids);
        throw;
    }
}

void Recordset::arrowFirst() {
    leave();
    if (!m_ids.isEmpty())
        moveTo(0);
}

void Recordset::arrowLast() {
    leave();
    if (!m_ids.isEmpty())
        moveTo(int(m_ids.size()) - 1);
}

void Recordset::arrowNext() {
    arrowStep(1);
}

void Recordset::arrowPrevious() {
    arrowStep(-1);
}

void Recordset::arrowStep(int step) {
    const bool wasCurrent = m_current && !m_new;
    const int from = m_pos;
    leave();
    if (m_ids.isEmpty())
        return;
    // Without a current record (after a delete, past the end) the next record sits in the deleted
    // one's place and the previous one just before it. At either end the arrow stays put.
    const int target = wasCurrent ? from + step : (step > 0 ? from : from - 1);
    moveTo(qBound(0, target, int(m_ids.size()) - 1));
}

std::optional<QStringList> Recordset::readAt(int index, const QStringList& fields) const {
    if (index < 0 || index >= m_ids.size())
        return std::nullopt;
    return m_db->row(m_table, fields, m_ids[index]);
}
