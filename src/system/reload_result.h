// What reading one of the presentation's objects again from its file came to, as the soundtrack
// player and the scene reloads both report it: if (reloadSceneObject(i) == ReloadResult::KEPT) ...
#pragma once

enum class ReloadResult {
    RELOADED,  // the new file is in use (the soundtrack's still has to be cued to play)
    KEPT,      // missing or broken, named in one line on stderr: the last good version stays
    SILENT,    // the soundtrack, without an audio device: nothing to reload, and no line
};
