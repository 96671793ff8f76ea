#include "DemoScene.h"

#include "CCAction.h"
#include "CCDirector.h"
#include "CCLabelTTF.h"
#include "CCLayer.h"
#include "CCSprite.h"
#include "platform/Log.h"

namespace {

std::shared_ptr<Sprite> picture(const char* name, Point at) {
    auto s = Sprite::spriteWithFile(QString::fromLatin1(name));
    if (!s) {
        qCWarning(platform::lcKelvora) << "Demo picture missing:" << name;
        return nullptr;
    }
    s->setPosition(at);
    return s;
}

} // namespace

std::shared_ptr<CCScene> makeDemoScene() {
    auto scene = Scene::node();
    const Size win = CCDirector::sharedDirector().winSize();

    auto sky = ColorLayer::layerWithColor(ccColor4B{214, 231, 242, 255}, win.width, win.height);
    scene->addChild(sky, -10);
    if (auto bg = picture("background-western.jpeg", Point(win.width / 2, win.height / 2)))
        scene->addChild(bg, -5);

    auto stage = Layer::node();
    scene->addChild(stage);

    if (auto tree = picture("tree.png", Point(90, 120)))
        stage->addChild(tree, 0);
    if (auto car = picture("car.png", Point(330, 70))) {
        car->setScale(0.8f);
        stage->addChild(car, 2);
    }
    if (auto box = picture("box.png", Point(240, 150))) {
        box->setRotation(30);
        box->setColor(ccColor3B{255, 170, 120});
        stage->addChild(box, 1);
        // A box that keeps fading in and out.
        box->runAction(CCSequence::actions(
            {CCFadeTo::actionWithDuration(1.5f, 60), CCFadeTo::actionWithDuration(1.5f, 255)}));
    }
    if (auto gun = picture("gun-l.png", Point(200, 230))) {
        gun->setRotation(-20);
        gun->setScale(1.4f);
        stage->addChild(gun, 3);
    }
    if (auto behind = picture("box.png", Point(255, 165))) {
        behind->setOpacity(128);
        stage->addChild(behind, -1);
    }

    auto title = Label::labelWithString(QStringLiteral("Kelvora"), Size(300, 40),
                                        CCTextAlignmentCenter, QStringLiteral("Helvetica"), 32);
    title->setColor(ccColor3B{40, 40, 40});
    title->setPosition(Point(win.width / 2, win.height - 30));
    scene->addChild(title, 5);
    return scene;
}
