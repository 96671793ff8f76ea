// A save's files land in an order that never lets the index name what is not there yet.
#include "SaveTestSupport.h"

#include "document/Frame.h"
#include "document/SaveFiles.h"

using namespace savetest;

namespace {

TEST_F(SaveTest, PicturesAndPacksLandBeforeTheIndex) {
    SaveSnapshot s = animation(45);
    s.frames[3].background = kCustomBackground;
    s.frames[3].backgroundImage = picture(40, 30, 3);
    s.frames[30].background = kCustomBackground;
    s.frames[30].backgroundImage = picture(40, 30, 4);
    QStringList moves;
    SaveWriter writer(5, folder_);
    writer.setStepHook([&moves](const QString& step) {
        if (step.startsWith(QStringLiteral("move ")))
            moves << step.mid(5);
        return true;
    });
    QString error;
    ASSERT_TRUE(writer.write(s, {}, &error)) << error;
    // Packs 1 and 2, two pictures (and the shared one older readers use), then the index.
    ASSERT_GE(moves.size(), 5);
    EXPECT_EQ(moves.last(), savefiles::indexFileName(5));
    EXPECT_EQ(moves.count(savefiles::indexFileName(5)), 1);
    for (const QString& f :
         {savefiles::packFileName(5, 1), savefiles::packFileName(5, 2),
          savefiles::framePictureFileName(5, 0, 3), savefiles::framePictureFileName(5, 1, 10)})
        EXPECT_TRUE(moves.contains(f))
            << f.toStdString() << " in " << moves.join(' ').toStdString();
}

} // namespace
