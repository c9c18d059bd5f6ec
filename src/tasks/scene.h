// scene.h -- what the frame draws and in which order: the sky (from its picture when it has one),
// the actors that the view lets through, batched by texture and each in its class's lights, the
// shields, the explosions, the particles, then the HUD. Nothing is kept from one frame to the
// next but the sky's picture, which lives until the next video mode.
#pragma once

struct actor;

// The frame's stages in the order it draws them: the sky behind everything (nothing, when the
// frame began with the sky's picture), the opaque actors nearest first (buildings stand behind
// the playing field, so the depth test turns most of them away early), what is blended over the
// scene, the HUD on top.
enum SceneStage {
    SCENE_STAGE_SKY,
    SCENE_STAGE_SHIPS,
    SCENE_STAGE_ENEMIES,
    SCENE_STAGE_SHOTS,
    SCENE_STAGE_BUILDINGS,
    SCENE_STAGE_SHIELDS,
    SCENE_STAGE_EXPLOSIONS,
    SCENE_STAGE_PARTICLES,
    SCENE_STAGE_HUD,
    SCENE_STAGE_COUNT
};

// Looks up the sky box's images; needs the GL context.
void scene_start();
// Forgets the sky's picture: a new video mode may bring a new context.
void scene_forgetSky();

// A frame is scene_beginFrame, then every stage in order (the benchmark times each on its own).
// The beginning applies the level's look, copies the sky's picture in when it shows the view,
// clears, and sets the game camera; without a camera (no game set up yet) only the HUD is drawn.
void scene_beginFrame();
void scene_drawStage(SceneStage stage);
const char *scene_stageName(SceneStage stage);

// One actor: its model at its position, rotation and scale, skipped when culling is on and the
// view does not reach it. An actor without a model draws nothing.
void scene_drawActor(const actor *a);

// How many actors the last frame drew: those the culling let through.
int scene_actorsDrawn();
// How many pictures of the sky the frame has taken since the start: one after each change of the
// view, the window, the level's look, or the level.
unsigned scene_skyPictures();
