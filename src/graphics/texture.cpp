// texture.cpp -- the texture cache. Entries are never removed and the textures are never deleted
// while the program runs; they go with the GL context at exit.
#include "graphics/texture.h"

#include "graphics/image.h"
#include "kernel/common.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct TextureEntry {
    std::string name;
    int texture;
};

// Searched newest first; names are unique, so the order only mirrors the list the game keeps.
std::vector<TextureEntry> texturelist;
int decodes = 0;

// Rounds of glGenTextures tried before giving up on finding three consecutive names.
constexpr int texture_maxNameRounds = 64;

// Texture names that are free now are not promised to be consecutive, but a name handed out
// stays taken until deleted. So every name generated while searching is held, the first run
// n, n + 1, n + 2 among the held names is kept and the rest are given back. Implementations that
// count upwards (Mesa does) finish in the first round.
bool reserveConsecutiveNames(GLuint &first)
{
    std::vector<GLuint> held;
    for (int round = 0; round < texture_maxNameRounds; ++round) {
        GLuint names[3] = {0, 0, 0};
        glGenTextures(3, names);
        for (const GLuint name : names)
            if (name != 0)
                held.push_back(name);
        std::sort(held.begin(), held.end());
        held.erase(std::unique(held.begin(), held.end()), held.end());
        for (size_t i = 0; i + 2 < held.size(); ++i) {
            if (held[i + 1] == held[i] + 1 && held[i + 2] == held[i] + 2) {
                first = held[i];
                held.erase(held.begin() + static_cast<std::ptrdiff_t>(i), held.begin() + static_cast<std::ptrdiff_t>(i) + 3);
                if (!held.empty())
                    glDeleteTextures(static_cast<GLsizei>(held.size()), held.data());
                return true;
            }
        }
    }
    if (!held.empty())
        glDeleteTextures(static_cast<GLsizei>(held.size()), held.data());
    return false;
}

void setFilters(GLint mag, GLint min)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
}

int texture_load(const char *name)
{
    ++decodes;
    std::string why;
    const std::optional<DecodedImage> image = image_readFile(name, why);
#ifdef __EMSCRIPTEN__
    // WebGL takes an image only in its own format.
    const auto internalFormat = [](GLenum format, int) { return static_cast<GLint>(format); };
#else
    const auto internalFormat = [](GLenum, int components) { return components; };
#endif
    if (!image) {
        error("Texture loading. Failed to load File \"%s\": %s", name, why.c_str());
        return -1;
    }
    GLuint first = 0;
    if (!reserveConsecutiveNames(first)) {
        error("Texture loading. Failed to load File \"%s\": %s", name, "no three consecutive texture names free");
        return -1;
    }

    const GLenum format = image->components == 4 ? (image->bgr ? GL_BGRA_EXT : GL_RGBA)
                                                 : (image->bgr ? GL_BGR_EXT : GL_RGB);
    const GLint levelFormat = internalFormat(format, image->components);
    // Rows are padded to OpenGL's default unpack alignment of 4, so no pixel-store state changes.
    glBindTexture(GL_TEXTURE_2D, first);
    setFilters(GL_NEAREST, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, levelFormat, image->width, image->height, 0, format, GL_UNSIGNED_BYTE,
                 image->pixels.data());
    glBindTexture(GL_TEXTURE_2D, first + 1);
    setFilters(GL_LINEAR, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, levelFormat, image->width, image->height, 0, format, GL_UNSIGNED_BYTE,
                 image->pixels.data());
    // The mipmapped variant never carries alpha.
    glBindTexture(GL_TEXTURE_2D, first + 2);
    setFilters(GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, format, GL_UNSIGNED_BYTE, image->pixels.data());
    return static_cast<int>(first);
}

} // namespace

int texture_get(const char *name)
{
    if (name == nullptr)
        error_quit("Texture loading. No name given.");
    for (auto entry = texturelist.rbegin(); entry != texturelist.rend(); ++entry)
        if (entry->name == name)
            return entry->texture;
    const int texture = texture_load(name);
    texturelist.push_back({name, texture});
    return texture;
}

int texture_decodeCount()
{
    return decodes;
}
