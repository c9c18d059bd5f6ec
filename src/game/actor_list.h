// actor_list.h -- the actor list's slots, for the passes of the actor module that walk it
// themselves (the collision pass). Not for use outside src/game/actor*.cpp.
#pragma once

struct actor;

// Slots are numbered from the oldest actor (0) to the newest (actorlist_slotCount() - 1, the
// head of the list), so a walk from the head runs down the numbers. While a walk is held a slot
// keeps its number: new actors take new numbers above every existing one, and a freed actor
// leaves its slot empty until the last walk ends and the empty slots are swept.
struct ActorWalk {
    ActorWalk();
    ~ActorWalk();
    ActorWalk(const ActorWalk &) = delete;
    ActorWalk &operator=(const ActorWalk &) = delete;
};

int actorlist_slotCount();
// The actor in the slot, or null when it has been freed during the walk.
actor *actorlist_slot(int slot);
// actor_free for the actor in the slot, without searching the list for it.
void actorlist_freeSlot(int slot);
