#pragma once
// The intrinsic controls the windows are built from. Each carries its design values through plain
// setters; events reach the window's handlers through the runtime, so failures land in one place.

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <memory>

class DataControl;
class QTextLayout;

// The fonts of the system: Courier in points, bold.
QFont courierFont(double points);
QFont courierNewFont(double points);

// A label or text box bound to one field of its data source's current record.
class BoundField {
public:
    virtual ~BoundField();
    void setDataSource(DataControl* source, const QString& field);
    DataControl* dataSource() const { return m_source; }
    const QString& dataField() const { return m_field; }
    // The source shows its current record; this is not an edit.
    virtual void showFieldText(const QString& text) = 0;
    // Without a current record there is nothing to edit: a text box then takes no typing.
    virtual void recordAvailable(bool) {}
    void detachSource() { m_source = nullptr; }

protected:
    void edited(const QString& text);
    bool m_refilling = false;

private:
    DataControl* m_source = nullptr;
    QString m_field;
};

// Wraps its text at word boundaries (a word wider than the label breaks where it must), keeping the
// horizontal part of its alignment. Lines run down from its top whatever the vertical part says, as
// the platform's labels had no other: what does not fit is cut at the bottom, never the first line.
// Lines are one em apart, as the platform's Courier set them, so a caption sized for that fits.
class Label : public QLabel, public BoundField {
public:
    explicit Label(QWidget* parent);
    // Shows the text and stores it into the bound field of the current record: the one route by
    // which code changes a bound label's field.
    void storeText(const QString& text);
    // Hidden so that no call can look like a store and skip it; QLabel::setText only shows.
    void setText(const QString& text) = delete;
    void showFieldText(const QString& text) override;
    // The distance from one line of text to the next.
    int lineStep() const;
    // The text laid out as it is drawn, in the label's coordinates: each line's position is the
    // top left of its band of lineStep() pixels, the first band at the top of the contents rect
    // (after the margin). Lines below the contents rect are laid out too; drawing cuts them.
    std::unique_ptr<QTextLayout> textLayout() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Any change of its text stores into the bound field (typing, paste, undo, accessibility, code),
// except the data source showing its record. The typing limit holds for what the user inserts,
// counting a selection it replaces as removed, never for what the source shows: a longer stored
// text shows whole and stays so until the user edits it.
class TextBox : public QLineEdit, public BoundField {
public:
    explicit TextBox(QWidget* parent);
    // The route by which code stores; it also stores a text the box already shows.
    void storeText(const QString& text);
    // Hidden so that code cannot reach Qt's setText by mistake. Reached through QLineEdit, as
    // assistive tools do, it is the user's edit and stores within the typing limit.
    void setText(const QString& text) = delete;
    void showFieldText(const QString& text) override;
    void recordAvailable(bool available) override { setReadOnly(!available); }
    // 0: no limit.
    void setTypingLimit(int characters) { m_limit = characters; }
    int typingLimit() const { return m_limit; }

private:
    void changed(const QString& text);
    QString m_before; // the text before the change being handled
    QString m_shown;  // the text the source last showed
    int m_limit = 0;
    bool m_byCode = false;
    bool m_adjusting = false;
};

// Enter and keypad Enter click the focused button, as Space does; no button is a default button.
class CommandButton : public QPushButton {
public:
    CommandButton(QWidget* parent, const QString& caption);
    void onClick(std::function<void()> handler);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class Frame : public QGroupBox {
public:
    Frame(QWidget* parent, const QString& caption);
};

// Option buttons of one frame exclude each other. Selecting one by any means (a click, the
// keyboard, an assistive tool, setValue(true) in code) runs its Click handler once. The selected
// option is its frame's tab stop, so Tab and Shift+Tab into the frame land on it.
class OptionButton : public QRadioButton {
public:
    OptionButton(QWidget* parent, const QString& caption);
    void onClick(std::function<void()> handler);
    bool value() const { return isChecked(); }
    void setValue(bool selected);

protected:
    void nextCheckState() override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void selected();
    void becomeTabStop();
    std::function<void()> m_click;
    bool m_clicking = false;
    bool m_byCode = false;
};

// Paints its picture stretched over its whole rectangle, or nothing for an empty picture.
class Image : public QWidget {
public:
    explicit Image(QWidget* parent);
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    void onDblClick(std::function<void()> handler);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    std::function<void()> m_dblClick;
};

// Interval in milliseconds; 0 stops it. It cannot fire faster than every 10 ms, and a tick that
// falls due while its handler still runs is dropped, not queued.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent, int interval = 0);
    int interval() const { return m_interval; }
    void setInterval(int ms);
    void onTick(std::function<void()> handler);
    bool isActive() const { return m_timer.isActive(); }
    void stop() { m_timer.stop(); }

private:
    QTimer m_timer;
    int m_interval = 0;
    bool m_busy = false;
    std::function<void()> m_tick;

public:
    // Test seams
    // Runs the handler as a tick would (tests call it instead of waiting).
    void tick();
};

// Loads a picture from a file: an empty path gives an empty picture; a missing or unreadable file,
// or one that is no picture, throws RuntimeError. Each call looks at the file anew; while it is
// unchanged since the previous load of the same path, that load's picture or error comes back
// without the file being read, so polling stays cheap whatever the file holds. A picture larger
// than 400 x 400 comes back no larger on either side, as no image shows more.
QImage LoadPicture(const QString& path);

// Test seams
// Forgets every picture LoadPicture has kept, so no test sees another's files.
void resetPictureCacheForTests();
// How many times LoadPicture has read a file's bytes since the last reset.
int pictureFilesReadForTests();
// The bytes the pictures and failures LoadPicture keeps take, as counted against its budget.
qint64 pictureCacheBytesForTests();
