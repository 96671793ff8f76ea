#include "platform/Sound.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

enum class State { Unopened, Open, NoAudio, Closed };

// The mixer and the start order of its voices. Sounds are played from the main thread, but the
// catalogue may be built on whichever thread uses it first, so the state is locked.
struct Service {
    std::mutex lock;
    State state = State::Unopened;
    // Start number of the sound each voice last began; the smallest among busy voices is the
    // oldest. Mix_Playing() can't tell which busy voice started first, so we count ourselves.
    std::array<quint64, kSoundChannels> startedAt{};
    quint64 starts = 0;
    QString driver;
};

Service& service() {
    static Service s;
    return s;
}

bool openMixer() {
    // SIGINT and SIGTERM stay the program's: SDL's own handlers turn them into an event only a
    // video program would read, and the program would never end on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    // The format the program's effects are made in (22050 Hz, 16-bit, mono): loaded sounds are
    // kept as they are instead of four times their size at 44.1 kHz stereo. A short buffer keeps
    // a sound close to the frame that starts it.
    if (Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 512) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kSoundChannels);
    return true;
}

// Lock held.
void ensureOpen(Service& s) {
    if (s.state != State::Unopened)
        return;
    if (openMixer()) {
        s.state = State::Open;
    } else {
        qCInfo(lcKelvora, "No audio device (%s); sounds will be silent", SDL_GetError());
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (openMixer()) {
            s.state = State::Open;
        } else {
            qCWarning(lcKelvora, "Cannot open the dummy audio driver either (%s)", SDL_GetError());
            s.state = State::NoAudio;
        }
    }
    if (s.state == State::Open)
        s.driver = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    // Close the device before the process ends so its thread and buffers are gone by then.
    if (QCoreApplication::instance())
        qAddPostRoutine(shutDownSound);
    else
        std::atexit(shutDownSound);
}

} // namespace

std::unique_ptr<SoundSample> SoundSample::load(const QString& path, int* status) {
    auto fail = [status](int code) {
        if (status)
            *status = code;
        return std::unique_ptr<SoundSample>();
    };
    // The file is judged before the device, so a bad file fails alike with or without audio.
    QFile file(path);
    if (path.isEmpty() || QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return fail(SoundFileUnreadable);
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(SoundFileUnreadable);
    if (data.size() > INT_MAX)
        return fail(SoundDataUnsupported);

    Service& s = service();
    std::lock_guard guard(s.lock);
    ensureOpen(s);
    if (s.state == State::Closed)
        return fail(SoundServiceClosed);
    Mix_Chunk* chunk = nullptr;
    if (s.state == State::Open) {
        // The chunk is decoded into the device's format, so the file's bytes are not kept.
        SDL_RWops* rw = SDL_RWFromConstMem(data.constData(), int(data.size()));
        chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (!chunk) {
            qCDebug(lcKelvora, "%s: %s", qUtf8Printable(path), Mix_GetError());
            return fail(SoundDataUnsupported);
        }
    }
    if (status)
        *status = SoundOK;
    return std::unique_ptr<SoundSample>(new SoundSample(chunk));
}

SoundSample::~SoundSample() {
    // Stops any voice still playing it; safe after the device has closed.
    if (chunk_)
        Mix_FreeChunk(chunk_);
}

int SoundSample::play() {
    if (!chunk_)
        return -1;
    Service& s = service();
    std::lock_guard guard(s.lock);
    if (s.state != State::Open)
        return -1;
    int channel = Mix_PlayChannel(-1, chunk_, 0);
    if (channel < 0) {
        // Every voice is busy: the one that started longest ago gives way.
        int oldest = 0;
        for (int i = 1; i < kSoundChannels; ++i) {
            if (s.startedAt[i] < s.startedAt[oldest])
                oldest = i;
        }
        Mix_HaltChannel(oldest);
        channel = Mix_PlayChannel(oldest, chunk_, 0);
    }
    if (channel >= 0 && channel < kSoundChannels)
        s.startedAt[channel] = ++s.starts;
    return channel;
}

QString soundDriverName() {
    Service& s = service();
    std::lock_guard guard(s.lock);
    return s.driver;
}

void shutDownSound() {
    Service& s = service();
    std::lock_guard guard(s.lock);
    if (s.state == State::Open) {
        Mix_HaltChannel(-1);
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    s.state = State::Closed;
    s.driver.clear();
}

} // namespace platform
