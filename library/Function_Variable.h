#pragma once
// The variable_* built-in functions: variables of self and global ones, read and written by name.

namespace vl {

void Register_Function_Variable();

} // namespace vl
