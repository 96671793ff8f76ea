#pragma once

#include "document/SaveReader.h"
#include "document/SaveSnapshot.h"
#include "document/SaveWriter.h"

#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

// Readable failure messages.
inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class Hmn;
class SoundEffect;

namespace savetest {

// A figure posed by dragging its hands, coloured and placed by the seed.
std::shared_ptr<Hmn> figure(int seed);
// One item of every kind the registry rebuilds, each with values a fresh item does not have.
std::vector<std::shared_ptr<CCSprite>> everyKind();
// An opaque picture whose pixels depend on the seed.
QImage picture(int width, int height, int seed);
// The catalogue's sound at an index.
std::shared_ptr<SoundEffect> sound(int index);
// n frames: frame i holds a figure, a knife and a box moved by i, and every third frame a sound.
SaveSnapshot animation(int frames);
// What the editor would save again after loading r.
SaveSnapshot snapshotOf(const SaveReader::Result& r);

// The part of a loaded save that a snapshot also describes: {"background", "animationSpeed",
// "frames"} without the picture file names.
QJsonObject comparable(const SaveReader::Result& r);

// Whether two JSON values are the same, numbers within a few float steps of each other (a
// figure's joints are re-laid as it loads, which may move them by a rounding step). *where
// names the first difference.
bool sameJson(const QJsonValue& a, const QJsonValue& b, QString* where);

// Copies every file of tests/fixtures/saves/<name> into folder.
void copyFixture(const QString& name, const QString& folder);
// The names of the folder's files, hidden ones included.
QStringList filesIn(const QString& folder);
QByteArray fileBytes(const QString& path);
// Empty when both folders hold the same files with the same bytes (PNG pictures: the same
// pixels), else the first difference.
QString sameFolders(const QString& a, const QString& b);

} // namespace savetest

#define EXPECT_SAME_JSON(a, b)                                                                     \
    do {                                                                                           \
        QString where_;                                                                            \
        EXPECT_TRUE(savetest::sameJson(QJsonValue(a), QJsonValue(b), &where_)) << where_;          \
    } while (false)

// Each test gets a fresh home with an empty documents folder.
class SaveTest : public ::testing::Test {
protected:
    void SetUp() override;

    bool save(int saveId, const SaveSnapshot& s, QString* error = nullptr);
    SaveReader::Result load(int saveId);

    QString home_;
    QString folder_;
};
