#include "EditorFixture.h"
#include "TestSupport.h"
#include "document/SaveFiles.h"
#include "document/SaveReader.h"
#include "editor/SpeedSlider.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/ViewAnimation.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

class StorageTest : public FreshHomeEditorTest {
protected:
    platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }
    QVariantList saves() { return defaults().arrayForKey("saves"); }
    QString doc(const QString& name) { return platform::documentPath(name); }
    // Answers the name prompt with `name`.
    void typeSaveName(const QString& name) {
        const auto alerts = platform::AlertView::visibleAlerts();
        ASSERT_FALSE(alerts.empty());
        ASSERT_EQ(alerts.back()->title(), "Animation saving");
        ASSERT_TRUE(alerts.back()->hasTextField());
        EXPECT_EQ(alerts.back()->placeholder(), "Save name");
        alerts.back()->setText(name);
        alerts.back()->dismissWithClickedButtonIndex(1);
    }
    void makeAnimation(int frames) {
        gvc->addSprite(box(Point(100, 100)));
        gvc->addSprite(figure(Point(240, 160)));
        for (int i = 1; i < frames; ++i)
            gvc->snap(nullptr);
    }
};

TEST_F(StorageTest, SaveButtonAsksForANameOnceThenWritesUnderTheSameIdentifier) {
    defaults().setInteger(6, "maxSaveId");
    makeAnimation(3);
    ASSERT_TRUE(gvc->isDirty());
    gvc->saveClicked();
    typeSaveName("Duel");
    EXPECT_EQ(gvc->currentSaveId(), 7);
    EXPECT_EQ(gvc->autoSaveId(), 7);
    EXPECT_EQ(defaults().integerForKey("maxSaveId"), 7);
    ASSERT_EQ(saves().size(), 1);
    EXPECT_EQ(saves()[0].toMap().value("saveId").toInt(), 7);
    EXPECT_EQ(saves()[0].toMap().value("saveName").toString(), "Duel");
    EXPECT_TRUE(QFile::exists(doc("save-7.plist")));
    EXPECT_FALSE(gvc->isDirty());
    EXPECT_FALSE(gvc->isSaveInProgress());
    EXPECT_FALSE(gvc->savingView()->isVisible());

    // Saving again: no prompt, same entry.
    gvc->snap(nullptr);
    gvc->saveClicked();
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
    EXPECT_EQ(saves().size(), 1);
    EXPECT_FALSE(gvc->isDirty());

    // "Cancel" in the prompt saves nothing.
    gvc->startScene();
    gvc->saveClicked();
    platform::AlertView::visibleAlerts().back()->dismissWithClickedButtonIndex(0);
    EXPECT_EQ(saves().size(), 1);
}

TEST_F(StorageTest, AutomaticSaveMakesAnUntitledEntryThatALaterSaveRenames) {
    makeAnimation(2);
    gvc->saveTimerTick();
    EXPECT_EQ(gvc->currentSaveId(), -1);
    EXPECT_EQ(gvc->autoSaveId(), 1);
    ASSERT_EQ(saves().size(), 1);
    EXPECT_EQ(saves()[0].toMap().value("saveName").toString(), "Untitled");
    EXPECT_TRUE(QFile::exists(doc("save-1.plist")));
    // Saved: the next tick writes nothing until something changes again.
    EXPECT_FALSE(gvc->isDirty());
    ASSERT_NE(gvc->saveTimer(), nullptr);
    EXPECT_DOUBLE_EQ(gvc->saveTimer()->timeInterval(), 15);
    QFile::remove(doc("save-1.plist"));
    gvc->saveTimerTick();
    EXPECT_FALSE(QFile::exists(doc("save-1.plist")));
    gvc->snap(nullptr);
    gvc->saveTimerTick();
    EXPECT_TRUE(QFile::exists(doc("save-1.plist")));
    EXPECT_EQ(saves().size(), 1);
    EXPECT_EQ(gvc->autoSaveId(), 1);

    gvc->saveClicked();
    typeSaveName("Chase");
    EXPECT_EQ(gvc->currentSaveId(), 1);
    ASSERT_EQ(saves().size(), 1);
    EXPECT_EQ(saves()[0].toMap().value("saveName").toString(), "Chase");

    // With a save of its own, ticks write to it.
    gvc->setDirty(true);
    gvc->saveTimerTick();
    EXPECT_EQ(saves().size(), 1);
    EXPECT_EQ(gvc->currentSaveId(), 1);

    // Identifiers are never reused, even when the entries are gone.
    defaults().setObject(QVariantList(), "saves");
    gvc->startScene();
    gvc->setDirty(true);
    gvc->saveTimerTick();
    EXPECT_EQ(gvc->autoSaveId(), 2);
}

TEST_F(StorageTest, AutomaticSavePeriodAndWhenItSkips) {
    for (auto [value, period] : {std::pair{5.0, 15.0},
                                 {45.0, 15.0},
                                 {10.0, 10.0},
                                 {30.0, 30.0},
                                 {22.5, 22.5},
                                 {0.0, 15.0}}) {
        defaults().setFloat(float(value), "autosave_frequency");
        EXPECT_DOUBLE_EQ(GameViewController::autosavePeriod(), period) << value;
    }
    defaults().setFloat(12, "autosave_frequency");

    // Appearing arms the timer only when automatic saving is on.
    defaults().setBool(false, "autosave_enabled");
    gvc->viewDidAppear(false);
    EXPECT_TRUE(gvc->isPresented());
    EXPECT_EQ(gvc->saveTimer(), nullptr);
    defaults().setBool(true, "autosave_enabled");
    gvc->viewDidAppear(false);
    ASSERT_NE(gvc->saveTimer(), nullptr);
    EXPECT_DOUBLE_EQ(gvc->saveTimer()->timeInterval(), 12);
    EXPECT_FALSE(gvc->saveTimer()->repeats());
    gvc->viewDidDisappear(false);
    EXPECT_EQ(gvc->saveTimer(), nullptr);

    // Clean, playing: nothing is written, but the timer is armed again.
    gvc->saveTimerTick();
    EXPECT_TRUE(saves().isEmpty());
    EXPECT_NE(gvc->saveTimer(), nullptr);
    makeAnimation(2);
    gvc->play();
    gvc->saveTimerTick();
    EXPECT_TRUE(saves().isEmpty());
    gvc->stop();
    gvc->saveTimerTick();
    EXPECT_EQ(saves().size(), 1);
    EXPECT_FALSE(gvc->savingLabel()->isVisible());
}

TEST_F(StorageTest, LoadingReplacesTheAnimationAndStartsAtTheFirstFrame) {
    makeAnimation(3);
    gvc->setAnimationBackground(5);
    frame(1).addSound(sound("Zip"));
    gvc->animationSpeedSlider()->setDoubleValue(2.5);
    gvc->saveWithName("Three", true);
    const int id = gvc->currentSaveId();

    gvc->clearAllFrames();
    gvc->startScene();
    gvc->animationSpeedSlider()->setDoubleValue(1);
    gvc->loadWithId(id);
    ASSERT_EQ(gvc->frames().size(), 3u);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(gvc->currentSaveId(), id);
    EXPECT_EQ(gvc->autoSaveId(), -1);
    EXPECT_FALSE(gvc->isDirty());
    EXPECT_DOUBLE_EQ(gvc->animationSpeedSlider()->doubleValue(), 2.5);
    EXPECT_EQ(frame(1).sounds().size(), 1u);
    EXPECT_EQ(frame(2).background(), 5);
    EXPECT_EQ(frame(0).background(), 0);
    EXPECT_EQ(gvc->frameLayer()->children().size(), 2u);
    EXPECT_TRUE(gvc->frameLayer()->visible());
    EXPECT_TRUE(gvc->shadowLayer()->children().empty());
    EXPECT_FALSE(gvc->loadingView()->isVisible());
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
}

TEST_F(StorageTest, LoadingShowsTheFirstFrameAtOnceAndReadsTheRestBehindIt) {
    makeAnimation(45);
    gvc->saveWithName("Long", true);
    const int id = gvc->currentSaveId();

    // Looked at from the event loop the load lets run, once the first frame is read: the
    // stage shows it, the panel counts, work that needs every frame waits for them.
    struct Seen {
        size_t frames = 0;
        size_t stage = 0;
        bool stageVisible = false;
        bool panel = false;
        size_t whenAll = 0;
    } seen;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (seen.frames > 0 || gvc->allFramesRead())
            return;
        seen = {gvc->frames().size(), gvc->frameLayer()->children().size(),
                gvc->frameLayer()->visible(), !gvc->loadingView()->isHidden(), 0};
        gvc->whenAllFramesRead([&] { seen.whenAll = gvc->frames().size(); });
    });
    gvc->clearAllFrames();
    gvc->startScene();
    probe.start();
    gvc->loadWithId(id);
    EXPECT_GE(seen.frames, 1u);
    EXPECT_LT(seen.frames, 45u);
    EXPECT_EQ(seen.stage, 2u);
    EXPECT_TRUE(seen.stageVisible);
    EXPECT_TRUE(seen.panel);
    EXPECT_EQ(seen.whenAll, 45u);
    EXPECT_EQ(gvc->frames().size(), 45u);
    EXPECT_TRUE(gvc->loadingView()->isHidden());
    EXPECT_FALSE(gvc->isDirty());

    // Closed while reading: the load stops at the next frame, and the editor closes.
    probe.disconnect();
    size_t readWhenClosed = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (readWhenClosed == 0 && !gvc->allFramesRead()) {
            readWhenClosed = gvc->frames().size();
            gvc->doClose();
        }
    });
    gvc->loadWithId(id);
    probe.stop();
    EXPECT_GE(readWhenClosed, 1u);
    EXPECT_LT(readWhenClosed, 45u);
    EXPECT_TRUE(gvc->allFramesRead());
    EXPECT_EQ(gvc->frames().size(), 1u);
    EXPECT_EQ(gvc->currentSaveId(), -1);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
}

TEST_F(StorageTest, LoadingWhatCannotBeReadTellsTheUser) {
    // A save that does not exist: one empty frame and an explanation.
    gvc->loadWithId(42);
    ASSERT_EQ(gvc->frames().size(), 1u);
    EXPECT_TRUE(frame(0).sprites().empty());
    ASSERT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
    platform::AlertView::visibleAlerts().back()->dismissWithClickedButtonIndex(0);

    // A deleted middle pack: the rest loads, and the user hears how much is missing.
    gvc->startScene();
    gvc->clearAllFrames();
    makeAnimation(45);
    gvc->saveWithName("Long", true);
    const int id = gvc->currentSaveId();
    ASSERT_TRUE(QFile::remove(doc(savefiles::packFileName(id, 1))));
    gvc->loadWithId(id);
    EXPECT_EQ(gvc->frames().size(), 25u);
    const auto alerts = platform::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts.back()->message().contains("up to 20 frames"));
}

TEST_F(StorageTest, AFailedSaveKeepsThePreviousSaveAndTheChanges) {
    makeAnimation(2);
    gvc->saveWithName("Keep", true);
    const int id = gvc->currentSaveId();
    QFile f(doc(savefiles::indexFileName(id)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    gvc->snap(nullptr);
    gvc->addSprite(box(Point(1, 2)));
    // A full disk: no file may grow past a few bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const bool ok = gvc->saveInBackgroundWithId(id);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(gvc->isDirty());
    EXPECT_FALSE(gvc->isSaveInProgress());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    const auto alerts = platform::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts.back()->title(), QStringLiteral("Could not save \u201cKeep\u201d"));
    EXPECT_FALSE(alerts.back()->message().isEmpty());
    QStringList leftovers = QDir(platform::documentsFolder()).entryList(QDir::Files);
    for (const QString& name : leftovers)
        EXPECT_TRUE(name.startsWith("save-") || name.startsWith("bg-")) << name.toStdString();
}

TEST_F(StorageTest, ASaveAskedForDuringASaveFollowsIt) {
    makeAnimation(30);
    gvc->saveWithName("First", true);
    const int first = gvc->currentSaveId();
    // While the next write pumps the event loop, a queued request asks for another save.
    bool asked = false;
    QTimer::singleShot(0, [&] {
        asked = true;
        EXPECT_TRUE(gvc->isSaveInProgress());
        gvc->addSprite(box(Point(9, 9)));
        gvc->save();
    });
    gvc->saveInBackgroundWithId(first);
    EXPECT_TRUE(asked);
    // The second save ran after the first and wrote the added box; nothing is left changed.
    EXPECT_FALSE(gvc->isSaveInProgress());
    EXPECT_FALSE(gvc->isDirty());
    gvc->loadWithId(first);
    EXPECT_EQ(frame(29).sprites().size(), 3u);
}

TEST_F(StorageTest, CloseQuestionAnswers) {
    // Clean: closes at once (the first screen starts a new animation).
    gvc->viewDidAppear(false);
    gvc->close(nullptr);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());

    makeAnimation(2);
    auto* figureInFrame = dynamic_cast<Hmn*>(frame(0).sprites()[1].get());
    ASSERT_NE(figureInFrame, nullptr);
    // "Save" keeps the editor open and asks for a name.
    gvc->close(nullptr);
    answerAlert("You are exiting the animation. Anything unsaved will be lost!", "Save");
    EXPECT_TRUE(gvc->isPresented());
    EXPECT_EQ(gvc->frames().size(), 2u);
    typeSaveName("Kept");
    EXPECT_FALSE(gvc->isDirty());

    // "Exit" discards the animation: nothing holds its figures any more (their joints unlink
    // as they go), undo included.
    gvc->addSprite(box(Point(3, 3)));
    std::weak_ptr<CCSprite> keepFigure = frame(0).sprites()[1];
    gvc->close(nullptr);
    answerAlert("You are exiting the animation. Anything unsaved will be lost!", "Exit");
    EXPECT_TRUE(keepFigure.expired());
    EXPECT_FALSE(gvc->animation().undoStack().canUndo());
    ASSERT_EQ(gvc->frames().size(), 1u);
    EXPECT_TRUE(frame(0).sprites().empty());

    // The platform taking the question away also leaves.
    gvc->addSprite(box(Point(3, 3)));
    gvc->close(nullptr);
    platform::AlertView::visibleAlerts().back()->cancel();
    EXPECT_TRUE(frame(0).sprites().empty());
}

// Frames of save N as they are on disk now.
int framesOnDisk(int id) {
    return int(SaveReader(id).read({}).frames.size());
}

TEST_F(StorageTest, AnAutomaticSaveThatKeepsFailingSaysSoOnce) {
    makeAnimation(2);
    gvc->saveWithName("Keep", true);
    const int id = gvc->currentSaveId();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &tiny);
    for (int tick = 0; tick < 3; ++tick) {
        gvc->addSprite(box(Point(float(tick), 2)));
        gvc->saveTimerTick();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
    EXPECT_TRUE(gvc->isDirty());
    // Once a save succeeds, the next failure is news again.
    gvc->saveTimerTick();
    EXPECT_FALSE(gvc->isDirty());
    setrlimit(RLIMIT_FSIZE, &tiny);
    gvc->addSprite(box(Point(9, 9)));
    gvc->saveInBackgroundWithId(id);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(platform::AlertView::visibleAlerts().size(), 2u);
}

// "Exit" answered while the automatic save runs: the save finishes with the animation as it
// was, nothing is written after the close, and the next animation has identifiers of its own.
TEST_F(StorageTest, ExitDuringTheAutomaticSaveNeverWritesTheClosedAnimationAway) {
    defaults().setBool(true, "autosave_enabled");
    gvc->viewDidAppear(false);
    makeAnimation(3);
    gvc->saveWithName("Keep", true);
    const int id = gvc->currentSaveId();
    ASSERT_EQ(framesOnDisk(id), 3);
    gvc->snap(nullptr);

    auto answerExitSoon = [this](int ms) {
        gvc->close(nullptr);
        ASSERT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
        auto alert = platform::AlertView::visibleAlerts().back();
        QTimer::singleShot(ms, [alert] { alert->dismissWithClickedButtonIndex(0); });
    };
    // Answered before the write starts: the tick's first turn of the event loop handles it.
    answerExitSoon(0);
    gvc->saveTimerTick();
    EXPECT_EQ(framesOnDisk(id), 3);
    EXPECT_EQ(gvc->currentSaveId(), -1);
    EXPECT_EQ(gvc->autoSaveId(), -1);
    EXPECT_FALSE(gvc->isDirty());
    gvc->saveTimerTick();
    EXPECT_EQ(framesOnDisk(id), 3);

    // Answered while the write runs (a long animation, the answer a little later): the close
    // waits for the write, which saves the animation whole.
    gvc->loadWithId(id);
    for (int i = 0; i < 60; ++i)
        gvc->snap(nullptr);
    answerExitSoon(5);
    gvc->saveTimerTick();
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
    EXPECT_EQ(framesOnDisk(id), 63);
    EXPECT_EQ(gvc->currentSaveId(), -1);
    EXPECT_FALSE(gvc->isDirty());
    // One period later: the new, untouched animation is not saved over anything.
    gvc->saveTimerTick();
    EXPECT_EQ(framesOnDisk(id), 63);
    EXPECT_EQ(saves().size(), 1);
}

TEST_F(StorageTest, LeavingTheFirstScreensAnimationStartsAnUnchangedOne) {
    gvc->viewDidAppear(false);
    makeAnimation(2);
    gvc->close(nullptr);
    answerAlert("You are exiting the animation. Anything unsaved will be lost!", "Exit");
    EXPECT_FALSE(gvc->isDirty());
    EXPECT_EQ(gvc->background(), 1);
    gvc->saveTimerTick();
    EXPECT_TRUE(saves().isEmpty());
    gvc->close(nullptr);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
}

} // namespace
