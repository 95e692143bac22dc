#include <epoxy/gl.h>

#include "scenes/scenes.h"

void drawSceneOne() {}
void drawSceneTwo() {}
void drawSceneThree() {}
void drawSceneFour() {}
