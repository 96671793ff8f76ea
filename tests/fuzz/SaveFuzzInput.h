#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <sys/stat.h>

// One input of the save reader's fuzz target, and of the corpus the tests read: the files of a
// documents folder holding save 1. The bytes before the first line "%%file NAME" are the index
// file "save-1.plist"; each such line starts the file NAME (a plain name, else it is dropped),
// which runs to the next such line or the end. Two more lines make entries that cannot be kept
// in git, with what follows them up to the next such line ignored:
//   "%%fifo NAME"         a named pipe NAME
//   "%%link NAME TARGET"  a symbolic link NAME to TARGET (any path)
// A file "defaults.plist" stands for the user defaults holding the saves index.
namespace savefuzz {

inline constexpr int kSaveId = 1;
// Loads of fuzz inputs are held to a smaller memory budget, so that a case past it stays small.
inline constexpr qint64 kMemoryBudget = 64ll << 20;

inline bool isPlainName(const QString& name) {
    return !name.isEmpty() && name.size() <= 64 && !name.contains(QLatin1Char('/')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

inline void writeFile(const QDir& dir, const QString& name, const QByteArray& data) {
    if (!isPlainName(name))
        return;
    // Whatever an earlier line made under this name goes first: writing must never go through
    // a link, nor wait on a pipe.
    QFile::remove(dir.filePath(name));
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        f.write(data);
}

inline void unpack(const QByteArray& input, const QString& folder) {
    const QDir dir(folder);
    static const QByteArray marker("\n%%");
    QString name = QStringLiteral("save-1.plist");
    qsizetype start = 0; // of the current file's bytes
    qsizetype from = 0;  // where the next marker is looked for
    for (;;) {
        const qsizetype at = input.indexOf(marker, from);
        if (at < 0) {
            writeFile(dir, name, input.mid(start));
            return;
        }
        const qsizetype lineStart = at + marker.size();
        qsizetype lineEnd = input.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = input.size();
        const QString line = QString::fromUtf8(input.mid(lineStart, lineEnd - lineStart));
        const QString kind = line.section(QLatin1Char(' '), 0, 0);
        if (kind != QLatin1String("file") && kind != QLatin1String("fifo") &&
            kind != QLatin1String("link")) {
            from = at + 1; // not a marker line: part of the file
            continue;
        }
        writeFile(dir, name, input.mid(start, at - start));
        name.clear(); // what follows a pipe or a link is dropped
        const QString entry = line.section(QLatin1Char(' '), 1, 1);
        if (kind == QLatin1String("file")) {
            name = line.mid(5);
        } else if (isPlainName(entry) &&
                   (kind == QLatin1String("fifo") || entry != QLatin1String("defaults.plist"))) {
            // The user defaults may be written to: never through a link.
            QFile::remove(dir.filePath(entry));
            if (kind == QLatin1String("fifo"))
                ::mkfifo(QFile::encodeName(dir.filePath(entry)).constData(), 0600);
            else
                QFile::link(line.section(QLatin1Char(' '), 2), dir.filePath(entry));
        }
        start = from = std::min(lineEnd + 1, input.size());
    }
}

} // namespace savefuzz
