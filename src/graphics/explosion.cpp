// explosion.cpp -- the explosion list. An explosion lives from explosion_new until the drawing
// pass finds it finished; nothing else removes it, not even a new game.
#include "graphics/explosion.h"

#include "graphics/particle.h"
#include "graphics/texture.h"
#include "kernel/common.h"
#include "tasks/task_timer.h"

#include <GL/gl.h>
#include <algorithm>
#include <list>
#include <memory>

namespace {

constexpr float explosion_fade = 1.0f;
constexpr float explosion3_increase = 25.0f;
constexpr float explosion3_max_size = 60.0f;
constexpr float explosion_startAlpha = 1.1f;

struct KindLook {
    const char *image;
    float r, g, b;
    float size;
};

constexpr KindLook kinds[explosion_kinds] = {
    {"data/explosion2.png", 1.0f, 0.4f, 0.0f, 15.0f},
    {"data/explosion4.png", 0.7f, 1.0f, 0.0f, 10.0f},
    {"data/explosion4.png", 0.2f, 0.4f, 1.0f, 5.0f},
    {"data/explosion5.png", 0.1f, 0.5f, 0.9f, 5.0f},
};

std::list<std::unique_ptr<Explosion>> explosionlist; // newest first
int text[explosion_kinds] = {0, 0, 0, 0};

void draw(const Explosion &e)
{
    glPushMatrix();
    glColor4f(e.r, e.g, e.b, e.alpha);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(text[e.kind]));
    particle_drawSquare(e.x, e.y, e.z, e.size);
    glPopMatrix();
}

void advance(Explosion &e, float dt)
{
    if (e.kind == 3) {
        e.size += dt * explosion3_increase;
        if (e.size > explosion3_max_size)
            e.alpha = -1;
    } else {
        e.alpha -= explosion_fade * dt;
    }
}

} // namespace

void explosion_init()
{
    for (int kind = 0; kind < explosion_kinds; ++kind)
        text[kind] = texture_get(kinds[kind].image);
}

Explosion *explosion_new(float x, float y, float z, int kind)
{
    // The kind indexes the image table: anything else would read past it.
    if (kind < 0 || kind >= explosion_kinds) {
        error("Unknown explosion kind: %d", kind);
        return nullptr;
    }
    const KindLook &look = kinds[kind];
    explosionlist.push_front(std::make_unique<Explosion>(
        Explosion{kind, explosion_startAlpha, look.size, x, y, z, look.r, look.g, look.b}));
    return explosionlist.front().get();
}

void explosion_free(Explosion *explosion)
{
    const auto entry = std::find_if(explosionlist.begin(), explosionlist.end(),
                                    [explosion](const auto &listed) { return listed.get() == explosion; });
    if (entry != explosionlist.end())
        explosionlist.erase(entry);
}

void explosion_drawAll()
{
    // Explosions hide neither one another nor what is drawn after them.
    glDepthMask(GL_FALSE);
    const SpriteState saved = particle_beginSprites(GL_ONE);

    const float dt = g_frameInterval;
    for (auto entry = explosionlist.begin(); entry != explosionlist.end();) {
        Explosion &e = **entry;
        draw(e);
        advance(e, dt);
        // A finished explosion leaves the list here; the walk goes on with the one after it.
        if (e.alpha < 0)
            entry = explosionlist.erase(entry);
        else
            ++entry;
    }

    particle_endSprites(saved);
    glDepthMask(GL_TRUE);
}

std::vector<Explosion *> explosion_list()
{
    std::vector<Explosion *> explosions;
    for (const auto &explosion : explosionlist)
        explosions.push_back(explosion.get());
    return explosions;
}
