// Saving, loading, the automatic save and closing the editor.
#include "editor/EditorLayout.h"
#include "editor/GameViewController.h"

#include "document/SaveFiles.h"
#include "document/SaveFormat.h"
#include "document/SaveReader.h"
#include "document/SaveSnapshot.h"
#include "document/SaveWriter.h"
#include "document/SavesIndex.h"
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

// The loading panel counts the frames read in steps of this many.
constexpr int kFramesPerProgressStep = 20;

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
    ++generation_;
    animation_.setCurrentSaveId(-1);
    animation_.setAutoSaveId(-1);
    animation_.setName(QString());
    animation_.markUnchanged();
    CCDirector::sharedDirector().startAnimation();
}

QString GameViewController::saveNameForId(int saveId) const {
    const QString listed = SavesIndex::shared().nameOf(saveId);
    if (!listed.isNull())
        return listed;
    return animation_.name().isEmpty() ? QStringLiteral("Untitled") : animation_.name();
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
    if (animation_.currentSaveId() > 0) {
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
    savingView_->setGeometry(0, 0, kScreenWidth, kScreenHeight);
    savingView_->show();
    savingView_->raise();
    saveInBackgroundWithId(animation_.currentSaveId());
    savingView_->hide();
}

void GameViewController::saveWithName(const QString& name, bool inBackground) {
    SavesIndex& index = SavesIndex::shared();
    animation_.setName(name);
    QString error;
    if (animation_.autoSaveId() < 1) {
        // A new save: its identifier now, its entry once its files are on disk.
        const int id = index.allocateId(&error);
        if (id < 1) {
            animation_.saveFailed();
            reportSaveFailure(-1, error);
            return;
        }
        animation_.setCurrentSaveId(id);
        animation_.setAutoSaveId(id);
    } else {
        animation_.setCurrentSaveId(animation_.autoSaveId());
        // Unlisted (its first write failed): the entry comes with the write.
        if (index.contains(animation_.currentSaveId()) &&
            !index.rename(animation_.currentSaveId(), name, &error)) {
            animation_.saveFailed();
            reportSaveFailure(animation_.currentSaveId(), error);
            return;
        }
    }

    const int id = animation_.currentSaveId();
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
    const int generation = generation_;
    // The lists as they are now; edits made while the write lets the event loop run go to the
    // next save, and leave the animation changed.
    const SaveSnapshot snapshot = animation_.snapshotForSave();
    SaveWriter writer(saveId);
    QString error;
    bool ok = writer.write(snapshot, pump, &error);
    // A new save is done only once the list of saves names it, on disk.
    SavesIndex& index = SavesIndex::shared();
    if (ok && !index.contains(saveId))
        ok = index.addEntry(
            saveId, snapshot.name.isEmpty() ? QStringLiteral("Untitled") : snapshot.name, &error);
    isSaveInProgress_ = false;
    // Closed, loaded or started anew meanwhile: the animation saved is no longer this one.
    if (!ok && generation == generation_)
        animation_.saveFailed();
    else if (ok && generation == generation_)
        animation_.saveSucceeded(writer.savedState());
    if (ok)
        reportedSaveFailure_.clear();
    else
        reportSaveFailure(saveId, error);
    runPendingStorageWork();
    return ok;
}

void GameViewController::reportSaveFailure(int saveId, const QString& error) {
    qCWarning(platform::lcKelvora) << "Save" << saveId << "failed:" << error;
    // An automatic save that keeps failing for the same reason says so once.
    const QString failure = QStringLiteral("%1:%2").arg(saveId).arg(error);
    if (failure == reportedSaveFailure_)
        return;
    reportedSaveFailure_ = failure;
    platform::AlertView::create(
        QStringLiteral("Could not save \u201c%1\u201d").arg(saveNameForId(saveId)),
        QStringLiteral("The animation was not saved: %1. The last saved version is unchanged.")
            .arg(error),
        nullptr, QStringLiteral("OK"))
        ->show();
}

void GameViewController::armSaveTimer(double seconds) {
    if (saveTimer_)
        saveTimer_->invalidate();
    saveTimer_ = platform::Timer::scheduledTimer(seconds, false,
                                                 [this](platform::Timer&) { saveTimerTick(); });
}

void GameViewController::saveTimerTick() {
    const double period = autosavePeriod();
    const int generation = generation_;
    if (animation_.isDirty() && !isSaveInProgress_ && !isPlaying_) {
        if (saveTimer_)
            saveTimer_->invalidate();
        saveTimer_.reset();
        view();
        savingLabel_->show();
        savingLabel_->raise();
        pump();
        // Closed (or replaced) while the label was drawn: nothing of it may be written now.
        if (generation != generation_) {
            savingLabel_->hide();
            return;
        }
        if (animation_.currentSaveId() > 0) {
            qCInfo(platform::lcKelvora, "Autosave with currentSaveId");
            saveInBackgroundWithId(animation_.currentSaveId());
        } else if (animation_.autoSaveId() < 1) {
            saveWithName(QStringLiteral("Untitled"), true);
            animation_.setAutoSaveId(animation_.currentSaveId());
            animation_.setCurrentSaveId(-1);
        } else {
            saveInBackgroundWithId(animation_.autoSaveId());
        }
        savingLabel_->hide();
    }
    // The editor closed during the save arms its own timer, if any.
    if (generation == generation_)
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
    frameLayer_->reset();
    frameLayer_->removeAllChildrenWithCleanup(true);
    shadowLayer_->removeAllChildrenWithCleanup(true);
    frameLayer_->setEditingHuman(nullptr);
    animation_.resetFrames({});
}

void GameViewController::whenAllFramesRead(std::function<void()> work) {
    if (!loadingFrames_) {
        work();
        return;
    }
    pendingStorageWork_.push_back(std::move(work));
}

void GameViewController::showLoadProgress(int read, int expected) {
    auto* label = loadingView_->findChild<QLabel*>();
    if (!label)
        return;
    if (read == 0) {
        loadingView_->setProperty("strip", false);
        loadingView_->setStyleSheet(
            QStringLiteral("#loadingView { background: rgba(0, 0, 0, 150); }"
                           "QLabel { color: white; font-size: 18px; }"));
        loadingView_->setGeometry(0, 0, kScreenWidth, kScreenHeight);
        label->setGeometry(0, 0, kScreenWidth, kScreenHeight);
        label->setText(QStringLiteral("Loading\u2026"));
        return;
    }
    // The frame shows; the panel keeps taking the touches (nothing is edited half read) and
    // counts in a strip at the bottom.
    if (loadingView_->property("strip").toBool() == false) {
        loadingView_->setProperty("strip", true);
        loadingView_->setStyleSheet(QStringLiteral("#loadingView { background: transparent; }"
                                                   "QLabel { color: white; font-size: 14px; "
                                                   "background: rgba(0, 0, 0, 150); }"));
        label->setGeometry(0, kScreenHeight - 24, kScreenWidth, 24);
        if (closeButton_)
            closeButton_->raise();
    }
    label->setText(expected > read
                       ? QStringLiteral("Loading\u2026 %1 of %2 frames").arg(read).arg(expected)
                       : QStringLiteral("Loading\u2026 %1 frames").arg(read));
}

void GameViewController::loadWithId(int saveId) {
    if (isSaveInProgress_) {
        whenStorageIdle([this, saveId] { loadWithId(saveId); });
        return;
    }
    view();
    isSaveInProgress_ = true;
    ++generation_;
    showLoadProgress(0, 0);
    loadingView_->show();
    loadingView_->raise();

    animation_.setCurrentSaveId(saveId);
    frameLayer_->setVisible(false);
    frameLayer_->frameSwitched();
    discardFrames();

    // The first frame is shown as soon as it is read (loading makes the first frame current);
    // the others are appended behind it while the event loop runs.
    int read = 0;
    stopLoading_ = false;
    auto show = [&](std::vector<std::shared_ptr<Frame>> frames, const SaveReader::Result& r) {
        if (r.versionFormat <= 3) {
            // Older files keep one background for the whole animation.
            animation_.setBackground(r.background);
            if (r.background == kCustomBackground)
                animation_.setCustomBackgroundImage(r.animationPicture);
            presenter_->showBackground(r.background, r.animationPicture);
        }
        // Files without a speed play at normal speed.
        animationSpeedSlider_->setDoubleValue(r.hasAnimationSpeed ? r.animationSpeed : 1.0);
        presenter_->setFollowing(false);
        animation_.resetFrames(std::move(frames), 0);
        presenter_->setFollowing(true);
        presenter_->repopulateStage();
        frameLayer_->frameSwitched();
        frameLayer_->setVisible(true);
        shadowLayer_->removeAllChildrenWithCleanup(true);
        if (r.versionFormat >= 4)
            noteFrameBackground(*animation_.currentFrame(), false);
    };
    auto sink = [&](SaveReader::LoadedFrame& lf, const SaveReader::Result& sofar) {
        std::shared_ptr<Frame> frame = lf.toFrame();
        if (read++ == 0) {
            show({frame}, sofar);
            loadingFrames_ = true;
        } else {
            // After the current frame: neither the stage nor the onion skin changes.
            presenter_->setFollowing(false);
            animation_.insertFrame(animation_.frameCount(), std::move(frame));
            presenter_->setFollowing(true);
        }
        if (read == 1 || read % kFramesPerProgressStep == 0)
            showLoadProgress(read, sofar.totalPacks * saveformat::kFramesPerPack);
        return !stopLoading_;
    };
    SaveReader reader(saveId);
    SaveReader::Result r = reader.read(pump, sink);
    if (read == 0) {
        // Nothing could be read: the editor still needs a frame to work on.
        std::vector<std::shared_ptr<Frame>> one{std::make_shared<Frame>()};
        show(std::move(one), r);
    }
    loadingFrames_ = false;

    loadingView_->hide();
    isSaveInProgress_ = false;
    if (r.refused || !r.indexExists) {
        // Nothing of it was loaded: the empty animation in its place must never be saved over
        // what is there.
        animation_.setCurrentSaveId(-1);
        animation_.setAutoSaveId(-1);
    } else {
        animation_.setName(saveNameForId(saveId));
    }
    if (r.stopped) {
        // Closed while reading: nothing is reported, and a partly read animation must never be
        // saved over the files.
        animation_.setCurrentSaveId(-1);
        animation_.setAutoSaveId(-1);
    } else if (r.refused) {
        platform::AlertView::create(QStringLiteral("Animation not loaded"), r.refusal, nullptr,
                                    QStringLiteral("OK"))
            ->show();
    } else if (!r.indexExists || !r.complete()) {
        reportLoadProblems(saveId, r.indexExists, r.problems().join(QStringLiteral(", ")));
    }
    runPendingStorageWork();
}

void GameViewController::reportLoadProblems(int saveId, bool found, const QString& lost) {
    const QString message =
        found ? QStringLiteral("Some of \u201c%1\u201d could not be read: %2. Everything else "
                               "was loaded.")
                    .arg(saveNameForId(saveId), lost)
              : QStringLiteral("The files of \u201c%1\u201d are missing or damaged; a new "
                               "empty animation was started in its place.")
                    .arg(saveNameForId(saveId));
    platform::AlertView::create(QStringLiteral("Animation not fully loaded"), message, nullptr,
                                QStringLiteral("OK"))
        ->show();
}

void GameViewController::close(QObject*) {
    if (shotInProgress())
        return;
    isPresented_ = false;
    if (animation_.isDirty()) {
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
    // A load still reading stops at the next frame; a save still being written finishes
    // first, with the animation as it was.
    if (isSaveInProgress_) {
        stopLoading_ = true;
        whenStorageIdle([this] { doClose(); });
        return;
    }
    isPresented_ = false;
    // The automatic save of this animation ends here for good.
    viewDidDisappear(false);
    ++generation_;
    discardFrames();
    animation_.setCurrentSaveId(-1);
    animation_.setAutoSaveId(-1);
    animation_.setName(QString());
    CCDirector::sharedDirector().stopAnimation();
    if (parentViewController()) {
        animation_.clear();
        dismissModalViewControllerAnimated(false);
        return;
    }
    // The editor is the program's first screen: leaving an animation starts a new one.
    clearAllFrames();
    setAnimationBackground(1);
    startScene();
    isPresented_ = true;
    viewDidAppear(false);
}
