// look.h -- the level's look as GL shows it: the fog's colour and the colours of the two lights,
// given from the look record the frame hands over and never read back from GL. What GL holds is
// kept here from the fixed state's setting (task_video_initGL) for as long as the context lives.
#pragma once

#include "game/level_parse.h"

// The colours the two lights hold: the air's, or those an actor of a class is drawn in.
enum class LookLights { air, craft, shots };

// GL holds the first level's look in the air's lights: the fog's and both lights' colours are
// given again, whatever GL held (after the fixed state is set up in a context).
void look_reset();
// Gives the fog and the air's lights the look's colours when GL holds another look; the lights'
// directions are the fixed state's.
void look_apply(const LevelLook &look);
// Puts the lights wanted into GL when they are not there already.
void look_useLights(LookLights lights);
