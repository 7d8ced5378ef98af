#pragma once
// The ds_ built-in functions: one table of ids per container kind, lowest free slot first.

#include "datastructures/Support_Data_Structures.h"

#include <cstdint>

namespace vl {

// Registers the family's functions in the built-in function table.
void Register_Function_DataStructures();

// The container with that id, or null (for the runner's debugger and for tests).
CDS_Stack* DS_Stack(int32_t id);
CDS_Queue* DS_Queue(int32_t id);
CDS_List* DS_List(int32_t id);
CDS_Map* DS_Map(int32_t id);
CDS_Priority* DS_Priority(int32_t id);
CDS_Grid* DS_Grid(int32_t id);
// Frees every container of every kind (program end, and between tests).
void DS_FreeAll();

} // namespace vl
