// The palettes of items, the figure command and the basket.
#include "editor/GameViewController.h"
#include "editor/Palettes.h"

void GameViewController::buildPalettes() {
    palettes_ = std::make_unique<Palettes>(*mainScene_, *this);
}

void GameViewController::addObject(int tag) {
    palettes_->addObject(tag);
}

void GameViewController::addWeapon(int tag) {
    palettes_->addWeapon(tag);
}

void GameViewController::addPlayer(QObject*) {
    palettes_->addPlayer();
}

void GameViewController::toggleObjects(QObject*) {
    palettes_->toggleObjects();
}

void GameViewController::toggleWeapons(QObject*) {
    palettes_->toggleWeapons();
}

void GameViewController::showObjects(bool animated) {
    palettes_->showObjects(animated);
}

void GameViewController::hideObjects(bool animated) {
    palettes_->hideObjects(animated);
}

void GameViewController::showWeapons(bool animated) {
    palettes_->showWeapons(animated);
}

void GameViewController::hideWeapons(bool animated) {
    palettes_->hideWeapons(animated);
}

void GameViewController::toggleBasket() {
    palettes_->toggleBasket();
}

void GameViewController::showBasket() {
    palettes_->showBasket();
}

void GameViewController::hideBasket() {
    palettes_->hideBasket();
}

bool GameViewController::basketVisible() const {
    return palettes_ && palettes_->basketVisible();
}
