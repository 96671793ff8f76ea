#pragma once

#include <QGuiApplication>

#include <memory>

// The application object of a command-line tool: drawing off screen, playing nothing, numbers
// read and written with '.', and the engine finding the program's pictures ($KELVORA_RESOURCES,
// the program's usual places, else the build tree's).
std::unique_ptr<QGuiApplication> startTool(int& argc, char** argv);
