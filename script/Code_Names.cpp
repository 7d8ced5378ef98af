#include "script/Code_Names.h"

namespace vl {

namespace {

// Before the game's tables exist, code knows no functions and no named values.
class CNoNames final : public CCodeNames {
public:
  int32_t FindFunction(std::string_view) const override { return -1; }
  int32_t FunctionArgCount(int32_t) const override { return -100; }
  bool LookupName(std::string_view, RValue&) const override { return false; }
};

const CNoNames NoNames;
const CCodeNames* CurrentNames = &NoNames;

} // namespace

void SetCodeNames(const CCodeNames* names) {
  CurrentNames = names ? names : &NoNames;
}

const CCodeNames& CodeNames() {
  return *CurrentNames;
}

} // namespace vl
