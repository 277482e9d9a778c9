#include "Controls.h"

#include "DataControl.h"
#include "FieldAccessibility.h"
#include "Platform.h"
#include "Runtime.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFontInfo>
#include <QHash>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <sys/stat.h>

namespace {
QFont boldTypewriter(const QString& family, double points) {
    QFont f(family);
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}
} // namespace

QFont courierFont(double points) {
    return boldTypewriter(QStringLiteral("Courier"), points);
}

QFont courierNewFont(double points) {
    return boldTypewriter(QStringLiteral("Courier New"), points);
}

BoundField::~BoundField() {
    if (m_source)
        m_source->unbind(this);
}

void BoundField::setDataSource(DataControl* source, const QString& field) {
    m_source = source;
    m_field = field;
    source->bind(this);
}

void BoundField::edited(const QString& text) {
    if (m_source && !m_refilling)
        m_source->fieldEdited(m_field, text);
}

Label::Label(QWidget* parent) : QLabel(parent) {
    installFieldAccessibility();
    setTextFormat(Qt::PlainText);
    setFont(courierFont(9.75));
    setWordWrap(true);
}

void Label::storeText(const QString& text) {
    QLabel::setText(text);
    edited(text);
}

void Label::showFieldText(const QString& text) {
    m_refilling = true;
    QLabel::setText(text);
    m_refilling = false;
}

int Label::lineStep() const {
    // The platform's Courier set its lines one em apart; our outline faces ask for far more room
    // (Nimbus Mono half as much again), which would push the last line of a caption out of its label.
    const QFontMetrics fm(font());
    if (font().family() == QLatin1String("Courier"))
        return std::min(fm.lineSpacing(), QFontInfo(font()).pixelSize());
    return fm.lineSpacing();
}

std::unique_ptr<QTextLayout> Label::textLayout() const {
    const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int step = lineStep();
    auto layout = std::make_unique<QTextLayout>(text(), font(), this);
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::ManualWrap);
    layout->setTextOption(option);
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(r.width());
        line.setPosition(QPointF(r.left(), r.top() + line.lineNumber() * step));
    }
    layout->endLayout();
    return layout;
}

void Label::paintEvent(QPaintEvent* event) {
    if (text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    const std::unique_ptr<QTextLayout> layout = textLayout();
    const QFontMetrics fm(font());
    const int step = lineStep();
    // Each line's baseline sits where the platform put it within its band.
    const int baseline = step < fm.lineSpacing() ? qRound(step * 0.8) : fm.ascent();
    QPainter p(this);
    // A line that does not fit is cut at the contents' lower edge, not drawn over the frame; the
    // tops of tall letters on the first line may reach above it.
    QRect clip = contentsRect();
    clip.setTop(0);
    p.setClipRect(clip);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    layout->draw(&p, QPointF(0, baseline - fm.ascent()));
}

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    installFieldAccessibility();
    setFont(courierFont(9.75));
    // Every route that changes the text ends here: typing, paste, undo, an assistive tool, code.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { changed(t); });
}

void TextBox::storeText(const QString& text) {
    const QString before = QLineEdit::text();
    m_byCode = true;
    QLineEdit::setText(text);
    m_byCode = false;
    // Code that sets the text a box already shows still sets the field (a new record's empty name).
    if (QLineEdit::text() == before)
        edited(before);
}

void TextBox::showFieldText(const QString& text) {
    m_refilling = true;
    QLineEdit::setText(text);
    m_refilling = false;
    m_before = m_shown = QLineEdit::text();
}

void TextBox::changed(const QString& text) {
    if (m_adjusting)
        return;
    if (m_refilling) {
        m_before = m_shown = text;
        return;
    }
    QString result = text;
    const QString& old = m_before;
    if (m_limit > 0 && !m_byCode && text.size() > m_limit && text != m_shown) {
        // What was inserted lies between the part kept at the head and the part kept at the tail;
        // the selection it replaced is gone. Of the insertion only as much is kept as leaves the
        // text within the limit, so a paste cannot store what no gate accepts. Typing and pasting
        // leave the cursor where the insertion ends, which tells repeated characters apart; a text
        // set whole (an assistive tool) puts it at the end, where the longest common head and tail
        // are the best guess.
        qsizetype tail = text.size() - cursorPosition();
        if (tail <= 0 || tail > old.size() || text.right(tail) != old.right(tail))
            tail = -1;
        qsizetype head = 0;
        const qsizetype headRoom =
            tail < 0 ? old.size() : std::min<qsizetype>(cursorPosition(), old.size() - tail);
        while (head < headRoom && head < text.size() && old[head] == text[head])
            ++head;
        if (tail < 0) {
            tail = 0;
            while (tail < old.size() - head && tail < text.size() - head &&
                   old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
                ++tail;
        }
        // The limit counts UTF-16 units, as the box does, but no cut may fall inside a character
        // (a surrogate pair, a letter and its accent): half of one is a password nobody can type.
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
        const auto boundary = [&characters](qsizetype pos, bool forward) {
            characters.setPosition(int(pos));
            if (!characters.isAtBoundary())
                forward ? characters.toNextBoundary() : characters.toPreviousBoundary();
            return qsizetype(characters.position());
        };
        head = boundary(head, false);
        tail = text.size() - boundary(text.size() - tail, true);
        const qsizetype inserted = text.size() - head - tail;
        const qsizetype room = std::max<qsizetype>(0, m_limit - head - tail);
        if (inserted > room) {
            const qsizetype cut = std::max(head, boundary(head + room, false));
            result = text.left(cut) + text.right(tail);
            m_adjusting = true;
            QLineEdit::setText(result);
            setCursorPosition(int(cut));
            m_adjusting = false;
            if (result == old)
                return;
        }
    }
    m_before = result;
    edited(result);
}

CommandButton::CommandButton(QWidget* parent, const QString& caption) : QPushButton(caption, parent) {
    setFont(courierFont(9.75));
    setAutoDefault(false);
    setDefault(false);
}

void CommandButton::onClick(std::function<void()> handler) {
    connect(this, &QPushButton::clicked, this, [h = std::move(handler)] { rt::run(h); });
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

Frame::Frame(QWidget* parent, const QString& caption) : QGroupBox(caption, parent) {
    setFont(courierFont(9.75));
    setFocusPolicy(Qt::NoFocus);
}

OptionButton::OptionButton(QWidget* parent, const QString& caption) : QRadioButton(caption, parent) {
    setFont(courierFont(9.75));
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        becomeTabStop();
        // A click reports itself below; code runs the handler in setValue.
        if (!m_clicking && !m_byCode)
            selected();
    });
    connect(this, &QAbstractButton::clicked, this, [this] { selected(); });
}

void OptionButton::onClick(std::function<void()> handler) {
    m_click = std::move(handler);
}

void OptionButton::selected() {
    if (m_click)
        rt::run(m_click);
}

void OptionButton::setValue(bool selected) {
    m_byCode = true;
    setChecked(selected);
    m_byCode = false;
    if (!selected)
        return;
    // The focus stays with the selection: Space on a focused neighbour would otherwise pick it.
    QWidget* focus = window()->focusWidget();
    if (focus && focus != this && focus->parentWidget() == parentWidget() &&
        dynamic_cast<OptionButton*>(focus))
        setFocus(Qt::OtherFocusReason);
    if (m_click)
        m_click();
}

void OptionButton::nextCheckState() {
    const bool was = m_clicking;
    m_clicking = true;
    QRadioButton::nextCheckState();
    m_clicking = was;
}

void OptionButton::focusInEvent(QFocusEvent* event) {
    QRadioButton::focusInEvent(event);
    // Qt makes the focused option its group's tab stop; the selected one stays it.
    if (!parentWidget())
        return;
    for (OptionButton* o : parentWidget()->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly))
        if (o->isChecked())
            o->becomeTabStop();
}

void OptionButton::becomeTabStop() {
    if (!parentWidget())
        return;
    for (OptionButton* o : parentWidget()->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly))
        o->setFocusPolicy(o == this ? Qt::StrongFocus : Qt::ClickFocus);
}

Image::Image(QWidget* parent) : QWidget(parent) {}

void Image::setPicture(const QImage& picture) {
    if (picture.cacheKey() == m_picture.cacheKey() || (picture.isNull() && m_picture.isNull()))
        return;
    m_picture = picture;
    update();
}

void Image::onDblClick(std::function<void()> handler) {
    m_dblClick = std::move(handler);
}

void Image::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), m_picture);
}

void Image::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dblClick)
        rt::run(m_dblClick);
}

Timer::Timer(QObject* parent, int interval) : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    setInterval(interval);
}

void Timer::setInterval(int ms) {
    m_interval = ms;
    if (ms <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(std::max(ms, 10));
}

void Timer::onTick(std::function<void()> handler) {
    m_tick = std::move(handler);
}

void Timer::tick() {
    if (m_busy || !m_tick)
        return;
    m_busy = true;
    rt::run(m_tick);
    m_busy = false;
}

namespace {
// What identifies the bytes of a file without reading them: any write changes the change time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

// What the bytes of a file gave when decoded: a picture, or the text of the error they raise.
// Bytes that are no picture are remembered as well, or a timer would read and decode a large
// file of them many times a second.
struct CachedPicture {
    FileStamp stamp;
    QByteArray digest; // of the bytes decoded, so that a touched but unchanged file is not decoded
    QImage image;
    QString failure; // empty when the bytes decoded
    quint64 lastUse = 0;

    QImage result() const {
        if (!failure.isEmpty())
            throw RuntimeError(failure);
        return image;
    }
    // What the entry holds, its path counted by the caller.
    qint64 bytes() const {
        return qint64(sizeof(CachedPicture)) + image.sizeInBytes() + digest.size() +
               failure.size() * qint64(sizeof(QChar));
    }
};

// Far more than a 400 x 400 picture or an icon can take in any format the pictures come in; a
// larger file is not read at all, so that it can neither fill the memory nor hold up the window.
constexpr qint64 MaxPictureFileBytes = 64 * 1024 * 1024;

// No image shows a picture larger than a category picture is made, 400 x 400 (the largest image
// is smaller on screen), so no more is kept: a photo chosen as a picture would otherwise hold
// about 100 MB decoded.
constexpr QSize MaxPictureSize(400, 400);

// The pictures kept take at most this much: at 400 x 400 in 32-bit colour (640 KiB) that is about
// fifty pictures, more than the categories a user steps through, while the timers poll only a
// few files. The least recently loaded go first, so a polled file stays and is not read again.
constexpr qint64 PictureCacheBudget = 32 * 1024 * 1024;

struct PictureCache {
    QHash<QString, CachedPicture> entries;
    qint64 bytes = 0;
    quint64 uses = 0;

    static qint64 cost(const QString& path, const CachedPicture& entry) {
        return path.size() * qint64(sizeof(QChar)) + entry.bytes();
    }

    void store(const QString& path, CachedPicture entry) {
        entry.lastUse = ++uses;
        const auto it = entries.find(path);
        if (it != entries.end()) {
            bytes -= cost(path, *it);
            *it = std::move(entry);
        } else {
            entries.insert(path, std::move(entry));
        }
        bytes += cost(path, entries[path]);
        if (bytes <= PictureCacheBudget)
            return;
        QList<std::pair<quint64, QString>> byAge;
        for (auto e = entries.cbegin(); e != entries.cend(); ++e)
            if (e.key() != path)
                byAge.append({e->lastUse, e.key()});
        std::sort(byAge.begin(), byAge.end());
        for (const auto& [use, oldest] : byAge) {
            if (bytes <= PictureCacheBudget)
                break;
            bytes -= cost(oldest, entries.value(oldest));
            entries.remove(oldest);
        }
    }
};

PictureCache& pictureCache() {
    static PictureCache cache;
    return cache;
}

int pictureFilesRead = 0;

// Each side is bounded on its own: the image stretches its picture over its rectangle whatever its
// proportions, so this shows the same, and a side within the bound keeps every pixel it has. A
// picture within the bound is decoded as it is.
QImage decodeBounded(QIODevice* device) {
    QImageReader reader(device);
    const QSize size = reader.size();
    if (size.isValid() && size.boundedTo(MaxPictureSize) != size)
        reader.setScaledSize(size.boundedTo(MaxPictureSize)); // JPEG then decodes small outright
    QImage image = reader.read();
    const QSize decoded = image.size();
    if (!image.isNull() && decoded.boundedTo(MaxPictureSize) != decoded) // a format that told no size
        image =
            image.scaled(decoded.boundedTo(MaxPictureSize), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}
} // namespace

QImage LoadPicture(const QString& path) {
    if (path.isEmpty())
        return QImage();
    PictureCache& cache = pictureCache();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        throw RuntimeError(QStringLiteral("Файл «%1» не найден.").arg(path));
    const FileStamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    auto it = cache.entries.find(path);
    // Polling timers load the same file many times a second: an unchanged file is not read again.
    if (it != cache.entries.end() && it->stamp == stamp) {
        it->lastUse = ++cache.uses;
        return it->result();
    }
    // Failing to open or to read is not remembered: its cause may lie outside the file (no
    // descriptors left, a disk error) and pass while the file stays as it is.
    const QString unreadable = QStringLiteral("Файл «%1» не открывается.").arg(path);
    if (st.st_size > MaxPictureFileBytes)
        throw RuntimeError(unreadable);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(unreadable);
    ++pictureFilesRead;
    QByteArray bytes = file.read(MaxPictureFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxPictureFileBytes)
        throw RuntimeError(unreadable); // grew since it was looked at, or the read broke off
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    if (it != cache.entries.end() && it->digest == digest) {
        it->stamp = stamp;
        it->lastUse = ++cache.uses;
        return it->result();
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CachedPicture decoded{stamp, digest, decodeBounded(&buffer), QString()};
    if (decoded.image.isNull())
        decoded.failure = QStringLiteral("Файл «%1» не является рисунком.").arg(path);
    cache.store(path, decoded);
    return decoded.result();
}

void resetPictureCacheForTests() {
    pictureCache() = PictureCache();
    pictureFilesRead = 0;
}

qint64 pictureCacheBytesForTests() {
    return pictureCache().bytes;
}

int pictureFilesReadForTests() {
    return pictureFilesRead;
}
