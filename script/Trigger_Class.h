#pragma once
// CTrigger: a condition, written as code, tested at a chosen moment of every step; when it holds
// for an instance, that instance's trigger event runs. And the table of triggers.

#include "data/Resource_Table.h"
#include "script/Code_Main.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vl {

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

// The trigger resources. A trigger's name is stored inside its record (the table keeps a copy for
// Name); an index without a trigger is named "<Deleted>".
class CTriggerTable : public CResourceTable<CTrigger> {
public:
  CTriggerTable();
  // The lowest index of a present trigger whose constant name is exactly name, or -1.
  int32_t FindConstant(std::string_view name) const;
};

CTriggerTable& Triggers();

// Prepares every present trigger in number order; stops at the first failure.
bool PrepareTriggers();

} // namespace vl
