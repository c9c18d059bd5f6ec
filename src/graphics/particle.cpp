// particle.cpp -- the particle system list. Systems live from their creation until the drawing
// pass retires a finished burst or the owner of an emitter frees it; the list owns them all.
#include "graphics/particle.h"

#include "graphics/frustum.h"
#include "graphics/texture.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdlib>
#include <list>
#include <memory>

namespace {

constexpr float particle_size = 1.3f;
constexpr float slowdown = 0.7f;

std::list<std::unique_ptr<ParticleSystem>> particlesyslist; // newest first
int text = 0;

float randomSpeed()
{
    return static_cast<float>(std::rand() % 50 - 25);
}

float randomFade()
{
    return static_cast<float>(std::rand() % 10 + 1);
}

// Draws and advances the particles; true when none was active as the pass began.
bool drawSys(ParticleSystem &system, float dt)
{
    int alive = 0;
    // A square's corners lie within 1.5 half-edges of its centre.
    const float reach = system.size * 1.5f;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(text));
    for (Particle &p : system.particles) {
        if (!p.active)
            continue;
        ++alive;
        // Out of view a particle is only moved: the trails of enemies far ahead of the camera
        // would otherwise cost as much as everything on screen. F8 turns this off like the
        // culling of every other actor.
        if (!task_video_isFrustumCulling() || frustum_isSphereVisable(p.x, p.y, p.z, reach)) {
            glColor4f(p.r, p.g, p.b, p.life);
            particle_drawSquare(p.x, p.y, p.z, system.size);
        }

        p.x += p.xi * slowdown * dt;
        p.y += p.yi * slowdown * dt;
        p.z += p.zi * slowdown * dt;
        p.xi += p.xg * dt;
        p.yi += p.yg * dt;
        p.zi += p.zg * dt;
        p.life -= p.fade * dt;

        if (p.life < 0) {
            if (!system.regenerate) {
                p.active = false;
            } else {
                p.x = system.x;
                p.y = system.y;
                p.z = system.z;
                p.xi = randomSpeed();
                p.yi = randomSpeed();
                p.zi = randomSpeed();
                p.fade = randomFade();
                p.life = 1.0f;
            }
        }
    }
    return alive == 0;
}

} // namespace

void particle_init()
{
    text = texture_get("data/particle3.png");
}

ParticleSystem *particle_newCustomSys(float x, float y, float z, int count, bool regenerate, float xg, float yg,
                                      float zg, float r, float g, float b)
{
    count = std::max(count, 0);
    auto system = std::make_unique<ParticleSystem>(ParticleSystem{x, y, z, count, particle_size, regenerate, {}});
    system->particles.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Particle p{};
        p.active = true;
        p.life = 1.0f;
        p.fade = randomFade();
        p.r = r;
        p.g = g;
        p.b = b;
        p.x = x;
        p.y = y;
        p.z = z;
        p.xi = randomSpeed();
        p.yi = randomSpeed();
        p.zi = randomSpeed();
        p.xg = xg;
        p.yg = yg;
        p.zg = zg;
        system->particles.push_back(p);
    }
    particlesyslist.push_front(std::move(system));
    return particlesyslist.front().get();
}

ParticleSystem *particle_newSys(float x, float y, float z, int count, bool regenerate)
{
    return particle_newCustomSys(x, y, z, count, regenerate, 0, -1, 0, 1, 1, 0);
}

void particle_freeSys(ParticleSystem *system)
{
    const auto entry = std::find_if(particlesyslist.begin(), particlesyslist.end(),
                                    [system](const auto &listed) { return listed.get() == system; });
    if (entry != particlesyslist.end())
        particlesyslist.erase(entry);
}

void particle_drawAll()
{
    const SpriteState saved = particle_beginSprites(GL_ONE_MINUS_SRC_ALPHA);

    const float dt = g_frameInterval;
    for (auto entry = particlesyslist.begin(); entry != particlesyslist.end();) {
        // A finished burst leaves the list here; the walk goes on with the one after it.
        if (drawSys(**entry, dt))
            entry = particlesyslist.erase(entry);
        else
            ++entry;
    }

    particle_endSprites(saved);
}

SpriteState particle_beginSprites(unsigned int blendDst)
{
    const SpriteState saved{glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, glIsEnabled(GL_LIGHTING) == GL_TRUE,
                            glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE};
    if (!saved.texturing)
        glEnable(GL_TEXTURE_2D);
    if (!saved.scissor)
        glEnable(GL_SCISSOR_TEST);
    if (saved.lighting)
        glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, blendDst);
    return saved;
}

void particle_endSprites(const SpriteState &saved)
{
    glDisable(GL_BLEND);
    if (!saved.texturing)
        glDisable(GL_TEXTURE_2D);
    if (!saved.scissor)
        glDisable(GL_SCISSOR_TEST);
    if (saved.lighting)
        glEnable(GL_LIGHTING);
}

void particle_drawSquare(float x, float y, float z, float s)
{
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(1, 1);
    glVertex3f(x + s, y + s, z);
    glTexCoord2f(0, 1);
    glVertex3f(x - s, y + s, z);
    glTexCoord2f(1, 0);
    glVertex3f(x + s, y - s, z);
    glTexCoord2f(0, 0);
    glVertex3f(x - s, y - s, z);
    glEnd();
}

std::vector<ParticleSystem *> particle_systems()
{
    std::vector<ParticleSystem *> systems;
    for (const auto &system : particlesyslist)
        systems.push_back(system.get());
    return systems;
}
