#pragma once

#include <QString>
#include <QStringList>

namespace soundtest {

// The 59 titles in the order the catalogue must have.
extern const QStringList& kCatalogueOrder;

// Writes a mono 22050 Hz AIFF of a quiet tone, `seconds` long, with 8, 16 or 24-bit samples
// (the mixer takes 8 and 16 only). Returns the path.
QString writeAiff(const QString& path, double seconds, int bitsPerSample = 16);

// A folder holding "<title>.aif" for every catalogue title except those in `leaveOut`; made
// afresh on each call and kept until the program ends.
QString makeCatalogueFolder(const QStringList& leaveOut = {});

// Collects the warnings of the program's log category while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    QStringList warnings() const;
};

} // namespace soundtest
