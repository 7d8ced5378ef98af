#pragma once
// CObject: the behaviour template of instances: defaults for new instances, a parent whose events
// it inherits, and its events; and the table of object resources.

#include "world/Event_Class.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CStream;

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

// The object resources; an empty slot means no object with that index.
class CObjectTable {
public:
  static constexpr int32_t kSectionVersion = 800;

  // Reads the objects section; false on a wrong version or a failing record.
  bool LoadSection(CStream& stream);
  void ClearAll();
  int32_t Count() const { return int32_t(t_objects.size()); }
  bool Exists(int32_t index) const { return Get(index) != nullptr; }
  CObject* Get(int32_t index) const {
    return index >= 0 && index < Count() ? t_objects[size_t(index)].get() : nullptr;
  }
  std::string Name(int32_t index) const;
  int32_t Find(std::string_view name) const;
  int32_t Add();
  void Delete(int32_t index);
  // Changes an object's parent; parents must change through here so that chains stay right.
  void SetParent(int32_t index, int32_t parent);
  // Compiles every object as the current object; stops at the first failure.
  bool CompileAll();

  // The object at index followed by its ancestors, nearest first, each at most once (a parent cycle
  // ends where an object would repeat). Empty for no object.
  const std::vector<int32_t>& Chain(int32_t index) const;
  // Finds the event an instance of object should react to; owner is the object in the chain whose
  // event list holds it.
  CEvent* FindEvent(int32_t object, int32_t type, int32_t number, int32_t* owner = nullptr) const;

  std::vector<std::unique_ptr<CObject>> t_objects;
  std::vector<std::string> t_names;

private:
  void InvalidateChains() { t_chains.clear(); }

  mutable std::vector<std::vector<int32_t>> t_chains; // built on demand
};

CObjectTable& Objects();

} // namespace vl
