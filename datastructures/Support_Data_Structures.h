#pragma once
// The six containers that games create by id (stack, queue, list, map, priority queue, grid), the
// one comparison rule they all use, and their hexadecimal string form.
//
// ReadFromString returns false for the text of another class and leaves the container unchanged;
// a text that is not hexadecimal or ends early throws EConvertError / EStreamError (data/Support_Stream.h),
// also leaving the container unchanged.

#include "script/Variable_Value.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

// The precision of CompareValues, shared by all containers; initially kDefaultPrecision.
inline constexpr double kDefaultPrecision = 0.00000001;
double DS_Precision();
// Stores |prec|.
void DS_SetPrecision(double prec);

// -1, 0 or 1. Reals are equal within the precision (a relative 1e-12 when it is 0); strings compare
// by UTF-16 code units; a real is below every string.
int CompareValues(const RValue& a, const RValue& b);

class CDS_Stack {
public:
  int32_t Size() const { return static_cast<int32_t>(i_val.size()); }
  bool Empty() const { return i_val.empty(); }
  void Push(const RValue& val) { i_val.push_back(val); }
  RValue Pop();
  RValue Top() const { return i_val.empty() ? RValue() : i_val.back(); }
  void Clear() { i_val.clear(); }
  void Assign(const CDS_Stack* other) { i_val = other ? other->i_val : std::vector<RValue>(); }
  std::string WriteToString() const;
  bool ReadFromString(std::string_view text);

private:
  std::vector<RValue> i_val; // bottom to top
};

// The array of a queue is part of its string form, so it keeps the exact growth and compaction
// rules: i_val.size() is the array length, slots outside i_last .. i_first-1 keep stale values.
class CDS_Queue {
public:
  int32_t Size() const { return i_first - i_last; }
  bool Empty() const { return i_first == i_last; }
  void Enqueue(const RValue& val);
  RValue Dequeue();
  RValue Head() const { return Empty() ? RValue() : i_val[i_last]; }
  RValue Tail() const { return Empty() ? RValue() : i_val[i_first - 1]; }
  void Clear();
  void Assign(const CDS_Queue* other);
  std::string WriteToString() const;
  bool ReadFromString(std::string_view text);

private:
  int32_t i_first = 0; // one past the newest value
  int32_t i_last = 0;  // the oldest value
  std::vector<RValue> i_val;
};

class CDS_List {
public:
  int32_t Size() const { return static_cast<int32_t>(i_val.size()); }
  bool Empty() const { return i_val.empty(); }
  void Add(const RValue& val) { i_val.push_back(val); }
  void Insert(int32_t ind, const RValue& val);
  void Replace(int32_t ind, const RValue& val);
  void Delete(int32_t ind);
  int32_t Find(const RValue& val) const;
  RValue GetValue(int32_t ind) const;
  void Sort(bool ascend);
  void Shuffle();
  void Clear() { i_val.clear(); }
  void Assign(const CDS_List* other) { i_val = other ? other->i_val : std::vector<RValue>(); }
  std::string WriteToString() const;
  bool ReadFromString(std::string_view text);

private:
  void InsertionSort(bool ascend);
  std::vector<RValue> i_val;
};

struct RMapEntry {
  RValue me_key;
  RValue me_val;
};

// Entries in key order (or in the stored order of a string that was read). Held in chunks so
// that an insertion shifts at most one chunk; positions are found through the chunk starts, so
// the searches bisect over positions exactly as over one flat array.
class CDS_Map {
public:
  int32_t Size() const { return i_numb; }
  bool Empty() const { return i_numb == 0; }
  void Add(const RValue& key, const RValue& val);
  void Replace(const RValue& key, const RValue& val);
  void Delete(const RValue& key);
  bool Exists(const RValue& key) const;
  RValue Find(const RValue& key) const;
  RValue FindPrevious(const RValue& key) const;
  RValue FindNext(const RValue& key) const;
  RValue FindFirst() const { return i_numb ? At(0).me_key : RValue(); }
  RValue FindLast() const { return i_numb ? At(i_numb - 1).me_key : RValue(); }
  void Clear();
  void Assign(const CDS_Map* other);
  std::string WriteToString() const;
  bool ReadFromString(std::string_view text);

private:
  const RMapEntry& At(int32_t k) const;
  RMapEntry& At(int32_t k);
  void InsertAt(int32_t k, RMapEntry entry);
  void EraseAt(int32_t k);
  void RebuildStarts(size_t from);
  // The first index whose key is not less than probe, or -1.
  int32_t LowerBound(const RValue& probe) const;
  // The last index whose key is not greater than probe, or -1.
  int32_t UpperBound(const RValue& probe) const;

  int32_t i_numb = 0;
  std::vector<std::vector<RMapEntry>> i_chunks; // no chunk is empty
  std::vector<int32_t> i_start;                 // the position of each chunk's first entry
  mutable size_t i_hint = 0;                    // the chunk of the last position looked up
};

// Entries in storage order (insertion order, changed only by the moves of the deletions), which
// decides ties and is the order of the string form. An index ordered by priority finds the
// minimum and maximum without a scan whenever the precision cannot make the result depend on the
// storage order (otherwise the entries are scanned); an index ordered by value finds the first
// entry of a value among the few values within the precision of it.
class CDS_Priority {
public:
  int32_t Size() const { return static_cast<int32_t>(i_val.size()); }
  bool Empty() const { return i_val.empty(); }
  void Add(const RValue& val, const RValue& priority);
  void Change(const RValue& val, const RValue& priority);
  RValue Find(const RValue& val) const;
  void Delete(const RValue& val);
  RValue DeleteMin();
  RValue FindMin() const;
  RValue DeleteMax();
  RValue FindMax() const;
  void Clear();
  void Assign(const CDS_Priority* other);
  std::string WriteToString() const;
  bool ReadFromString(std::string_view text);

private:
  struct RKey {
    RValue k_value; // a priority or a value
    int32_t k_index;
  };
  // Exact order: reals by value (NaN last), then strings; ties by storage index.
  struct RKeyLess {
    bool operator()(const RKey& a, const RKey& b) const;
  };
  int32_t FindIndex(const RValue& val) const;
  int32_t SelectMin() const;
  int32_t SelectMax() const;
  int32_t ScanSelect(int sign) const;
  void RemoveAt(int32_t k);
  void IndexInsert(int32_t k);
  void IndexErase(int32_t k);
  void RebuildIndex();

  std::vector<RValue> i_val;
  std::vector<RValue> i_priority;
  std::set<RKey, RKeyLess> i_index; // by priority
  // By value; built on the first search by value, so that queues used only through their
  // minimum and maximum never pay for it.
  mutable std::set<RKey, RKeyLess> i_byvalue;
  mutable bool i_valueindexed = false;
  int32_t i_nans = 0; // priorities that are NaN (no order; they force a scan)
};

// A grid cell holds a real part and a string part at once: a write of one kind replaces only its
// own part, and the kind says which part is the cell's value. The kind rides in the low bit of the
// string pointer (string storage is at least 4-byte aligned), so a cell is no bigger than a value.
class RGridCell {
public:
  RGridCell() noexcept = default;
  // The whole value; the part it does not hold is real 0 or the empty string.
  explicit RGridCell(const RValue& v) noexcept;
  // Both parts as stored, with the kind (anything but a real counts as a string).
  RGridCell(int32_t kind, double real, const RValue& text) noexcept;
  RGridCell(const RGridCell& o) noexcept : gc_real(o.gc_real), gc_text(o.gc_text) { Share(); }
  // A moved-from cell is the real 0 with an empty string part.
  RGridCell(RGridCell&& o) noexcept : gc_real(o.gc_real), gc_text(o.gc_text) { o.gc_text = 0; }
  RGridCell& operator=(const RGridCell& o) noexcept;
  RGridCell& operator=(RGridCell&& o) noexcept;
  ~RGridCell() { Drop(); }
  void Swap(RGridCell& o) noexcept;

  bool IsReal() const { return !(gc_text & kStringKind); }
  int32_t Kind() const { return IsReal() ? RValue::kReal : RValue::kString; }
  // The real part, whatever the kind.
  double Real() const { return gc_real; }
  // The string part, whatever the kind.
  std::string_view Str() const;
  // The part that the kind selects.
  RValue Value() const;
  // A write: the cell takes the value's kind and the part of that kind; the other part stays.
  void Set(const RValue& v) noexcept;
  void SetReal(double v) {
    gc_real = v;
    gc_text &= ~kStringKind;
  }

private:
  static constexpr uintptr_t kStringKind = 1;
  RString* Storage() const { return reinterpret_cast<RString*>(gc_text & ~kStringKind); }
  void Share() const;
  void Drop();
  void SetText(const RValue& v) noexcept;

  double gc_real = 0;
  uintptr_t gc_text = 0; // RString* (null for "") | kStringKind
};

class CDS_Grid {
public:
  // Grids larger than this many cells are refused (an error instead of exhausting memory).
  static constexpr int64_t kMaxCells = int64_t(1) << 26;

  // False (and an empty grid) when w x h exceeds kMaxCells; negative sizes count as 0.
  bool Create(int32_t w, int32_t h);
  bool Resize(int32_t w, int32_t h);
  int32_t Width() const { return i_w; }
  int32_t Height() const { return i_h; }
  void Clear(const RValue& val);
  void Cell_Operation(int op, int32_t x, int32_t y, const RValue& val);
  void Region_Operation(int op, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val);
  void Disk_Operation(int op, double xm, double ym, double r, const RValue& val);
  void Grid_Operation(int op, const CDS_Grid& source, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      int32_t xpos, int32_t ypos);
  RValue Get_Cell(int32_t x, int32_t y) const;
  double Get_Sum(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double Get_Max(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double Get_Min(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double Get_Mean(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double Get_Disk_Sum(double xm, double ym, double r) const;
  double Get_Disk_Max(double xm, double ym, double r) const;
  double Get_Disk_Min(double xm, double ym, double r) const;
  double Get_Disk_Mean(double xm, double ym, double r) const;
  double Value_Exists(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) const;
  double Value_X(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) const;
  double Value_Y(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) const;
  double Value_Disk_Exists(double xm, double ym, double r, const RValue& val) const;
  double Value_Disk_X(double xm, double ym, double r, const RValue& val) const;
  double Value_Disk_Y(double xm, double ym, double r, const RValue& val) const;
  void Shuffle();
  void Assign(const CDS_Grid* other);
  std::string WriteToString() const;
  bool ReadFromString(std::string_view text);

private:
  // A selection of cells: a clipped rectangle, optionally restricted to a disk.
  struct RSelection {
    int32_t x1, y1, x2, y2; // inclusive; empty when x1 > x2 or y1 > y2
    bool disk;
    double xm, ym, r;
  };

  RSelection Region(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  RSelection Disk(double xm, double ym, double r) const;
  // Calls f(x, y, cell) for every selected cell, column by column; stops when f returns false.
  template <class F>
  void Visit(const RSelection& s, F f) const;
  RGridCell& Cell(int32_t x, int32_t y) { return i_val[static_cast<size_t>(x) * i_h + y]; }
  const RGridCell& Cell(int32_t x, int32_t y) const { return i_val[static_cast<size_t>(x) * i_h + y]; }
  double Sum(const RSelection& s) const;
  double Max(const RSelection& s) const;
  double Min(const RSelection& s) const;
  double Mean(const RSelection& s) const;
  // 1 and the position of the first cell equal to val, else 0.
  double Locate(const RSelection& s, const RValue& val, int32_t& x, int32_t& y) const;
  void Operation(const RSelection& s, int op, const RValue& val);

  int32_t i_w = 0;
  int32_t i_h = 0;
  std::vector<RGridCell> i_val; // column by column: cell (x, y) at x * i_h + y
};

// One cell operation: 1 set, 2 add, 3 multiply.
void DS_CellOperation(int op, RGridCell& cell, const RValue& val);

} // namespace vl
