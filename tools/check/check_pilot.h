// check_pilot.h -- the autopilots of trelvik-check --play: each flies one ship from what a player
// sees on the screen, a reaction time late, and answers with the keys it holds. A pilot lives for
// one run; everything it does follows from its skill, its ship and the run's seed.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

enum class PilotSkill { novice, steady, expert };

constexpr PilotSkill pilot_skills[] = {PilotSkill::novice, PilotSkill::steady, PilotSkill::expert};

const char *pilot_name(PilotSkill skill);
std::optional<PilotSkill> pilot_byName(std::string_view name);

// Something on the screen, in units from the camera (x to the right, y up), as drawn.
struct SeenThing {
    uint32_t kind; // the actor kind, as the player tells the models apart
    float x, y;
    float left, right, bottom, top;
};

// One drawn frame: what is inside the playing field, the ships, the counters in the corner.
struct SeenFrame {
    float time;                  // seconds since the run began
    bool fighting;               // the camera has stopped: the boss fight
    std::vector<SeenThing> things;
    std::vector<SeenThing> ships; // ship 0 first
    int lifes;
    int rockets;
};

// The keys one ship is held with for the next frame.
struct PilotKeys {
    bool left, right, up, down, bullet, rockets;
};


struct PilotTraits {
    float reaction;    // seconds from what happens on the screen to the hands
    float lookAhead;   // seconds of threats weighed when choosing a lane
    float aimSpread;   // units a lane is missed by, drawn anew now and then
    bool foresees;     // moves things on by the reaction time before judging them
    bool dodgesShots;
    bool takesPowerUps;
    bool rocketsOnBoss;
    bool shootersFirst; // picks ENEMY1 (they fire) before ENEMY2
    int attention;      // threats weighed at once, the nearest first
    float lapses;       // chance in any second of looking away for a moment, the hands as they were
};

// A pilot changes its keys at most this often, whatever the frame rate; between its decisions the
// keys stay held, as a player's hands do.
constexpr float pilot_decisionsPerSecond = 60.0f;

struct Pilot {
    PilotSkill skill;
    PilotTraits traits;
    int ship;
    std::mt19937 rng;
    std::deque<SeenFrame> seen; // the frames still to reach the pilot's hands, oldest first
    float aimOffset = 0;
    float nextAimChange = 0;
    float nextLapseDraw = 0;
    float lapseUntil = -1;
    float lastDecision = -1; // when the keys were last chosen; < 0: not yet
    PilotKeys held{};
};

// A pilot of the skill for ship 0 or 1; the seed decides its small mistakes.
Pilot pilot_new(PilotSkill skill, int ship, unsigned seed);
// The pilot sees a frame (the one just drawn) and says which keys it holds for the next one.
PilotKeys pilot_fly(Pilot &pilot, const SeenFrame &frame);
