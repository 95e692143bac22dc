// The four scene renderers. The timeline calls at most one per pass, with the modelview matrix at
// the identity; each leaves the modelview stack as it found it.
#pragma once

void drawSceneOne();    // 0 to 10 s
void drawSceneTwo();    // 10 to 30 s
void drawSceneThree();  // 30 to 60 s
void drawSceneFour();   // 60 to 80 s
