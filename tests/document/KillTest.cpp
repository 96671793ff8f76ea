// A process saving animations is killed at random points, again and again on one home folder.
// After every kill, the program's next start must find each animation whole, as it was before
// the save in flight or as that save made it, listed exactly once, and no identifier handed out
// twice. Not part of the default run: ctest -C kill (KELVORA_KILL_RUNS sets the number of kills).

#include "SaveKillShared.h"
#include "SaveTestSupport.h"

#include "TestSupport.h"
#include "document/SaveFiles.h"
#include "document/SavesIndex.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <map>
#include <set>

TEST(KillTest, EveryKillLeavesEachSaveWholeAndListedOnce) {
    const int runs = qEnvironmentVariableIsSet("KELVORA_KILL_RUNS")
                         ? qEnvironmentVariableIntValue("KELVORA_KILL_RUNS")
                         : 120;
    const QString home = testsupport::makeTempDir();
    const QString folder = home + "/Documents";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KELVORA_HOME", home);
    QRandomGenerator random(20261208);

    std::set<int> allocated;
    std::map<int, int> done;     // id -> the version last found whole (or reported done)
    std::map<int, int> inFlight; // id -> version being written when killed
    int killedMidSave = 0;
    int completedSaves = 0;
    int kills = 0;
    for (int run = 0; run < runs; ++run) {
        ++kills;
        SCOPED_TRACE(qPrintable(QString("kill %1").arg(run)));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(KELVORA_KILL_CHILD, {});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(200 + random.bounded(1300));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished());
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardError().data();

        inFlight.clear();
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 2 && w[0] == "alloc") {
                EXPECT_TRUE(allocated.insert(w[1].toInt()).second)
                    << "identifier " << w[1].data() << " handed out twice";
            } else if (w.size() == 3 && w[0] == "begin") {
                inFlight[w[1].toInt()] = w[2].toInt();
            } else if (w.size() == 3 && w[0] == "done") {
                done[w[1].toInt()] = w[2].toInt();
                inFlight.erase(w[1].toInt());
                ++completedSaves;
            }
        }
        killedMidSave += inFlight.empty() ? 0 : 1;

        // What the next start sees.
        platform::UserDefaults defaults(home + "/Preferences/defaults.plist");
        const SavesIndex index(defaults, folder);
        std::set<int> listed;
        for (const SavesIndex::Entry& e : index.entries()) {
            EXPECT_TRUE(listed.insert(e.saveId).second) << "listed twice: " << e.saveId;
            EXPECT_EQ(e.saveName, killtest::nameOf(e.saveId));
            const SaveReader::Result r = SaveReader(e.saveId, folder).read(nullptr);
            EXPECT_TRUE(r.indexReadable && r.complete()) << "save " << e.saveId;
            const int version = killtest::versionOf(r);
            const bool old = done.count(e.saveId) && done[e.saveId] == version;
            const bool fresh = inFlight.count(e.saveId) && inFlight[e.saveId] == version;
            EXPECT_TRUE(old || fresh) << "save " << e.saveId << " is at version " << version;
            EXPECT_EQ(int(r.frames.size()), killtest::framesOf(e.saveId, version))
                << "save " << e.saveId;
            done[e.saveId] = version;
        }
        for (const auto& [id, version] : done)
            EXPECT_TRUE(listed.count(id)) << "save " << id << " was done but is not listed";
        const savefiles::FolderListing listing = savefiles::listFolder(folder);
        for (auto it = listing.saves.constBegin(); it != listing.saves.constEnd(); ++it) {
            if (it->hasIndex || it->hasCommit) {
                EXPECT_TRUE(listed.count(it.key())) << "save " << it.key() << " is not listed";
            }
        }
        if (HasFailure())
            break;
    }
    std::printf("%d kills, %d of them in the middle of a save; %d saves completed, %zu "
                "identifiers handed out\n",
                kills, killedMidSave, completedSaves, allocated.size());
    EXPECT_GT(killedMidSave, kills / 2);
}
