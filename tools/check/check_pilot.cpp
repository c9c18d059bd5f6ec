// check_pilot.cpp -- the autopilots. Each frame a pilot judges the picture it saw a reaction time
// ago (its own ship it knows where it is now), picks a lane that keeps it clear of what comes at
// it and lines it up with what it wants to hit or take, and holds the keys that get it there.
// It knows the ship's speed and the field, as a player does after a minute; nothing else of the
// game's rules: how fast things come it measures from two looks at the screen.
#include "check_pilot.h"

#include "game/actor.h"
#include "game/task_test.h"

#include <algorithm>
#include <cmath>

namespace {

// novice: long reaction, dodges ships only, fires at what is in its lane.
// steady: dodges shots and ships in its path, takes power-ups, uses rockets on the boss.
// expert: short reaction, looks further ahead, picks shooters first.
constexpr PilotTraits skillTraits[] = {
    {0.40f, 0.6f, 10.0f, false, false, false, false, false, 3, 0.25f},
    {0.25f, 1.0f, 5.0f, true, true, true, true, false, 5, 0.12f},
    {0.15f, 1.6f, 2.0f, true, true, true, true, true, 10, 0.04f},
};

constexpr float velocityLook = 0.1f; // seconds between the two looks that give a thing's speed
constexpr float margin = 3.0f;       // units kept between the ship and what would hit it
constexpr float danger = 1000.0f;
constexpr float forwardLimit = 20.0f; // the ship's right edge goes no further right: beyond is the boss's

bool isEnemyShip(uint32_t kind) { return kind == ACTOR_ENEMY1 || kind == ACTOR_ENEMY2; }
bool isEnemyShot(uint32_t kind) { return kind == ACTOR_ESHOT || kind == ACTOR_ESHOT2; }
bool isPowerUp(uint32_t kind) { return kind == ACTOR_POWERUP_F || kind == ACTOR_POWERUP_R; }
bool isTarget(uint32_t kind) { return isEnemyShip(kind) || kind == ACTOR_BOSS1; }

float uniform(std::mt19937 &rng)
{
    return static_cast<float>(rng() >> 8) / static_cast<float>(1u << 24); // [0, 1), the same everywhere
}

// A thing as the pilot judges it: where it is (moved on when the pilot foresees) and how fast it
// moves across the screen.
struct Judged {
    SeenThing at;
    float vx, vy;
};

// The newest frame at least age seconds old; null when none is that old yet.
const SeenFrame *frameAged(const Pilot &pilot, float now, float age)
{
    const SeenFrame *found = nullptr;
    for (const SeenFrame &frame : pilot.seen) {
        if (frame.time > now - age + 1e-4f)
            break;
        found = &frame;
    }
    return found;
}

// The speed of each thing of the late frame, from where the nearest thing of its kind stood on the
// look before; things seen only once move like the others of their kind, or with the scenery.
std::vector<Judged> judge(const SeenFrame &late, const SeenFrame *before, bool foresee, float ahead)
{
    std::vector<Judged> judged;
    judged.reserve(late.things.size());
    const float dt = before != nullptr ? late.time - before->time : 0.0f;
    for (const SeenThing &t : late.things) {
        Judged j{t, 0, 0};
        bool matched = false;
        if (before != nullptr && dt > 0) {
            float best = 1e30f;
            for (const SeenThing &b : before->things) {
                if (b.kind != t.kind)
                    continue;
                const float dx = t.x - b.x, dy = t.y - b.y;
                if (dx > 2.0f || dx < -250.0f * dt || std::fabs(dy) > 60.0f * dt + 2.0f)
                    continue;
                const float d = dx * dx + 4 * dy * dy;
                if (d < best) {
                    best = d;
                    j.vx = dx / dt;
                    j.vy = dy / dt;
                    matched = true;
                }
            }
        }
        if (!matched)
            j.vx = late.fighting ? 0.0f : -1e9f; // filled in below
        judged.push_back(j);
    }
    for (Judged &j : judged) {
        if (j.vx > -1e8f)
            continue;
        float sum = 0;
        int n = 0;
        for (const Judged &o : judged)
            if (o.at.kind == j.at.kind && o.vx > -1e8f && &o != &j)
                sum += o.vx, ++n;
        j.vx = n > 0 ? sum / static_cast<float>(n) : -50.0f;
    }
    if (foresee) {
        for (Judged &j : judged) {
            const float dx = j.vx * ahead, dy = j.vy * std::min(ahead, 0.2f);
            j.at.x += dx, j.at.left += dx, j.at.right += dx;
            j.at.y += dy, j.at.bottom += dy, j.at.top += dy;
        }
    }
    return judged;
}

// Where the ship is t seconds after it heads for lane y from y0 at full speed.
float shipY(float y0, float y, float t)
{
    const float step = player_speed * t;
    return y > y0 ? std::min(y, y0 + step) : std::max(y, y0 - step);
}

// The ship's way along x: at vx until the time `until`, then standing on the screen.
struct Course {
    float vx, until;
};

// When, within [t0, t1], a thing whose gaps to the ship (its left edge to the ship's right edge,
// its right edge to the ship's left edge) are gapL and gapR at t0 and shrink at -r units a second
// overlaps the ship along x. False when it does not.
bool overlapIn(float gapL, float gapR, float r, float t0, float t1, float slack, float &enter, float &exit)
{
    float lo = t0, hi = t1;
    if (std::fabs(r) < 1e-3f) {
        if (gapL > slack || gapR < -slack)
            return false;
    } else if (r < 0) {
        lo = std::max(lo, t0 + (gapL - slack) / -r);
        hi = std::min(hi, t0 + (gapR + slack) / -r);
    } else {
        hi = std::min(hi, t0 + (slack - gapL) / r);
        lo = std::max(lo, t0 + (-slack - gapR) / r);
    }
    if (lo > hi)
        return false;
    enter = lo, exit = hi;
    return true;
}

// How bad it is to head for lane y on the course: a large cost for every threat the ship would
// meet on the way within the look-ahead, the earlier the larger.
float dangerOf(const Pilot &pilot, const SeenThing &me, float y, const Course &course, float touch,
               const std::vector<Judged> &threats)
{
    const float up = me.top - me.y, down = me.y - me.bottom;
    const float look = pilot.traits.lookAhead;
    const float until = std::min(course.until, look);
    float cost = 0;
    for (const Judged &j : threats) {
        const SeenThing &t = j.at;
        const float gapL = t.left - me.right, gapR = t.right - me.left;
        const float shift = (j.vx - course.vx) * until;
        // A touch is what costs a life; coming within the margin is only worth avoiding.
        for (const float m : {touch, margin}) {
            // Two pieces: while the ship moves along x, and after.
            float windows[2][2];
            int count = 0;
            if (until > 0 &&
                overlapIn(gapL, gapR, j.vx - course.vx, 0, until, m, windows[count][0], windows[count][1]))
                ++count;
            if (overlapIn(gapL + shift, gapR + shift, j.vx, until, look, m, windows[count][0], windows[count][1]))
                ++count;
            bool hit = false;
            for (int w = 0; w < count && !hit; ++w) {
                const float enter = windows[w][0], exit = windows[w][1];
                const float ys = shipY(me.y, y, enter), ye = shipY(me.y, y, exit);
                const float lo = std::min(ys, ye) - down - m, hi = std::max(ys, ye) + up + m;
                const float bob = t.kind == ACTOR_ENEMY2 ? 5.0f : 0.0f;
                const float d1 = j.vy * std::min(enter, 0.4f), d2 = j.vy * std::min(exit, 0.4f);
                const float bottom = t.bottom + std::min(d1, d2) - bob, top = t.top + std::max(d1, d2) + bob;
                if (bottom <= hi && top >= lo) {
                    cost += (m == touch ? danger : danger * 0.03f) * (1.0f + look - enter);
                    hit = true;
                }
            }
            if (hit)
                break;
        }
    }
    return cost;
}

struct Aim {
    bool has = false;
    float y = 0;
    bool hasX = false;
    float x = 0;
};

// What the pilot wants in its lane: a power-up it can still reach, else the enemy it picks.
Aim chooseAim(const Pilot &pilot, const SeenThing &me, const std::vector<Judged> &things)
{
    Aim aim;
    if (pilot.traits.takesPowerUps) {
        float soonest = 1e30f;
        for (const Judged &j : things) {
            if (!isPowerUp(j.at.kind) || j.at.right < me.left)
                continue;
            const float climb = std::fabs(j.at.y - me.y) / player_speed;
            if (j.vx < -1.0f) {
                const float arrive = (j.at.left - me.right) / -j.vx;
                if (climb > arrive + 0.15f || arrive > soonest)
                    continue;
                soonest = arrive;
                aim = {true, j.at.y, false, 0};
            } else if (soonest > 5.0f && j.at.left < forwardLimit) { // standing still (the boss fight): fly over to it
                soonest = 5.0f;
                aim = {true, j.at.y, true, j.at.x};
            }
        }
        if (aim.has)
            return aim;
    }
    float best = 1e30f;
    for (const Judged &j : things) {
        if (!isTarget(j.at.kind) || j.at.left < me.right || j.at.left > scr_r_x)
            continue;
        const float dx = j.at.left - me.right, dy = std::fabs(j.at.y - me.y);
        float score = pilot.skill == PilotSkill::novice ? dx + 0.5f * dy : dx + 2.0f * dy;
        if (pilot.traits.shootersFirst && j.at.kind == ACTOR_ENEMY2)
            score += 150.0f;
        // Two ships share the work: each looks first to its own half.
        if ((pilot.ship == 0 && j.at.y < -10.0f) || (pilot.ship == 1 && j.at.y > 10.0f))
            score += 40.0f;
        if (score < best) {
            best = score;
            const float flight = dx / bullet_speed;
            const float lead = pilot.traits.foresees ? j.vy * std::min(flight, 0.3f) : 0.0f;
            aim = {true, j.at.y + lead, false, 0};
        }
    }
    return aim;
}

bool inLane(const SeenThing &me, const std::vector<Judged> &things, float slack)
{
    for (const Judged &j : things)
        if (isTarget(j.at.kind) && j.at.right > me.right && j.at.left < scr_r_x &&
            j.at.bottom <= me.y + slack && j.at.top >= me.y - slack)
            return true;
    return false;
}

} // namespace

const char *pilot_name(PilotSkill skill)
{
    switch (skill) {
    case PilotSkill::novice:
        return "novice";
    case PilotSkill::steady:
        return "steady";
    case PilotSkill::expert:
        return "expert";
    }
    return "?";
}

std::optional<PilotSkill> pilot_byName(std::string_view name)
{
    for (const PilotSkill skill : pilot_skills)
        if (name == pilot_name(skill))
            return skill;
    return std::nullopt;
}

Pilot pilot_new(PilotSkill skill, int ship, unsigned seed)
{
    Pilot pilot{skill, skillTraits[static_cast<int>(skill)], ship,
                std::mt19937(seed * 7919u + static_cast<unsigned>(ship) * 104729u + static_cast<unsigned>(skill)),
                {}, 0, 0};
    return pilot;
}

PilotKeys pilot_fly(Pilot &pilot, const SeenFrame &frame)
{
    PilotKeys keys{};
    pilot.seen.push_back(frame);
    const float keep = pilot.traits.reaction + velocityLook + 0.05f;
    while (pilot.seen.size() > 2 && pilot.seen[1].time <= frame.time - keep)
        pilot.seen.pop_front();
    if (pilot.ship >= static_cast<int>(frame.ships.size()))
        return keys;
    // Frames drawn within a decision's span are seen, not answered (a small tolerance for the
    // frame clock's whole milliseconds).
    if (pilot.lastDecision >= 0 && frame.time - pilot.lastDecision < 1.0f / pilot_decisionsPerSecond - 2e-3f)
        return pilot.held;
    const float sinceDecision = pilot.lastDecision >= 0 ? frame.time - pilot.lastDecision : 1.0f / 60;
    pilot.lastDecision = frame.time;
    const SeenThing &me = frame.ships[static_cast<size_t>(pilot.ship)];
    const SeenFrame *late = frameAged(pilot, frame.time, pilot.traits.reaction);
    if (late == nullptr)
        return keys; // the first moments: nothing has reached the hands yet
    const SeenFrame *before = frameAged(pilot, frame.time, pilot.traits.reaction + velocityLook);
    const std::vector<Judged> things = judge(*late, before, pilot.traits.foresees, frame.time - late->time);

    if (frame.time >= pilot.nextAimChange) {
        pilot.aimOffset = (uniform(pilot.rng) * 2 - 1) * pilot.traits.aimSpread;
        pilot.nextAimChange = frame.time + 0.6f + 0.6f * uniform(pilot.rng);
    }

    // Now and then the pilot looks away: the hands stay as they were.
    if (frame.time >= pilot.nextLapseDraw) {
        pilot.nextLapseDraw = frame.time + 1.0f;
        if (uniform(pilot.rng) < pilot.traits.lapses)
            pilot.lapseUntil = frame.time + 0.15f + 0.3f * uniform(pilot.rng);
    }
    if (frame.time < pilot.lapseUntil)
        return pilot.held;

    // Only so many threats at once, those that arrive first.
    std::vector<std::pair<float, Judged>> coming;
    for (const Judged &j : things) {
        if (!isEnemyShip(j.at.kind) && !(pilot.traits.dodgesShots && isEnemyShot(j.at.kind)))
            continue;
        const float gap = std::max(0.0f, j.at.left - me.right);
        // What stands still is as near as the ship can fly to it.
        coming.push_back({j.vx < -1.0f ? gap / -j.vx : gap / player_speed, j});
    }
    std::stable_sort(coming.begin(), coming.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Judged> threats;
    for (size_t i = 0; i < coming.size() && static_cast<int>(i) < pilot.traits.attention; ++i)
        threats.push_back(coming[i].second);

    const Aim aim = chooseAim(pilot, me, things);
    const float rest = pilot.ship == 0 ? 20.0f : -20.0f; // where a ship waits with nothing to do
    const float wanted = aim.has ? aim.y + pilot.aimOffset : rest;
    const float up = me.top - me.y, down = me.y - me.bottom;
    // The keys stay as they are until the next decision, so the ship moves in steps of that span and
    // can stop only on the places a whole number of steps from where it is: those are its lanes, and
    // as it stops on them, only a true touch is feared.
    const float deadZone = 0.5f * player_speed * sinceDecision;
    const float step = 2.0f * deadZone;
    const float touch = 0.5f;
    // The ship keeps to its place on the left unless going back or forward clears its way.
    const float home = aim.hasX ? aim.x : pilot.skill == PilotSkill::novice ? -40.0f : -55.0f;
    const float backRoom = std::max(0.0f, me.left - scr_l_x - 2.0f);
    const float foreRoom = std::max(0.0f, forwardLimit - me.right);
    const Course courses[] = {{0, 0}, {-player_speed, backRoom / player_speed}, {player_speed, foreRoom / player_speed}};
    float bestLane = me.y, bestCost = 1e30f;
    int bestCourse = 0;
    for (int c = 0; c < 3; ++c) {
        const Course &course = courses[c];
        if (c > 0 && course.until <= 0)
            continue;
        // How far from its place the ship gets within the next moments; passing over it counts.
        const float settled = me.x + course.vx * std::min(course.until, 0.3f);
        const bool passes = (me.x - home) * (settled - home) <= 0;
        const float placeCost = (passes ? 0.0f : 0.3f * std::fabs(settled - home)) + (c > 0 ? 2.0f : 0.0f);
        const float lowest = me.y - step * std::floor((me.y - (scr_b_y + down)) / step);
        for (float y = lowest; y <= scr_t_y - up; y += step) {
            const float cost = dangerOf(pilot, me, y, course, touch, threats) + std::fabs(y - wanted) +
                               0.05f * std::fabs(y - me.y) + placeCost;
            if (cost < bestCost)
                bestCost = cost, bestLane = y, bestCourse = c;
        }
    }

    keys.up = bestLane > me.y + deadZone;
    keys.down = bestLane < me.y - deadZone;
    if (bestCourse == 1)
        keys.left = true;
    else if (bestCourse == 2)
        keys.right = true;

    keys.bullet = inLane(me, things, pilot.skill == PilotSkill::novice ? 1.0f : 3.0f);
    bool bossSeen = false;
    int enemies = 0;
    for (const Judged &j : things) {
        bossSeen |= j.at.kind == ACTOR_BOSS1;
        enemies += isEnemyShip(j.at.kind);
    }
    if (frame.rockets > 0 && pilot.traits.rocketsOnBoss && bossSeen && frame.fighting)
        keys.rockets = true;
    if (frame.rockets > 0 && pilot.traits.shootersFirst && enemies >= 6)
        keys.rockets = true;
    pilot.held = keys;
    return keys;
}
