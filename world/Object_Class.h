#pragma once
// CObject: the behaviour template of instances: defaults for new instances, a parent whose events
// it inherits, and its events; and the table of object resources.

#include "data/Resource_Table.h"
#include "world/Event_Class.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace vl {

class CObject {
public:
  static constexpr int32_t kVersion = 430;

  CObject() { Clear(); }
  void Clear();
  // The event (type, number), created when absent; null for a type outside 0..11 or a negative number.
  CEvent* CreateEvent(int32_t type, int32_t number);
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);
  // Compiles every event, types ascending and numbers ascending, each as the current event.
  bool Compile();

  // The object's own event with at least one action, or null.
  CEvent* GetEventDirect(int32_t type, int32_t number) const;
  bool HasEventDirect(int32_t type) const;
  // The event along the parent chain (and, for collisions, along the other object's parents).
  CEvent* GetEventRecursive(int32_t type, int32_t number) const;
  bool HasEventRecursive(int32_t type) const;
  // True when index occurs in the parent chain.
  bool IsDecendentOf(int32_t index) const;

  int32_t o_spriteindex;
  bool o_solid;
  bool o_visible;
  int32_t o_depth;
  bool o_persistent;
  int32_t o_parent;
  int32_t o_mask;
  // Per event type, the events by number (ascending).
  std::array<std::map<int32_t, CEvent>, kEventTypes> o_events;
};

// The object resources, with each object's chain of parents. New objects are named "__newobject" and
// their index.
class CObjectTable : public CResourceTable<CObject> {
public:
  CObjectTable() : CResourceTable({.rk_newname = "__newobject"}) {}

  // Slots and parents change only through these, which have the chains built anew.
  bool LoadSection(CStream& stream);
  void ClearAll();
  int32_t Add();
  void Delete(int32_t index);
  void SetParent(int32_t index, int32_t parent);

  // Compiles every object as the current object; stops at the first failure.
  bool CompileAll();

  // The object at index followed by its ancestors, nearest first, each at most once (a parent cycle
  // ends where an object would repeat). Empty for no object.
  const std::vector<int32_t>& Chain(int32_t index) const;
  // Finds the event an instance of object should react to; owner is the object in the chain whose
  // event list holds it.
  CEvent* FindEvent(int32_t object, int32_t type, int32_t number, int32_t* owner = nullptr) const;

private:
  void InvalidateChains() { t_chains.clear(); }

  mutable std::vector<std::vector<int32_t>> t_chains; // built on demand
};

CObjectTable& Objects();

} // namespace vl
