// check_config.h -- the settings file of a run directory, read as the game reads it.
#pragma once

#include "check_report.h"

// Checks "config.ini" in the working directory: every key the game reads is there once and well
// formed (booleans true or false, integers in plain decimal digits, sizes positive).
void check_config(CheckReport &report);
