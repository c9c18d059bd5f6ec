// page.h -- what the game asks of the web page it plays in: the player's settings and the tables
// of best runs live in the browser's storage, which the page mounts under $HOME and fills before
// the program starts. Natively there is no page, the files on disk are kept as written, and each
// call does nothing (page.cpp); the browser's answers are web/browser_page.cpp.
#pragma once

// Sets the display toggles and the mute kept in config.ini from an earlier visit; once, after
// every task has started.
void page_applyKeptSettings();

// After a command key: every toggle it changed is written into the kept config.ini, so it is
// there on the next visit.
void page_keepToggles();

// Copies what the program wrote under $HOME to the browser's storage (it is written in memory
// first); the copy goes on after the call returns.
void page_persist();
