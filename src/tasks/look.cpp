// look.cpp -- the level's look in GL: the fog's and the lights' colours, set from the look record
// and the class of lights asked for. Which look and lights GL holds is remembered here, so a
// frame that changes neither costs no GL call.
#include "tasks/look.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>

namespace {

// The look the lights and fog were last given, and which of its lights were given last.
LevelLook appliedLook = level_defaultLook;
LookLights appliedLights = LookLights::air;

// Both lights in one tint: light 1 orange from the side, light 2 yellow from above, each with an
// ambient part in the tint itself.
void setLights(const std::array<GLfloat, 3> &tint)
{
    const GLfloat ambient1[] = {tint[0], tint[1], tint[2], 1}, diffuse1[] = {tint[0], 0.5f * tint[1], 0, 1};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    const GLfloat ambient2[] = {0.5f * tint[0], 0.5f * tint[1], 0.5f * tint[2], 1}, diffuse2[] = {tint[0], tint[1], 0, 1};
    glLightfv(GL_LIGHT2, GL_AMBIENT, ambient2);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, diffuse2);
}

// The air's lights: tinted by twice its colour, so the first level's grey leaves them as they are.
std::array<GLfloat, 3> airTint(const LevelLook &look)
{
    return {2 * look.r, 2 * look.g, 2 * look.b};
}

// The lights of the ships, the enemies, the shots and the power-ups. Tinted by the air, they would
// sink into it (the first ship is dark blue on a navy night), so they keep the first level's
// colours and only their brightness follows the air, away from it: lifted in a dark air, lowered
// in a bright one, so ships, enemies and power-ups show as shapes against a pale dawn. Shots
// glow: never lit dimmer than the air would light them. The first level's grey leaves every
// light as it was, to the bit.
std::array<GLfloat, 3> actorTint(const LevelLook &look, LookLights lights)
{
    // How far the air's brightness lies from the first level's grey, by the eye's weights.
    const float darker = 0.2126f * (0.5f - look.r) + 0.7152f * (0.5f - look.g) + 0.0722f * (0.5f - look.b);
    float k = 1 + 2.5f * darker;
    if (lights == LookLights::shots)
        k = std::max(k, 1 - 2 * darker);
    return {k, k, k};
}

// The fog takes the look's colour and the lights the air's tint.
void setLook(const LevelLook &look)
{
    setLights(airTint(look));
    appliedLook = look;
    appliedLights = LookLights::air;
    const GLfloat fogColor[] = {look.r, look.g, look.b, 0.4f};
    glFogfv(GL_FOG_COLOR, fogColor);
}

} // namespace

void look_reset()
{
    setLook(level_defaultLook);
}

void look_apply(const LevelLook &look)
{
    if (!(look == appliedLook))
        setLook(look);
}

// The actors of a stage are drawn in texture order, so shots and power-ups come in runs: a frame
// switches a few times.
void look_useLights(LookLights lights)
{
    if (lights == appliedLights)
        return;
    setLights(lights == LookLights::air ? airTint(appliedLook) : actorTint(appliedLook, lights));
    appliedLights = lights;
}
