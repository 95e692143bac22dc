// Start-up's filling of sceneResources: textures, the GLSL program, the models and their display
// lists, fog, samplers, then the timeline origin and the soundtrack. createSceneResources() once.
#pragma once

struct SceneLoadingStep {
    const char* name;
    void (*run)();
};

// In the order they run: the wait for the asset prefetch (reading the files there and then when no
// worker was started), textures uploaded with 2D texturing then enabled on unit 0 for the overlay,
// the GLSL program (left current), the models compiled in table order, fog, the samplers
// ("colorMap" to unit 0, "normalMap" to unit 1), the soundtrack opened, and last the timeline
// origin with the play command. The first SCENE_ASSET_STEPS read and upload the asset files;
// repeated, they make new objects, and the textures and models take what the latest wait left.
constexpr int SCENE_LOADING_STEP_COUNT = 8;
constexpr int SCENE_ASSET_STEPS = 4;
extern const SceneLoadingStep sceneLoadingSteps[SCENE_LOADING_STEP_COUNT];

void loadSceneTextures();
void buildSceneProgram();
void loadSceneModels();
void setSceneFog();
void connectSamplers();
void openSceneSoundtrack();
void startTimelineAndSoundtrack();

// Needs the window's context current, with the render state set. Runs the steps in order, calling
// `stepDone`, when not null, with each one's name after it.
void createSceneResources(void (*stepDone)(const char* step) = nullptr);
