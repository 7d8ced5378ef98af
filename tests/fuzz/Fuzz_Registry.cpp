// Fuzzes the registry store's file. The input is split at its first 0 byte into the file's text
// and a value to store. Any text must read without a crash; what the reader keeps writes back as a
// file that reads cleanly to the same text; the value, used as key path, name, string and bytes at
// once, survives the file whatever its bytes.
#include "library/Registry_Store.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vl;

// A name folded to ASCII lower case (line breaks as spaces).
std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

void CheckRegistry(std::string_view text, std::string_view value) {
  CRegistryStore store;
  store.Parse(text);
  const std::string once = store.Text();
  CRegistryStore again;
  if (!again.Parse(once) || again.Text() != once) std::abort();

  // The value serves as key path, name and string at once.
  const std::string key = RegistryKeyPath(int32_t(value.size() % 4), value);
  store.Set(key, value, std::string(value));
  store.Set(key, "bytes", std::vector<uint8_t>(value.begin(), value.end()));
  CRegistryStore written;
  if (!written.Parse(store.Text())) std::abort();
  const RRegistryValue* text_value = written.Find(key, value);
  const RRegistryValue* bytes = written.Find(key, "BYTES");
  const bool sameName = Folded(value) == "bytes"; // then the bytes replaced the text
  if (!text_value || (!sameName && std::get<std::string>(*text_value) != value)) std::abort();
  if (!bytes || std::get<std::vector<uint8_t>>(*bytes) != std::vector<uint8_t>(value.begin(), value.end()))
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view value =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  CheckRegistry(input.substr(0, split), value);
  return 0;
}
