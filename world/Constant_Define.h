#pragma once
// Defining the game's constants at load: each value text is run as an expression and the result
// joins the constant table.

#include <string>
#include <string_view>

namespace vl {

// Defines one constant; a bad name or value shows its message box and gives false.
bool DefineConstant(std::string_view name, std::string_view valuetext);
// Defines the game's constants in stored order; stops at the first failure.
bool DefineConstants();

} // namespace vl
