// browser_page.cpp -- the game's side of the page's storage (kernel/page.h in the browser build).
// Keeps the toggles as last written to config.ini for the whole run, so a command key writes only
// what it changed.
#include "kernel/page.h"

#include "kernel/main.h"
#include "kernel/settings.h"
#include "tasks/task_audio.h"
#include "tasks/task_video.h"

#include <emscripten.h>
#include <string>

namespace {

// The settings only the browser keeps: natively these toggles start off each run.
struct Toggles {
    bool showFps = false;
    bool wireframe = false;
    bool frustumCulling = true;
    int textureMode = 0;
    bool displayLists = true;
    bool mute = false;
};
Toggles kept;

Toggles current()
{
    return {task_video_isShowFPS(), task_video_isWireframe(), task_video_isFrustumCulling(), task_video_texturemode,
            g_useDisplaylists,      task_audio_isMuted()};
}

// The page rewrites the setting's last word in config.ini, or adds it, and stores the file.
EM_JS(void, keepInPage, (const char *key, const char *value), {
    if (Module.trelvikKeep)
        Module.trelvikKeep(UTF8ToString(key), UTF8ToString(value));
});

EM_JS(void, persistInPage, (), {
    if (Module.trelvikPersist)
        Module.trelvikPersist();
});

const char *word(bool on)
{
    return on ? "true" : "false";
}

} // namespace

void page_applyKeptSettings()
{
    const Toggles now = current();
    if (settings_getOptionalBool("show_fps", now.showFps) != now.showFps)
        task_video_toggleShowFPS();
    if (settings_getOptionalBool("wireframe", now.wireframe) != now.wireframe)
        task_video_toggleDrawWireframe();
    if (settings_getOptionalBool("frustum_culling", now.frustumCulling) != now.frustumCulling)
        task_video_toggleFrustumCulling();
    const int mode = settings_getOptionalCount("texture_mode", now.textureMode);
    while (task_video_texturemode != mode % 3)
        task_video_switchTextureRendering();
    if (settings_getOptionalBool("mute", now.mute))
        task_audio_mute(true);
    kept = current();
}

void page_keepToggles()
{
    const Toggles now = current();
    if (now.showFps != kept.showFps)
        keepInPage("show_fps", word(now.showFps));
    if (now.wireframe != kept.wireframe)
        keepInPage("wireframe", word(now.wireframe));
    if (now.frustumCulling != kept.frustumCulling)
        keepInPage("frustum_culling", word(now.frustumCulling));
    if (now.textureMode != kept.textureMode)
        keepInPage("texture_mode", std::to_string(now.textureMode).c_str());
    if (now.displayLists != kept.displayLists)
        keepInPage("useDisplaylists", word(now.displayLists));
    if (now.mute != kept.mute)
        keepInPage("mute", word(now.mute));
    kept = now;
}

void page_persist()
{
    persistInPage();
}
