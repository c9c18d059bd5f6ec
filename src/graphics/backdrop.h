// backdrop.h -- the sky: a box of sky on five faces and ground below, centred on the eye, and its
// picture kept in a texture. Centred on the eye, the box looks the same from wherever the camera
// has flown: only the view's direction and up vector, the window, the colour of the level's air
// (which the fog and the lights it is drawn through are given) and the level change it. Taken
// once from the back buffer, the picture is copied to the screen each frame with no depth test,
// fog, light or perspective: far less work than the box. Where the driver has framebuffer objects
// the copy is a copy between framebuffers, which a software renderer does as a copy of memory;
// elsewhere it is a textured quad as large as the window.
#pragma once

#include <array>

struct vector3d;

// The box's six faces: texture handles from the texture cache, which keeps them until exit.
struct BackdropBox {
    std::array<int, 6> textures;
};

// What the picture shows: the view's direction (centre minus eye) and up vector, the window, the
// colour of the level's air, which alone gives the fog's colour and both lights' (the box brings
// its own material), and the level in play, counted by the levels put into play, so a new level
// takes its own picture even when it looks like the last.
struct BackdropView {
    std::array<float, 6> directionAndUp;
    int width, height;
    std::array<float, 3> air; // red, green, blue
    unsigned level;
    bool operator==(const BackdropView &) const = default;
};

struct Backdrop {
    unsigned texture;              // GL texture name; 0: none made yet
    unsigned framebuffer;          // framebuffer object holding the texture, when the driver has them
    int textureWidth, textureHeight; // the window's size; without a framebuffer object rounded up to powers of two
    BackdropView view;
    bool taken;                    // the texture holds the picture of view
};

// The box's images from the texture cache: data/Skymap.jpg on the sky's faces, data/boden.jpg
// below. Needs the GL context.
BackdropBox backdrop_loadBox();
// The box centred on the eye, lit as the game's first frame lit it: its own material, facing the
// viewer, in the current lights and fog. It lies behind everything: neither depth-tested nor kept
// in the depth buffer.
void backdrop_drawBox(const BackdropBox &box, const vector3d &eye);

// Whether the backdrop holds the picture of the view.
bool backdrop_shows(const Backdrop &backdrop, const BackdropView &view);
// Copies the lower-left view.width x view.height pixels of the back buffer into the backdrop.
void backdrop_take(Backdrop &backdrop, const BackdropView &view);
// Covers the viewport with the picture, pixel for pixel. Leaves the depth buffer, the matrices
// and the fixed GL state as it found them.
void backdrop_draw(const Backdrop &backdrop);
// Forgets the picture (after a video mode change, whose context may be new) and frees its texture.
void backdrop_forget(Backdrop &backdrop);
// Whether pictures taken from now on may be kept in a framebuffer object and copied from there
// (yes at start). A driver without framebuffer objects, and the browser, get the textured quad;
// tests turn the copy off to see that way too.
void backdrop_useFramebuffers(bool use);
