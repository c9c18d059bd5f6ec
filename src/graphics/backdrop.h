// backdrop.h -- a picture of the sky kept in a texture. The sky box is centred on the eye, so it
// looks the same from wherever the camera has flown: only the view's direction and up vector, the
// window, the colours of the fog and lights it is drawn through, and the level change it. Taken
// once from the back buffer, the picture is copied to the screen each frame with no depth test,
// fog, light or perspective: far less work than the box. Where the driver has framebuffer objects
// the copy is a copy between framebuffers, which a software renderer does as a copy of memory;
// elsewhere it is a textured quad as large as the window.
#pragma once

#include <array>

// What the picture shows: the view's direction (centre minus eye) and up vector, the window, the
// colours the sky is drawn through (the fog's, and the ambient and diffuse colours of both lights,
// as the GL holds them, whoever set them), and the level in play, counted by the levels put into
// play, so a new level takes its own picture even when it looks like the last.
struct BackdropView {
    std::array<float, 6> directionAndUp;
    int width, height;
    std::array<float, 20> colours; // fog, light 1 ambient and diffuse, light 2 ambient and diffuse
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
