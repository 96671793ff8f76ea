#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>

// One input of the save reader's fuzz target, and of the corpus the tests read: the files of a
// documents folder holding save 1. The bytes before the first line "%%file NAME" are the index
// file "save-1.plist"; each such line starts the file NAME (a plain name, else it is dropped),
// which runs to the next such line or the end.
namespace savefuzz {

inline constexpr int kSaveId = 1;

inline void writeFile(const QDir& dir, const QString& name, const QByteArray& data) {
    if (name.isEmpty() || name.size() > 64 || name.contains(QLatin1Char('/')) ||
        name == QLatin1String(".") || name == QLatin1String(".."))
        return;
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(data);
}

inline void unpack(const QByteArray& input, const QString& folder) {
    const QDir dir(folder);
    static const QByteArray marker("\n%%file ");
    QString name = QStringLiteral("save-1.plist");
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = input.indexOf(marker, start);
        if (at < 0) {
            writeFile(dir, name, input.mid(start));
            return;
        }
        writeFile(dir, name, input.mid(start, at - start));
        const qsizetype nameStart = at + marker.size();
        qsizetype nameEnd = input.indexOf('\n', nameStart);
        if (nameEnd < 0)
            nameEnd = input.size();
        name = QString::fromUtf8(input.mid(nameStart, nameEnd - nameStart));
        start = std::min(nameEnd + 1, input.size());
    }
}

} // namespace savefuzz
