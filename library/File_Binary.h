#pragma once
// Binary files by id: a table of 32 slots (ids 1..32) and the file_bin_ built-in functions.

namespace vl {

void Register_Function_BinaryFiles();
// Closes every open binary file and frees the ids.
void ResetBinaryFiles();

} // namespace vl
