// Any text compiles, as statements and as an expression, to a tree or to one recorded error.
#include "script/Code_Error.h"
#include "script/Code_Main.h"
#include "script/Code_Names.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// A few functions of fixed and variable count and one named value, so that calls and constants
// take part.
class CFuzzNames final : public vl::CCodeNames {
public:
  int32_t FindFunction(std::string_view name) const override {
    return name == "f" ? 0 : name == "g" ? 1 : name == "s" ? vl::kFirstScriptFunction : -1;
  }
  int32_t FunctionArgCount(int32_t id) const override { return id == 0 ? 1 : -1; }
  bool LookupName(std::string_view name, vl::RValue& value) const override {
    if (name != "k") return false;
    value = vl::RValue(std::string_view("k"));
    return true;
  }
};

void Check(std::string_view text, bool isexpression) {
  vl::CCode code(text, isexpression);
  bool ok = code.Compile();
  // Exactly one outcome: a tree whose children all lie after their parent, or an error text.
  if (ok != !vl::ErrorPending || ok != code.i_compiled) std::abort();
  if (!ok) {
    if (vl::ErrorText.empty() || !code.i_token.empty()) std::abort();
    return;
  }
  for (size_t i = 0; i < code.i_token.size(); ++i) {
    const vl::RToken& n = code.i_token[i];
    if (n.itemnumb > 0 && (size_t(n.items) <= i || size_t(n.items + n.itemnumb) > code.i_token.size()))
      std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const CFuzzNames names;
  vl::SetCodeNames(&names);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Check(text, false);
  Check(text, true);
  return 0;
}
