// page.cpp -- the native program plays in no page: what it writes is on disk once written, and
// the display toggles start off each run. The browser build links web/browser_page.cpp instead.
#include "kernel/page.h"

void page_applyKeptSettings() {}

void page_keepToggles() {}

void page_persist() {}
