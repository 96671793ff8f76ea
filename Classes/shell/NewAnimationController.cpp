#include "shell/NewAnimationController.h"

#include "base/Exception.h"
#include "base/Screen.h"
#include "engine/CCTextureCache.h"
#include "platform/AlertView.h"
#include "platform/Paths.h"
#include "shell/ShellLook.h"

#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>
#include <QToolButton>
#include <QWheelEvent>
#include <QtMath>

#include <cmath>

// ---------------------------------------------------------------- page dots

PageControl::PageControl(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
}

void PageControl::setNumberOfPages(int n) {
    pages_ = n;
    update();
}

void PageControl::setCurrentPage(int page) {
    current_ = page;
    update();
}

QRect PageControl::dotRect(int page) const {
    constexpr int kDot = 7, kGap = 9;
    const int total = pages_ * kDot + (pages_ - 1) * kGap;
    const int x0 = (width() - total) / 2;
    return QRect(x0 + page * (kDot + kGap), (height() - kDot) / 2, kDot, kDot);
}

void PageControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < pages_; ++i) {
        p.setBrush(i == current_ ? QColor(0x3a, 0x3a, 0x3c) : QColor(0xb4, 0xb4, 0xba));
        p.drawEllipse(dotRect(i));
    }
}

void PageControl::mousePressEvent(QMouseEvent* e) {
    for (int i = 0; i < pages_; ++i) {
        if (dotRect(i).adjusted(-4, -8, 4, 8).contains(e->position().toPoint()) && onPageClicked)
            onPageClicked(i);
    }
}

// ---------------------------------------------------------------- chooser

namespace {

constexpr int kStripX = 90;
constexpr int kStripY = shelllook::kBarHeight + 14;

// The strip turns a page per wheel step instead of scrolling by pixels.
class PagedStrip : public QScrollArea {
public:
    std::function<void(int)> turn;
    explicit PagedStrip(QWidget* parent) : QScrollArea(parent) {}

protected:
    void wheelEvent(QWheelEvent* e) override {
        const QPoint d = e->angleDelta();
        const int step = std::abs(d.x()) > std::abs(d.y()) ? d.x() : d.y();
        if (step != 0 && turn)
            turn(step < 0 ? 1 : -1);
        e->accept();
    }
};

QIcon pictureIcon(const QString& name) {
    QIcon icon;
    icon.addFile(platform::resourcePath(name));
    icon.addFile(platform::resourcePath(CCTextureCache::hdName(name)));
    return icon;
}

} // namespace

NewAnimationController::NewAnimationController(QObject* parent)
    : platform::ViewController(parent) {}

const QStringList& NewAnimationController::titles() {
    static const QStringList t{QStringLiteral("Blank"),         QStringLiteral("Castle"),
                               QStringLiteral("Western"),       QStringLiteral("Street"),
                               QStringLiteral("Warehouse"),     QStringLiteral("Roof of skyscaper"),
                               QStringLiteral("Musical stage"), QStringLiteral("Dojo"),
                               QStringLiteral("Battlefield"),   QStringLiteral("Graveyard"),
                               QStringLiteral("Custom")};
    return t;
}

const QStringList& NewAnimationController::backgrounds() {
    static const QStringList b{QStringLiteral("background-white-scroll.jpg"),
                               QStringLiteral("background-castle-scroll.jpeg"),
                               QStringLiteral("background-western-scroll.jpeg"),
                               QStringLiteral("background-street-scroll.jpeg"),
                               QStringLiteral("background-warehouse-scroll.jpeg"),
                               QStringLiteral("background-roof-scroll.jpg"),
                               QStringLiteral("background-concert-scroll.jpg"),
                               QStringLiteral("background-dojo-scroll.jpg"),
                               QStringLiteral("background-battlefield-scroll.jpg"),
                               QStringLiteral("background-graveyard-scroll.png")};
    return b;
}

void NewAnimationController::loadView() {
    QWidget* page = shelllook::makePage(QStringLiteral("chooser"));
    page->setStyleSheet(page->styleSheet() +
                        QStringLiteral("#chooserArrow { font-size: 22px; border: none; color: "
                                       "#3a3a3c; background: transparent; }"
                                       "#customBackground { background: #dcdce2; }"
                                       "#chooserHint { color: #6b6b70; font-size: 11px; }"));
    const shelllook::Bar bar =
        shelllook::makeBar(page, QStringLiteral("Blank"), QStringLiteral("Close"), QString());
    label_ = bar.title;
    QObject::connect(bar.left, &QPushButton::clicked, this, [this, b = bar.left] { close(b); });

    auto* strip = new PagedStrip(page);
    strip->turn = [this](int by) {
        showPage(pageForOffset(scrollView_->horizontalScrollBar()->value(), kPageWidth) + by, true);
    };
    scrollView_ = strip;
    scrollView_->setObjectName(QStringLiteral("backgroundStrip"));
    scrollView_->setGeometry(kStripX, kStripY, kPageWidth, kPageHeight);
    scrollView_->setFrameShape(QFrame::NoFrame);
    scrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView_->setFocusPolicy(Qt::NoFocus);
    // A finger drags the strip; the mouse clicks previews and turns pages with the wheel.
    QScroller::grabGesture(scrollView_->viewport(), QScroller::TouchGesture);

    auto arrow = [&](const QString& text, int x, int by) {
        auto* b = new QToolButton(page);
        b->setObjectName(QStringLiteral("chooserArrow"));
        b->setText(text);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(x, kStripY + kPageHeight / 2 - 22, 44, 44);
        QObject::connect(b, &QToolButton::clicked, this,
                         [this, by] { showPage(pageControl_->currentPage() + by, true); });
    };
    arrow(QStringLiteral("\u2039"), kStripX - 54, -1);
    arrow(QStringLiteral("\u203a"), kStripX + kPageWidth + 10, 1);

    pageControl_ = new PageControl(page);
    pageControl_->setObjectName(QStringLiteral("pageControl"));
    pageControl_->setGeometry(kStripX - 40, kStripY + kPageHeight + 6, kPageWidth + 80, 20);
    pageControl_->onPageClicked = [this](int p) {
        showPage(p, true);
    };

    auto* hint = new QLabel(QStringLiteral("Left and Right turn the pages, Return chooses, "
                                           "Escape closes."),
                            page);
    hint->setObjectName(QStringLiteral("chooserHint"));
    hint->setAlignment(Qt::AlignCenter);
    hint->setGeometry(0, kStripY + kPageHeight + 30, kScreenWidth, 20);

    // The picture-source page. A desktop has no camera to offer, only picture files.
    customBackgroundView_ = new QWidget;
    customBackgroundView_->setObjectName(QStringLiteral("customBackground"));
    customBackgroundView_->setAttribute(Qt::WA_StyledBackground);
    auto* text =
        new QLabel(QStringLiteral("A picture of your own\n(PNG or JPEG)"), customBackgroundView_);
    text->setAlignment(Qt::AlignCenter);
    text->setGeometry(0, 40, kPageWidth, 50);
    loadCustomBackgroundFromPhotoLibrary_ =
        new QPushButton(QStringLiteral("Choose a picture\u2026"), customBackgroundView_);
    loadCustomBackgroundFromPhotoLibrary_->setObjectName(QStringLiteral("choosePicture"));
    loadCustomBackgroundFromPhotoLibrary_->setFocusPolicy(Qt::NoFocus);
    loadCustomBackgroundFromPhotoLibrary_->setGeometry(kPageWidth / 2 - 80, 110, 160, 32);
    QObject::connect(loadCustomBackgroundFromPhotoLibrary_, &QPushButton::clicked, this,
                     [this] { chooseBackgroundFromPhotoLibrary(); });

    page->setFocusPolicy(Qt::StrongFocus);
    page->installEventFilter(this);
    setView(page);
}

void NewAnimationController::viewDidLoad() {
    const int w = kPageWidth, h = kPageHeight;
    label_->setText(titles().front());
    pageControl_->setNumberOfPages(int(backgrounds().size()) + 1);
    auto* content = new QWidget;
    content->resize(w * kPageCount, h);
    for (int d = 0; d < int(backgrounds().size()); ++d) {
        auto* b = new QToolButton(content);
        b->setObjectName(QStringLiteral("background%1").arg(d + 1));
        b->setProperty("tag", d + 1);
        b->setToolTip(titles()[d]);
        b->setIcon(pictureIcon(backgrounds()[d]));
        b->setIconSize(QSize(w, h));
        b->setAutoRaise(true);
        b->setStyleSheet(QStringLiteral("border: none; padding: 0;"));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(d * w, 0, w, h);
        QObject::connect(b, &QToolButton::clicked, this, [this, b] { backgroundSelected(b); });
    }
    customBackgroundView_->setParent(content);
    customBackgroundView_->setGeometry(w * 10, 0, w, h);
    scrollView_->setWidget(content);
    QObject::connect(scrollView_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
                     [this] { scrollViewDidScroll(); });
    // A drag comes to rest on a whole page.
    QList<qreal> snaps;
    for (int p = 0; p < kPageCount; ++p)
        snaps << p * w;
    QScroller::scroller(scrollView_->viewport())->setSnapPositionsX(snaps);
}

int NewAnimationController::pageForOffset(double offsetX, double pageWidth) {
    const int page = int(std::floor((offsetX - pageWidth / 2) / pageWidth)) + 1;
    return std::clamp(page, 0, kPageCount - 1);
}

void NewAnimationController::scrollViewDidScroll() {
    const int page = pageForOffset(scrollView_->horizontalScrollBar()->value(), kPageWidth);
    label_->setText(titles()[page]);
    pageControl_->setCurrentPage(page);
}

void NewAnimationController::showPage(int page, bool animated) {
    view();
    page = std::clamp(page, 0, kPageCount - 1);
    if (animated)
        QScroller::scroller(scrollView_->viewport())->scrollTo(QPointF(page * kPageWidth, 0), 250);
    else
        scrollView_->horizontalScrollBar()->setValue(page * kPageWidth);
}

bool NewAnimationController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != view())
        return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Left:
        showPage(pageControl_->currentPage() - 1, true);
        return true;
    case Qt::Key_Right:
        showPage(pageControl_->currentPage() + 1, true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int page = pageControl_->currentPage();
        if (page == kPageCount - 1) {
            chooseBackgroundFromPhotoLibrary();
        } else {
            QObject tagged;
            tagged.setProperty("tag", page + 1);
            backgroundSelected(&tagged);
        }
        return true;
    }
    case Qt::Key_Escape:
        close(nullptr);
        return true;
    default:
        return false;
    }
}

void NewAnimationController::viewDidAppear(bool) {
    if (platform::AlertView::visibleAlerts().empty())
        view()->setFocus();
}

void NewAnimationController::backgroundSelected(QObject* sender) {
    useBackground(sender->property("tag").toInt(), QImage());
}

void NewAnimationController::useBackground(int code, const QImage& picture) {
    if (!gameController_)
        return;
    // The editor's layers exist only once its view is built.
    gameController_->view();
    if (!changeBackgroundBehaviour_) {
        gameController_->startNewAnimation(code, picture);
        presentModalViewController(gameController_, false);
        return;
    }
    // Only the current frame changes, as one step of undo.
    QUndoStack& undo = gameController_->animation().undoStack();
    undo.beginMacro(QStringLiteral("Change the background"));
    gameController_->setAnimationBackground(code);
    if (!picture.isNull())
        gameController_->setAnimationBackgroundImage(picture);
    undo.endMacro();
    dismissModalViewControllerAnimated(true);
    gameController_->resumeStage();
    gameController_->clearFrameRequest();
}

void NewAnimationController::close(QObject*) {
    dismissModalViewControllerAnimated(true);
    if (changeBackgroundBehaviour_ && gameController_)
        gameController_->resumeStage();
}

void NewAnimationController::chooseBackgroundFromPhotoLibrary() {
    if (picker_)
        return;
    auto* dialog = new QFileDialog(view()->window(), QStringLiteral("Choose a picture"));
    dialog->setObjectName(QStringLiteral("picturePicker"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("Pictures (*.png *.jpg *.jpeg *.PNG *.JPG *.JPEG)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    picker_ = dialog;
    QObject::connect(dialog, &QFileDialog::fileSelected, this,
                     [this, dialog](const QString& file) { imagePickerController(dialog, file); });
    QObject::connect(dialog, &QFileDialog::rejected, this,
                     [this, dialog] { imagePickerControllerDidCancel(dialog); });
    // Window-modal and asynchronous: timers and drawing go on while it is open.
    dialog->open();
}

void NewAnimationController::imagePickerControllerDidCancel(QObject*) {
    picker_ = nullptr;
}

void NewAnimationController::imagePickerController(QObject*, const QString& file) {
    picker_ = nullptr;
    QString error;
    const std::optional<QImage> picture = readPicture(file, &error);
    if (!picture) {
        // The chooser stays as it was, on its picture page.
        platform::AlertView::create(QStringLiteral("This picture cannot be used"), error, nullptr,
                                    QStringLiteral("OK"))
            ->show();
        return;
    }
    useBackground(kCustomBackground, *picture);
}

// ---------------------------------------------------------------- pictures

int NewAnimationController::orientationOfExif(int exif) {
    // EXIF 1..8 to up, up mirrored, down, down mirrored, left mirrored, right, right mirrored,
    // left.
    static constexpr int kPlatform[] = {0, 4, 1, 5, 6, 3, 7, 2};
    return exif >= 1 && exif <= 8 ? kPlatform[exif - 1] : -1;
}

int NewAnimationController::exifOrientation(const QByteArray& file) {
    const auto* d = reinterpret_cast<const uchar*>(file.constData());
    const qsizetype n = file.size();
    if (n < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return 1;
    qsizetype at = 2;
    while (at + 4 <= n && d[at] == 0xFF) {
        const uchar marker = d[at + 1];
        if (marker == 0xDA || marker == 0xD9)
            break;
        const qsizetype length = (d[at + 2] << 8) | d[at + 3];
        const qsizetype body = at + 4;
        if (length < 2 || body + length - 2 > n)
            break;
        if (marker == 0xE1 && length >= 2 + 6 + 8 && std::memcmp(d + body, "Exif\0\0", 6) == 0) {
            const uchar* t = d + body + 6;
            const qsizetype size = length - 2 - 6;
            const bool big = t[0] == 'M' && t[1] == 'M';
            if (!big && !(t[0] == 'I' && t[1] == 'I'))
                return 1;
            auto u16 = [&](qsizetype o) -> quint32 {
                return big ? (t[o] << 8) | t[o + 1] : (t[o + 1] << 8) | t[o];
            };
            auto u32 = [&](qsizetype o) -> quint32 {
                return big ? (quint32(u16(o)) << 16) | u16(o + 2)
                           : (quint32(u16(o + 2)) << 16) | u16(o);
            };
            const qsizetype ifd = u32(4);
            if (ifd + 2 > size)
                return 1;
            const int entries = int(u16(ifd));
            for (int i = 0; i < entries; ++i) {
                const qsizetype e = ifd + 2 + qsizetype(i) * 12;
                if (e + 12 > size)
                    break;
                if (u16(e) == 0x0112 && u16(e + 2) == 3)
                    return int(u16(e + 8));
            }
            return 1;
        }
        at = body + length - 2;
    }
    return 1;
}

QImage NewAnimationController::scaleAndRotateImage(const QImage& image, int orientation) {
    if (orientation < 0 || orientation > 7)
        throw ContractFailure("Invalid image orientation");
    constexpr double kMaxSide = 480;
    const double w = image.width(), h = image.height();
    double bw = w, bh = h;
    if (w > kMaxSide || h > kMaxSide) {
        const double r = w / h;
        if (r <= 1) {
            bw = kMaxSide * r;
            bh = kMaxSide;
        } else {
            bw = kMaxSide;
            bh = kMaxSide / r;
        }
    }
    const double s = bw / w;

    // The transform that turns the stored bitmap upright, in y-up coordinates with the bitmap
    // drawn at (0, 0, w, h).
    QTransform t;
    const bool quarter =
        orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
    switch (orientation) {
    case 0:
        break;
    case 1:
        t.translate(w, h).rotateRadians(M_PI);
        break;
    case 2:
        t.translate(0, w).rotateRadians(3 * M_PI / 2);
        break;
    case 3:
        t.translate(h, 0).rotateRadians(M_PI / 2);
        break;
    case 4:
        t.translate(w, 0).scale(-1, 1);
        break;
    case 5:
        t.translate(0, h).scale(1, -1);
        break;
    case 6:
        t.translate(h, w).scale(-1, 1).rotateRadians(3 * M_PI / 2);
        break;
    case 7:
        t.scale(-1, 1).rotateRadians(M_PI / 2);
        break;
    }
    if (quarter)
        std::swap(bw, bh);

    QImage out(std::max(1, qRound(bw)), std::max(1, qRound(bh)),
               QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The context is y-up from here on, scaled to the result's size. The turned picture is as
    // tall as the bitmap is wide after a quarter turn, so that is how far up it goes (the
    // mirrored quarter turns too, or a picture that is not square would be drawn off its
    // place).
    if (orientation == 2 || orientation == 3) {
        p.scale(-s, s);
        p.translate(-h, 0);
    } else {
        p.scale(s, -s);
        p.translate(0, -(quarter ? w : h));
    }
    p.setTransform(t, true);
    // The bitmap's top row at the top in y-up coordinates.
    p.translate(0, h);
    p.scale(1, -1);
    p.drawImage(QRectF(0, 0, w, h), image);
    p.end();
    return out;
}

std::optional<QImage> NewAnimationController::readPicture(const QString& file, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QImageReader reader(file);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "jpg")
        return fail(QStringLiteral("It is not a PNG or JPEG picture, or it cannot be read."));
    const QSize size = reader.size();
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (!size.isValid())
        return fail(QStringLiteral("It cannot be read."));
    if (limitBytes > 0 && qint64(size.width()) * size.height() * 4 > limitBytes)
        return fail(QStringLiteral("It is too large (%1 \u00d7 %2 pixels).")
                        .arg(size.width())
                        .arg(size.height()));
    const QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("It cannot be read: %1.").arg(reader.errorString()));
    int exif = 1;
    if (format != "png") {
        QFile f(file);
        // The orientation lies in the first segments, well inside the first 128 KiB.
        if (f.open(QIODevice::ReadOnly))
            exif = exifOrientation(f.read(128 * 1024));
    }
    try {
        return scaleAndRotateImage(image, orientationOfExif(exif));
    } catch (const ContractFailure& e) {
        return fail(QString::fromStdString(e.reason()));
    }
}
