#include "DataControl.h"

#include "Controls.h"
#include "Database.h"
#include "Platform.h"
#include "Runtime.h"
#include "Schema.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {

QString arrowName(DataControl::Arrow arrow) {
    switch (arrow) {
    case DataControl::First:
        return QStringLiteral("Первая запись");
    case DataControl::Previous:
        return QStringLiteral("Предыдущая запись");
    case DataControl::Next:
        return QStringLiteral("Следующая запись");
    case DataControl::Last:
        return QStringLiteral("Последняя запись");
    case DataControl::None:
        break;
    }
    return {};
}

// One arrow of a navigator as a button that screen readers and voice control can press.
class ArrowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ArrowAccessible(DataControl* navigator, DataControl::Arrow arrow)
        : m_navigator(navigator), m_arrow(arrow) {}

    bool isValid() const override { return m_navigator; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_navigator ? m_navigator->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_navigator);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? arrowName(m_arrow) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!m_navigator)
            return {};
        const QRect r = m_navigator->arrowRect(m_arrow);
        return QRect(m_navigator->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!m_navigator)
            return s;
        s.disabled = !m_navigator->isEnabled();
        s.invisible = !m_navigator->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        return m_navigator && m_navigator->isEnabled() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& action) override {
        if (m_navigator && action == pressAction())
            m_navigator->pressArrow(m_arrow);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<DataControl> m_navigator;
    DataControl::Arrow m_arrow;
};

// The navigator with its four arrows as children.
class NavigatorAccessible : public QAccessibleWidget {
public:
    explicit NavigatorAccessible(DataControl* navigator)
        : QAccessibleWidget(navigator, QAccessible::ToolBar) {
        for (DataControl::Arrow a :
             {DataControl::First, DataControl::Previous, DataControl::Next, DataControl::Last}) {
            auto* arrow = new ArrowAccessible(navigator, a);
            m_arrows << QAccessible::registerAccessibleInterface(arrow);
        }
    }
    ~NavigatorAccessible() override {
        for (QAccessible::Id id : std::as_const(m_arrows))
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<DataControl*>(widget())->caption().trimmed();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(m_arrows.size()); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < m_arrows.size() ? QAccessible::accessibleInterface(m_arrows[index])
                                                     : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < m_arrows.size(); ++i)
            if (QAccessible::accessibleInterface(m_arrows[i]) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < m_arrows.size(); ++i) {
            QAccessibleInterface* c = child(i);
            if (c && c->rect().contains(x, y))
                return c;
        }
        return nullptr;
    }

private:
    QList<QAccessible::Id> m_arrows;
};

QAccessibleInterface* navigatorFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("DataControl"))
        if (auto* navigator = qobject_cast<DataControl*>(object))
            return new NavigatorAccessible(navigator);
    return nullptr;
}

} // namespace

DataControl::DataControl(QWidget* parent, const QString& table, bool readOnly)
    : QWidget(parent), m_table(table), m_readOnly(readOnly) {
    setFont(courierFont(9.75));
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(navigatorFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

DataControl::~DataControl() {
    for (BoundField* f : m_fields)
        f->detachSource();
}

void DataControl::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

Recordset& DataControl::records() {
    if (!m_records)
        throw RuntimeError(QStringLiteral("Источник данных %1 не открыт.").arg(objectName()));
    return *m_records;
}

void DataControl::bind(BoundField* field) {
    if (!m_fields.contains(field))
        m_fields.append(field);
}

void DataControl::unbind(BoundField* field) {
    m_fields.removeAll(field);
}

void DataControl::open() {
    auto db = Database::open(DatabaseName);
    if (!db->tables().contains(m_table))
        throw DbError(Missing::table(DatabaseName, m_table));
    const QStringList columns = db->columns(m_table);
    QStringList fields;
    for (BoundField* f : m_fields) {
        if (!columns.contains(f->dataField()))
            throw DbError(Missing::field(DatabaseName, m_table, f->dataField()));
        if (!fields.contains(f->dataField()))
            fields << f->dataField();
    }
    m_records = std::make_unique<Recordset>(db, m_table, fields, m_readOnly);
    connect(m_records.get(), &::Recordset::currentChanged, this, &DataControl::refill);
    refill();
    emit opened();
}

void DataControl::storePending() {
    if (m_records)
        m_records->store();
}

void DataControl::close() {
    m_records.reset();
}

void DataControl::refill() {
    const bool current = m_records && m_records->hasCurrent();
    for (BoundField* f : m_fields) {
        f->showFieldText(current ? m_records->value(f->dataField()) : QString());
        f->recordAvailable(current);
    }
}

void DataControl::fieldEdited(const QString& field, const QString& text) {
    if (m_records && m_records->hasCurrent()) {
        m_records->setValue(field, text);
        return;
    }
    // No record to take the text: a bound field shows what it would store, so it stays empty
    // rather than show a value that would be lost.
    Q_UNUSED(text);
    for (BoundField* f : std::as_const(m_fields))
        if (f->dataField() == field)
            f->showFieldText(QString());
}

QRect DataControl::arrowRect(Arrow arrow) const {
    const int w = std::min(height(), width() / 4);
    switch (arrow) {
    case First:
        return QRect(0, 0, w, height());
    case Previous:
        return QRect(w, 0, w, height());
    case Next:
        return QRect(width() - 2 * w, 0, w, height());
    case Last:
        return QRect(width() - w, 0, w, height());
    case None:
        break;
    }
    return {};
}

DataControl::Arrow DataControl::arrowAt(const QPoint& pos) const {
    for (Arrow a : {First, Previous, Next, Last})
        if (arrowRect(a).contains(pos))
            return a;
    return None;
}

void DataControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOption opt;
    opt.initFrom(this);
    p.fillRect(rect(), palette().button());
    qDrawShadePanel(&p, rect(), palette(), false, 1);
    for (Arrow a : {First, Previous, Next, Last}) {
        const QRect r = arrowRect(a);
        qDrawShadePanel(&p, r, palette(), m_pressed == a, 1);
        QStyleOption ao = opt;
        ao.rect = r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4);
        const bool left = a == First || a == Previous;
        if (a == First || a == Last) {
            // The outer arrows carry a bar: to the first and to the last record.
            const int x = left ? ao.rect.left() : ao.rect.right();
            p.fillRect(QRect(x - (left ? 0 : 1), ao.rect.top(), 2, ao.rect.height()), palette().buttonText());
            ao.rect.adjust(left ? 2 : 0, 0, left ? 0 : -2, 0);
        }
        style()->drawPrimitive(left ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight, &ao, &p,
                               this);
    }
    const QRect text(arrowRect(Previous).right() + 4, 0,
                     arrowRect(Next).left() - arrowRect(Previous).right() - 8, height());
    p.setPen(palette().buttonText().color());
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, m_caption);
}

void DataControl::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton ? arrowAt(event->position().toPoint()) : None;
    update();
    if (m_mouseDown)
        rt::run(m_mouseDown);
}

void DataControl::mouseReleaseEvent(QMouseEvent* event) {
    const Arrow pressed = m_pressed;
    m_pressed = None;
    update();
    if (pressed != None && arrowAt(event->position().toPoint()) == pressed)
        rt::run([this, pressed] { move(pressed); });
    if (m_mouseUp)
        rt::run(m_mouseUp);
}

void DataControl::pressArrow(Arrow arrow) {
    if (!isEnabled() || arrow == None)
        return;
    if (m_mouseDown)
        rt::run(m_mouseDown);
    rt::run([this, arrow] { move(arrow); });
    if (m_mouseUp)
        rt::run(m_mouseUp);
}

void DataControl::move(Arrow arrow) {
    Recordset& rs = records();
    switch (arrow) {
    case First:
        rs.arrowFirst();
        break;
    case Previous:
        rs.arrowPrevious();
        break;
    case Next:
        rs.arrowNext();
        break;
    case Last:
        rs.arrowLast();
        break;
    case None:
        break;
    }
}
