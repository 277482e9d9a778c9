#include "FieldAccessibility.h"

#include "Controls.h"

#include <QAccessibleWidget>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// A bound field hidden in its window holds a value the user is not shown: often a secret.
bool keepsItsValue(const QWidget* widget) {
    const auto* field = dynamic_cast<const BoundField*>(widget);
    return field && field->dataSource() && !widget->isVisibleTo(widget->window());
}

// What both kinds share: a hidden bound field has no texts, no actions and takes no text.
class FieldAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    bool silent() const { return keepsItsValue(widget()); }

    QString text(QAccessible::Text t) const override { return silent() ? QString() : shownText(t); }
    void setText(QAccessible::Text t, const QString& text) override {
        if (!silent())
            setShownText(t, text);
    }
    QStringList actionNames() const override {
        return silent() ? QStringList() : QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (!silent())
            QAccessibleWidget::doAction(action);
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return silent() ? nullptr : shownInterface(t);
    }

protected:
    virtual QString shownText(QAccessible::Text t) const { return QAccessibleWidget::text(t); }
    virtual void setShownText(QAccessible::Text t, const QString& text) {
        QAccessibleWidget::setText(t, text);
    }
    virtual void* shownInterface(QAccessible::InterfaceType t) {
        return QAccessibleWidget::interface_cast(t);
    }
};

class LabelAccessible : public FieldAccessible {
public:
    explicit LabelAccessible(Label* label) : FieldAccessible(label, QAccessible::StaticText) {}

protected:
    QString shownText(QAccessible::Text t) const override {
        QString str;
        if (t == QAccessible::Name) {
            str = widget()->accessibleName();
            if (str.isEmpty())
                str = static_cast<const QLabel*>(widget())->text();
        }
        return str.isEmpty() ? QAccessibleWidget::text(t) : str;
    }
};

// What Qt's own line edit offers screen readers, built again here: Qt's class is not public.
class TextBoxAccessible : public FieldAccessible,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(TextBox* box) : FieldAccessible(box, QAccessible::EditableText) {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.readOnly = edit()->isReadOnly();
        s.passwordEdit = edit()->echoMode() != QLineEdit::Normal;
        s.selectableText = true;
        return s;
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0)
            return;
        *start = edit()->selectionStart();
        *end = *start + int(edit()->selectedText().size());
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            edit()->deselect();
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            edit()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        if (start > end || !clear())
            return QString();
        return edit()->text().mid(start, end - start);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        if (!clear())
            return noText(start, end);
        return QAccessibleTextInterface::textBeforeOffset(at(offset), type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        if (!clear())
            return noText(start, end);
        return QAccessibleTextInterface::textAfterOffset(at(offset), type, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        if (!clear())
            return noText(start, end);
        return QAccessibleTextInterface::textAtOffset(at(offset), type, start, end);
    }
    int characterCount() const override { return int(edit()->text().size()); }
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override {
        edit()->setCursorPosition(end);
        edit()->setCursorPosition(start);
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return QString();
    }

    // Reached through QLineEdit, the box takes these as the user's edits.
    void deleteText(int start, int end) override {
        edit()->setText(edit()->text().remove(start, end - start));
    }
    void insertText(int offset, const QString& text) override {
        edit()->setText(edit()->text().insert(offset, text));
    }
    void replaceText(int start, int end, const QString& text) override {
        edit()->setText(edit()->text().replace(start, end - start, text));
    }

protected:
    QString shownText(QAccessible::Text t) const override {
        QString str;
        if (t == QAccessible::Value && edit()->echoMode() == QLineEdit::Normal)
            str = edit()->text();
        else if (t == QAccessible::Value && edit()->echoMode() != QLineEdit::NoEcho)
            str = QString(edit()->text().size(), QLatin1Char('*'));
        if (str.isEmpty())
            str = QAccessibleWidget::text(t);
        if (str.isEmpty() && t == QAccessible::Description)
            str = edit()->placeholderText();
        return str;
    }
    void setShownText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(t, text);
    }
    void* shownInterface(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    bool clear() const { return edit()->echoMode() == QLineEdit::Normal; }
    int at(int offset) const { return offset == -2 ? cursorPosition() : offset; }
    static QString noText(int* start, int* end) {
        *start = *end = -1;
        return QString();
    }
};

// Where the line edit draws the character, found as the line edit lays out its one line: inside
// its contents and text margins, two pixels in from each side, aligned, scrolled so the cursor
// shows.
QRect TextBoxAccessible::characterRect(int offset) const {
    const QString ch = text(offset, offset + 1);
    if (ch.isEmpty())
        return QRect();
    const QLineEdit* e = edit();
    QStyleOptionFrame opt;
    opt.initFrom(e);
    opt.rect = e->rect();
    opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
    opt.state |= QStyle::State_Sunken;
    const QRect line = e->style()
                           ->subElementRect(QStyle::SE_LineEditContents, &opt, e)
                           .marginsRemoved(e->textMargins())
                           .adjusted(2, 0, -2, 0);
    const QFontMetrics fm(e->font());
    const QString all = e->text();
    const int used = fm.horizontalAdvance(all) + 1;
    int scroll = 0;
    if (used <= line.width()) {
        const Qt::Alignment h = QStyle::visualAlignment(e->layoutDirection(), e->alignment());
        if (h & Qt::AlignRight)
            scroll = used - line.width();
        else if (h & Qt::AlignHCenter)
            scroll = (used - line.width()) / 2;
    } else {
        scroll = std::max(0, fm.horizontalAdvance(all.left(e->cursorPosition())) - line.width() + 1);
    }
    const int x = line.x() - scroll + fm.horizontalAdvance(all.left(offset));
    const int y = line.y() + (line.height() - fm.height() + 1) / 2;
    return QRect(e->mapToGlobal(QPoint(x, y)), QSize(fm.horizontalAdvance(ch), fm.height()));
}

QAccessibleInterface* fieldFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel"))
        if (auto* label = dynamic_cast<Label*>(object))
            return new LabelAccessible(label);
    if (className == QLatin1String("QLineEdit"))
        if (auto* box = dynamic_cast<TextBox*>(object))
            return new TextBoxAccessible(box);
    return nullptr;
}

} // namespace

void installFieldAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(fieldFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
