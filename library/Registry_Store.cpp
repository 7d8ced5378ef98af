#include "library/Registry_Store.h"

#include "library/Function_Math.h"
#include "platform/Platform_File.h"
#include "platform/Platform_Os.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace vl {

namespace {

constexpr std::string_view kHeader = "vlrun registry 1";

std::string Fold(std::string_view s) {
  return ChangeCase(RValue(s), false);
}

std::string Encode(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c > ' ' && c <= '~' && c != '%') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Decode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    const int high = i + 2 < s.size() ? HexDigit(s[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(s[i + 2]) : -1;
    if (low < 0) return std::nullopt;
    out += char(high << 4 | low);
    i += 2;
  }
  return out;
}

// A field is never empty: "-" stands for the empty text.
std::string Field(std::string_view s) {
  if (s.empty()) return "-";
  return s == "-" ? "%2D" : Encode(s);
}

std::optional<std::string> Unfield(std::string_view field) {
  return field == "-" ? std::string() : Decode(field);
}

// ROOT\PATH with one "\" between parts.
std::string Normal(std::string_view key) {
  std::string out;
  while (!key.empty()) {
    const size_t sep = key.find('\\');
    const std::string_view part = key.substr(0, sep);
    if (!part.empty()) out += (out.empty() ? "" : "\\") + std::string(part);
    key.remove_prefix(sep == std::string_view::npos ? key.size() : sep + 1);
  }
  return out;
}

std::optional<std::vector<uint8_t>> DecodeHex(std::string_view s) {
  if (s == "-") return std::vector<uint8_t>();
  if (s.size() % 2) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < s.size(); i += 2) {
    const int high = HexDigit(s[i]), low = HexDigit(s[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(uint8_t(high << 4 | low));
  }
  return bytes;
}

std::string EncodeHex(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return "-"; // a field is never empty
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const uint8_t b : bytes) out += kHex[b >> 4], out += kHex[b & 15];
  return out;
}

// Splits a line into its space-separated fields.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const size_t space = line.find(' ');
    fields.push_back(line.substr(0, space));
    line.remove_prefix(space == std::string_view::npos ? line.size() : space + 1);
  }
  return fields;
}

std::optional<RRegistryValue> ReadValue(std::string_view type, std::string_view field) {
  if (type == "string") {
    if (auto text = Unfield(field)) return RRegistryValue(std::move(*text));
  } else if (type == "binary") {
    if (auto bytes = DecodeHex(field)) return RRegistryValue(std::move(*bytes));
  } else if (type == "dword") {
    uint32_t n = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), n);
    if (error == std::errc() && end == field.data() + field.size()) return RRegistryValue(n);
  }
  return std::nullopt;
}

std::string ValueLine(const std::string& name, const RRegistryValue& value) {
  const std::string field = Field(name);
  if (const auto* text = std::get_if<std::string>(&value)) return "string " + field + " " + Field(*text);
  if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value))
    return "binary " + field + " " + EncodeHex(*bytes);
  return "dword " + field + " " + std::to_string(std::get<uint32_t>(value));
}

std::string StorePath() {
  return (fs::path(ConfigFolder()) / "registry.txt").string();
}

} // namespace

std::string RegistryKeyPath(int32_t root, std::string_view path) {
  return Normal(std::string(kRegistryRoots[root >= 0 && root < 4 ? root : 0]) + "\\" + std::string(path));
}

bool CRegistryStore::Parse(std::string_view text) {
  r_keys.clear();
  bool clean = text.starts_with(kHeader);
  RKey* current = nullptr;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (std::exchange(first, false)) continue; // the header
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() == 2 && fields[0] == "key") {
      const std::optional<std::string> key = Unfield(fields[1]);
      current = key && !Normal(*key).empty() ? &MakeKey(*key) : nullptr;
      clean &= current != nullptr;
      continue;
    }
    std::optional<std::string> name;
    std::optional<RRegistryValue> value;
    if (fields.size() == 3 && current) {
      name = Unfield(fields[1]);
      value = ReadValue(fields[0], fields[2]);
    }
    if (!name || !value) {
      clean = false;
      continue;
    }
    // Through Set, so that a repeated name keeps its last value only.
    Set(current->k_path, *name, std::move(*value));
  }
  return clean;
}

std::string CRegistryStore::Text() const {
  std::string text = std::string(kHeader) + "\n";
  for (const RKey& key : r_keys) {
    text += "key " + Field(key.k_path) + "\n";
    for (const RValueEntry& entry : key.k_values) text += ValueLine(entry.rv_name, entry.rv_value) + "\n";
  }
  return text;
}

const CRegistryStore::RKey* CRegistryStore::FindKey(std::string_view key) const {
  const std::string folded = Fold(Normal(key));
  for (const RKey& k : r_keys)
    if (k.k_folded == folded) return &k;
  return nullptr;
}

CRegistryStore::RKey& CRegistryStore::MakeKey(std::string_view key) {
  if (const RKey* found = FindKey(key)) return const_cast<RKey&>(*found);
  std::string path = Normal(key);
  std::string folded = Fold(path);
  return r_keys.emplace_back(RKey{std::move(path), std::move(folded), {}});
}

bool CRegistryStore::KeyExists(std::string_view key) const {
  return FindKey(key) != nullptr;
}

void CRegistryStore::CreateKey(std::string_view key) {
  MakeKey(key);
}

const RRegistryValue* CRegistryStore::Find(std::string_view key, std::string_view name) const {
  const RKey* k = FindKey(key);
  if (!k) return nullptr;
  const std::string folded = Fold(name);
  for (const RValueEntry& entry : k->k_values)
    if (Fold(entry.rv_name) == folded) return &entry.rv_value;
  return nullptr;
}

void CRegistryStore::Set(std::string_view key, std::string_view name, RRegistryValue value) {
  RKey& k = MakeKey(key);
  const std::string folded = Fold(name);
  for (RValueEntry& entry : k.k_values)
    if (Fold(entry.rv_name) == folded) {
      entry.rv_value = std::move(value);
      return;
    }
  k.k_values.push_back({std::string(name), std::move(value)});
}

CRegistryStore LoadRegistry() {
  std::ifstream in(StorePath(), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  CRegistryStore store;
  store.Parse(text);
  return store;
}

bool SaveRegistry(const CRegistryStore& store) {
  std::error_code ec;
  fs::create_directories(ConfigFolder(), ec);
  return WriteFileAtomically(StorePath(), store.Text());
}

} // namespace vl
