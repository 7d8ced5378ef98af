#include "library/Function_Registry.h"

#include "data/Game_File.h"
#include "library/File_System.h"
#include "library/Registry_Store.h"
#include "library/Support_Report.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"

#include <cmath>
#include <cstring>

namespace vl {

namespace {

constexpr const char* kPreferences = "Software\\Velmora\\Version 8.1\\Preferences";

int32_t& ExtRoot() {
  static int32_t root = 0;
  return root;
}

std::string GameKey() {
  return RegistryKeyPath(0, "Software\\Velmora\\" + std::to_string(GameData().gd_gameid));
}

std::string ArgText(const RValue& v) {
  return std::string(v.Str());
}

// A real is kept as the 8 bytes of its double, lowest first.
RRegistryValue RealValue(double x) {
  std::vector<uint8_t> bytes(8);
  uint64_t bits;
  std::memcpy(&bits, &x, 8);
  for (size_t i = 0; i < 8; ++i) bytes[i] = uint8_t(bits >> (8 * i));
  return bytes;
}

RValue StringOf(const RRegistryValue* value) {
  const auto* text = value ? std::get_if<std::string>(value) : nullptr;
  return RValue(text ? std::string_view(*text) : std::string_view());
}

RValue RealOf(const RRegistryValue* value) {
  const auto* bytes = value ? std::get_if<std::vector<uint8_t>>(value) : nullptr;
  if (!bytes || bytes->size() != 8) return RValue(0.0);
  uint64_t bits = 0;
  for (size_t i = 0; i < 8; ++i) bits |= uint64_t((*bytes)[i]) << (8 * i);
  double x;
  std::memcpy(&x, &bits, 8);
  return RValue(x);
}

bool IsTrue(const RRegistryValue& value) {
  if (const auto* n = std::get_if<uint32_t>(&value)) return *n != 0;
  if (const auto* text = std::get_if<std::string>(&value)) return std::atof(text->c_str()) != 0;
  for (const uint8_t b : std::get<std::vector<uint8_t>>(value))
    if (b) return true;
  return false;
}

void Write(const std::string& key, const RValue& name, RRegistryValue value) {
  CRegistryStore store = LoadRegistry();
  store.Set(key, name.Str(), std::move(value));
  SaveRegistry(store);
}

// Secure mode lets a game write its own key only.
bool RefusedExt(const RValue& key) {
  if (!SecureMode()) return false;
  ReportFunctionError("In Secure mode you cannot write registry entries in " + ArgText(key));
  return true;
}

// Whether the value is there; the key is created when missing, unless `create` is false.
RValue Exists(const std::string& key, const RValue& name, bool create) {
  CRegistryStore store = LoadRegistry();
  if (!store.KeyExists(key)) {
    if (create) {
      store.CreateKey(key);
      SaveRegistry(store);
    }
    return RValue(0.0);
  }
  return RValue(store.Find(key, name.Str()) ? 1.0 : 0.0);
}

std::string ExtKey(const RValue& key) {
  return RegistryKeyPath(ExtRoot(), key.Str());
}

#define VL_ARGS CInstance *, CInstance *, int32_t, RValue &result, const RValue *args

void registry_write_string(VL_ARGS) {
  Write(GameKey(), args[0], ArgText(args[1]));
}
void registry_write_real(VL_ARGS) {
  Write(GameKey(), args[0], RealValue(ArgumentReal(args[1])));
}
void registry_read_string(VL_ARGS) {
  result = StringOf(LoadRegistry().Find(GameKey(), args[0].Str()));
}
void registry_read_real(VL_ARGS) {
  result = RealOf(LoadRegistry().Find(GameKey(), args[0].Str()));
}
void registry_exists(VL_ARGS) {
  result = Exists(GameKey(), args[0], true);
}

void registry_write_string_ext(VL_ARGS) {
  if (!RefusedExt(args[0])) Write(ExtKey(args[0]), args[1], ArgText(args[2]));
}
void registry_write_real_ext(VL_ARGS) {
  if (!RefusedExt(args[0])) Write(ExtKey(args[0]), args[1], RealValue(ArgumentReal(args[2])));
}
void registry_read_string_ext(VL_ARGS) {
  result = StringOf(LoadRegistry().Find(ExtKey(args[0]), args[1].Str()));
}
void registry_read_real_ext(VL_ARGS) {
  result = RealOf(LoadRegistry().Find(ExtKey(args[0]), args[1].Str()));
}
// Creating a missing key writes a foreign key, which secure mode forbids: there it only looks.
void registry_exists_ext(VL_ARGS) {
  result = Exists(ExtKey(args[0]), args[1], !SecureMode());
}

void registry_set_root(VL_ARGS) {
  const double root = std::nearbyint(ArgumentReal(args[0]));
  ExtRoot() = root == 1 || root == 2 || root == 3 ? int32_t(root) : 0;
}

#undef VL_ARGS

} // namespace

bool ReadSecureMode() {
  const CRegistryStore store = LoadRegistry();
  const std::string key = RegistryKeyPath(0, kPreferences);
  if (!store.KeyExists(key)) return false;
  bool secure = false;
  if (const RRegistryValue* warning = store.Find(key, "Warning")) secure = IsTrue(*warning);
  if (const RRegistryValue* running = store.Find(key, "VelmoraRunning")) secure = secure && IsTrue(*running);
  return secure;
}

void Register_Function_Registry() {
  RegisterFunction("registry_write_string", registry_write_string, 2);
  RegisterFunction("registry_write_real", registry_write_real, 2);
  RegisterFunction("registry_read_string", registry_read_string, 1);
  RegisterFunction("registry_read_real", registry_read_real, 1);
  RegisterFunction("registry_exists", registry_exists, 1);
  RegisterFunction("registry_write_string_ext", registry_write_string_ext, 3);
  RegisterFunction("registry_write_real_ext", registry_write_real_ext, 3);
  RegisterFunction("registry_read_string_ext", registry_read_string_ext, 2);
  RegisterFunction("registry_read_real_ext", registry_read_real_ext, 2);
  RegisterFunction("registry_exists_ext", registry_exists_ext, 2);
  RegisterFunction("registry_set_root", registry_set_root, 1);
}

void ResetRegistryState() {
  ExtRoot() = 0;
}

} // namespace vl
