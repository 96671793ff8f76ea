#include "editor/SoundsController.h"
#include "editor/ListScreen.h"

#include "document/Frame.h"
#include "engine/CCDirector.h"
#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace {

constexpr int kCheckedRole = Qt::UserRole + 1;

// Rows with a check mark at their right end, like a phone's table cells.
class CheckMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(p, option, index);
        if (!index.data(kCheckedRole).toBool())
            return;
        const QRect r = option.rect;
        const qreal cx = r.right() - 18, cy = r.center().y();
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(QColor(0, 122, 255), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF mark[] = {{cx - 6, cy}, {cx - 2, cy + 4}, {cx + 6, cy - 5}};
        p->drawPolyline(mark, 3);
        p->restore();
    }
};

} // namespace

SoundsController::SoundsController(QObject* parent) : platform::ViewController(parent) {}

QString SoundsController::displayTitle(const QString& title) {
    QStringList words = title.split(QLatin1Char(' '));
    for (QString& w : words)
        if (!w.isEmpty())
            w = w.left(1).toUpper() + w.mid(1).toLower();
    return words.join(QLatin1Char(' ')).replace(QLatin1Char('_'), QLatin1Char(' '));
}

void SoundsController::loadView() {
    ListScreen screen =
        ListScreen::make(QStringLiteral("soundsScreen"), QStringLiteral("Sounds of this frame"));
    screen.done->setObjectName(QStringLiteral("soundsDone"));
    QObject::connect(screen.done, &QPushButton::clicked, this, [this] { done(); });
    tableView_ = screen.list;
    tableView_->setItemDelegate(new CheckMarkDelegate(tableView_));
    QObject::connect(tableView_, &QListWidget::itemClicked, this,
                     [this](QListWidgetItem* item) { selectRow(tableView_->row(item)); });
    tableView_->installEventFilter(this);
    screen.root->installEventFilter(this);
    setView(screen.root);
}

bool SoundsController::eventFilter(QObject* watched, QEvent* event) {
    return ListScreen::handleKey(
        watched, event, tableView_, [this] { done(); }, [this](int row) { selectRow(row); });
}

int SoundsController::numberOfRows() const {
    return int(SoundManager::sharedSoundMgr().sounds().size());
}

QString SoundsController::titleForRow(int row) const {
    const auto& titles = SoundManager::sharedSoundMgr().soundTitles();
    return row >= 0 && row < int(titles.size()) ? displayTitle(titles[size_t(row)]) : QString();
}

bool SoundsController::isRowChecked(int row) const {
    const auto& sounds = SoundManager::sharedSoundMgr().sounds();
    return frame_ && row >= 0 && row < int(sounds.size()) &&
           frame_->containsSound(sounds[size_t(row)].get());
}

void SoundsController::reloadData() {
    view();
    tableView_->clear();
    for (int r = 0; r < numberOfRows(); ++r) {
        auto* item = new QListWidgetItem(titleForRow(r), tableView_);
        item->setData(kCheckedRole, isRowChecked(r));
    }
}

void SoundsController::viewWillAppear(bool) {
    reloadData();
}

void SoundsController::viewDidAppear(bool) {
    // The arrow keys start at the first row, which stays unselected until ticked.
    if (tableView_->count() > 0)
        tableView_->selectionModel()->setCurrentIndex(tableView_->model()->index(0, 0),
                                                      QItemSelectionModel::NoUpdate);
    tableView_->setFocus();
}

void SoundsController::selectRow(int row) {
    const auto& sounds = SoundManager::sharedSoundMgr().sounds();
    if (row < 0 || row >= int(sounds.size()))
        return;
    view();
    tableView_->clearSelection();
    const auto& sound = sounds[size_t(row)];
    if (frame_) {
        const bool checked = frame_->containsSound(sound.get());
        std::vector<std::shared_ptr<SoundEffect>> sounds = frame_->sounds();
        if (checked)
            std::erase(sounds, sound);
        else
            sounds.push_back(sound);
        if (setFrameSounds)
            setFrameSounds(frame_, std::move(sounds));
        else
            frame_->setSounds(std::move(sounds));
        if (QListWidgetItem* item = tableView_->item(row))
            item->setData(kCheckedRole, !checked);
    }
    sound->play();
}

void SoundsController::done() {
    dismissModalViewControllerAnimated(true);
    CCDirector::sharedDirector().startAnimation();
}
