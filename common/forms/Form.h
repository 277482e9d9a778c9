#pragma once
// A window of the system: its controls are built with their design values in the constructor of the
// window class; the runtime loads it (Form_Load, then its data sources open), shows it, raises our
// own Activate event and unloads it.

#include <QImage>
#include <QWidget>

class DataControl;
class QEventLoop;

// Positions and sizes are given in twips: 1440 to the inch at the screen's logical resolution.
int twips(int t);

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString& name);
    ~Form() override;

    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    // The user closed the window by its close box: it stores and unloads, unless the user chooses
    // to stay when the database refuses what it holds.
    virtual void closeBox_Click();

    const QString& formName() const { return m_name; }
    bool isLoaded() const { return m_loaded; }

    void setCaption(const QString& caption) { setWindowTitle(caption); }
    void setIconPicture(const QIcon& icon);
    void setClientSize(int widthTwips, int heightTwips);
    // Opens with the top-left corner of its client area here instead of centred on the screen.
    void setFixedPosition(int leftTwips, int topTwips);
    // Without a close box the window can only be left through its own buttons.
    void setCloseBox(bool closeBox);
    bool hasCloseBox() const { return m_closeBox; }
    void setInitialFocus(QWidget* widget) { m_initialFocus = widget; }
    QWidget* initialFocus() const { return m_initialFocus; }

    // 0 the default pointer, 11 the hourglass.
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The close box of a window whose own way out refuses an incomplete record; `missing` is that
    // refusal for the current record of `source`, empty when the way out accepts it. A changed
    // record it refuses is left only when the user chooses so, and then without its changes;
    // anything else is stored and unloaded as by closeBox_Click.
    void closeBoxRefusingIncomplete(DataControl& source, const QString& missing);

private:
    friend struct RuntimeAccess;
    QString m_name;
    bool m_loaded = false;
    bool m_closeBox = true;
    bool m_fixedPosition = false;
    QPoint m_position;
    bool m_placed = false;
    QWidget* m_initialFocus = nullptr;
    int m_mousePointer = 0;
    QEventLoop* m_modalLoop = nullptr;
    quint64 m_serial = 0;
};

// Places a control in twips relative to its parent (a window or a frame).
void place(QWidget* control, int left, int top, int width, int height);

// Gives a control its name (also its Qt objectName) and returns it.
template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
