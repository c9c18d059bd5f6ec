// hud.h -- the HUD: the lines drawn over the finished scene (score, level, lives, rockets, the
// frame rate, the boss's energy, each game state's message) and, once a run is over, the table of
// best runs. Its font lives from hud_start to hud_stop.
#pragma once

// Loads the HUD's font; needs the GL context.
void hud_start();
// Releases the font.
void hud_stop();
// The HUD over whatever the frame holds, laid out for the window's size.
void hud_draw();
