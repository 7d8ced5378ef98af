#pragma once
// The registry as this system keeps it: one text file of the user's own settings
// ("registry.txt" in the config folder) that holds keys under the four standard roots with string,
// binary and number values. Key paths and value names match without regard to letter case.
//
// The file: a first line "vlrun registry 1", then per key a line "key ROOT\PATH" followed by one
// line per value: "string NAME TEXT", "binary NAME HEX" (two hexadecimal digits per byte; a real
// is the 8 bytes of its IEEE double, lowest byte first) or "dword NAME DECIMAL". Every field is
// percent-encoded (bytes below "!" or above "~" and "%" itself as "%XX"), so no field holds a space
// or a line break whatever a game stores. Lines that cannot be read are skipped.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vl {

inline constexpr const char* kRegistryRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                 "HKEY_CLASSES_ROOT", "HKEY_USERS"};

// A string, binary bytes or a 32-bit number (which is how booleans are kept).
using RRegistryValue = std::variant<std::string, std::vector<uint8_t>, uint32_t>;

class CRegistryStore {
public:
  // Reads the text of the file; false when some line could not be read (the rest is kept).
  bool Parse(std::string_view text);
  std::string Text() const;

  // key is ROOT\PATH; empty parts and extra "\" do not count ("\Software\\A\" is "Software\A").
  bool KeyExists(std::string_view key) const;
  void CreateKey(std::string_view key);
  const RRegistryValue* Find(std::string_view key, std::string_view name) const;
  // Creates the key when missing.
  void Set(std::string_view key, std::string_view name, RRegistryValue value);

private:
  struct RValueEntry {
    std::string rv_name;
    RRegistryValue rv_value;
  };
  struct RKey {
    std::string k_path; // as first written
    std::string k_folded;
    std::vector<RValueEntry> k_values;
  };

  const RKey* FindKey(std::string_view key) const;
  RKey& MakeKey(std::string_view key);

  std::vector<RKey> r_keys;
};

// The key path ROOT\PATH with the separators made regular.
std::string RegistryKeyPath(int32_t root, std::string_view path);

// The store file in the user's config folder, read whole; a missing file is an empty store.
CRegistryStore LoadRegistry();
// Replaces the store file atomically; false when that failed (the old file then stays).
bool SaveRegistry(const CRegistryStore& store);

} // namespace vl
