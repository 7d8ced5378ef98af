#pragma once
// CRoom: a room resource and the live room copied from it: size, speed, colour, background layers,
// views, instances (active and deactivated, with per-object lists and a look-up by id) and tiles;
// the room table with the room order and the id counters.

#include "data/Resource_Table.h"
#include "world/Instance_Class.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vl {

constexpr int32_t kRoomBackgrounds = 8;
constexpr int32_t kRoomViews = 8;

struct CBack {
  bool visible = false;
  bool foreground = false;
  int32_t index = -1;
  double x = 0, y = 0;
  bool htiled = true, vtiled = true;
  double hspeed = 0, vspeed = 0;
  double xscale = 1, yscale = 1;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
};

struct CView {
  bool visible = false;
  int32_t xview = 0, yview = 0, wview = 640, hview = 480;
  int32_t xport = 0, yport = 0, wport = 640, hport = 480;
  double angle = 0;
  int32_t hborder = 32, vborder = 32;
  int32_t hspeed = -1, vspeed = -1; // -1: no limit
  int32_t index = -1;               // the object whose instance is followed
};

// A tile covers [x, x + w * xscale) x [y, y + h * yscale).
struct RTile {
  double x = 0, y = 0;
  int32_t index = -1;
  int32_t xo = 0, yo = 0, w = 0, h = 0;
  double depth = 0;
  int32_t id = 0;
  double xscale = 1, yscale = 1;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
  bool visible = true;
};

// The sizes of background resources, used to stretch room backgrounds. The background table
// provides them; without it no background exists.
class CBackgroundSizes {
public:
  virtual ~CBackgroundSizes() = default;
  // False when background index does not exist.
  virtual bool Size(int32_t index, int32_t& width, int32_t& height) const = 0;
};

// Null: no background exists.
void SetBackgroundSizes(const CBackgroundSizes* sizes);

class CRoom {
public:
  static constexpr int32_t kVersion = 541;
  static constexpr int32_t kSavedVersion = 540;
  enum : int32_t { kFlagShowColor = 1, kFlagKeepOutsideViews = 2 };

  CRoom() { Clear(); }
  CRoom(const CRoom&) = delete;
  CRoom& operator=(const CRoom&) = delete;
  void Clear();
  // Becomes a copy of room, with instances of its own; null leaves the room cleared.
  void Assign(const CRoom* room);
  void Assign(const CRoom& room) { Assign(&room); }
  bool LoadFromStream(CStream& stream);
  bool LoadGameFromStream(CStream& stream);
  void SaveGameToStream(CStream& stream) const;

  // Creates an instance with the next instance id at the end of the active list; null when the ids
  // are used up.
  CInstance* AddInstance(int32_t objectind, double x, double y);
  // Adds a copy of source (same id and everything else) at the end of the active list.
  CInstance* AddInstanceCopy(const CInstance& source);
  void ClearInstances();
  int32_t Number() const { return int32_t(r_instance.size()); }
  int32_t Number_Deact() const { return int32_t(r_instance_deact.size()); }
  CInstance* Instance(int32_t index) const {
    return index >= 0 && index < Number() ? r_instance[size_t(index)].get() : nullptr;
  }
  // The active instance with that id (the first in room order), or null.
  CInstance* FindInstance(int32_t id) const;

  int32_t Obj_Number(int32_t objind) const { return int32_t(ObjectList(objind).size()); }
  CInstance* Obj_Instance(int32_t objind, int32_t numb) const;
  int32_t Obj_Number_Recursive(int32_t objind) const { return int32_t(ObjectListRecursive(objind).size()); }
  CInstance* Obj_Instance_Recursive(int32_t objind, int32_t numb) const;
  // The active instances of an object (direct), and of it and its descendants, in room order.
  const std::vector<CInstance*>& ObjectList(int32_t objind) const;
  const std::vector<CInstance*>& ObjectListRecursive(int32_t objind) const;

  void SortInstances();
  void RemoveMarked();
  void UpdateActive();
  void ScrollBackground();

  // Tiles.
  int32_t TileNumber() const { return int32_t(r_tile.size()); }
  // The new tile's index, -1 when the tile ids are used up.
  int32_t AddTile(const RTile& tile);
  void ClearTiles();
  void DeleteTilesAt(double x, double y, bool foreground);
  int32_t FindTile(int32_t id);
  int32_t FindTileAt(double x, double y, bool foreground);
  void DeleteTile(int32_t index);
  void SortTiles();
  void HideTilesDepth(double depth);
  void ShowTilesDepth(double depth);
  void DeleteTilesDepth(double depth);
  void ShiftTilesDepth(double depth, double x, double y);
  int32_t FindTileAtDepth(double depth, double x, double y);
  void DeleteTilesAtDepth(double depth, double x, double y);
  void ChangeTilesDepth(double olddepth, double newdepth);

  std::string r_caption;
  int32_t r_speed;
  int32_t r_width, r_height;
  bool r_persistent;
  int32_t r_color;
  bool r_showcolor;
  std::array<CBack, kRoomBackgrounds> r_background;
  bool r_enableviews;
  bool r_clearViewBackground;
  std::array<CView, kRoomViews> r_view;
  std::string r_code;
  std::vector<std::unique_ptr<CInstance>> r_instance;
  std::vector<std::unique_ptr<CInstance>> r_instance_deact;
  std::vector<std::vector<CInstance*>> r_obj_instance;
  std::vector<std::vector<CInstance*>> r_obj_instance_recursive;
  std::vector<RTile> r_tile;
  int32_t r_lasttile;
  // Changes whenever instances leave the per-object lists or the lists are rebuilt, which moves
  // the instances in them; adding at the end leaves it.
  uint64_t r_listsversion = 0;

private:
  // The fields the resource record and the saved record share, from the caption to the creation code.
  void ReadHead(CStream& s);
  void RebuildLists();
  void AddToLists(CInstance* inst);
  int32_t Flags() const;
  void SetFlags(int32_t flags);

  std::unordered_map<int32_t, CInstance*> r_byid;
};

// The room resources, the room order (the game's list of rooms in play order) and the counters the
// ids of new instances and tiles come from. New rooms are named "__newroom" and their index.
class CRoomTable : public CResourceTable<CRoom> {
public:
  // The counters before a game sets its own: instance ids are handed out above the first, tile ids
  // above the second.
  static constexpr int32_t kInstanceIdBase = 100000;
  static constexpr int32_t kTileIdBase = 10000000;

  CRoomTable() : CResourceTable({.rk_newname = "__newroom"}) {}

  // Reads the rooms section and the last instance and tile ids that follow it.
  bool LoadSection(CStream& stream);
  // Also empties the room order and sets the counters back.
  void ClearAll();
  // As the table's Assign, except that source need only lie inside the table: an empty source slot
  // gives an empty room.
  bool Assign(int32_t index, int32_t source);

  // The next id, taken; nothing when the last id handed out is the highest, which is reported
  // (not fatal) so that every caller refuses to create with the same message.
  std::optional<int32_t> NextInstanceId();
  std::optional<int32_t> NextTileId();

  int32_t t_lastinstanceid = kInstanceIdBase;
  int32_t t_lasttileid = kTileIdBase;
  std::vector<int32_t> t_order;
};

CRoomTable& Rooms();

// The first and last rooms of the order, -1 when it is empty.
int32_t RoomOrderFirst();
int32_t RoomOrderLast();
// The room before or after r, or -1 when there is none or r is not in the order.
int32_t RoomOrderPrevious(int32_t r);
int32_t RoomOrderNext(int32_t r);

} // namespace vl
