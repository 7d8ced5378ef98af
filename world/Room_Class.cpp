#include "world/Room_Class.h"

#include "data/Support_Stream.h"
#include "world/Object_Class.h"
#include "world/World_Report.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vl {

namespace {

const CBackgroundSizes* InstalledSizes = nullptr;

// Depth order for drawing: highest first; a NaN depth sorts as the lowest.
double DepthKey(double depth) {
  return std::isnan(depth) ? -HUGE_VAL : depth;
}

// Stable, highest depth first; nothing moves when the order already holds.
template <typename T, typename Depth>
void SortByDepth(std::vector<T>& items, Depth depth) {
  auto higher = [&](const T& a, const T& b) { return DepthKey(depth(a)) > DepthKey(depth(b)); };
  if (std::is_sorted(items.begin(), items.end(), higher)) return;
  std::stable_sort(items.begin(), items.end(), higher);
}

bool TileContains(const RTile& t, double x, double y) {
  return x >= t.x && x < t.x + t.w * t.xscale && y >= t.y && y < t.y + t.h * t.yscale;
}

const std::vector<CInstance*>& ListOf(const std::vector<std::vector<CInstance*>>& lists, int32_t objind) {
  static const std::vector<CInstance*> none;
  return objind >= 0 && objind < int32_t(lists.size()) ? lists[size_t(objind)] : none;
}

} // namespace

void SetBackgroundSizes(const CBackgroundSizes* sizes) {
  InstalledSizes = sizes;
}

void CRoom::Clear() {
  r_caption.clear();
  r_speed = 30;
  r_width = 640;
  r_height = 480;
  r_persistent = false;
  r_color = 0xC0C0C0;
  r_showcolor = true;
  r_background.fill(CBack());
  r_enableviews = false;
  r_clearViewBackground = true;
  r_view.fill(CView());
  r_code.clear();
  r_instance.clear();
  r_instance_deact.clear();
  r_tile.clear();
  r_lasttile = -1;
  RebuildLists();
}

void CRoom::Assign(const CRoom* room) {
  Clear();
  if (!room) return;
  r_caption = room->r_caption;
  r_speed = room->r_speed;
  r_width = room->r_width;
  r_height = room->r_height;
  r_persistent = room->r_persistent;
  r_color = room->r_color;
  r_showcolor = room->r_showcolor;
  r_background = room->r_background;
  r_enableviews = room->r_enableviews;
  r_clearViewBackground = room->r_clearViewBackground;
  r_view = room->r_view;
  r_code = room->r_code;
  auto copy = [](const std::vector<std::unique_ptr<CInstance>>& from,
                 std::vector<std::unique_ptr<CInstance>>& to) {
    to.reserve(from.size());
    for (const auto& inst : from) {
      to.push_back(std::make_unique<CInstance>());
      to.back()->Assign(*inst);
    }
  };
  copy(room->r_instance, r_instance);
  copy(room->r_instance_deact, r_instance_deact);
  r_tile = room->r_tile;
  RebuildLists();
}

int32_t CRoom::Flags() const {
  return (r_showcolor ? kFlagShowColor : 0) | (r_clearViewBackground ? 0 : kFlagKeepOutsideViews);
}

void CRoom::SetFlags(int32_t flags) {
  r_showcolor = (flags & kFlagShowColor) != 0;
  r_clearViewBackground = (flags & kFlagKeepOutsideViews) == 0;
}

void CRoom::ReadHead(CStream& s) {
  r_caption = s.ReadString();
  r_width = s.ReadInteger();
  r_height = s.ReadInteger();
  r_speed = s.ReadInteger();
  r_persistent = s.ReadBoolean();
  r_color = s.ReadInteger();
  SetFlags(s.ReadInteger());
  r_code = s.ReadString();
}

bool CRoom::LoadFromStream(CStream& s) {
  Clear();
  if (s.ReadInteger() != kVersion) return false;
  ReadHead(s);
  const int32_t backs = s.ReadInteger();
  for (int32_t i = 0; i < backs; ++i) {
    CBack b;
    b.visible = s.ReadBoolean();
    b.foreground = s.ReadBoolean();
    b.index = s.ReadInteger();
    b.x = s.ReadInteger();
    b.y = s.ReadInteger();
    b.htiled = s.ReadBoolean();
    b.vtiled = s.ReadBoolean();
    b.hspeed = s.ReadInteger();
    b.vspeed = s.ReadInteger();
    int32_t w, h;
    if (s.ReadBoolean() && InstalledSizes && InstalledSizes->Size(b.index, w, h)) {
      if (w > 0) b.xscale = double(r_width) / w;
      if (h > 0) b.yscale = double(r_height) / h;
    }
    if (i < kRoomBackgrounds) r_background[size_t(i)] = b;
  }
  r_enableviews = s.ReadBoolean();
  const int32_t views = s.ReadInteger();
  for (int32_t i = 0; i < views; ++i) {
    CView v;
    v.visible = s.ReadBoolean();
    for (int32_t* f : {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport,
                       &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.index})
      *f = s.ReadInteger();
    if (i < kRoomViews) r_view[size_t(i)] = v;
  }
  const int32_t instances = s.ReadInteger();
  for (int32_t i = 0; i < instances; ++i) {
    const int32_t x = s.ReadInteger(), y = s.ReadInteger(), object = s.ReadInteger(), id = s.ReadInteger();
    auto inst = std::make_unique<CInstance>(id, object, x, y);
    inst->i_initcode = s.ReadString();
    r_instance.push_back(std::move(inst));
  }
  const int32_t tiles = s.ReadInteger();
  for (int32_t i = 0; i < tiles; ++i) {
    RTile t;
    t.x = s.ReadInteger();
    t.y = s.ReadInteger();
    for (int32_t* f : {&t.index, &t.xo, &t.yo, &t.w, &t.h}) *f = s.ReadInteger();
    t.depth = s.ReadInteger();
    t.id = s.ReadInteger();
    r_tile.push_back(t);
  }
  RebuildLists();
  return true;
}

bool CRoom::LoadGameFromStream(CStream& s) {
  Clear();
  if (s.ReadInteger() != kSavedVersion) return false;
  ReadHead(s);
  const int32_t backs = s.ReadInteger();
  for (int32_t i = 0; i < backs; ++i) {
    CBack b;
    b.visible = s.ReadBoolean();
    b.foreground = s.ReadBoolean();
    b.index = s.ReadInteger();
    b.x = s.ReadReal();
    b.y = s.ReadReal();
    b.htiled = s.ReadBoolean();
    b.vtiled = s.ReadBoolean();
    for (double* f : {&b.xscale, &b.yscale, &b.hspeed, &b.vspeed}) *f = s.ReadReal();
    b.blend = s.ReadInteger();
    b.alpha = s.ReadReal();
    if (i < kRoomBackgrounds) r_background[size_t(i)] = b;
  }
  r_enableviews = s.ReadBoolean();
  const int32_t views = s.ReadInteger();
  for (int32_t i = 0; i < views; ++i) {
    CView v;
    v.visible = s.ReadBoolean();
    for (int32_t* f : {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport})
      *f = s.ReadInteger();
    v.angle = s.ReadReal();
    for (int32_t* f : {&v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.index}) *f = s.ReadInteger();
    if (i < kRoomViews) r_view[size_t(i)] = v;
  }
  for (auto* list : {&r_instance, &r_instance_deact}) {
    const int32_t count = s.ReadInteger();
    for (int32_t i = 0; i < count; ++i) {
      list->push_back(std::make_unique<CInstance>());
      list->back()->LoadFromStream(s);
      // The runner saves no instance of a negative object number: such a file is damaged.
      if (list->back()->i_objectindex < 0) return false;
    }
  }
  const int32_t tiles = s.ReadInteger();
  for (int32_t i = 0; i < tiles; ++i) {
    RTile t;
    t.x = s.ReadReal();
    t.y = s.ReadReal();
    for (int32_t* f : {&t.index, &t.xo, &t.yo, &t.w, &t.h}) *f = s.ReadInteger();
    t.depth = s.ReadReal();
    t.id = s.ReadInteger();
    t.xscale = s.ReadReal();
    t.yscale = s.ReadReal();
    t.blend = s.ReadInteger();
    t.alpha = s.ReadReal();
    t.visible = s.ReadBoolean();
    r_tile.push_back(t);
  }
  RebuildLists();
  return true;
}

void CRoom::SaveGameToStream(CStream& s) const {
  s.WriteInteger(kSavedVersion);
  s.WriteString(r_caption);
  s.WriteInteger(r_width);
  s.WriteInteger(r_height);
  s.WriteInteger(r_speed);
  s.WriteBoolean(r_persistent);
  s.WriteInteger(r_color);
  s.WriteInteger(Flags());
  s.WriteString(r_code);
  s.WriteInteger(kRoomBackgrounds);
  for (const CBack& b : r_background) {
    s.WriteBoolean(b.visible);
    s.WriteBoolean(b.foreground);
    s.WriteInteger(b.index);
    s.WriteReal(b.x);
    s.WriteReal(b.y);
    s.WriteBoolean(b.htiled);
    s.WriteBoolean(b.vtiled);
    for (double f : {b.xscale, b.yscale, b.hspeed, b.vspeed}) s.WriteReal(f);
    s.WriteInteger(b.blend);
    s.WriteReal(b.alpha);
  }
  s.WriteBoolean(r_enableviews);
  s.WriteInteger(kRoomViews);
  for (const CView& v : r_view) {
    s.WriteBoolean(v.visible);
    for (int32_t f : {v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport})
      s.WriteInteger(f);
    s.WriteReal(v.angle);
    for (int32_t f : {v.hborder, v.vborder, v.hspeed, v.vspeed, v.index}) s.WriteInteger(f);
  }
  for (const auto* list : {&r_instance, &r_instance_deact}) {
    s.WriteInteger(int32_t(list->size()));
    for (const auto& inst : *list) inst->SaveToStream(s);
  }
  s.WriteInteger(TileNumber());
  for (const RTile& t : r_tile) {
    s.WriteReal(t.x);
    s.WriteReal(t.y);
    for (int32_t f : {t.index, t.xo, t.yo, t.w, t.h}) s.WriteInteger(f);
    s.WriteReal(t.depth);
    s.WriteInteger(t.id);
    s.WriteReal(t.xscale);
    s.WriteReal(t.yscale);
    s.WriteInteger(t.blend);
    s.WriteReal(t.alpha);
    s.WriteBoolean(t.visible);
  }
}

// ---- Instances ----------------------------------------------------------------------------------

CInstance* CRoom::AddInstance(int32_t objectind, double x, double y) {
  const std::optional<int32_t> id = Rooms().NextInstanceId();
  if (!id) return nullptr;
  r_instance.push_back(std::make_unique<CInstance>(*id, objectind, x, y));
  CInstance* inst = r_instance.back().get();
  AddToLists(inst);
  return inst;
}

CInstance* CRoom::AddInstanceCopy(const CInstance& source) {
  r_instance.push_back(std::make_unique<CInstance>());
  CInstance* inst = r_instance.back().get();
  inst->Assign(source);
  AddToLists(inst);
  return inst;
}

void CRoom::ClearInstances() {
  r_instance.clear();
  RebuildLists();
}

CInstance* CRoom::FindInstance(int32_t id) const {
  auto it = r_byid.find(id);
  return it == r_byid.end() ? nullptr : it->second;
}

CInstance* CRoom::Obj_Instance(int32_t objind, int32_t numb) const {
  const auto& list = ObjectList(objind);
  return numb >= 0 && numb < int32_t(list.size()) ? list[size_t(numb)] : nullptr;
}

CInstance* CRoom::Obj_Instance_Recursive(int32_t objind, int32_t numb) const {
  const auto& list = ObjectListRecursive(objind);
  return numb >= 0 && numb < int32_t(list.size()) ? list[size_t(numb)] : nullptr;
}

const std::vector<CInstance*>& CRoom::ObjectList(int32_t objind) const {
  return ListOf(r_obj_instance, objind);
}

const std::vector<CInstance*>& CRoom::ObjectListRecursive(int32_t objind) const {
  return ListOf(r_obj_instance_recursive, objind);
}

void CRoom::AddToLists(CInstance* inst) {
  r_byid.emplace(inst->i_id, inst);
  // Only objects of the table have lists: an index from a damaged record sizes nothing and the
  // instance stays out of every list.
  const int32_t object = inst->i_objectindex, count = Objects().Count();
  if (object < 0 || object >= count) return;
  if (r_obj_instance.size() < size_t(count)) {
    r_obj_instance.resize(size_t(count));
    r_obj_instance_recursive.resize(size_t(count));
  }
  r_obj_instance[size_t(object)].push_back(inst);
  for (int32_t ancestor : Objects().Chain(object)) r_obj_instance_recursive[size_t(ancestor)].push_back(inst);
}

void CRoom::RebuildLists() {
  ++r_listsversion;
  r_byid.clear();
  r_byid.reserve(r_instance.size());
  r_obj_instance.assign(size_t(Objects().Count()), {});
  r_obj_instance_recursive.assign(size_t(Objects().Count()), {});
  for (const auto& inst : r_instance) AddToLists(inst.get());
}

void CRoom::SortInstances() {
  SortByDepth(r_instance, [](const std::unique_ptr<CInstance>& i) { return i->i_depth; });
}

void CRoom::RemoveMarked() {
  auto marked = [](const CInstance* i) { return i->i_marked; };
  if (std::none_of(r_instance.begin(), r_instance.end(), [&](auto& i) { return marked(i.get()); })) return;
  // The lists lose the marked instances in place, which keeps their room order: the same lists a
  // rebuild would give, without rebuilding the id map.
  for (auto& list : r_obj_instance) std::erase_if(list, marked);
  for (auto& list : r_obj_instance_recursive) std::erase_if(list, marked);
  for (const auto& inst : r_instance) {
    auto it = inst->i_marked ? r_byid.find(inst->i_id) : r_byid.end();
    if (it != r_byid.end() && it->second == inst.get()) r_byid.erase(it);
  }
  std::erase_if(r_instance, [&](const std::unique_ptr<CInstance>& i) { return marked(i.get()); });
  ++r_listsversion;
  // An id shared by several instances maps to the first left in room order.
  if (r_byid.size() != r_instance.size())
    for (const auto& inst : r_instance) r_byid.emplace(inst->i_id, inst.get());
}

void CRoom::UpdateActive() {
  const bool anyout =
      std::any_of(r_instance.begin(), r_instance.end(), [](auto& i) { return i->i_deactivated; });
  const bool anyin = std::any_of(r_instance_deact.begin(), r_instance_deact.end(),
                                 [](auto& i) { return !i->i_deactivated; });
  if (!anyout && !anyin) return;
  // Moves the instances whose flag says so from one list to the end of the other, keeping orders.
  auto move = [](std::vector<std::unique_ptr<CInstance>>& from, std::vector<std::unique_ptr<CInstance>>& to,
                 bool flag) {
    std::vector<std::unique_ptr<CInstance>> stay;
    for (auto& inst : from) (inst->i_deactivated == flag ? to : stay).push_back(std::move(inst));
    from = std::move(stay);
  };
  std::vector<std::unique_ptr<CInstance>> moving;
  move(r_instance_deact, moving, false);
  move(r_instance, r_instance_deact, true);
  for (auto& inst : moving) r_instance.push_back(std::move(inst));
  RebuildLists();
}

void CRoom::ScrollBackground() {
  for (CBack& b : r_background) b.x += b.hspeed, b.y += b.vspeed;
}

// ---- Tiles --------------------------------------------------------------------------------------

int32_t CRoom::AddTile(const RTile& tile) {
  const std::optional<int32_t> id = Rooms().NextTileId();
  if (!id) return -1;
  r_tile.push_back(tile);
  r_tile.back().id = *id;
  r_lasttile = TileNumber() - 1;
  return r_lasttile;
}

void CRoom::ClearTiles() {
  r_tile.clear();
  r_lasttile = -1;
}

void CRoom::DeleteTilesAt(double x, double y, bool foreground) {
  std::erase_if(r_tile, [&](const RTile& t) {
    const bool layer = foreground ? t.depth <= 0 : t.depth >= 0;
    return layer && t.x <= x && x <= t.x + t.w * t.xscale && t.y <= y && y <= t.y + t.h * t.yscale;
  });
}

int32_t CRoom::FindTile(int32_t id) {
  if (r_lasttile >= 0 && r_lasttile < TileNumber() && r_tile[size_t(r_lasttile)].id == id) return r_lasttile;
  for (int32_t i = 0; i < TileNumber(); ++i)
    if (r_tile[size_t(i)].id == id) return r_lasttile = i;
  return -1;
}

int32_t CRoom::FindTileAt(double x, double y, bool foreground) {
  for (int32_t i = 0; i < TileNumber(); ++i) {
    const RTile& t = r_tile[size_t(i)];
    if ((foreground ? t.depth < 0 : t.depth >= 0) && TileContains(t, x, y)) return r_lasttile = i;
  }
  return -1;
}

void CRoom::DeleteTile(int32_t index) {
  if (index < 0 || index >= TileNumber()) return;
  r_tile.erase(r_tile.begin() + index);
}

void CRoom::SortTiles() {
  SortByDepth(r_tile, [](const RTile& t) { return t.depth; });
}

void CRoom::HideTilesDepth(double depth) {
  for (RTile& t : r_tile)
    if (t.depth == depth) t.visible = false;
}

void CRoom::ShowTilesDepth(double depth) {
  for (RTile& t : r_tile)
    if (t.depth == depth) t.visible = true;
}

void CRoom::DeleteTilesDepth(double depth) {
  std::erase_if(r_tile, [&](const RTile& t) { return t.depth == depth; });
}

void CRoom::ShiftTilesDepth(double depth, double x, double y) {
  for (RTile& t : r_tile)
    if (t.depth == depth) t.x += x, t.y += y;
}

int32_t CRoom::FindTileAtDepth(double depth, double x, double y) {
  for (int32_t i = 0; i < TileNumber(); ++i)
    if (r_tile[size_t(i)].depth == depth && TileContains(r_tile[size_t(i)], x, y)) return i;
  return -1;
}

void CRoom::DeleteTilesAtDepth(double depth, double x, double y) {
  std::erase_if(r_tile, [&](const RTile& t) { return t.depth == depth && TileContains(t, x, y); });
}

void CRoom::ChangeTilesDepth(double olddepth, double newdepth) {
  for (RTile& t : r_tile)
    if (t.depth == olddepth) t.depth = newdepth;
}

// ---- The room table and the room order ----------------------------------------------------------

namespace {

// At namespace scope: the table is looked up for every instance in every step, and a local static
// would be checked for its initialization at each look-up.
CRoomTable Table;

} // namespace

CRoomTable& Rooms() {
  return Table;
}

bool CRoomTable::LoadSection(CStream& stream) {
  ClearAll();
  if (!CResourceTable::LoadSection(stream)) return false;
  t_lastinstanceid = stream.ReadInteger();
  t_lasttileid = stream.ReadInteger();
  return true;
}

std::optional<int32_t> CRoomTable::NextInstanceId() {
  if (t_lastinstanceid == std::numeric_limits<int32_t>::max()) {
    ReportEventError("Cannot create an instance: every instance id is in use.", false);
    return std::nullopt;
  }
  return ++t_lastinstanceid;
}

std::optional<int32_t> CRoomTable::NextTileId() {
  if (t_lasttileid == std::numeric_limits<int32_t>::max()) {
    ReportEventError("Cannot add a tile: every tile id is in use.", false);
    return std::nullopt;
  }
  return ++t_lasttileid;
}

void CRoomTable::ClearAll() {
  CResourceTable::ClearAll();
  t_lastinstanceid = kInstanceIdBase;
  t_lasttileid = kTileIdBase;
  t_order.clear();
}

bool CRoomTable::Assign(int32_t index, int32_t source) {
  if (source < 0 || source >= Count() || index < 0 || index >= Count()) return false;
  if (index == source) return true;
  if (!t_items[size_t(index)]) t_items[size_t(index)] = std::make_unique<CRoom>();
  t_items[size_t(index)]->Assign(t_items[size_t(source)].get());
  return true;
}

namespace {

// The position of r in the room order, or -1.
int32_t OrderPosition(int32_t r) {
  const auto& order = Rooms().t_order;
  auto it = std::find(order.begin(), order.end(), r);
  return it == order.end() ? -1 : int32_t(it - order.begin());
}

} // namespace

int32_t RoomOrderFirst() {
  const auto& order = Rooms().t_order;
  return order.empty() ? -1 : order.front();
}

int32_t RoomOrderLast() {
  const auto& order = Rooms().t_order;
  return order.empty() ? -1 : order.back();
}

int32_t RoomOrderPrevious(int32_t r) {
  const auto& order = Rooms().t_order;
  const int32_t at = OrderPosition(r);
  return order.size() >= 2 && at > 0 ? order[size_t(at - 1)] : -1;
}

int32_t RoomOrderNext(int32_t r) {
  const auto& order = Rooms().t_order;
  const int32_t at = OrderPosition(r);
  return order.size() >= 2 && at >= 0 && at + 1 < int32_t(order.size()) ? order[size_t(at + 1)] : -1;
}

} // namespace vl
