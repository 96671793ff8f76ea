#pragma once

#include "document/SaveReader.h"
#include "document/SaveSnapshot.h"

#include <QJsonObject>
#include <QJsonValue>

// Saves as JSON, for kelvora-inspect and for comparing what was saved with what loads.
//
// A frame: {"background", "backgroundImageFile" (loaded frames only), "backgroundImage",
// "items", "sounds"}. An item: {"class", "picture", "position": {"x", "y"}, "scale",
// "rotation"} and its kind's own fields: "color" {"red", "green", "blue"} and "joints"
// {limb: {"tail": {"x", "y"}, "head": {"x", "y"}}} for figures, "orientation" for weapons,
// "text" for speech bubbles, any other stored key under "other". A sound: {"file", "index"}.
// A picture: {"width", "height", "digest"} (of its pixels), or null.

// The save as the program loads it: meta, frames and what could not be read.
QJsonObject saveToJson(const SaveReader::Result& r);
// What a save of the snapshot writes: {"background", "animationSpeed", "frames"}.
QJsonObject snapshotToJson(const SaveSnapshot& s);

// Parts, also used on their own.
QJsonObject itemToJson(const CCSprite& item);
QJsonValue pictureToJson(const QImage& image);
