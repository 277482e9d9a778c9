#include "Controls.h"

#include "DataControl.h"
#include "Platform.h"
#include "Runtime.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <sys/stat.h>

QFont courierFont(double points) {
    QFont f(QStringLiteral("Courier"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

QFont courierNewFont(double points) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
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
    setTextFormat(Qt::PlainText);
    setFont(courierFont(9.75));
}

void Label::setText(const QString& text) {
    QLabel::setText(text);
    edited(text);
}

void Label::showFieldText(const QString& text) {
    m_refilling = true;
    QLabel::setText(text);
    m_refilling = false;
}

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setFont(courierFont(9.75));
    connect(this, &QLineEdit::textEdited, this, [this](const QString& t) { edited(t); });
}

void TextBox::setText(const QString& text) {
    QLineEdit::setText(text);
    edited(QLineEdit::text());
}

void TextBox::showFieldText(const QString& text) {
    m_refilling = true;
    QLineEdit::setText(text);
    m_refilling = false;
}

CommandButton::CommandButton(QWidget* parent, const QString& caption) : QPushButton(caption, parent) {
    setFont(courierFont(9.75));
    setAutoDefault(false);
    setDefault(false);
}

void CommandButton::onClick(std::function<void()> handler) {
    connect(this, &QPushButton::clicked, this, [h = std::move(handler)] { rt::run(h); });
}

Frame::Frame(QWidget* parent, const QString& caption) : QGroupBox(caption, parent) {
    setFont(courierFont(9.75));
    setFocusPolicy(Qt::NoFocus);
}

OptionButton::OptionButton(QWidget* parent, const QString& caption) : QRadioButton(caption, parent) {
    setFont(courierFont(9.75));
    connect(this, &QRadioButton::clicked, this, [this] {
        if (m_click)
            rt::run(m_click);
    });
}

void OptionButton::onClick(std::function<void()> handler) {
    m_click = std::move(handler);
}

void OptionButton::setValue(bool selected) {
    setChecked(selected);
    if (selected && m_click)
        m_click();
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

struct CachedPicture {
    FileStamp stamp;
    QByteArray digest; // of the bytes decoded, so that a touched but unchanged file is not decoded
    QImage image;
};

// Far more than a 400 x 400 picture or an icon can take in any format the pictures come in; a
// larger file is not read at all, so that it can neither fill the memory nor hold up the window.
constexpr qint64 MaxPictureFileBytes = 64 * 1024 * 1024;
} // namespace

QImage LoadPicture(const QString& path) {
    if (path.isEmpty())
        return QImage();
    static QHash<QString, CachedPicture> cache;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        throw RuntimeError(QStringLiteral("Файл «%1» не найден.").arg(path));
    const FileStamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    auto it = cache.find(path);
    // Polling timers load the same file many times a second: an unchanged file is not read again.
    if (it != cache.end() && it->stamp == stamp)
        return it->image;
    const QString unreadable = QStringLiteral("Файл «%1» не открывается.").arg(path);
    if (st.st_size > MaxPictureFileBytes)
        throw RuntimeError(unreadable);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(unreadable);
    QByteArray bytes = file.read(MaxPictureFileBytes + 1);
    if (bytes.size() > MaxPictureFileBytes)
        throw RuntimeError(unreadable); // grew since it was looked at
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    if (it != cache.end() && it->digest == digest) {
        it->stamp = stamp;
        return it->image;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(QStringLiteral("Файл «%1» не является рисунком.").arg(path));
    if (cache.size() >= 16)
        cache.clear();
    cache.insert(path, {stamp, digest, image});
    return image;
}
