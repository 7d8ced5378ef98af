#pragma once
// CTrigger: a condition, written as code, tested at a chosen moment of every step; when it holds
// for an instance, that instance's trigger event runs. And the table of triggers.

#include "script/Code_Main.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class CStream;

class CTrigger {
public:
  static constexpr int32_t kVersion = 800;
  enum : int32_t { kMomentNormal = 0, kMomentBegin = 1, kMomentEnd = 2 };

  void Clear();
  // False on a wrong record version.
  bool LoadFromStream(CStream& stream);
  // Compiles the condition in the code form; a failure is reported as a fatal compilation error.
  bool Prepare();

  std::string i_name;
  std::string i_condition;
  std::unique_ptr<CCode> i_code; // absent until prepared
  std::string i_constname;
  int32_t i_moment = kMomentBegin;
};

class CTriggerTable {
public:
  static constexpr int32_t kSectionVersion = 800;

  // Reads the triggers section: per record a block with an exists flag and the record.
  bool LoadSection(CStream& stream);
  void ClearAll() { t_triggers.clear(); }
  int32_t Count() const { return int32_t(t_triggers.size()); }
  bool Exists(int32_t n) const { return Get(n) != nullptr; }
  CTrigger* Get(int32_t n) const { return n >= 0 && n < Count() ? t_triggers[size_t(n)].get() : nullptr; }
  // The trigger's name, "<Deleted>" for an empty entry.
  std::string Name(int32_t n) const;
  // The first trigger whose constant name is exactly name, or -1.
  int32_t FindConstant(std::string_view name) const;

  std::vector<std::unique_ptr<CTrigger>> t_triggers;
};

CTriggerTable& Triggers();

bool TriggerExists(int32_t n);
CTrigger* GetTrigger(int32_t n);
int32_t FindTriggerConstant(std::string_view name);
// Prepares every present trigger in number order; stops at the first failure.
bool PrepareTriggers();

} // namespace vl
