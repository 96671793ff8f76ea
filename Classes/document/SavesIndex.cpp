#include "document/SavesIndex.h"

#include "document/SaveFiles.h"
#include "document/SaveFormat.h"
#include "document/SaveReader.h"
#include "items/DictionaryValues.h"

#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <limits>
#include <memory>

using namespace saveformat;
using dictvalues::dictInt;
using dictvalues::dictString;

namespace {

// The entry's identifier; 0 for anything that is not an entry.
int idOf(const QVariant& entry) {
    return entry.typeId() == QMetaType::QVariantMap
               ? dictInt(*static_cast<const QVariantMap*>(entry.constData()), kSaveId)
               : 0;
}

QVariantMap entryOf(int saveId, const QString& name) {
    return QVariantMap{{kSaveId, saveId}, {kSaveName, name}};
}

QString savesInWords(qsizetype n) {
    return n == 1 ? QStringLiteral("1 saved animation")
                  : QStringLiteral("%1 saved animations").arg(n);
}

} // namespace

SavesIndex& SavesIndex::shared() {
    static std::unique_ptr<SavesIndex> instance;
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    const QString folder = platform::documentsFolder();
    if (!instance || &instance->defaults_ != &defaults || instance->folder_ != folder)
        instance = std::make_unique<SavesIndex>(defaults, folder);
    return *instance;
}

SavesIndex::SavesIndex(platform::UserDefaults& defaults, QString folder, Mode mode)
    : defaults_(defaults), folder_(std::move(folder)) {
    mend(mode);
}

QString SavesIndex::recoveredName(int saveId, const QString& folder) {
    const QString indexName = savefiles::indexFileName(saveId);
    const QString file = savefiles::pendingMoves(saveId, folder).value(indexName, indexName);
    const auto index = platform::readPropertyList(QDir(folder).filePath(file),
                                                  SaveReader::kMaxPackFileBytes, folder);
    const QVariant meta = index ? index->value(kMeta) : QVariant();
    const QString name =
        meta.typeId() == QMetaType::QVariantMap
            ? dictString(*static_cast<const QVariantMap*>(meta.constData()), kSaveName)
            : QString();
    return name.isEmpty() ? QStringLiteral("Recovered animation %1").arg(saveId) : name;
}

void SavesIndex::mend(Mode mode) {
    const savefiles::FolderListing listing = savefiles::listFolder(folder_);
    const bool damaged = defaults_.wasDamaged();
    QVariantList saves = damaged ? QVariantList() : defaults_.arrayForKey(kSaves);
    const qint64 storedMax = defaults_.integerForKey(kMaxSaveId);
    qint64 maxId = std::max<qint64>(storedMax, listing.highestId);

    QSet<int> listed;
    for (const QVariant& entry : std::as_const(saves)) {
        const int id = idOf(entry);
        listed.insert(id);
        maxId = std::max<qint64>(maxId, id);
    }
    // A save is there when its index file or its commit record is.
    QList<int> unlisted;
    for (auto it = listing.saves.constBegin(); it != listing.saves.constEnd(); ++it) {
        if ((it->hasIndex || it->hasCommit) && !listed.contains(it.key()))
            unlisted.append(it.key());
    }
    std::sort(unlisted.begin(), unlisted.end());
    for (int id : std::as_const(unlisted))
        saves.append(entryOf(id, recoveredName(id, folder_)));

    if (!damaged && unlisted.isEmpty() && maxId == storedMax)
        return;
    if (mode == Mode::ReadOnly) {
        shownSaves_ = saves;
        shownMaxSaveId_ = maxId;
    } else {
        // Kept pending when it cannot be written now: the next change writes it.
        defaults_.setObject(saves, kSaves);
        defaults_.setInteger(maxId, kMaxSaveId);
        QString why;
        if (!defaults_.synchronize(&why))
            qCWarning(platform::lcKelvora, "The mended list of saves is not written yet: %s",
                      qPrintable(why));
    }

    if (damaged) {
        const QString keptAs = defaults_.damagedFileKeptAs();
        recoveryMessage_ =
            QStringLiteral("The list of saved animations could not be read, so it was rebuilt "
                           "from the %1 found in the documents folder.")
                .arg(savesInWords(unlisted.size()));
        if (!keptAs.isEmpty())
            recoveryMessage_ += QStringLiteral(" The damaged list was kept as \u201c%1\u201d.")
                                    .arg(QDir::toNativeSeparators(keptAs));
        recoveryMessage_ += QStringLiteral(" Settings may have gone back to their defaults.");
    } else if (!unlisted.isEmpty()) {
        recoveryMessage_ =
            QStringLiteral("%1 missing from the list of saved animations %2 added back to it.")
                .arg(savesInWords(unlisted.size()),
                     unlisted.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    }
}

QVector<SavesIndex::Entry> SavesIndex::entries() const {
    const QVariantList saves = shownSaves_ ? *shownSaves_ : defaults_.arrayForKey(kSaves);
    QVector<Entry> out;
    out.reserve(saves.size());
    QSet<int> seen;
    for (const QVariant& v : saves) {
        const int id = idOf(v);
        if (id < 1 || seen.contains(id))
            continue;
        seen.insert(id);
        out.append(
            Entry{id, dictString(*static_cast<const QVariantMap*>(v.constData()), kSaveName)});
    }
    return out;
}

bool SavesIndex::contains(int saveId) const {
    return !nameOf(saveId).isNull();
}

QString SavesIndex::nameOf(int saveId) const {
    if (saveId < 1)
        return QString();
    for (const Entry& e : entries()) {
        if (e.saveId == saveId)
            return e.saveName.isNull() ? QStringLiteral("") : e.saveName;
    }
    return QString();
}

qint64 SavesIndex::maxSaveId() const {
    return std::max(defaults_.integerForKey(kMaxSaveId), shownMaxSaveId_);
}

bool SavesIndex::store(const QVariantList& saves, qint64 maxSaveId, QString* error) {
    if (shownSaves_) {
        if (error)
            *error = QStringLiteral("The list of saved animations is open for reading only");
        return false;
    }
    const QVariant previousSaves = defaults_.objectForKey(kSaves);
    const QVariant previousMax = defaults_.objectForKey(kMaxSaveId);
    defaults_.setObject(saves, kSaves);
    defaults_.setInteger(maxSaveId, kMaxSaveId);
    QString why;
    if (defaults_.synchronize(&why))
        return true;
    defaults_.setObject(previousSaves, kSaves);
    defaults_.setObject(previousMax, kMaxSaveId);
    qCWarning(platform::lcKelvora, "The list of saved animations cannot be written: %s",
              qPrintable(why));
    if (error)
        *error = why;
    return false;
}

int SavesIndex::allocateId(QString* error) {
    qint64 highest = std::max<qint64>(maxSaveId(), savefiles::listFolder(folder_).highestId);
    for (const Entry& e : entries())
        highest = std::max<qint64>(highest, e.saveId);
    if (highest >= std::numeric_limits<int>::max()) {
        if (error)
            *error = QStringLiteral("No save identifier is left");
        return -1;
    }
    const int id = int(highest + 1);
    return store(defaults_.arrayForKey(kSaves), id, error) ? id : -1;
}

bool SavesIndex::addEntry(int saveId, const QString& name, QString* error) {
    if (saveId < 1) {
        if (error)
            *error = QStringLiteral("The animation has no save identifier");
        return false;
    }
    if (contains(saveId))
        return rename(saveId, name, error);
    QVariantList saves = defaults_.arrayForKey(kSaves);
    saves.append(entryOf(saveId, name));
    return store(saves, std::max<qint64>(maxSaveId(), saveId), error);
}

bool SavesIndex::rename(int saveId, const QString& name, QString* error) {
    QVariantList saves = defaults_.arrayForKey(kSaves);
    for (QVariant& v : saves) {
        if (idOf(v) == saveId) {
            QVariantMap entry = v.toMap();
            entry.insert(kSaveName, name);
            v = entry;
            return store(saves, maxSaveId(), error);
        }
    }
    if (error)
        *error = QStringLiteral("Save %1 is not in the list").arg(saveId);
    return false;
}

bool SavesIndex::remove(int saveId, QString* error) {
    QVariantList saves = defaults_.arrayForKey(kSaves);
    const auto kept = std::remove_if(saves.begin(), saves.end(),
                                     [saveId](const QVariant& v) { return idOf(v) == saveId; });
    if (kept == saves.end())
        return true;
    saves.erase(kept, saves.end());
    return store(saves, maxSaveId(), error);
}
