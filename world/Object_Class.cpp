#include "world/Object_Class.h"

#include "data/Support_Stream.h"
#include "world/World_Report.h"

namespace vl {

namespace {

// Searches the object `first` (at index firstindex) and then the ancestors in `rest`: step 1 of the
// lookup for (type, number), and for collisions step 2 along the other object's ancestors.
CEvent* SearchChain(const CObject& first, int32_t firstindex, const std::vector<int32_t>& rest, int32_t type,
                    int32_t number, int32_t* owner) {
  const CObjectTable& table = Objects();
  auto direct = [&](int32_t n) -> CEvent* {
    if (CEvent* event = first.GetEventDirect(type, n)) {
      if (owner) *owner = firstindex;
      return event;
    }
    for (int32_t index : rest) {
      const CObject* object = table.Get(index);
      if (object == &first) break; // a cycle back to the start: every object has been seen
      if (CEvent* event = object->GetEventDirect(type, n)) {
        if (owner) *owner = index;
        return event;
      }
    }
    return nullptr;
  };
  if (CEvent* event = direct(number)) return event;
  if (type != ev_collision || !table.Exists(number)) return nullptr;
  const std::vector<int32_t>& others = table.Chain(number);
  for (size_t i = 1; i < others.size(); ++i)
    if (CEvent* event = direct(others[i])) return event;
  return nullptr;
}

} // namespace

void CObject::Clear() {
  o_spriteindex = -1;
  o_solid = false;
  o_visible = true;
  o_depth = 0;
  o_persistent = false;
  o_parent = -1;
  o_mask = -1;
  for (auto& events : o_events) events.clear();
}

CEvent* CObject::CreateEvent(int32_t type, int32_t number) {
  if (type < 0 || type >= kEventTypes || number < 0) return nullptr;
  return &o_events[size_t(type)][number];
}

bool CObject::LoadFromStream(CStream& stream) {
  Clear();
  if (stream.ReadInteger() != kVersion) return false;
  o_spriteindex = stream.ReadInteger();
  o_solid = stream.ReadBoolean();
  o_visible = stream.ReadBoolean();
  o_depth = stream.ReadInteger();
  o_persistent = stream.ReadBoolean();
  o_parent = stream.ReadInteger();
  o_mask = stream.ReadInteger();
  const int32_t last = stream.ReadInteger();
  for (int32_t type = 0; type <= last; ++type) {
    for (int32_t number = stream.ReadInteger(); number != -1; number = stream.ReadInteger()) {
      CEvent scratch; // events of unknown types are read past
      CEvent* event = CreateEvent(type, number);
      (event ? *event : scratch).LoadFromStream(stream);
    }
  }
  return true;
}

bool CObject::Compile() {
  RCurrentEvent& current = CurrentEvent();
  for (int32_t type = 0; type < kEventTypes; ++type)
    for (auto& [number, event] : o_events[size_t(type)]) {
      current.event_type = type;
      current.event_number = number;
      if (!event.Compile()) return false;
    }
  return true;
}

CEvent* CObject::GetEventDirect(int32_t type, int32_t number) const {
  if (type < 0 || type >= kEventTypes) return nullptr;
  const auto& events = o_events[size_t(type)];
  auto it = events.find(number);
  if (it == events.end() || it->second.Number() == 0) return nullptr;
  return const_cast<CEvent*>(&it->second);
}

bool CObject::HasEventDirect(int32_t type) const {
  if (type < 0 || type >= kEventTypes) return false;
  for (const auto& [number, event] : o_events[size_t(type)])
    if (event.Number() > 0) return true;
  return false;
}

CEvent* CObject::GetEventRecursive(int32_t type, int32_t number) const {
  return SearchChain(*this, -1, Objects().Chain(o_parent), type, number, nullptr);
}

bool CObject::HasEventRecursive(int32_t type) const {
  if (HasEventDirect(type)) return true;
  for (int32_t index : Objects().Chain(o_parent)) {
    const CObject* object = Objects().Get(index);
    if (object == this) break; // back at the start of a cycle
    if (object->HasEventDirect(type)) return true;
  }
  return false;
}

bool CObject::IsDecendentOf(int32_t index) const {
  for (int32_t ancestor : Objects().Chain(o_parent))
    if (ancestor == index) return true;
  return false;
}

// ---- The object table ---------------------------------------------------------------------------

namespace {

// At namespace scope: the table is looked up for every instance in every step, and a local static
// would be checked for its initialization at each look-up.
CObjectTable Table;

} // namespace

CObjectTable& Objects() {
  return Table;
}

bool CObjectTable::LoadSection(CStream& stream) {
  InvalidateChains();
  return CResourceTable::LoadSection(stream);
}

void CObjectTable::ClearAll() {
  CResourceTable::ClearAll();
  InvalidateChains();
}

int32_t CObjectTable::Add() {
  InvalidateChains();
  return CResourceTable::Add();
}

void CObjectTable::Delete(int32_t index) {
  CResourceTable::Delete(index);
  InvalidateChains();
}

void CObjectTable::SetParent(int32_t index, int32_t parent) {
  if (CObject* object = Get(index)) {
    object->o_parent = parent;
    InvalidateChains();
  }
}

bool CObjectTable::CompileAll() {
  for (int32_t i = 0; i < Count(); ++i) {
    if (!t_items[size_t(i)]) continue;
    CurrentEvent().event_object = i;
    if (!t_items[size_t(i)]->Compile()) return false;
  }
  return true;
}

const std::vector<int32_t>& CObjectTable::Chain(int32_t index) const {
  static const std::vector<int32_t> none;
  if (!Exists(index)) return none;
  if (t_chains.size() != t_items.size()) t_chains.assign(t_items.size(), {});
  std::vector<int32_t>& chain = t_chains[size_t(index)];
  if (chain.empty()) {
    std::vector<bool> seen(t_items.size());
    for (int32_t at = index; Exists(at) && !seen[size_t(at)]; at = Get(at)->o_parent) {
      seen[size_t(at)] = true;
      chain.push_back(at);
    }
  }
  return chain;
}

CEvent* CObjectTable::FindEvent(int32_t object, int32_t type, int32_t number, int32_t* owner) const {
  const CObject* first = Get(object);
  if (!first) return nullptr;
  return SearchChain(*first, object, Chain(first->o_parent), type, number, owner);
}

} // namespace vl
