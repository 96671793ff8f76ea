// kelvora-inspect: the saved animations as the program sees them.
//
//   kelvora-inspect list [--json]      the saves index: identifier, name, frames, packs
//   kelvora-inspect show N [--compact] save N as JSON, read exactly as the editor loads it
//
// Files are looked up in the program's documents folder and user defaults ($KELVORA_HOME when
// set). Exit status: 0 done, 1 usage, 2 the save does not exist, 3 it cannot be read.

#include "ToolSetup.h"
#include "document/SaveFiles.h"
#include "document/SaveFormat.h"
#include "document/SaveInspector.h"
#include "document/SaveReader.h"
#include "document/SavesIndex.h"

#include "platform/Paths.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int kUsage = 1;
constexpr int kNoSuchSave = 2;
constexpr int kUnreadable = 3;

// The saves index as the program would see it, mended but never written: the inspector only
// looks on.
const SavesIndex& savesIndex() {
    static const SavesIndex index(platform::UserDefaults::standardUserDefaults(),
                                  platform::documentsFolder(), SavesIndex::Mode::ReadOnly);
    return index;
}

QString statusOf(const SaveReader::Summary& s) {
    if (!s.indexExists)
        return QStringLiteral("missing");
    if (!s.indexReadable)
        return QStringLiteral("unreadable");
    if (s.unreadablePacks > 0)
        return QStringLiteral("%1 pack(s) missing or unreadable").arg(s.unreadablePacks);
    return QStringLiteral("ok");
}

int list(bool json) {
    QTextStream out(stdout);
    const SavesIndex& index = savesIndex();
    const auto entries = index.entries();
    const qint64 maxSaveId = index.maxSaveId();
    if (!index.recoveryMessage().isEmpty())
        QTextStream(stderr) << "kelvora-inspect: " << index.recoveryMessage() << '\n';
    // One listing of the folder serves every save.
    const savefiles::FolderListing listing = savefiles::listFolder(index.folder());
    QJsonArray rows;
    QStringList lines;
    int nameWidth = 4;
    for (const SavesIndex::Entry& e : entries)
        nameWidth = std::max(nameWidth, int(e.saveName.size()));
    for (const SavesIndex::Entry& e : entries) {
        const SaveReader::Summary s = SaveReader(e.saveId, index.folder()).summarize(listing);
        rows.append(QJsonObject{{QStringLiteral("saveId"), e.saveId},
                                {QStringLiteral("saveName"), e.saveName},
                                {QStringLiteral("frames"), s.frames},
                                {QStringLiteral("packs"), s.totalPacks},
                                {QStringLiteral("status"), statusOf(s)}});
        lines.append(QStringLiteral("%1  %2  %3  %4  %5")
                         .arg(e.saveId, 6)
                         .arg(e.saveName, -nameWidth)
                         .arg(s.frames, 6)
                         .arg(s.totalPacks, 5)
                         .arg(statusOf(s)));
    }
    if (json) {
        out << QJsonDocument(QJsonObject{{QStringLiteral("maxSaveId"), maxSaveId},
                                         {QStringLiteral("saves"), rows}})
                   .toJson(QJsonDocument::Indented);
        return 0;
    }
    out << QStringLiteral("%1  %2  %3  %4  %5\n")
               .arg(QStringLiteral("ID"), 6)
               .arg(QStringLiteral("NAME"), -nameWidth)
               .arg(QStringLiteral("FRAMES"), 6)
               .arg(QStringLiteral("PACKS"), 5)
               .arg(QStringLiteral("STATUS"));
    for (const QString& line : std::as_const(lines))
        out << line << '\n';
    out << QStringLiteral("%1 save(s); next identifier %2\n")
               .arg(entries.size())
               .arg(maxSaveId + 1);
    return 0;
}

int show(const QString& idText, bool compact) {
    QTextStream err(stderr);
    bool ok = false;
    const int saveId = idText.toInt(&ok);
    if (!ok || saveId < 1) {
        err << "kelvora-inspect: \"" << idText << "\" is not a save identifier (1 or more)\n";
        return kUsage;
    }
    const QString folder = platform::documentsFolder();
    const SaveReader::Result r = SaveReader(saveId, folder).read(nullptr);
    const QString index = QDir(folder).filePath(savefiles::indexFileName(saveId));
    if (!r.indexExists) {
        err << "kelvora-inspect: save " << saveId << " does not exist (no file " << index << ")\n";
        return kNoSuchSave;
    }
    if (r.refused) {
        err << "kelvora-inspect: save " << saveId << " cannot be read: " << r.refusal << '\n';
        return kUnreadable;
    }
    if (!r.indexReadable) {
        err << "kelvora-inspect: save " << saveId << " cannot be read: " << index
            << " is not a save file this program can read\n";
        return kUnreadable;
    }
    QJsonObject json = saveToJson(r);
    json.insert(QStringLiteral("saveId"), saveId);
    // The index's name for it; the meta's (already in json) when the index does not list it.
    const QString listedName = savesIndex().nameOf(saveId);
    if (!listedName.isNull())
        json.insert(saveformat::kSaveName, listedName);
    const QByteArray text =
        QJsonDocument(json).toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    if (compact)
        std::fputc('\n', stdout);
    if (!r.complete())
        err << "kelvora-inspect: save " << saveId
            << " was read in part: " << r.problems().join(QStringLiteral(", ")) << '\n';
    return 0;
}

int usage() {
    QTextStream(stderr) << "usage: kelvora-inspect list [--json]\n"
                           "       kelvora-inspect show N [--compact]\n";
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    const auto app = startTool(argc, argv);
    QStringList args = app->arguments().mid(1);
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    const bool compact = args.removeAll(QStringLiteral("--compact")) > 0;
    if (args.size() == 1 && args[0] == QLatin1String("list") && !compact)
        return list(json);
    if (args.size() == 2 && args[0] == QLatin1String("show") && !json)
        return show(args[1], compact);
    return usage();
}
