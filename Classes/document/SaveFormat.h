#pragma once

#include "items/DictionaryValues.h"

#include <QString>

// The stored form of an animation and of the saves index: every key, the pack size and the
// limits the writer and the reader agree on. Writer, reader, index and inspector use these
// names rather than literals of their own.
namespace saveformat {

inline constexpr int kFramesPerPack = 20;
inline constexpr int kVersionFormat = 4;

// What one frame may hold. The reader keeps everything up to these limits and the editor
// refuses to go past them, so what is saved loads whole.
inline constexpr int kMaxItemsPerFrame = 1000;
// Sounds of a frame are distinct sounds of the catalogue; more records than this are damage.
inline constexpr int kMaxSoundsPerFrame = 1000;
inline constexpr int kMaxBubbleTextLength = 10000; // characters

// Stored scales and coordinates are bounded on reading (see DictionaryValues.h).
using dictvalues::kMaxStoredCoordinate;
using dictvalues::kMaxStoredScale;

// Pack file.
inline const QString kFrames = QStringLiteral("frames");
inline const QString kFramesBackground = QStringLiteral("framesBackground");
inline const QString kMeta = QStringLiteral("meta");
// "meta".
inline const QString kBackground = QStringLiteral("background");
inline const QString kVersionFormatKey = QStringLiteral("versionFormat");
inline const QString kTotalPacks = QStringLiteral("totalPacks");
inline const QString kAnimationSpeed = QStringLiteral("animationSpeed");
inline const QString kSaveName = QStringLiteral("saveName"); // also a key of index entries
// "framesBackground" entries: kBackground and the frame's own picture file.
inline const QString kBackgroundImageFile = QStringLiteral("backgroundImageFile");

// Records of a frame.
inline const QString kClassName = QStringLiteral("className");
inline const QString kTextureName = QStringLiteral("textureName");
inline const QString kPositionX = QStringLiteral("position.x");
inline const QString kPositionY = QStringLiteral("position.y");
inline const QString kScale = QStringLiteral("scale");
inline const QString kRotation = QStringLiteral("rotation");
inline const QString kColorRed = QStringLiteral("colorRed");
inline const QString kColorGreen = QStringLiteral("colorGreen");
inline const QString kColorBlue = QStringLiteral("colorBlue");
inline const QString kWeaponOrientation = QStringLiteral("weaponOrientation");
inline const QString kBubbleText = QStringLiteral("bubbleText");
inline const QString kSoundClass = QStringLiteral("Sound");
inline const QString kSoundIndex = QStringLiteral("soundIndex");
inline const QString kSoundFileName = QStringLiteral("soundFileName");
inline const QString kFigureClass = QStringLiteral("Hmn");
inline const QString kBubbleClass = QStringLiteral("SpeechBubble");

// Commit record of an unfinished save.
inline const QString kMoves = QStringLiteral("moves");
inline const QString kMoveFrom = QStringLiteral("from");
inline const QString kMoveTo = QStringLiteral("to");
// Files of the previous save the new one no longer needs, removed after the moves.
inline const QString kRemoves = QStringLiteral("removes");

// The saves index in the user defaults.
inline const QString kSaves = QStringLiteral("saves");
inline const QString kMaxSaveId = QStringLiteral("maxSaveId");
inline const QString kSaveId = QStringLiteral("saveId");

} // namespace saveformat
