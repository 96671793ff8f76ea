#include "document/SaveFiles.h"

#include "document/DurableFile.h"

#include "platform/Log.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QSet>
#include <QVariantList>

#include <algorithm>
#include <limits>

namespace savefiles {

namespace {

using Move = QPair<QString, QString>; // temporary name, final name

using saveformat::kMoveFrom;
using saveformat::kMoves;
using saveformat::kMoveTo;
// A commit record holds a few hundred short entries; anything much larger is not one.
constexpr qint64 kMaxCommitRecordBytes = 4 * 1024 * 1024;

// The decimal number spelled by s as written by "%d" for a positive value; -1 otherwise.
int positiveDecimal(QStringView s) {
    if (s.isEmpty() || s.size() > 10 || s.front() == QLatin1Char('0'))
        return -1;
    qint64 value = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value <= std::numeric_limits<int>::max() ? int(value) : -1;
}

// The decimal number at the start of s up to the first character that is not a digit, as
// positiveDecimal reads it; -1 when there is none.
int leadingNumber(QStringView s) {
    qsizetype n = 0;
    while (n < s.size() && s[n] >= QLatin1Char('0') && s[n] <= QLatin1Char('9'))
        ++n;
    return positiveDecimal(s.left(n));
}

// Whether a file name is one a save set of N is made of.
bool isFileOfSave(int saveId, const QString& name) {
    return name == indexFileName(saveId) || packNumber(saveId, name) > 0 ||
           name == animationPictureFileName(saveId) || isFramePictureName(saveId, name);
}

// The moves of save N's commit record, in the order they are to be made. Entries that are not
// moves of this save's files are dropped: the record is as untrusted as any file.
QList<Move> recordedMoves(int saveId, const QString& folder) {
    QList<Move> moves;
    const QString path = QDir(folder).filePath(commitRecordFileName(saveId));
    if (!QFileInfo::exists(path))
        return moves;
    const auto record = platform::readPropertyList(path, kMaxCommitRecordBytes, folder);
    if (!record)
        return moves;
    const QVariant list = record->value(kMoves);
    if (list.typeId() != QMetaType::QVariantList)
        return moves;
    for (const QVariant& entry : *static_cast<const QVariantList*>(list.constData())) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const auto& move = *static_cast<const QVariantMap*>(entry.constData());
        const QVariant from = move.value(kMoveFrom);
        const QVariant to = move.value(kMoveTo);
        if (from.typeId() != QMetaType::QString || to.typeId() != QMetaType::QString)
            continue;
        const QString toName = to.toString();
        const QString fromName = from.toString();
        const QString prefix = QStringLiteral(".~") + toName + QLatin1Char('.');
        if (!isFileOfSave(saveId, toName) || !fromName.startsWith(prefix) ||
            fromName.size() == prefix.size() || fromName.contains(QLatin1Char('/')))
            continue;
        moves.append({fromName, toName});
    }
    return moves;
}

// The files of save N its commit record removes once the moves are made; as untrusted as the
// moves, so only files of this save by their plain names.
QStringList recordedRemovals(int saveId, const QString& folder) {
    QStringList names;
    const auto record = platform::readPropertyList(
        QDir(folder).filePath(commitRecordFileName(saveId)), kMaxCommitRecordBytes, folder);
    if (!record)
        return names;
    const QVariant list = record->value(saveformat::kRemoves);
    if (list.typeId() != QMetaType::QVariantList)
        return names;
    for (const QVariant& entry : *static_cast<const QVariantList*>(list.constData())) {
        if (entry.typeId() != QMetaType::QString)
            continue;
        const QString name = entry.toString();
        if (name != indexFileName(saveId) && isFileOfSave(saveId, name) &&
            !name.contains(QLatin1Char('/')))
            names.append(name);
    }
    return names;
}

QStringList hiddenEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

QString indexFileName(int saveId) {
    return QStringLiteral("save-%1.plist").arg(saveId);
}

QString packFileName(int saveId, int pack) {
    if (pack == 0)
        return indexFileName(saveId);
    return QStringLiteral("save-%1-pack-%2.plist").arg(saveId).arg(pack);
}

QString animationPictureFileName(int saveId) {
    return QStringLiteral("bg-%1.jpg").arg(saveId);
}

QString framePictureFileName(int saveId, int position) {
    return QStringLiteral("bg-%1-%2.png").arg(saveId).arg(position);
}

QString framePictureFileName(int saveId, int pack, int position) {
    return QStringLiteral("bg-%1-%2-%3.png").arg(saveId).arg(pack).arg(position);
}

int packNumber(int saveId, const QString& fileName) {
    const QString prefix = QStringLiteral("save-%1-pack-").arg(saveId);
    const QLatin1String suffix(".plist");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix) ||
        fileName.size() <= prefix.size() + suffix.size())
        return -1;
    return positiveDecimal(
        QStringView(fileName).mid(prefix.size(), fileName.size() - prefix.size() - suffix.size()));
}

bool isFramePictureName(int saveId, const QString& fileName) {
    if (fileName.size() > 255 || !fileName.startsWith(QStringLiteral("bg-%1-").arg(saveId)) ||
        fileName.contains(QLatin1String("..")))
        return false;
    for (QChar c : fileName) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 ||
            c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QString commitRecordFileName(int saveId) {
    return QStringLiteral("save-%1.commit").arg(saveId);
}

QString temporaryFileName(const QString& finalName, const QString& token) {
    return QStringLiteral(".~") + finalName + QLatin1Char('.') + token;
}

bool isTemporaryFileOf(int saveId, const QString& fileName) {
    if (!fileName.startsWith(QLatin1String(".~")))
        return false;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 2)
        return false;
    const QString finalName = fileName.mid(2, dot - 2);
    return isFileOfSave(saveId, finalName) || finalName == commitRecordFileName(saveId);
}

QHash<QString, QString> pendingMoves(int saveId, const QString& folder) {
    QHash<QString, QString> pending;
    const QDir dir(folder);
    for (const Move& move : recordedMoves(saveId, folder)) {
        if (QFileInfo(dir.filePath(move.first)).isFile())
            pending.insert(move.second, move.first);
    }
    return pending;
}

bool finishInterruptedSave(int saveId, const QString& folder, QString* error) {
    const QDir dir(folder);
    const QString recordPath = dir.filePath(commitRecordFileName(saveId));
    bool ok = true;
    QString why;
    if (QFileInfo::exists(recordPath)) {
        for (const Move& move : recordedMoves(saveId, folder)) {
            const QString from = dir.filePath(move.first);
            if (QFileInfo(from).isFile() &&
                !durable::moveInto(from, dir.filePath(move.second), &why))
                ok = false;
        }
        if (ok) {
            for (const QString& name : recordedRemovals(saveId, folder))
                ok &= durable::removeFile(dir.filePath(name), &why);
        }
        // The record goes only once every move is made and on disk.
        if (ok && durable::syncFolder(folder, &why))
            ok = durable::removeFile(recordPath, &why);
        else
            ok = false;
    }
    if (ok) {
        for (const QString& name : hiddenEntries(folder)) {
            if (isTemporaryFileOf(saveId, name) && !durable::removeFile(dir.filePath(name), &why))
                ok = false;
        }
    }
    if (!ok) {
        qCWarning(platform::lcKelvora, "Cannot finish the interrupted save %d: %s", saveId,
                  qPrintable(why));
        if (error)
            *error = why;
    }
    return ok;
}

int saveIdOfFile(const QString& fileName) {
    QStringView name(fileName);
    if (name.startsWith(QLatin1String(".~"))) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot <= 2)
            return -1;
        const int n = saveIdOfFile(name.mid(2, dot - 2).toString());
        return n > 0 && isTemporaryFileOf(n, fileName) ? n : -1;
    }
    int n = -1;
    if (name.startsWith(QLatin1String("save-")))
        n = leadingNumber(name.mid(5));
    else if (name.startsWith(QLatin1String("bg-")))
        n = leadingNumber(name.mid(3));
    if (n < 1)
        return -1;
    return isFileOfSave(n, fileName) || fileName == commitRecordFileName(n) ? n : -1;
}

FolderListing listFolder(const QString& folder) {
    FolderListing listing;
    for (const QString& name : hiddenEntries(folder)) {
        const int n = saveIdOfFile(name);
        if (n < 1)
            continue;
        listing.highestId = std::max(listing.highestId, n);
        if (name == indexFileName(n)) {
            listing.saves[n].hasIndex = true;
        } else if (name == commitRecordFileName(n)) {
            listing.saves[n].hasCommit = true;
        } else if (const int p = packNumber(n, name); p > 0) {
            listing.saves[n].packs.push_back(p);
        }
    }
    return listing;
}

bool tidyFolder(const QString& folder, QString* error) {
    const QDir dir(folder);
    bool ok = true;
    QString why;
    QSet<int> withRecord;
    QStringList temporaries;
    for (const QString& name : hiddenEntries(folder)) {
        const int n = saveIdOfFile(name);
        if (n < 1)
            continue;
        if (name == commitRecordFileName(n))
            withRecord.insert(n);
        else if (name.startsWith(QLatin1String(".~")))
            temporaries.append(name);
    }
    // A committed set is the save readers see: it is finished, never dropped.
    for (int n : std::as_const(withRecord))
        ok &= finishInterruptedSave(n, folder, &why);
    for (const QString& name : std::as_const(temporaries)) {
        if (!withRecord.contains(saveIdOfFile(name)))
            ok &= durable::removeFile(dir.filePath(name), &why);
    }
    if (!ok && error)
        *error = why;
    return ok;
}

bool removeSaveFiles(int saveId, const QString& folder) {
    const QDir dir(folder);
    bool ok = true;
    QString why;
    // The record first, so that an interrupted removal does not bring a save back.
    ok &= durable::removeFile(dir.filePath(commitRecordFileName(saveId)), &why);
    for (const QString& name : hiddenEntries(folder)) {
        if (name == indexFileName(saveId) || packNumber(saveId, name) > 0 ||
            isTemporaryFileOf(saveId, name))
            ok &= durable::removeFile(dir.filePath(name), &why);
    }
    if (!ok)
        qCWarning(platform::lcKelvora, "Cannot remove the files of save %d: %s", saveId,
                  qPrintable(why));
    return ok;
}

} // namespace savefiles
