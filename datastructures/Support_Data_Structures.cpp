#include "datastructures/Support_Data_Structures.h"

#include "data/Support_Stream.h"
#include "library/Support_Random.h"
#include "script/Code_Operator.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>
#include <utility>

namespace vl {

namespace {

double Precision = kDefaultPrecision;

enum : int32_t {
  kStackId = 101,
  kQueueId = 201,
  kListId = 301,
  kMapId = 401,
  kPriorityId = 501,
  kGridId = 601
};

// The smallest stored value: kind, real and string length.
constexpr size_t kMinValueBytes = 16;

void WriteValue(CStream& s, const RValue& v) {
  s.WriteInteger(v.Kind());
  s.WriteReal(v.IsReal() ? v.Real() : 0.0);
  s.WriteString(v.Str());
}

RValue ReadValue(CStream& s) {
  const int32_t kind = s.ReadInteger();
  const double real = s.ReadReal();
  std::string text = s.ReadString();
  return kind == RValue::kReal ? RValue(real) : RValue(std::string_view(text));
}

// Decodes the text; false when its header is not id. Throws for malformed text.
bool OpenString(std::string_view text, int32_t id, CStream& s) {
  s.ConvertFromString(text);
  return s.ReadInteger() == id;
}

// A stored count of values: it must be non-negative and the rest of the record must be able to
// hold that many values, so a damaged text never makes a huge allocation.
size_t ReadCount(CStream& s, size_t perItem = kMinValueBytes) {
  const int32_t n = s.ReadInteger();
  if (n < 0 || size_t(n) > (s.Size() - s.Position()) / perItem)
    throw EStreamError("Data structure string holds a wrong count");
  return size_t(n);
}

void ReadValues(CStream& s, std::vector<RValue>& out, size_t n) {
  out.clear();
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(ReadValue(s));
}

// Ordinal UTF-16 comparison, negative, zero or positive; an empty text (which has no storage)
// is settled here without reaching the byte comparison.
int CompareText(const RValue& a, const RValue& b) {
  if (a.Str().empty() || b.Str().empty()) return int(!a.Str().empty()) - int(!b.Str().empty());
  return CompareStrings(a, b);
}

bool IsNan(const RValue& v) {
  return v.IsReal() && std::isnan(v.Real());
}

} // namespace

double DS_Precision() {
  return Precision;
}

void DS_SetPrecision(double prec) {
  Precision = std::fabs(prec);
}

int CompareValues(const RValue& a, const RValue& b) {
  if (a.IsReal() && b.IsReal()) {
    const double x = a.Real(), y = b.Real();
    double tol = Precision;
    if (tol == 0) tol = std::max(std::min(std::fabs(x), std::fabs(y)) * 1e-12, 1e-12);
    if (std::fabs(x - y) <= tol) return 0;
    return x < y ? -1 : 1;
  }
  if (a.IsString() && b.IsString()) {
    const int c = CompareText(a, b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  return a.IsReal() ? -1 : 1;
}

// ---- Stack --------------------------------------------------------------------------------------

RValue CDS_Stack::Pop() {
  if (i_val.empty()) return RValue();
  RValue v = std::move(i_val.back());
  i_val.pop_back();
  return v;
}

std::string CDS_Stack::WriteToString() const {
  CStream s;
  s.WriteInteger(kStackId);
  s.WriteInteger(Size());
  for (const RValue& v : i_val) WriteValue(s, v);
  return s.ConvertToString();
}

bool CDS_Stack::ReadFromString(std::string_view text) {
  CStream s;
  if (!OpenString(text, kStackId, s)) return false;
  std::vector<RValue> val;
  ReadValues(s, val, ReadCount(s));
  i_val = std::move(val);
  return true;
}

// ---- Queue --------------------------------------------------------------------------------------

void CDS_Queue::Enqueue(const RValue& val) {
  if (size_t(i_first) == i_val.size()) i_val.resize(i_val.size() + 16);
  i_val[i_first++] = val;
}

RValue CDS_Queue::Dequeue() {
  RValue result;
  if (i_last < i_first) result = i_val[i_last++];
  if (i_last > 16 && i_last > i_first / 2) {
    // Moved values are copied down: the slots above the new i_first keep theirs, as the string
    // form shows.
    std::copy(i_val.begin() + i_last, i_val.begin() + i_first, i_val.begin());
    i_first -= i_last;
    i_last = 0;
  }
  return result;
}

void CDS_Queue::Clear() {
  i_first = i_last = 0;
  i_val.clear();
}

void CDS_Queue::Assign(const CDS_Queue* other) {
  if (!other) return Clear();
  i_first = other->i_first;
  i_last = other->i_last;
  i_val = other->i_val;
}

std::string CDS_Queue::WriteToString() const {
  CStream s;
  s.WriteInteger(kQueueId);
  s.WriteInteger(i_first);
  s.WriteInteger(i_last);
  s.WriteInteger(static_cast<int32_t>(i_val.size()));
  for (const RValue& v : i_val) WriteValue(s, v);
  return s.ConvertToString();
}

bool CDS_Queue::ReadFromString(std::string_view text) {
  CStream s;
  if (!OpenString(text, kQueueId, s)) return false;
  const int32_t first = s.ReadInteger(), last = s.ReadInteger();
  const size_t n = ReadCount(s);
  if (last < 0 || last > first || size_t(first) > n)
    throw EStreamError("Data structure string holds wrong queue positions");
  std::vector<RValue> val;
  ReadValues(s, val, n);
  i_first = first;
  i_last = last;
  i_val = std::move(val);
  return true;
}

// ---- List ---------------------------------------------------------------------------------------

void CDS_List::Insert(int32_t ind, const RValue& val) {
  if (ind < 0 || ind > Size()) return;
  i_val.insert(i_val.begin() + ind, val);
}

void CDS_List::Replace(int32_t ind, const RValue& val) {
  if (ind >= 0 && ind < Size()) i_val[ind] = val;
}

void CDS_List::Delete(int32_t ind) {
  if (ind >= 0 && ind < Size()) i_val.erase(i_val.begin() + ind);
}

int32_t CDS_List::Find(const RValue& val) const {
  for (size_t i = 0; i < i_val.size(); ++i)
    if (CompareValues(i_val[i], val) == 0) return static_cast<int32_t>(i);
  return -1;
}

RValue CDS_List::GetValue(int32_t ind) const {
  return ind >= 0 && ind < Size() ? i_val[ind] : RValue();
}

// The list's order is that of a stable insertion sort under CompareValues. Whenever the precision
// cannot matter - no NaN and no two different values within the precision of each other -
// CompareValues is a strict weak order, and a stable sort gives exactly the same list in
// O(n log n): ascending directly, descending as the reverse of the ascending order (equal values
// then come out in reverse of their previous order).
void CDS_List::Sort(bool ascend) {
  if (i_val.size() < 2) return;
  auto exact = [](const RValue& a, const RValue& b) {
    if (a.IsReal() != b.IsReal()) return a.IsReal();
    return a.IsReal() ? a.Real() < b.Real() : CompareText(a, b) < 0;
  };
  std::vector<RValue> sorted = i_val;
  if (std::any_of(sorted.begin(), sorted.end(), IsNan)) return InsertionSort(ascend);
  std::stable_sort(sorted.begin(), sorted.end(), exact);
  for (size_t i = 1; i < sorted.size(); ++i) {
    const RValue &a = sorted[i - 1], &b = sorted[i];
    if (a.IsReal() && b.IsReal() && a.Real() != b.Real() && CompareValues(a, b) == 0)
      return InsertionSort(ascend);
  }
  if (!ascend) std::reverse(sorted.begin(), sorted.end());
  i_val = std::move(sorted);
}

void CDS_List::InsertionSort(bool ascend) {
  for (size_t i = 1; i < i_val.size(); ++i)
    for (size_t j = i; j >= 1; --j) {
      if ((CompareValues(i_val[j - 1], i_val[j]) > 0) != ascend) break;
      std::swap(i_val[j - 1], i_val[j]);
    }
}

void CDS_List::Shuffle() {
  const uint32_t n = static_cast<uint32_t>(i_val.size());
  if (n == 0) return;
  for (uint64_t k = 0; k < 8 * uint64_t(n); ++k) {
    const uint32_t i = Random(n);
    const uint32_t j = Random(n);
    std::swap(i_val[i], i_val[j]);
  }
}

std::string CDS_List::WriteToString() const {
  CStream s;
  s.WriteInteger(kListId);
  s.WriteInteger(Size());
  for (const RValue& v : i_val) WriteValue(s, v);
  return s.ConvertToString();
}

bool CDS_List::ReadFromString(std::string_view text) {
  CStream s;
  if (!OpenString(text, kListId, s)) return false;
  std::vector<RValue> val;
  ReadValues(s, val, ReadCount(s));
  i_val = std::move(val);
  return true;
}

// ---- Map ----------------------------------------------------------------------------------------

namespace {
constexpr size_t kChunkMax = 512; // a full chunk splits into two halves
}

const RMapEntry& CDS_Map::At(int32_t k) const {
  // The probes of one search close in on one chunk, so the last chunk found is tried first.
  size_t c = i_hint;
  if (c >= i_chunks.size() || k < i_start[c] || k - i_start[c] >= static_cast<int32_t>(i_chunks[c].size())) {
    c = std::upper_bound(i_start.begin(), i_start.end(), k) - i_start.begin() - 1;
    i_hint = c;
  }
  return i_chunks[c][k - i_start[c]];
}

RMapEntry& CDS_Map::At(int32_t k) {
  return const_cast<RMapEntry&>(std::as_const(*this).At(k));
}

void CDS_Map::RebuildStarts(size_t from) {
  i_start.resize(i_chunks.size());
  for (size_t c = from; c < i_chunks.size(); ++c)
    i_start[c] = c == 0 ? 0 : i_start[c - 1] + static_cast<int32_t>(i_chunks[c - 1].size());
}

void CDS_Map::InsertAt(int32_t k, RMapEntry entry) {
  if (i_chunks.empty()) {
    i_chunks.emplace_back();
    i_start.assign(1, 0);
  }
  // Position k goes into the chunk that holds position k, or at the end of the last chunk.
  size_t c = std::upper_bound(i_start.begin(), i_start.end(), k) - i_start.begin() - 1;
  if (c > 0 && k == i_start[c] && i_chunks[c].size() > i_chunks[c - 1].size()) --c;
  std::vector<RMapEntry>& chunk = i_chunks[c];
  chunk.insert(chunk.begin() + (k - i_start[c]), std::move(entry));
  ++i_numb;
  if (chunk.size() >= kChunkMax) {
    std::vector<RMapEntry> upper(std::make_move_iterator(chunk.begin() + kChunkMax / 2),
                                 std::make_move_iterator(chunk.end()));
    chunk.resize(kChunkMax / 2);
    i_chunks.insert(i_chunks.begin() + c + 1, std::move(upper));
  }
  RebuildStarts(c + 1);
}

void CDS_Map::EraseAt(int32_t k) {
  const size_t c = std::upper_bound(i_start.begin(), i_start.end(), k) - i_start.begin() - 1;
  std::vector<RMapEntry>& chunk = i_chunks[c];
  chunk.erase(chunk.begin() + (k - i_start[c]));
  --i_numb;
  if (chunk.empty()) i_chunks.erase(i_chunks.begin() + c);
  RebuildStarts(c);
}

// Both searches bisect down to a span of at most 8 entries and scan it, so that keys that compare
// equal only within the precision, or a map read in an unsorted stored order, are found exactly
// as in one flat sorted array.
int32_t CDS_Map::LowerBound(const RValue& probe) const {
  int32_t lo = 0, hi = i_numb - 1;
  while (hi - lo > 7) {
    const int32_t mid = (lo + hi) / 2;
    if (CompareValues(At(mid).me_key, probe) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  for (int32_t k = lo; k <= hi; ++k)
    if (CompareValues(At(k).me_key, probe) >= 0) return k;
  return -1;
}

int32_t CDS_Map::UpperBound(const RValue& probe) const {
  int32_t lo = 0, hi = i_numb - 1;
  while (hi - lo > 7) {
    const int32_t mid = (lo + hi) / 2;
    if (CompareValues(At(mid).me_key, probe) > 0)
      hi = mid - 1;
    else
      lo = mid;
  }
  for (int32_t k = hi; k >= lo; --k)
    if (CompareValues(At(k).me_key, probe) <= 0) return k;
  return -1;
}

void CDS_Map::Add(const RValue& key, const RValue& val) {
  InsertAt(UpperBound(key) + 1, RMapEntry{key, val});
}

void CDS_Map::Replace(const RValue& key, const RValue& val) {
  const int32_t k = LowerBound(key);
  if (k >= 0 && CompareValues(At(k).me_key, key) == 0) At(k).me_val = val;
}

void CDS_Map::Delete(const RValue& key) {
  const int32_t k = LowerBound(key);
  if (k >= 0 && CompareValues(At(k).me_key, key) == 0) EraseAt(k);
}

bool CDS_Map::Exists(const RValue& key) const {
  const int32_t k = LowerBound(key);
  return k >= 0 && CompareValues(At(k).me_key, key) == 0;
}

RValue CDS_Map::Find(const RValue& key) const {
  const int32_t k = LowerBound(key);
  return k >= 0 && CompareValues(At(k).me_key, key) == 0 ? At(k).me_val : RValue();
}

RValue CDS_Map::FindPrevious(const RValue& key) const {
  int32_t k = LowerBound(key);
  k = k < 0 ? i_numb - 1 : k - 1;
  return k >= 0 ? At(k).me_key : RValue();
}

RValue CDS_Map::FindNext(const RValue& key) const {
  const int32_t k = UpperBound(key) + 1;
  return k < i_numb ? At(k).me_key : RValue();
}

void CDS_Map::Clear() {
  i_numb = 0;
  i_chunks.clear();
  i_start.clear();
}

void CDS_Map::Assign(const CDS_Map* other) {
  if (!other) return Clear();
  i_numb = other->i_numb;
  i_chunks = other->i_chunks;
  i_start = other->i_start;
}

std::string CDS_Map::WriteToString() const {
  CStream s;
  s.WriteInteger(kMapId);
  s.WriteInteger(i_numb);
  for (const auto& chunk : i_chunks)
    for (const RMapEntry& e : chunk) WriteValue(s, e.me_key);
  for (const auto& chunk : i_chunks)
    for (const RMapEntry& e : chunk) WriteValue(s, e.me_val);
  return s.ConvertToString();
}

bool CDS_Map::ReadFromString(std::string_view text) {
  CStream s;
  if (!OpenString(text, kMapId, s)) return false;
  const size_t n = ReadCount(s, 2 * kMinValueBytes);
  std::vector<RValue> keys, vals;
  ReadValues(s, keys, n);
  ReadValues(s, vals, n);
  Clear();
  // Chunks of half the maximum leave room for insertions without an early split.
  for (size_t i = 0; i < n; i += kChunkMax / 2) {
    std::vector<RMapEntry>& chunk = i_chunks.emplace_back();
    for (size_t j = i; j < std::min(n, i + kChunkMax / 2); ++j)
      chunk.push_back({std::move(keys[j]), std::move(vals[j])});
  }
  i_numb = static_cast<int32_t>(n);
  RebuildStarts(0);
  return true;
}

// ---- Priority queue -----------------------------------------------------------------------------

bool CDS_Priority::RKeyLess::operator()(const RKey& a, const RKey& b) const {
  const RValue &x = a.k_value, &y = b.k_value;
  if (x.IsReal() != y.IsReal()) return x.IsReal();
  if (x.IsReal()) {
    const bool nx = std::isnan(x.Real()), ny = std::isnan(y.Real());
    if (nx != ny) return ny;
    if (!nx && x.Real() != y.Real()) return x.Real() < y.Real();
  } else if (const int c = CompareText(x, y); c != 0) {
    return c < 0;
  }
  return a.k_index < b.k_index;
}

void CDS_Priority::IndexInsert(int32_t k) {
  i_index.insert(RKey{i_priority[k], k});
  if (i_valueindexed) i_byvalue.insert(RKey{i_val[k], k});
  if (IsNan(i_priority[k])) ++i_nans;
}

void CDS_Priority::IndexErase(int32_t k) {
  i_index.erase(RKey{i_priority[k], k});
  if (i_valueindexed) i_byvalue.erase(RKey{i_val[k], k});
  if (IsNan(i_priority[k])) --i_nans;
}

void CDS_Priority::RebuildIndex() {
  i_index.clear();
  i_byvalue.clear();
  i_valueindexed = false;
  i_nans = 0;
  for (int32_t k = 0; k < Size(); ++k) IndexInsert(k);
}

void CDS_Priority::Add(const RValue& val, const RValue& priority) {
  i_val.push_back(val);
  i_priority.push_back(priority);
  IndexInsert(Size() - 1);
}

// The lowest storage index whose value compares equal to val. Strings are equal only when
// identical; reals within the precision lie in a window around val, visited one distinct value at
// a time (the first entry of each value has its lowest index). NaN equals nothing.
int32_t CDS_Priority::FindIndex(const RValue& val) const {
  constexpr int32_t kFirst = std::numeric_limits<int32_t>::min(), kLast = std::numeric_limits<int32_t>::max();
  if (!i_valueindexed) {
    for (int32_t k = 0; k < Size(); ++k) i_byvalue.insert(RKey{i_val[k], k});
    i_valueindexed = true;
  }
  if (val.IsString()) {
    auto it = i_byvalue.lower_bound(RKey{val, kFirst});
    return it != i_byvalue.end() && it->k_value.IsString() && CompareText(it->k_value, val) == 0 ? it->k_index
                                                                                                 : -1;
  }
  const double v = val.Real();
  if (std::isnan(v)) return -1;
  const double w = Precision > 0 ? Precision : std::max(std::fabs(v) * 1e-12, 1e-12);
  const double hi = v + 2 * w;
  int32_t best = -1;
  for (auto it = i_byvalue.lower_bound(RKey{RValue(v - 2 * w), kFirst});
       it != i_byvalue.end() && it->k_value.IsReal() && it->k_value.Real() <= hi;
       it = i_byvalue.upper_bound(RKey{it->k_value, kLast})) {
    if (CompareValues(it->k_value, val) == 0 && (best < 0 || it->k_index < best)) best = it->k_index;
  }
  return best;
}

void CDS_Priority::Change(const RValue& val, const RValue& priority) {
  const int32_t k = FindIndex(val);
  if (k < 0) return;
  IndexErase(k);
  i_priority[k] = priority;
  IndexInsert(k);
}

RValue CDS_Priority::Find(const RValue& val) const {
  const int32_t k = FindIndex(val);
  return k >= 0 ? i_priority[k] : RValue();
}

// The last entry moves into slot k.
void CDS_Priority::RemoveAt(int32_t k) {
  const int32_t last = Size() - 1;
  IndexErase(k);
  if (k != last) {
    IndexErase(last);
    i_val[k] = std::move(i_val[last]);
    i_priority[k] = std::move(i_priority[last]);
    IndexInsert(k);
  }
  i_val.pop_back();
  i_priority.pop_back();
}

void CDS_Priority::Delete(const RValue& val) {
  const int32_t k = FindIndex(val);
  if (k >= 0) RemoveAt(k);
}

// The entry that a scan in storage order selects: it replaces the current one when its priority
// compares below (sign -1) or above (sign 1) the current one's.
int32_t CDS_Priority::ScanSelect(int sign) const {
  int32_t m = 0;
  for (int32_t k = 1; k < Size(); ++k)
    if (CompareValues(i_priority[k], i_priority[m]) == sign) m = k;
  return m;
}

// The scan ends on the first (lowest index) entry of the exactly smallest priority unless the
// next larger priority lies within the precision of it; strings compare exactly. Comparing with
// the next distinct priority is enough, as the tolerance test is monotone in the distance.
int32_t CDS_Priority::SelectMin() const {
  if (i_index.empty()) return -1;
  if (i_nans > 0) return ScanSelect(-1);
  const RKey& first = *i_index.begin();
  if (first.k_value.IsReal()) {
    auto next = i_index.upper_bound(RKey{first.k_value, std::numeric_limits<int32_t>::max()});
    if (next != i_index.end() && CompareValues(first.k_value, next->k_value) == 0) return ScanSelect(-1);
  }
  return first.k_index;
}

int32_t CDS_Priority::SelectMax() const {
  if (i_index.empty()) return -1;
  if (i_nans > 0) return ScanSelect(1);
  auto group =
      i_index.lower_bound(RKey{std::prev(i_index.end())->k_value, std::numeric_limits<int32_t>::min()});
  if (group->k_value.IsReal() && group != i_index.begin() &&
      CompareValues(std::prev(group)->k_value, group->k_value) == 0)
    return ScanSelect(1);
  return group->k_index;
}

RValue CDS_Priority::FindMin() const {
  const int32_t m = SelectMin();
  return m >= 0 ? i_val[m] : RValue();
}

RValue CDS_Priority::DeleteMin() {
  const int32_t m = SelectMin();
  if (m < 0) return RValue();
  RValue v = i_val[m];
  RemoveAt(m);
  return v;
}

RValue CDS_Priority::FindMax() const {
  const int32_t m = SelectMax();
  return m >= 0 ? i_val[m] : RValue();
}

RValue CDS_Priority::DeleteMax() {
  const int32_t m = SelectMax();
  if (m < 0) return RValue();
  RValue v = i_val[m];
  RemoveAt(m);
  return v;
}

void CDS_Priority::Clear() {
  i_val.clear();
  i_priority.clear();
  i_index.clear();
  i_byvalue.clear();
  i_valueindexed = false;
  i_nans = 0;
}

void CDS_Priority::Assign(const CDS_Priority* other) {
  if (!other) return Clear();
  i_val = other->i_val;
  i_priority = other->i_priority;
  i_index = other->i_index;
  i_byvalue = other->i_byvalue;
  i_valueindexed = other->i_valueindexed;
  i_nans = other->i_nans;
}

std::string CDS_Priority::WriteToString() const {
  CStream s;
  s.WriteInteger(kPriorityId);
  s.WriteInteger(Size());
  for (const RValue& p : i_priority) WriteValue(s, p);
  for (const RValue& v : i_val) WriteValue(s, v);
  return s.ConvertToString();
}

bool CDS_Priority::ReadFromString(std::string_view text) {
  CStream s;
  if (!OpenString(text, kPriorityId, s)) return false;
  const size_t n = ReadCount(s, 2 * kMinValueBytes);
  std::vector<RValue> prio, val;
  ReadValues(s, prio, n);
  ReadValues(s, val, n);
  i_priority = std::move(prio);
  i_val = std::move(val);
  RebuildIndex();
  return true;
}

// ---- Grid ---------------------------------------------------------------------------------------

static_assert(alignof(RString) > 1 && sizeof(RGridCell) == sizeof(RValue));

RGridCell::RGridCell(const RValue& v) noexcept : gc_real(v.IsReal() ? v.Real() : 0) {
  if (v.IsString()) SetText(v);
}

RGridCell::RGridCell(int32_t kind, double real, const RValue& text) noexcept : gc_real(real) {
  SetText(text);
  if (kind == RValue::kReal) gc_text &= ~kStringKind;
}

RGridCell& RGridCell::operator=(const RGridCell& o) noexcept {
  o.Share(); // before dropping ours: o may be this cell
  Drop();
  gc_real = o.gc_real;
  gc_text = o.gc_text;
  return *this;
}

RGridCell& RGridCell::operator=(RGridCell&& o) noexcept {
  if (this != &o) {
    Drop();
    gc_real = o.gc_real;
    gc_text = o.gc_text;
    o.gc_text = 0;
  }
  return *this;
}

void RGridCell::Swap(RGridCell& o) noexcept {
  std::swap(gc_real, o.gc_real);
  std::swap(gc_text, o.gc_text);
}

void RGridCell::Share() const {
  if (RString* t = Storage()) ++t->s_refs;
}

void RGridCell::Drop() {
  // A value adopting the reference gives it up when it goes.
  if (RString* t = Storage()) RValue::Adopt(t);
}

std::string_view RGridCell::Str() const {
  const RString* t = Storage();
  return t ? std::string_view(t->Data(), t->s_bytes) : std::string_view();
}

RValue RGridCell::Value() const {
  if (IsReal()) return RValue(gc_real);
  Share();
  return RValue::Adopt(Storage());
}

void RGridCell::SetText(const RValue& v) noexcept {
  RString* t = v.ShareString(); // before dropping ours: v may hold the same text
  Drop();
  gc_text = reinterpret_cast<uintptr_t>(t) | kStringKind;
}

void RGridCell::Set(const RValue& v) noexcept {
  if (v.IsReal())
    SetReal(v.Real());
  else
    SetText(v);
}

void DS_CellOperation(int op, RGridCell& cell, const RValue& val) {
  switch (op) {
  case 1: cell.Set(val); break;
  case 2:
    if (cell.IsReal() && val.IsReal()) {
      cell.SetReal(cell.Real() + val.Real());
    } else if (!cell.IsReal() && val.IsString()) {
      const std::string_view a = cell.Str(), b = val.Str();
      if (b.empty() || a.size() + b.size() > kMaxStringBytes) break;
      RString* s = RValue::NewString(a.size() + b.size());
      std::copy(a.begin(), a.end(), s->Data());
      std::copy(b.begin(), b.end(), s->Data() + a.size());
      RValue::FinishString(s);
      cell.Set(RValue::Adopt(s));
    } else {
      cell.Set(val); // a real and a string: the value's part is set, the other kept
    }
    break;
  case 3:
    if (cell.IsReal() && val.IsReal()) cell.SetReal(cell.Real() * val.Real());
    break;
  }
}

bool CDS_Grid::Create(int32_t w, int32_t h) {
  i_w = i_h = 0;
  i_val.clear();
  return Resize(w, h);
}

bool CDS_Grid::Resize(int32_t w, int32_t h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (int64_t(w) * h > kMaxCells) return false;
  std::vector<RGridCell> val(static_cast<size_t>(w) * h);
  const int32_t cw = std::min(w, i_w), ch = std::min(h, i_h);
  for (int32_t x = 0; x < cw; ++x)
    for (int32_t y = 0; y < ch; ++y) val[static_cast<size_t>(x) * h + y] = std::move(Cell(x, y));
  i_w = w;
  i_h = h;
  i_val = std::move(val);
  return true;
}

void CDS_Grid::Clear(const RValue& val) {
  std::fill(i_val.begin(), i_val.end(), RGridCell(val));
}

CDS_Grid::RSelection CDS_Grid::Region(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return {std::max(0, std::min(x1, x2)),
          std::max(0, std::min(y1, y2)),
          std::min(i_w - 1, std::max(x1, x2)),
          std::min(i_h - 1, std::max(y1, y2)),
          false,
          0,
          0,
          0};
}

namespace {
// A real column or row bound clamped into 0 .. limit - 1 (NaN gives an empty range).
int32_t ClampLow(double v) {
  return v > 0 ? static_cast<int32_t>(std::min(v, 2147483647.0)) : 0;
}
int32_t ClampHigh(double v, int32_t limit) {
  return v < limit - 1 ? static_cast<int32_t>(std::max(v, -1.0)) : limit - 1;
}
} // namespace

CDS_Grid::RSelection CDS_Grid::Disk(double xm, double ym, double r) const {
  RSelection s{ClampLow(std::floor(xm - r)),
               ClampLow(std::floor(ym - r)),
               ClampHigh(std::ceil(xm + r), i_w),
               ClampHigh(std::ceil(ym + r), i_h),
               true,
               xm,
               ym,
               r};
  if (std::isnan(xm - r) || std::isnan(xm + r) || std::isnan(ym - r) || std::isnan(ym + r)) s.x2 = -1;
  return s;
}

template <class F>
void CDS_Grid::Visit(const RSelection& s, F f) const {
  if (s.y1 > s.y2) return; // a grid of height 0 may still be wide
  for (int32_t x = s.x1; x <= s.x2; ++x) {
    const RGridCell* column = &i_val[static_cast<size_t>(x) * i_h];
    for (int32_t y = s.y1; y <= s.y2; ++y) {
      if (s.disk) {
        const double dx = x - s.xm, dy = y - s.ym;
        if (!(dx * dx + dy * dy <= s.r * s.r)) continue;
      }
      if (!f(x, y, column[y])) return;
    }
  }
}

void CDS_Grid::Operation(const RSelection& s, int op, const RValue& val) {
  Visit(s, [&](int32_t x, int32_t y, const RGridCell&) {
    DS_CellOperation(op, Cell(x, y), val);
    return true;
  });
}

void CDS_Grid::Cell_Operation(int op, int32_t x, int32_t y, const RValue& val) {
  if (x >= 0 && x < i_w && y >= 0 && y < i_h) DS_CellOperation(op, Cell(x, y), val);
}

void CDS_Grid::Region_Operation(int op, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) {
  Operation(Region(x1, y1, x2, y2), op, val);
}

void CDS_Grid::Disk_Operation(int op, double xm, double ym, double r, const RValue& val) {
  Operation(Disk(xm, ym, r), op, val);
}

void CDS_Grid::Grid_Operation(int op, const CDS_Grid& source, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              int32_t xpos, int32_t ypos) {
  int64_t sx1 = std::max(0, std::min(x1, x2)), sx2 = std::min(source.i_w - 1, std::max(x1, x2));
  int64_t sy1 = std::max(0, std::min(y1, y2)), sy2 = std::min(source.i_h - 1, std::max(y1, y2));
  int64_t px = xpos, py = ypos;
  if (px < 0) sx1 -= px, px = 0;
  if (py < 0) sy1 -= py, py = 0;
  if (sx2 + px - sx1 > i_w - 1) sx2 = i_w + sx1 - px - 1;
  if (sy2 + py - sy1 > i_h - 1) sy2 = i_h + sy1 - py - 1;
  if (sx1 > sx2 || sy1 > sy2) return;
  // Copying within one grid onto an overlapping place must read each source cell before it is
  // overwritten, so the walk goes away from the destination.
  const int64_t dx = sx1 >= px ? 1 : -1, dy = sy1 >= py ? 1 : -1;
  for (int64_t i = dx > 0 ? sx1 : sx2; dx > 0 ? i <= sx2 : i >= sx1; i += dx)
    for (int64_t j = dy > 0 ? sy1 : sy2; dy > 0 ? j <= sy2 : j >= sy1; j += dy) {
      // A source cell acts as its value: the part its kind selects.
      const RValue v = source.Cell(int32_t(i), int32_t(j)).Value();
      DS_CellOperation(op, Cell(int32_t(px + i - sx1), int32_t(py + j - sy1)), v);
    }
}

RValue CDS_Grid::Get_Cell(int32_t x, int32_t y) const {
  return x >= 0 && x < i_w && y >= 0 && y < i_h ? Cell(x, y).Value() : RValue();
}

double CDS_Grid::Sum(const RSelection& s) const {
  double sum = 0;
  Visit(s, [&](int32_t, int32_t, const RGridCell& c) {
    if (c.IsReal()) sum += c.Real();
    return true;
  });
  return sum;
}

double CDS_Grid::Max(const RSelection& s) const {
  double result = -100000000;
  Visit(s, [&](int32_t, int32_t, const RGridCell& c) {
    if (c.IsReal() && c.Real() >= result) result = c.Real();
    return true;
  });
  return result;
}

double CDS_Grid::Min(const RSelection& s) const {
  double result = 100000000;
  Visit(s, [&](int32_t, int32_t, const RGridCell& c) {
    if (c.IsReal() && c.Real() <= result) result = c.Real();
    return true;
  });
  return result;
}

double CDS_Grid::Mean(const RSelection& s) const {
  double sum = 0;
  int64_t count = 0;
  Visit(s, [&](int32_t, int32_t, const RGridCell& c) {
    if (c.IsReal()) sum += c.Real(), ++count;
    return true;
  });
  return count ? sum / count : 0;
}

double CDS_Grid::Locate(const RSelection& s, const RValue& val, int32_t& x, int32_t& y) const {
  bool found = false;
  x = y = 0;
  Visit(s, [&](int32_t cx, int32_t cy, const RGridCell& c) {
    if (CompareValues(c.IsReal() ? RValue(c.Real()) : c.Value(), val) != 0) return true;
    found = true, x = cx, y = cy;
    return false;
  });
  return found ? 1 : 0;
}

double CDS_Grid::Get_Sum(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return Sum(Region(x1, y1, x2, y2));
}
double CDS_Grid::Get_Max(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return Max(Region(x1, y1, x2, y2));
}
double CDS_Grid::Get_Min(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return Min(Region(x1, y1, x2, y2));
}
double CDS_Grid::Get_Mean(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return Mean(Region(x1, y1, x2, y2));
}
double CDS_Grid::Get_Disk_Sum(double xm, double ym, double r) const {
  return Sum(Disk(xm, ym, r));
}
double CDS_Grid::Get_Disk_Max(double xm, double ym, double r) const {
  return Max(Disk(xm, ym, r));
}
double CDS_Grid::Get_Disk_Min(double xm, double ym, double r) const {
  return Min(Disk(xm, ym, r));
}
double CDS_Grid::Get_Disk_Mean(double xm, double ym, double r) const {
  return Mean(Disk(xm, ym, r));
}

double CDS_Grid::Value_Exists(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) const {
  int32_t x, y;
  return Locate(Region(x1, y1, x2, y2), val, x, y);
}
double CDS_Grid::Value_X(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) const {
  int32_t x, y;
  Locate(Region(x1, y1, x2, y2), val, x, y);
  return x;
}
double CDS_Grid::Value_Y(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const RValue& val) const {
  int32_t x, y;
  Locate(Region(x1, y1, x2, y2), val, x, y);
  return y;
}
double CDS_Grid::Value_Disk_Exists(double xm, double ym, double r, const RValue& val) const {
  int32_t x, y;
  return Locate(Disk(xm, ym, r), val, x, y);
}
double CDS_Grid::Value_Disk_X(double xm, double ym, double r, const RValue& val) const {
  int32_t x, y;
  Locate(Disk(xm, ym, r), val, x, y);
  return x;
}
double CDS_Grid::Value_Disk_Y(double xm, double ym, double r, const RValue& val) const {
  int32_t x, y;
  Locate(Disk(xm, ym, r), val, x, y);
  return y;
}

void CDS_Grid::Shuffle() {
  const uint64_t n = 8 * uint64_t(i_w) * uint64_t(i_h);
  for (uint64_t k = 0; k < n; ++k) {
    const int32_t x1 = int32_t(Random(i_w)), x2 = int32_t(Random(i_w));
    const int32_t y1 = int32_t(Random(i_h)), y2 = int32_t(Random(i_h));
    Cell(x1, y1).Swap(Cell(x2, y2));
  }
}

void CDS_Grid::Assign(const CDS_Grid* other) {
  if (!other) {
    Create(0, 0);
    return;
  }
  i_w = other->i_w;
  i_h = other->i_h;
  i_val = other->i_val;
}

std::string CDS_Grid::WriteToString() const {
  CStream s;
  s.WriteInteger(kGridId);
  s.WriteInteger(i_w);
  s.WriteInteger(i_h);
  for (const RGridCell& c : i_val) {
    s.WriteInteger(c.Kind());
    s.WriteReal(c.Real());
    s.WriteString(c.Str());
  }
  return s.ConvertToString();
}

bool CDS_Grid::ReadFromString(std::string_view text) {
  CStream s;
  if (!OpenString(text, kGridId, s)) return false;
  const int32_t w = s.ReadInteger(), h = s.ReadInteger();
  if (w < 0 || h < 0 || uint64_t(w) * uint64_t(h) > (s.Size() - s.Position()) / kMinValueBytes)
    throw EStreamError("Data structure string holds a wrong grid size");
  std::vector<RGridCell> val;
  val.reserve(size_t(w) * size_t(h));
  for (size_t k = size_t(w) * size_t(h); k > 0; --k) {
    const int32_t kind = s.ReadInteger();
    const double real = s.ReadReal();
    const std::string text = s.ReadString();
    val.emplace_back(kind, real, RValue(std::string_view(text)));
  }
  i_w = w;
  i_h = h;
  i_val = std::move(val);
  return true;
}

} // namespace vl
