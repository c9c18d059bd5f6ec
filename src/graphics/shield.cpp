// shield.cpp -- drawing and pulsing shields. The module keeps only the image's handle; the
// shields themselves are their owners'.
#include "graphics/shield.h"

#include "graphics/particle.h"
#include "graphics/texture.h"
#include "tasks/task_timer.h"

#include <GL/gl.h>

namespace {

constexpr float shield_fade = 1.0f;
constexpr float shield_minAlpha = 0.2f;
constexpr float shield_maxAlpha = 1.0f;

int text = 0;

} // namespace

ShieldPtr shield_new(float r, float g, float b, float size)
{
    text = texture_get("data/shield2.png");
    return std::make_unique<Shield>(Shield{true, -1, 1.0f, size, r, g, b});
}

void shield_free(ShieldPtr shield)
{
    shield.reset();
}

void shield_draw(Shield &shield, float x, float y, float z)
{
    if (!shield.active)
        return;

    glDepthMask(GL_FALSE);
    const SpriteState saved = particle_beginSprites(GL_ONE);

    glPushMatrix();
    glColor4f(shield.r, shield.g, shield.b, shield.alpha);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(text));
    particle_drawSquare(x, y, z, shield.size);
    glPopMatrix();

    // However long the frame, the pulse turns at its ends and never leaves them.
    shield.alpha += shield_fade * g_frameInterval * static_cast<float>(shield.direction);
    if (shield.alpha < shield_minAlpha) {
        shield.alpha = shield_minAlpha;
        shield.direction = 1;
    } else if (shield.alpha > shield_maxAlpha) {
        shield.alpha = shield_maxAlpha;
        shield.direction = -1;
    }

    particle_endSprites(saved);
    glDepthMask(GL_TRUE);
}
