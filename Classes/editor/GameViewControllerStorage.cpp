// Saving, loading, the automatic save and closing the editor.
#include "editor/GameViewController.h"

#include "document/SaveReader.h"
#include "document/SaveSnapshot.h"
#include "document/SaveWriter.h"
#include "editor/SpeedSlider.h"
#include "engine/CCDirector.h"
#include "items/Hmn.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/ViewAnimation.h"
#include "sounds/SoundEffect.h"

#include <QLabel>

namespace {

const QString kSaves = QStringLiteral("saves");
const QString kMaxSaveId = QStringLiteral("maxSaveId");
const QString kSaveId = QStringLiteral("saveId");
const QString kSaveName = QStringLiteral("saveName");

void pump() {
    platform::runLoopOnce();
}

// Answers the name prompt of the save button.
class SaveAlertDelegate : public platform::AlertViewDelegate {
public:
    explicit SaveAlertDelegate(GameViewController* editor) : editor_(editor) {}
    void alertViewDidDismissWithButtonIndex(platform::AlertView& alert, int index) override {
        if (index == 1)
            editor_->saveWithName(alert.text(), false);
    }

private:
    GameViewController* editor_;
};

// Answers the question asked when leaving an animation with unsaved changes.
class CloseAlertDelegate : public platform::AlertViewDelegate {
public:
    explicit CloseAlertDelegate(GameViewController* editor) : editor_(editor) {}
    void alertViewDidDismissWithButtonIndex(platform::AlertView&, int index) override {
        if (index == 1) {
            // The editor stays open to be saved.
            editor_->setPresented(true);
            editor_->saveClicked();
        } else {
            editor_->doClose();
        }
    }
    void alertViewCancel(platform::AlertView&) override { editor_->doClose(); }

private:
    GameViewController* editor_;
};

} // namespace

double GameViewController::autosavePeriod() {
    const double p = platform::UserDefaults::standardUserDefaults().floatForKey(
        QStringLiteral("autosave_frequency"));
    return (p > 30 || p < 10) ? 15.0 : p;
}

void GameViewController::startScene() {
    currentSaveId_ = -1;
    autoSaveId_ = -1;
    isDirty_ = false;
    CCDirector::sharedDirector().startAnimation();
}

QString GameViewController::saveNameForId(int saveId) const {
    const QVariantList saves = platform::UserDefaults::standardUserDefaults().arrayForKey(kSaves);
    for (const QVariant& v : saves) {
        const QVariantMap entry = v.toMap();
        if (entry.value(kSaveId).toLongLong() == saveId)
            return entry.value(kSaveName).toString();
    }
    return QStringLiteral("Untitled");
}

void GameViewController::whenStorageIdle(std::function<void()> work) {
    if (!isSaveInProgress_) {
        work();
        return;
    }
    pendingStorageWork_.push_back(std::move(work));
}

void GameViewController::runPendingStorageWork() {
    while (!isSaveInProgress_ && !pendingStorageWork_.empty()) {
        auto work = std::move(pendingStorageWork_.front());
        pendingStorageWork_.erase(pendingStorageWork_.begin());
        work();
    }
}

void GameViewController::saveClicked() {
    if (currentSaveId_ > 0) {
        save();
        return;
    }
    auto alert =
        platform::AlertView::create(QStringLiteral("Animation saving"), QStringLiteral("\n\n"),
                                    nullptr, QStringLiteral("Cancel"), {QStringLiteral("Save")});
    alert->setHasTextField(true);
    alert->setPlaceholder(QStringLiteral("Save name"));
    alert->setOwnedDelegate(std::make_shared<SaveAlertDelegate>(this));
    alert->show();
}

void GameViewController::save() {
    // A save asked for while another save or a load runs follows it.
    if (isSaveInProgress_) {
        whenStorageIdle([this] { save(); });
        return;
    }
    view();
    savingView_->setGeometry(0, 0, 480, 320);
    savingView_->show();
    savingView_->raise();
    saveInBackgroundWithId(currentSaveId_);
    savingView_->hide();
}

void GameViewController::saveWithName(const QString& name, bool inBackground) {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    QVariantList saves = defaults.arrayForKey(kSaves);
    if (autoSaveId_ < 1) {
        const qint64 maxSaveId = defaults.integerForKey(kMaxSaveId);
        currentSaveId_ = int(maxSaveId + 1);
        autoSaveId_ = currentSaveId_;
        defaults.setInteger(currentSaveId_, kMaxSaveId);
        saves.append(QVariantMap{{kSaveId, currentSaveId_}, {kSaveName, name}});
    } else {
        currentSaveId_ = autoSaveId_;
        for (QVariant& v : saves) {
            QVariantMap entry = v.toMap();
            if (entry.value(kSaveId).toLongLong() == currentSaveId_) {
                entry.insert(kSaveName, name);
                v = entry;
                break;
            }
        }
    }
    defaults.setObject(saves, kSaves);
    defaults.synchronize();

    const int id = currentSaveId_;
    auto write = [this, id, inBackground] {
        if (inBackground)
            saveInBackgroundWithId(id);
        else
            save();
    };
    // Not dropped when a save or load runs: written as soon as it ends.
    whenStorageIdle(write);
}

bool GameViewController::saveInBackgroundWithId(int saveId) {
    if (isSaveInProgress_ || saveId < 1)
        return false;
    isSaveInProgress_ = true;
    // The lists as they are now; edits made while the write lets the event loop run go to the
    // next save, and mark the animation changed again.
    const SaveSnapshot snapshot = SaveSnapshot::fromFrames(
        frames_, background_, customBackgroundImage_, animationSpeedSlider_->doubleValue());
    isDirty_ = false;
    SaveWriter writer(saveId);
    QString error;
    const bool ok = writer.write(snapshot, pump, &error);
    isSaveInProgress_ = false;
    if (!ok) {
        isDirty_ = true;
        qCWarning(platform::lcKelvora) << "Save" << saveId << "failed:" << error;
        auto alert = platform::AlertView::create(
            QStringLiteral("Could not save \u201c%1\u201d").arg(saveNameForId(saveId)),
            QStringLiteral("The animation was not saved: %1. The last saved version is unchanged.")
                .arg(error),
            nullptr, QStringLiteral("OK"));
        alert->show();
    }
    runPendingStorageWork();
    return ok;
}

void GameViewController::armSaveTimer(double seconds) {
    if (saveTimer_)
        saveTimer_->invalidate();
    saveTimer_ = platform::Timer::scheduledTimer(seconds, false,
                                                 [this](platform::Timer&) { saveTimerTick(); });
}

void GameViewController::saveTimerTick() {
    const double period = autosavePeriod();
    if (isDirty_ && !isSaveInProgress_ && !isPlaying_) {
        if (saveTimer_)
            saveTimer_->invalidate();
        saveTimer_.reset();
        view();
        savingLabel_->show();
        savingLabel_->raise();
        pump();
        if (currentSaveId_ > 0) {
            qCInfo(platform::lcKelvora, "Autosave with currentSaveId");
            saveInBackgroundWithId(currentSaveId_);
        } else if (autoSaveId_ < 1) {
            saveWithName(QStringLiteral("Untitled"), true);
            autoSaveId_ = currentSaveId_;
            currentSaveId_ = -1;
        } else {
            saveInBackgroundWithId(autoSaveId_);
        }
        savingLabel_->hide();
        // An automatic save never leaves the editor clean: leaving still asks, and the next
        // tick saves again.
        isDirty_ = true;
    }
    armSaveTimer(period);
}

void GameViewController::viewDidAppear(bool) {
    isPresented_ = true;
    // The keyboard comes back to the editor, unless an alert is waiting for an answer.
    if (isViewLoaded() && platform::AlertView::visibleAlerts().empty())
        view()->setFocus();
    if (saveTimer_)
        saveTimer_->invalidate();
    saveTimer_.reset();
    if (platform::UserDefaults::standardUserDefaults().boolForKey(
            QStringLiteral("autosave_enabled")))
        armSaveTimer(autosavePeriod());
}

void GameViewController::viewDidDisappear(bool) {
    if (saveTimer_)
        saveTimer_->invalidate();
    saveTimer_.reset();
}

void GameViewController::discardFrames() {
    frameLayer_->removeAllChildrenWithCleanup(true);
    shadowLayer_->removeAllChildrenWithCleanup(true);
    frameLayer_->setEditingHuman(nullptr);
    for (auto& f : frames_)
        f->breakFigureConnections();
    frames_.clear();
    currentFrame_ = nullptr;
    currentFrameIndex_ = -1;
}

void GameViewController::loadWithId(int saveId) {
    if (isSaveInProgress_) {
        whenStorageIdle([this, saveId] { loadWithId(saveId); });
        return;
    }
    view();
    isSaveInProgress_ = true;
    loadingView_->setGeometry(0, 0, 480, 320);
    loadingView_->show();
    loadingView_->raise();

    currentSaveId_ = saveId;
    frameLayer_->setVisible(false);
    frameLayer_->frameSwitched();
    discardFrames();

    SaveReader reader(saveId);
    SaveReader::Result r = reader.read(pump);
    if (r.versionFormat <= 3) {
        setAnimationBackground(r.background);
        if (r.background == kCustomBackground)
            setAnimationBackgroundImage(r.animationPicture);
    }
    // Files without a speed play at normal speed.
    animationSpeedSlider_->setDoubleValue(r.hasAnimationSpeed ? r.animationSpeed : 1.0);
    // Items go straight into their frames; the stage shows the first frame at the end.
    for (SaveReader::LoadedFrame& lf : r.frames) {
        auto f = std::make_unique<Frame>();
        f->setBackground(lf.background);
        f->setBackgroundImage(lf.backgroundImage);
        for (auto& item : lf.items)
            f->addSprite(item);
        for (auto& sound : lf.sounds)
            f->addSound(sound);
        frames_.push_back(std::move(f));
    }
    const int skippedFrames = r.skippedFrames;
    const int lostItems = r.skippedItems + r.skippedSounds;
    const int lostPictures = r.unreadablePictures;
    const int lostPacks = r.unreadablePacks;
    const bool found = r.indexExists;
    const int version = r.versionFormat;
    r.frames.clear();

    currentFrameIndex_ = 0;
    if (!frames_.empty()) {
        currentFrame_ = frames_.front().get();
    } else {
        // Nothing could be read: the editor still needs a frame to work on.
        currentFrameIndex_ = -1;
        snap(nullptr);
    }
    repopulateStage();
    frameLayer_->frameSwitched();
    frameLayer_->setVisible(true);
    shadowLayer_->removeAllChildrenWithCleanup(true);
    if (version >= 4)
        applyFrameBackground(*currentFrame_);

    loadingView_->hide();
    isDirty_ = false;
    isSaveInProgress_ = false;

    if (!found || lostPacks || skippedFrames || lostItems || lostPictures) {
        QStringList lost;
        if (lostPacks)
            lost << (lostPacks == 1 ? QStringLiteral("1 file of frames (up to 20 frames)")
                                    : QStringLiteral("%1 files of frames (up to %2 frames)")
                                          .arg(lostPacks)
                                          .arg(lostPacks * 20));
        auto count = [](int n, const char* one, const char* many) {
            return n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(n);
        };
        if (skippedFrames)
            lost << count(skippedFrames, "1 frame", "%1 frames");
        if (lostItems)
            lost << count(lostItems, "1 item or sound", "%1 items or sounds");
        if (lostPictures)
            lost << count(lostPictures, "1 background picture", "%1 background pictures");
        const QString message =
            found ? QStringLiteral("Some of \u201c%1\u201d could not be read: %2. Everything else "
                                   "was loaded.")
                        .arg(saveNameForId(saveId), lost.join(QStringLiteral(", ")))
                  : QStringLiteral("The files of \u201c%1\u201d are missing or damaged; a new "
                                   "empty animation was started in its place.")
                        .arg(saveNameForId(saveId));
        platform::AlertView::create(QStringLiteral("Animation not fully loaded"), message, nullptr,
                                    QStringLiteral("OK"))
            ->show();
    }
    runPendingStorageWork();
}

void GameViewController::close(QObject*) {
    isPresented_ = false;
    if (isDirty_) {
        auto alert = platform::AlertView::create(
            QStringLiteral("You are exiting the animation. Anything unsaved will be lost!"),
            QString(), nullptr, QStringLiteral("Exit"), {QStringLiteral("Save")});
        alert->setOwnedDelegate(std::make_shared<CloseAlertDelegate>(this));
        alert->show();
    } else {
        doClose();
    }
}

void GameViewController::doClose() {
    // A save still being written finishes first.
    if (isSaveInProgress_) {
        whenStorageIdle([this] { doClose(); });
        return;
    }
    isPresented_ = false;
    discardFrames();
    CCDirector::sharedDirector().stopAnimation();
    if (parentViewController()) {
        dismissModalViewControllerAnimated(false);
        return;
    }
    // The editor is the program's first screen: leaving an animation starts a new one.
    clearAllFrames();
    setAnimationBackground(1);
    startScene();
    isPresented_ = true;
}
