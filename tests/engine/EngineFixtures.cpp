#include "EngineFixtures.h"

#include "TestSupport.h"
#include "engine/CCAction.h"
#include "engine/CCDirector.h"
#include "engine/CCScheduler.h"
#include "engine/CCTextureCache.h"
#include "engine/CCTouchDispatcher.h"

#include <QDir>
#include <QImage>

QString makePictureFolder(const QString& name, int w, int h, QColor color, bool withHd,
                          QColor hdColor) {
    const QString dir = testsupport::makeTempDir();
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(color);
    img.save(QDir(dir).filePath(name));
    if (withHd) {
        QImage hd(w * 2, h * 2, QImage::Format_ARGB32);
        hd.fill(hdColor);
        hd.save(QDir(dir).filePath(CCTextureCache::hdName(name)));
    }
    return dir;
}

void resetEngine() {
    CCDirector& d = CCDirector::sharedDirector();
    d.end();
    d.setOpenGLView(nullptr);
    d.setContentScaleFactor(1);
    d.setDeviceOrientation(kCCDeviceOrientationPortrait);
    if (d.isPaused())
        d.resume();
    CCTouchDispatcher::sharedDispatcher().removeAllDelegates();
    CCScheduler::sharedScheduler().unscheduleAllSelectors();
    CCActionManager::sharedManager().removeAllActions();
    CCTextureCache::sharedTextureCache().removeAllTextures();
}
