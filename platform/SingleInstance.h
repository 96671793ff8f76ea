#pragma once

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

// One program per documents folder. Two programs on one folder would each keep their own copy
// of the saves index and hand out the same identifiers, so the first start takes a lock in the
// folder and listens for later starts; a later start asks it to come forward and ends. A lock
// left by a program that was killed does not count (the lock names a process that is gone).
class SingleInstance {
public:
    explicit SingleInstance(QString folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Outcome {
        First,          // this program holds the folder; later starts are listened for
        BroughtForward, // another program holds it and was asked to come forward
        AlreadyRunning, // another program holds it but did not answer
        Failed          // the lock could not be taken for another reason (see message())
    };
    // Takes the lock, or asks the program that holds it to come forward, waiting for its answer
    // at most waitMs (it may be starting up itself). Needs the application object.
    Outcome start(int waitMs = 5000);
    // What to tell the user when start() did not give First.
    QString message() const { return message_; }

    // Called (on the main thread) when a later start asks this program to come forward.
    void setActivationHandler(std::function<void()> handler) { onActivate_ = std::move(handler); }

    QString lockFilePath() const;
    // The local socket name of the folder's program (the same for every start on the folder).
    QString serverName() const;

private:
    bool askToComeForward(int waitMs);
    void listen();

    QString folder_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivate_;
    QString message_;
};

} // namespace platform
