#pragma once

#include "platform/UserDefaults.h"

#include <QString>
#include <QVector>

#include <optional>

// The list of saved animations, kept in the user defaults ("saves": entries {"saveId",
// "saveName"} in the order the saves were made; "maxSaveId": the highest identifier handed
// out). Everything that reads or changes the list goes through here, so that:
//
// - a new identifier is above "maxSaveId" and above every save file in the documents folder,
//   so it never names files already there, and is never handed out twice;
// - a change counts only once it is on disk: each change writes the user defaults at once and
//   is undone (and reported) when that fails;
// - an index that cannot be read is kept aside and the list rebuilt from the save files present,
//   with each save's name from its own meta ("Recovered animation N" when it has none); saves
//   whose entry was never written (the program stopped between the files and the entry) are
//   added back the same way.
//
// Main thread only. The values are read from the user defaults on every call, so writers that
// do not go through here yet stay in step.
class SavesIndex {
public:
    struct Entry {
        int saveId = 0;
        QString saveName;
        bool operator==(const Entry&) const = default;
    };

    enum class Mode {
        Repair,  // mends the list as described above, writing the user defaults
        ReadOnly // shows the mended list but writes nothing (for tools looking on)
    };

    // The program's list: over the standard user defaults and the documents folder.
    static SavesIndex& shared();

    SavesIndex(platform::UserDefaults& defaults, QString folder, Mode mode = Mode::Repair);

    // The entries in list order; entries without a valid identifier, and repeats of one, are
    // left out.
    QVector<Entry> entries() const;
    bool contains(int saveId) const;
    // The entry's name; a null string when there is no entry.
    QString nameOf(int saveId) const;
    qint64 maxSaveId() const;

    // Reserves a new identifier (raising "maxSaveId" on disk) for a new save, whose files are
    // then written and whose entry is added with addEntry(). -1 with *error when the user
    // defaults cannot be written.
    int allocateId(QString* error = nullptr);
    // Adds the entry of a save whose files are on disk (a rename when it is listed already).
    bool addEntry(int saveId, const QString& name, QString* error = nullptr);
    bool rename(int saveId, const QString& name, QString* error = nullptr);
    // Removes the entry only; deleting the files is the caller's (files first, then the entry).
    bool remove(int saveId, QString* error = nullptr);

    // What the list went through when it was opened, for the user ("" when nothing happened):
    // rebuilt from a damaged file, or saves added back.
    QString recoveryMessage() const { return recoveryMessage_; }

    const QString& folder() const { return folder_; }
    platform::UserDefaults& defaults() const { return defaults_; }

    // The name a rebuilt entry takes: the save's meta "saveName", else "Recovered animation N".
    static QString recoveredName(int saveId, const QString& folder);

private:
    // Writes "saves" (and "maxSaveId" when given); on failure both go back to what they were.
    bool store(const QVariantList& saves, qint64 maxSaveId, QString* error);
    void mend(Mode mode);

    platform::UserDefaults& defaults_;
    QString folder_;
    QString recoveryMessage_;
    // Read-only mode: the mended list, shown instead of the stored one.
    std::optional<QVariantList> shownSaves_;
    qint64 shownMaxSaveId_ = 0;
};
