#include "datastructures/Function_Data_Structures.h"

#include "data/Support_Stream.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"

#include <memory>
#include <vector>

namespace vl {

namespace {

constexpr char kNoSuchStructure[] = "Data structure with index does not exist.";
constexpr char kMalformedString[] = "Data structure string is malformed or truncated.";
constexpr char kGridTooLarge[] = "Grid size is too large.";

// A table of ids: the id of a container is its slot; destroyed slots are reused lowest first.
template <class T>
class CDS_Table {
public:
  int32_t Create(std::unique_ptr<T> item) {
    while (t_free < t_slots.size() && t_slots[t_free]) ++t_free;
    if (t_free == t_slots.size()) t_slots.emplace_back();
    t_slots[t_free] = std::move(item);
    return static_cast<int32_t>(t_free++);
  }
  T* Get(int32_t id) const { return id >= 0 && size_t(id) < t_slots.size() ? t_slots[id].get() : nullptr; }
  void Destroy(int32_t id) {
    t_slots[id].reset();
    t_free = std::min(t_free, size_t(id));
  }
  void FreeAll() {
    t_slots.clear();
    t_free = 0;
  }

private:
  std::vector<std::unique_ptr<T>> t_slots;
  size_t t_free = 0; // no empty slot below this one
};

CDS_Table<CDS_Stack> Stacks;
CDS_Table<CDS_Queue> Queues;
CDS_Table<CDS_List> Lists;
CDS_Table<CDS_Map> Maps;
CDS_Table<CDS_Priority> Priorities;
CDS_Table<CDS_Grid> Grids;

double RealOf(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}

// Ids, positions, sizes and cells: the real part rounded half to even.
int32_t IntOf(const RValue& v) {
  return RoundToInt32(RealOf(v));
}

RValue Bool(bool b) {
  return RValue(b ? 1.0 : 0.0);
}

// The container named by the argument, or null after reporting the bad id.
template <class T>
T* Lookup(const CDS_Table<T>& table, const RValue& id) {
  T* item = table.Get(IntOf(id));
  if (!item) ReportFunctionError(kNoSuchStructure);
  return item;
}

#define VL_DS_ARGS CInstance *, CInstance *, int32_t, RValue &r, const RValue *a

// The functions every kind but the grid has in the same form.
template <class T, CDS_Table<T>& Table>
void Fn_Create(VL_DS_ARGS) {
  r = RValue(double(Table.Create(std::make_unique<T>())));
}
template <class T, CDS_Table<T>& Table>
void Fn_Destroy(VL_DS_ARGS) {
  if (Lookup(Table, a[0])) Table.Destroy(IntOf(a[0]));
}
template <class T, CDS_Table<T>& Table>
void Fn_Clear(VL_DS_ARGS) {
  if (T* d = Lookup(Table, a[0])) d->Clear();
}
template <class T, CDS_Table<T>& Table>
void Fn_Copy(VL_DS_ARGS) {
  T* d = Lookup(Table, a[0]);
  T* s = d ? Lookup(Table, a[1]) : nullptr;
  if (d && s && d != s) d->Assign(s);
}
template <class T, CDS_Table<T>& Table>
void Fn_Size(VL_DS_ARGS) {
  if (T* d = Lookup(Table, a[0])) r = RValue(double(d->Size()));
}
template <class T, CDS_Table<T>& Table>
void Fn_Empty(VL_DS_ARGS) {
  if (T* d = Lookup(Table, a[0])) r = Bool(d->Empty());
}
template <class T, CDS_Table<T>& Table>
void Fn_Write(VL_DS_ARGS) {
  if (T* d = Lookup(Table, a[0])) r = RValue(std::string_view(d->WriteToString()));
}
// A text that is not hexadecimal or ends early is reported here rather than ending the running
// code: the text comes from files and the network, and the container is left as it was.
template <class T, CDS_Table<T>& Table>
void Fn_Read(VL_DS_ARGS) {
  T* d = Lookup(Table, a[0]);
  if (!d) return;
  try {
    d->ReadFromString(a[1].Str());
  } catch (const EStreamError&) {
    ReportFunctionError(kMalformedString);
  } catch (const EConvertError&) {
    ReportFunctionError(kMalformedString);
  }
}

template <class T, CDS_Table<T>& Table>
void RegisterCommon(const char* kind) {
  const std::string prefix = std::string("ds_") + kind + "_";
  RegisterFunction(prefix + "create", Fn_Create<T, Table>, 0);
  RegisterFunction(prefix + "destroy", Fn_Destroy<T, Table>, 1);
  RegisterFunction(prefix + "clear", Fn_Clear<T, Table>, 1);
  RegisterFunction(prefix + "copy", Fn_Copy<T, Table>, 2);
  RegisterFunction(prefix + "size", Fn_Size<T, Table>, 1);
  RegisterFunction(prefix + "empty", Fn_Empty<T, Table>, 1);
  RegisterFunction(prefix + "write", Fn_Write<T, Table>, 1);
  RegisterFunction(prefix + "read", Fn_Read<T, Table>, 2);
}

// ---- Grid functions with an operation code or a selection ---------------------------------------

template <int Op>
void Fn_GridCell(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0])) g->Cell_Operation(Op, IntOf(a[1]), IntOf(a[2]), a[3]);
}
template <int Op>
void Fn_GridRegion(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0]))
    g->Region_Operation(Op, IntOf(a[1]), IntOf(a[2]), IntOf(a[3]), IntOf(a[4]), a[5]);
}
template <int Op>
void Fn_GridDisk(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0]))
    g->Disk_Operation(Op, RealOf(a[1]), RealOf(a[2]), RealOf(a[3]), a[4]);
}
template <int Op>
void Fn_GridGrid(VL_DS_ARGS) {
  CDS_Grid* g = Lookup(Grids, a[0]);
  CDS_Grid* s = g ? Lookup(Grids, a[1]) : nullptr;
  if (g && s)
    g->Grid_Operation(Op, *s, IntOf(a[2]), IntOf(a[3]), IntOf(a[4]), IntOf(a[5]), IntOf(a[6]), IntOf(a[7]));
}

using TRegionQuery = double (CDS_Grid::*)(int32_t, int32_t, int32_t, int32_t) const;
using TDiskQuery = double (CDS_Grid::*)(double, double, double) const;
using TRegionFind = double (CDS_Grid::*)(int32_t, int32_t, int32_t, int32_t, const RValue&) const;
using TDiskFind = double (CDS_Grid::*)(double, double, double, const RValue&) const;

template <TRegionQuery Q>
void Fn_GridRegionQuery(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0]))
    r = RValue((g->*Q)(IntOf(a[1]), IntOf(a[2]), IntOf(a[3]), IntOf(a[4])));
}
template <TDiskQuery Q>
void Fn_GridDiskQuery(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0])) r = RValue((g->*Q)(RealOf(a[1]), RealOf(a[2]), RealOf(a[3])));
}
template <TRegionFind Q>
void Fn_GridRegionFind(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0]))
    r = RValue((g->*Q)(IntOf(a[1]), IntOf(a[2]), IntOf(a[3]), IntOf(a[4]), a[5]));
}
template <TDiskFind Q>
void Fn_GridDiskFind(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0])) r = RValue((g->*Q)(RealOf(a[1]), RealOf(a[2]), RealOf(a[3]), a[4]));
}

void Fn_GridCreate(VL_DS_ARGS) {
  auto grid = std::make_unique<CDS_Grid>();
  if (!grid->Create(IntOf(a[0]), IntOf(a[1]))) {
    ReportFunctionError(kGridTooLarge);
    r = RValue(-1.0);
    return;
  }
  r = RValue(double(Grids.Create(std::move(grid))));
}

void Fn_GridResize(VL_DS_ARGS) {
  if (CDS_Grid* g = Lookup(Grids, a[0]))
    if (!g->Resize(IntOf(a[1]), IntOf(a[2]))) ReportFunctionError(kGridTooLarge);
}

} // namespace

CDS_Stack* DS_Stack(int32_t id) {
  return Stacks.Get(id);
}
CDS_Queue* DS_Queue(int32_t id) {
  return Queues.Get(id);
}
CDS_List* DS_List(int32_t id) {
  return Lists.Get(id);
}
CDS_Map* DS_Map(int32_t id) {
  return Maps.Get(id);
}
CDS_Priority* DS_Priority(int32_t id) {
  return Priorities.Get(id);
}
CDS_Grid* DS_Grid(int32_t id) {
  return Grids.Get(id);
}

void DS_FreeAll() {
  Stacks.FreeAll();
  Queues.FreeAll();
  Lists.FreeAll();
  Maps.FreeAll();
  Priorities.FreeAll();
  Grids.FreeAll();
}

void Register_Function_DataStructures() {
  RegisterFunction(
      "ds_set_precision", [](VL_DS_ARGS) { DS_SetPrecision(RealOf(a[0])); }, 1);

  RegisterCommon<CDS_Stack, Stacks>("stack");
  RegisterFunction(
      "ds_stack_push",
      [](VL_DS_ARGS) {
        if (CDS_Stack* d = Lookup(Stacks, a[0])) d->Push(a[1]);
      },
      2);
  RegisterFunction(
      "ds_stack_pop",
      [](VL_DS_ARGS) {
        if (CDS_Stack* d = Lookup(Stacks, a[0])) r = d->Pop();
      },
      1);
  RegisterFunction(
      "ds_stack_top",
      [](VL_DS_ARGS) {
        if (CDS_Stack* d = Lookup(Stacks, a[0])) r = d->Top();
      },
      1);

  RegisterCommon<CDS_Queue, Queues>("queue");
  RegisterFunction(
      "ds_queue_enqueue",
      [](VL_DS_ARGS) {
        if (CDS_Queue* d = Lookup(Queues, a[0])) d->Enqueue(a[1]);
      },
      2);
  RegisterFunction(
      "ds_queue_dequeue",
      [](VL_DS_ARGS) {
        if (CDS_Queue* d = Lookup(Queues, a[0])) r = d->Dequeue();
      },
      1);
  RegisterFunction(
      "ds_queue_head",
      [](VL_DS_ARGS) {
        if (CDS_Queue* d = Lookup(Queues, a[0])) r = d->Head();
      },
      1);
  RegisterFunction(
      "ds_queue_tail",
      [](VL_DS_ARGS) {
        if (CDS_Queue* d = Lookup(Queues, a[0])) r = d->Tail();
      },
      1);

  RegisterCommon<CDS_List, Lists>("list");
  RegisterFunction(
      "ds_list_add",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) d->Add(a[1]);
      },
      2);
  RegisterFunction(
      "ds_list_insert",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) d->Insert(IntOf(a[1]), a[2]);
      },
      3);
  RegisterFunction(
      "ds_list_replace",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) d->Replace(IntOf(a[1]), a[2]);
      },
      3);
  RegisterFunction(
      "ds_list_delete",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) d->Delete(IntOf(a[1]));
      },
      2);
  RegisterFunction(
      "ds_list_find_index",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) r = RValue(double(d->Find(a[1])));
      },
      2);
  RegisterFunction(
      "ds_list_find_value",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) r = d->GetValue(IntOf(a[1]));
      },
      2);
  RegisterFunction(
      "ds_list_sort",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) d->Sort(IsTrue(RealOf(a[1])));
      },
      2);
  RegisterFunction(
      "ds_list_shuffle",
      [](VL_DS_ARGS) {
        if (CDS_List* d = Lookup(Lists, a[0])) d->Shuffle();
      },
      1);

  RegisterCommon<CDS_Map, Maps>("map");
  RegisterFunction(
      "ds_map_add",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) d->Add(a[1], a[2]);
      },
      3);
  RegisterFunction(
      "ds_map_replace",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) d->Replace(a[1], a[2]);
      },
      3);
  RegisterFunction(
      "ds_map_delete",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) d->Delete(a[1]);
      },
      2);
  RegisterFunction(
      "ds_map_exists",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) r = Bool(d->Exists(a[1]));
      },
      2);
  RegisterFunction(
      "ds_map_find_value",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) r = d->Find(a[1]);
      },
      2);
  RegisterFunction(
      "ds_map_find_previous",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) r = d->FindPrevious(a[1]);
      },
      2);
  RegisterFunction(
      "ds_map_find_next",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) r = d->FindNext(a[1]);
      },
      2);
  RegisterFunction(
      "ds_map_find_first",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) r = d->FindFirst();
      },
      1);
  RegisterFunction(
      "ds_map_find_last",
      [](VL_DS_ARGS) {
        if (CDS_Map* d = Lookup(Maps, a[0])) r = d->FindLast();
      },
      1);

  RegisterCommon<CDS_Priority, Priorities>("priority");
  RegisterFunction(
      "ds_priority_add",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) d->Add(a[1], a[2]);
      },
      3);
  RegisterFunction(
      "ds_priority_change_priority",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) d->Change(a[1], a[2]);
      },
      3);
  RegisterFunction(
      "ds_priority_find_priority",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) r = d->Find(a[1]);
      },
      2);
  RegisterFunction(
      "ds_priority_delete_value",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) d->Delete(a[1]);
      },
      2);
  RegisterFunction(
      "ds_priority_delete_min",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) r = d->DeleteMin();
      },
      1);
  RegisterFunction(
      "ds_priority_find_min",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) r = d->FindMin();
      },
      1);
  RegisterFunction(
      "ds_priority_delete_max",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) r = d->DeleteMax();
      },
      1);
  RegisterFunction(
      "ds_priority_find_max",
      [](VL_DS_ARGS) {
        if (CDS_Priority* d = Lookup(Priorities, a[0])) r = d->FindMax();
      },
      1);

  RegisterFunction("ds_grid_create", Fn_GridCreate, 2);
  RegisterFunction("ds_grid_destroy", Fn_Destroy<CDS_Grid, Grids>, 1);
  RegisterFunction("ds_grid_copy", Fn_Copy<CDS_Grid, Grids>, 2);
  RegisterFunction("ds_grid_resize", Fn_GridResize, 3);
  RegisterFunction(
      "ds_grid_width",
      [](VL_DS_ARGS) {
        if (CDS_Grid* g = Lookup(Grids, a[0])) r = RValue(double(g->Width()));
      },
      1);
  RegisterFunction(
      "ds_grid_height",
      [](VL_DS_ARGS) {
        if (CDS_Grid* g = Lookup(Grids, a[0])) r = RValue(double(g->Height()));
      },
      1);
  RegisterFunction(
      "ds_grid_clear",
      [](VL_DS_ARGS) {
        if (CDS_Grid* g = Lookup(Grids, a[0])) g->Clear(a[1]);
      },
      2);
  RegisterFunction("ds_grid_set", Fn_GridCell<1>, 4);
  RegisterFunction("ds_grid_add", Fn_GridCell<2>, 4);
  RegisterFunction("ds_grid_multiply", Fn_GridCell<3>, 4);
  RegisterFunction("ds_grid_set_region", Fn_GridRegion<1>, 6);
  RegisterFunction("ds_grid_add_region", Fn_GridRegion<2>, 6);
  RegisterFunction("ds_grid_multiply_region", Fn_GridRegion<3>, 6);
  RegisterFunction("ds_grid_set_disk", Fn_GridDisk<1>, 5);
  RegisterFunction("ds_grid_add_disk", Fn_GridDisk<2>, 5);
  RegisterFunction("ds_grid_multiply_disk", Fn_GridDisk<3>, 5);
  RegisterFunction("ds_grid_set_grid_region", Fn_GridGrid<1>, 8);
  RegisterFunction("ds_grid_add_grid_region", Fn_GridGrid<2>, 8);
  RegisterFunction("ds_grid_multiply_grid_region", Fn_GridGrid<3>, 8);
  RegisterFunction(
      "ds_grid_get",
      [](VL_DS_ARGS) {
        if (CDS_Grid* g = Lookup(Grids, a[0])) r = g->Get_Cell(IntOf(a[1]), IntOf(a[2]));
      },
      3);
  RegisterFunction("ds_grid_get_sum", Fn_GridRegionQuery<&CDS_Grid::Get_Sum>, 5);
  RegisterFunction("ds_grid_get_max", Fn_GridRegionQuery<&CDS_Grid::Get_Max>, 5);
  RegisterFunction("ds_grid_get_min", Fn_GridRegionQuery<&CDS_Grid::Get_Min>, 5);
  RegisterFunction("ds_grid_get_mean", Fn_GridRegionQuery<&CDS_Grid::Get_Mean>, 5);
  RegisterFunction("ds_grid_get_disk_sum", Fn_GridDiskQuery<&CDS_Grid::Get_Disk_Sum>, 4);
  RegisterFunction("ds_grid_get_disk_max", Fn_GridDiskQuery<&CDS_Grid::Get_Disk_Max>, 4);
  RegisterFunction("ds_grid_get_disk_min", Fn_GridDiskQuery<&CDS_Grid::Get_Disk_Min>, 4);
  RegisterFunction("ds_grid_get_disk_mean", Fn_GridDiskQuery<&CDS_Grid::Get_Disk_Mean>, 4);
  RegisterFunction("ds_grid_value_exists", Fn_GridRegionFind<&CDS_Grid::Value_Exists>, 6);
  RegisterFunction("ds_grid_value_x", Fn_GridRegionFind<&CDS_Grid::Value_X>, 6);
  RegisterFunction("ds_grid_value_y", Fn_GridRegionFind<&CDS_Grid::Value_Y>, 6);
  RegisterFunction("ds_grid_value_disk_exists", Fn_GridDiskFind<&CDS_Grid::Value_Disk_Exists>, 5);
  RegisterFunction("ds_grid_value_disk_x", Fn_GridDiskFind<&CDS_Grid::Value_Disk_X>, 5);
  RegisterFunction("ds_grid_value_disk_y", Fn_GridDiskFind<&CDS_Grid::Value_Disk_Y>, 5);
  RegisterFunction(
      "ds_grid_shuffle",
      [](VL_DS_ARGS) {
        if (CDS_Grid* g = Lookup(Grids, a[0])) g->Shuffle();
      },
      1);
  RegisterFunction("ds_grid_write", Fn_Write<CDS_Grid, Grids>, 1);
  RegisterFunction("ds_grid_read", Fn_Read<CDS_Grid, Grids>, 2);
}

#undef VL_DS_ARGS

} // namespace vl
