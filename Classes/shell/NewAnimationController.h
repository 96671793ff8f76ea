#pragma once

#include "editor/GameViewController.h"
#include "platform/widgets/ViewController.h"

#include <QImage>
#include <QPointer>
#include <QStringList>

#include <optional>

class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

// The dots under the chooser's strip: one per page, the current one dark.
class PageControl : public QWidget {
public:
    explicit PageControl(QWidget* parent = nullptr);
    void setNumberOfPages(int n);
    int numberOfPages() const { return pages_; }
    void setCurrentPage(int page);
    int currentPage() const { return current_; }
    // A click on a dot asks for that page.
    std::function<void(int)> onPageClicked;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QRect dotRect(int page) const;
    int pages_ = 0;
    int current_ = 0;
};

// The background chooser: a paged strip of the ten built-in backgrounds and a last page for a
// picture of the user's own. In new-animation mode a choice starts a new animation in the
// editor; in change mode (opened from the editor) it changes the current frame's background.
class NewAnimationController : public platform::ViewController,
                               public GameViewController::BackgroundChooser {
public:
    static constexpr int kPageCount = 11;
    static constexpr int kCustomBackground = 999999;
    // Page W × H of the strip, in points.
    static constexpr int kPageWidth = 300;
    static constexpr int kPageHeight = 200;

    explicit NewAnimationController(QObject* parent = nullptr);

    void setGameController(GameViewController* g) { gameController_ = g; }
    GameViewController* gameController() const { return gameController_; }
    bool changeBackgroundBehaviour() const { return changeBackgroundBehaviour_; }
    void setChangeBackgroundBehaviour(bool change) override { changeBackgroundBehaviour_ = change; }
    platform::ViewController* chooserScreen() override { return this; }

    // A preview was pressed; its "tag" property is the background number.
    void backgroundSelected(QObject* sender);
    // Opens a file dialog for a PNG or JPEG picture; it does not hold up the event loop.
    void chooseBackgroundFromPhotoLibrary();
    // The picker's answer: the picture file chosen, or the picker was cancelled.
    void imagePickerController(QObject* picker, const QString& file);
    void imagePickerControllerDidCancel(QObject* picker);
    // Keeps the title and the dots in step with the strip's offset.
    void scrollViewDidScroll();
    void close(QObject* sender);
    void viewDidAppear(bool animated) override;

    // The page whose centre is nearest to a strip offset, clamped to the pages.
    static int pageForOffset(double offsetX, double pageWidth);
    static const QStringList& titles();
    static const QStringList& backgrounds();

    // A photo upright and unmirrored at most 480 pixels on its longer side. `orientation` is
    // the platform's value (0 up, 1 down, 2 left, 3 right, 4 to 7 the same mirrored); any other
    // throws a ContractFailure "Invalid image orientation".
    static QImage scaleAndRotateImage(const QImage& image, int orientation);
    // The platform orientation of an EXIF Orientation tag (1 to 8); -1 for any other value.
    static int orientationOfExif(int exif);
    // The EXIF Orientation tag of a JPEG file's contents; 1 when it has none.
    static int exifOrientation(const QByteArray& file);
    // Reads a PNG or JPEG picture and makes it upright and small enough; on failure, what the
    // user is told.
    static std::optional<QImage> readPicture(const QString& file, QString* error);

    QScrollArea* scrollView() const { return scrollView_; }
    QLabel* label() const { return label_; }
    PageControl* pageControl() const { return pageControl_; }
    QWidget* customBackgroundView() const { return customBackgroundView_; }
    QPushButton* photoLibraryButton() const { return loadCustomBackgroundFromPhotoLibrary_; }
    QObject* picker() const { return picker_; }
    // Scrolls the strip to a page (arrows, keys, dots).
    void showPage(int page, bool animated);

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The choice made: a new animation, or the current frame's background changed.
    void useBackground(int code, const QImage& picture);

    GameViewController* gameController_ = nullptr;
    bool changeBackgroundBehaviour_ = false;
    QScrollArea* scrollView_ = nullptr;
    QLabel* label_ = nullptr;
    PageControl* pageControl_ = nullptr;
    QWidget* customBackgroundView_ = nullptr;
    QPushButton* loadCustomBackgroundFromPhotoLibrary_ = nullptr;
    QPointer<QObject> picker_;
};
