// kelvora-export: a saved animation as a video, an animated GIF or a folder of pictures.
//
//   kelvora-export N OUT [--size 480x320|960x640] [--format mp4|gif|png]
//
// Save N is read from the program's documents folder ($KELVORA_HOME when set), as the editor
// loads it, and rendered as playback shows it. Without --format, an OUT ending in ".gif" makes
// a GIF and anything else an MP4; --size defaults to 960x640. Exit status: 0 done, 1 usage,
// 2 the save does not exist, 3 it cannot be read, 4 the export could not be written.

#include "ToolSetup.h"
#include "document/Frame.h"
#include "document/SaveFiles.h"
#include "document/SaveReader.h"
#include "engine/CCDirector.h"
#include "export/Exporter.h"

#include "platform/Paths.h"

#include <QDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kUsage = 1;
constexpr int kNoSuchSave = 2;
constexpr int kUnreadable = 3;
constexpr int kWriteFailed = 4;

// The speed slider's range: a stored speed outside it plays at the nearest end.
constexpr double kMinSpeed = 0.25;
constexpr double kMaxSpeed = 4;

int usage(const QString& why = QString()) {
    QTextStream err(stderr);
    if (!why.isEmpty())
        err << "kelvora-export: " << why << '\n';
    err << "usage: kelvora-export N OUT [--size 480x320|960x640] [--format mp4|gif|png]\n";
    return kUsage;
}

std::vector<std::shared_ptr<Frame>> framesOf(SaveReader::Result& r) {
    std::vector<std::shared_ptr<Frame>> frames;
    for (const SaveReader::LoadedFrame& lf : r.frames)
        frames.push_back(lf.toFrame());
    return frames;
}

int exportSave(int saveId, const ExportOptions& options) {
    QTextStream err(stderr);
    // Pictures load at the resolution they are drawn at: the "-hd" ones for 960 × 640.
    CCDirector::sharedDirector().setContentScaleFactor(float(options.size.width()) / 480);
    const QString folder = platform::documentsFolder();
    SaveReader::Result r = SaveReader(saveId, folder).read(nullptr);
    if (!r.indexExists) {
        err << "kelvora-export: save " << saveId << " does not exist (no file "
            << QDir(folder).filePath(savefiles::indexFileName(saveId)) << ")\n";
        return kNoSuchSave;
    }
    if (r.refused || !r.indexReadable || r.frames.empty()) {
        const QString why = r.refused ? r.refusal
                            : !r.indexReadable
                                ? QStringLiteral("not a save file this program can read")
                                : QStringLiteral("it has no frames that can be read");
        err << "kelvora-export: save " << saveId << " cannot be read: " << why << '\n';
        return kUnreadable;
    }
    if (!r.complete())
        err << "kelvora-export: save " << saveId
            << " was read in part: " << r.problems().join(QStringLiteral(", ")) << '\n';
    const double speed =
        std::clamp(r.hasAnimationSpeed ? r.animationSpeed : 1.0, kMinSpeed, kMaxSpeed);

    Exporter exporter(framesOf(r), speed, options);
    const bool terminal = ::isatty(STDERR_FILENO);
    int shown = -1;
    exporter.run([&](int done, int total) {
        if (!terminal || total <= 0)
            return;
        const int percent = int(int64_t(done) * 100 / total);
        if (percent == shown)
            return;
        shown = percent;
        err << "\rExporting save " << saveId << " to " << options.output << ": " << percent << "%"
            << Qt::flush;
    });
    if (terminal)
        err << '\n';
    if (exporter.state() != Exporter::State::Done) {
        err << "kelvora-export: " << exporter.error() << '\n';
        return kWriteFailed;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const auto app = startTool(argc, argv);
    QStringList args = app->arguments().mid(1);
    ExportOptions options;
    std::optional<ExportFormat> format;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--size") || a == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return usage(a + QStringLiteral(" needs a value"));
            const QString value = args[++i];
            if (a == QLatin1String("--size")) {
                const auto size = sizeFromName(value);
                if (!size)
                    return usage(
                        QStringLiteral("the size is 480x320 or 960x640, not \"%1\"").arg(value));
                options.size = *size;
            } else {
                format = formatFromName(value);
                if (!format)
                    return usage(
                        QStringLiteral("the format is mp4, gif or png, not \"%1\"").arg(value));
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("unknown option %1").arg(a));
        } else {
            positional.append(a);
        }
    }
    if (positional.size() != 2)
        return usage();
    bool ok = false;
    const int saveId = positional[0].toInt(&ok);
    if (!ok || saveId < 1)
        return usage(
            QStringLiteral("\"%1\" is not a save identifier (1 or more)").arg(positional[0]));
    options.output = positional[1];
    options.format = format.value_or(
        options.output.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive) ? ExportFormat::Gif
                                                                            : ExportFormat::Mp4);
    return exportSave(saveId, options);
}
