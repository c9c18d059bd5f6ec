// browser_page.h -- what the game asks of the web page it plays in: the player's settings and the
// tables of best runs live in the browser's storage, which the page mounts under $HOME and fills
// before the program starts. Browser build only.
#pragma once

#include <SDL.h>

// Sets the display toggles and the mute kept in config.ini from an earlier visit; once, after
// every task has started.
void browser_applyKeptSettings();

// After a command key: every toggle it changed is written into the kept config.ini.
void browser_keepToggles();

// Copies what the program wrote under $HOME to the browser's storage (it is written in memory
// first); the copy goes on after the call returns.
void browser_persist();
