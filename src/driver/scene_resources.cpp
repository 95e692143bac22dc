#include <epoxy/gl.h>

#include "driver/scene_resources.h"

#include "driver/demo_clock.h"
#include "platform/platform.h"

SceneResources sceneResources = {};

void createSceneResources() {
    // Taken immediately before the soundtrack starts: the time the player takes to open the file
    // counts as elapsed timeline time.
    demoClock.origin = static_cast<float>(platform.now());
}
