#include "world/Constant_Define.h"

#include "data/Game_File.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/Constant_Main.h"
#include "world/Instance_Class.h"
#include "world/World_Report.h"

namespace vl {

namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

} // namespace

bool DefineConstant(std::string_view rawname, std::string_view valuetext) {
  const std::string name(Trim(rawname));
  if (!IsConstantName(name)) {
    ShowLoadMessage("Constant name " + name + "  is not valid.");
    return false;
  }
  CCode code(valuetext, true);
  // A value has no instance of its own; a bare one stands in as self and other.
  CInstance temporary(0, 0, 0, 0);
  RValue value;
  if (!code.Compile() || !RunCodeOrError(&temporary, &temporary, code, value)) {
    ShowLoadMessage("Value for constant " + name + "  is not valid.");
    return false;
  }
  AddConstant(name, value);
  return true;
}

bool DefineConstants() {
  for (const auto& [name, text] : GameData().gd_constants)
    if (!DefineConstant(name, text)) return false;
  return true;
}

} // namespace vl
