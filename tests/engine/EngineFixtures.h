#pragma once

#include <QColor>
#include <QString>

// Pictures made for a test: a solid-colour PNG of the given size in a fresh folder (and, when
// asked, its "-hd" twin at twice the size in another colour). Returns the folder.
QString makePictureFolder(const QString& name, int w, int h, QColor color, bool withHd = false,
                          QColor hdColor = Qt::blue);

// Resets the engine's shared state between tests: no running scene, no delegates, scale 1.
void resetEngine();
