// input_devices.h -- watches the system's directory of input devices (/dev/input), so that the
// input task reads SDL's list of gamepads again only when a device came, went or changed its
// permissions. One watch at a time, from input_devices_watch to input_devices_unwatch.
#pragma once

#include <cstdint>

// Where the devices live: TRELVIK_INPUT_DIR when it is set, else /dev/input.
const char *input_devices_dir();

// Starts watching dir (any earlier watch ends). A directory that does not exist yet is looked
// for again from time to time; its appearance counts as a change.
void input_devices_watch(const char *dir, uint32_t now);

// True once after a change, when the directory has been quiet for a moment: a device being
// plugged in is created first and given its permissions a little later, and one re-read after
// both finds it usable. now is a millisecond clock.
bool input_devices_changed(uint32_t now);

void input_devices_unwatch();
