#pragma once
// CResourceTable: the resources of one kind, numbered from 0, each slot holding a record or nothing
// (never stored, or deleted), with a parallel table of names; and the section framing they are
// stored in.

#include "data/Support_Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

// What sets one table apart from the others.
template <typename T>
struct RResourceKind {
  // Reads a present entry from its block, after the exists flag: its name and its record. False when
  // the record fails.
  using TEntryReader = bool (*)(CStream& block, T& record, std::string& name);

  // The usual entry: the name, then the record as the record type reads itself.
  static bool ReadNamedEntry(CStream& block, T& record, std::string& name) {
    name = block.ReadString();
    return record.LoadFromStream(block);
  }

  std::string rk_newname = {};            // Add names entry i rk_newname followed by i
  std::string rk_missing = "<undefined>"; // the name of an index without a resource
  TEntryReader rk_read = ReadNamedEntry;
};

template <typename T>
class CResourceTable {
public:
  static constexpr int32_t kSectionVersion = 800;

  explicit CResourceTable(RResourceKind<T> kind = {}) : t_kind(std::move(kind)) {}

  // Reads the section: its version, the entry count and per entry a compressed block whose exists
  // flag says whether an entry follows. False on a wrong version or a failing record, which stops
  // the reading there.
  bool LoadSection(CStream& stream) {
    ClearAll();
    if (stream.ReadInteger() != kSectionVersion) return false;
    const int32_t count = stream.ReadInteger();
    for (int32_t i = 0; i < count; ++i) {
      auto block = stream.ReadStreamC();
      t_items.emplace_back();
      t_names.emplace_back();
      if (!block->ReadBoolean()) continue;
      auto record = std::make_unique<T>();
      if (!t_kind.rk_read(*block, *record, t_names.back())) return false;
      t_items.back() = std::move(record);
    }
    return true;
  }

  void ClearAll() {
    t_items.clear();
    t_names.clear();
  }

  int32_t Count() const { return int32_t(t_items.size()); }
  bool Exists(int32_t index) const { return Get(index) != nullptr; }
  T* Get(int32_t index) const {
    return index >= 0 && index < Count() ? t_items[size_t(index)].get() : nullptr;
  }

  // The entry's name, or the kind's missing text for an index without a resource.
  const std::string& Name(int32_t index) const {
    return Exists(index) ? t_names[size_t(index)] : t_kind.rk_missing;
  }

  // The lowest index of a present entry with exactly that name, or -1.
  int32_t Find(std::string_view name) const {
    for (int32_t i = 0; i < Count(); ++i)
      if (t_items[size_t(i)] && t_names[size_t(i)] == name) return i;
    return -1;
  }

  // Appends a new record, named after its index; returns the index.
  int32_t Add() {
    const int32_t index = Count();
    t_items.push_back(std::make_unique<T>());
    t_names.push_back(t_kind.rk_newname + std::to_string(index));
    return index;
  }

  // Appends a copy of the record at index, named as by Add; -1 when there is none.
  int32_t Duplicate(int32_t index) {
    if (!Exists(index)) return -1;
    const int32_t copy = Add();
    t_items[size_t(copy)]->Assign(*t_items[size_t(index)]);
    return copy;
  }

  // Makes index a copy of source, creating its record when the slot is empty; false when source
  // holds no resource or index is outside the table.
  bool Assign(int32_t index, int32_t source) {
    if (index < 0 || index >= Count() || !Exists(source)) return false;
    if (!t_items[size_t(index)]) t_items[size_t(index)] = std::make_unique<T>();
    if (index != source) t_items[size_t(index)]->Assign(*t_items[size_t(source)]);
    return true;
  }

  // Empties the slot and its name.
  void Delete(int32_t index) {
    if (index < 0 || index >= Count()) return;
    t_items[size_t(index)].reset();
    t_names[size_t(index)].clear();
  }

  std::vector<std::unique_ptr<T>> t_items;
  std::vector<std::string> t_names;

private:
  RResourceKind<T> t_kind;
};

} // namespace vl
