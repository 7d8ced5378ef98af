#pragma once
// Fills the table of built-in functions, family by family in their fixed order.

namespace vl {

// Registers every built-in function once.
void RegisterBuiltinFunctions();
// Prints the registered built-in names, one per line, in table order.
void ListBuiltinFunctions();

} // namespace vl
