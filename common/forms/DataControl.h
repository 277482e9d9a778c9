#pragma once
// A data source of a window: one table of the database, a current record shown by its bound
// fields, and, when visible, a record navigator with first, previous, next and last arrows around
// its caption. A press on the navigator is reported before the arrow moves, the release after.

#include "Recordset.h"

#include <QWidget>
#include <functional>
#include <memory>

class BoundField;

class DataControl : public QWidget {
    Q_OBJECT
public:
    enum Arrow { None = -1, First, Previous, Next, Last };

    DataControl(QWidget* parent, const QString& table, bool readOnly = false);
    ~DataControl() override;

    QString DatabaseName;
    const QString& RecordSource() const { return m_table; }
    bool ReadOnly() const { return m_readOnly; }
    void setCaption(const QString& caption);
    const QString& caption() const { return m_caption; }

    // The open records; throws RuntimeError while the source is closed.
    Recordset& records();
    bool isOpen() const { return m_records != nullptr; }

    void onMouseDown(std::function<void()> handler) { m_mouseDown = std::move(handler); }
    void onMouseUp(std::function<void()> handler) { m_mouseUp = std::move(handler); }

    // The runtime opens the source after the window's Load handler and closes it at unload.
    void open();
    void storePending(); // throws DbError and keeps the edit when the store fails
    void close();        // without storing

    QRect arrowRect(Arrow arrow) const;
    // What a click on an arrow does, for assistive tools: the press is reported, the arrow moves,
    // the release is reported. A disabled navigator does nothing.
    void pressArrow(Arrow arrow);

    // Bound fields register here.
    void bind(BoundField* field);
    void unbind(BoundField* field);
    void fieldEdited(const QString& field, const QString& text);

signals:
    void opened();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refill();
    Arrow arrowAt(const QPoint& pos) const;
    void move(Arrow arrow);

    QString m_table;
    bool m_readOnly;
    QString m_caption;
    QList<BoundField*> m_fields;
    std::unique_ptr<Recordset> m_records;
    std::function<void()> m_mouseDown, m_mouseUp;
    Arrow m_pressed = None;
};
