#include "shell/KelvoraAppDelegate.h"

int main(int argc, char** argv) {
    return KelvoraAppDelegate::main(argc, argv);
}
