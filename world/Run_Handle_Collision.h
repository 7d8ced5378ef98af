#pragma once
// Collision events: the object pairs whose instances are tested, and the step's pass that performs
// the collision events of instances that meet, with the solid handling around them.

#include <cstdint>
#include <vector>

namespace vl {

class CInstance;

// Two objects whose instances are tested against each other, first <= second.
struct RCollisionPair {
  int32_t cp_first = 0;
  int32_t cp_second = 0;
  bool operator==(const RCollisionPair&) const = default;
};

// Every pair (i, j >= i) of existing objects where either has a collision event with the other,
// found through the parents on both sides; in order of i, then j. Built with the event lists.
void Build_CollisionPairs();
const std::vector<RCollisionPair>& CollisionPairs();

// How the pass finds the instances of a pair's second object that meet an instance of its first:
// through a grid over their boxes where the object has enough instances to pay for one, always
// through a grid, or by testing every one. All perform the same events in the same order; the last
// is the reference the others are measured against.
enum class ECollisionSearch { Auto, Grid, AllPairs };

// For each pair in order, each unmarked instance a of the first object and each later instance b
// of the second (only the later ones when the objects are the same), in the room's per-object
// order as it is while events run: when they meet, solids go back, a's and then b's collision
// event runs, and solids are moved once more by their speed and go back again if they still meet.
void Handle_Collisions(ECollisionSearch search = ECollisionSearch::Auto);

// Back to the previous position and path position.
void Move_Back(CInstance& inst);

} // namespace vl
