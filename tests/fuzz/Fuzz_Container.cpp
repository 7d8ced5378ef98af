// Fuzzes the game container loader: any game data ends in a load or in one of the loader's messages,
// never a crash or a hang. An input is the game data from the marker on (the executable's fixed
// prefix is skipped: the loader is handed the marker's place), after one mode byte: an even byte
// gives raw bytes (checksum as given), an odd one plain game data that is sealed with a correct
// checksum first, to reach the parsers. With libFuzzer, a custom mutator opens plain inputs down to
// the records inside the compressed blocks of the resource block (rooms, objects, scripts...), and
// mutates those, so changes reach instance and object fields instead of breaking the compression.
// Extension packages, which are not in blocks, are mutated as the bytes around the blocks.
#include "data/Game_File.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Wiring.h"
#include "script/Extension_Class.h"
#include "tests/support/Test_Platform.h"
#include "tests/support/Test_Support.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace vl;
using TBytes = std::vector<uint8_t>;

// The marker's place in a fuzz input's game data.
constexpr size_t kMarker = 0;

void Seal(CStream& s) {
  int32_t version;
  std::memcpy(&version, s.Data() + kMarker + 16, 4);
  version ^= VersionXor(kMarker);
  std::memcpy(s.Data() + kMarker + 16, &version, 4);
  s.EncryptWad(kMarker + 8);
}

#ifdef VL_LIBFUZZER

// A run of stored bytes, or the content of a compressed block (compressed again when joined).
struct RPiece {
  bool packed;
  TBytes bytes;
};

// Plain game data cut into pieces: up to the resource block, the resource block's content, the rest.
struct RPlainGame {
  std::vector<RPiece> head, block;
  TBytes tail;
};

// Cuts a stream into pieces while the section readers' framing is walked through it.
class CCutter {
public:
  CCutter(CStream& s, std::vector<RPiece>& out) : m_s(s), m_out(out), m_mark(s.Position()) {}
  void Packed() {
    Flush();
    auto content = m_s.ReadStreamC();
    m_out.push_back({true, std::move(content->Bytes())});
    m_mark = m_s.Position();
  }
  void Flush() {
    const size_t end = std::min(m_s.Position(), m_s.Size());
    if (end > m_mark) m_out.push_back({false, TBytes(m_s.Data() + m_mark, m_s.Data() + end)});
    m_mark = end;
  }
  void Rest() {
    m_s.Seek(m_s.Size());
    Flush();
  }

private:
  CStream& m_s;
  std::vector<RPiece>& m_out;
  size_t m_mark;
};

void Ints(CStream& s, int32_t n) {
  for (int32_t i = 0; i < n; ++i) s.ReadInteger();
}

void Strings(CStream& s, int64_t n) {
  for (int64_t i = 0; i < n; ++i) s.ReadString();
}

// Extension packages follow each other without blocks: their records are walked past and stay in
// the piece around them; each ends with the scrambled contents of its files.
void SkipPackages(CStream& b) {
  b.ReadInteger();
  for (int32_t i = 0, packages = b.ReadInteger(); i < packages; ++i) {
    b.ReadInteger();
    Strings(b, 2);
    for (int32_t f = 0, files = b.ReadInteger(); f < files; ++f) {
      b.ReadInteger();
      Strings(b, 1);
      b.ReadInteger();
      Strings(b, 2);
      for (int32_t n = 0, functions = b.ReadInteger(); n < functions; ++n) {
        b.ReadInteger();
        Strings(b, 2);
        Ints(b, 3 + 17 + 1);
      }
      for (int32_t n = 0, constants = b.ReadInteger(); n < constants; ++n) {
        b.ReadInteger();
        Strings(b, 2);
      }
    }
    b.ReadStream();
  }
}

// The sections in their stored order: which are resource tables (version, count, one compressed
// block per entry), and what the others hold.
void CutBlock(CStream& b, std::vector<RPiece>& out) {
  CCutter cut(b, out);
  try {
    const int32_t padding = b.ReadInteger();
    if (padding > 0) Ints(b, padding);
    Ints(b, 2 + 4); // flags, game id, the identifier
    SkipPackages(b);
    const auto table = [&] {
      b.ReadInteger();
      for (int32_t i = 0, n = b.ReadInteger(); i < n; ++i) cut.Packed();
    };
    table(); // triggers
    b.ReadInteger();
    Strings(b, 2 * int64_t(b.ReadInteger())); // constants
    for (int i = 0; i < 8; ++i) table();      // sounds .. objects
    table();                                  // rooms
    Ints(b, 2);                               // the last ids
    table();                                  // included files (blocks without exists flags)
    b.ReadInteger();
    cut.Packed(); // help
    b.ReadInteger();
    Strings(b, b.ReadInteger()); // library init code
  } catch (const EStreamError&) {
  }
  cut.Rest();
}

bool Cut(const uint8_t* data, size_t size, RPlainGame& game) {
  CStream s(data, size);
  try {
    CCutter cut(s, game.head);
    s.Seek(kMarker + 16);
    Ints(s, 4); // version, header
    s.ReadInteger();
    cut.Packed(); // settings
    s.ReadString();
    cut.Packed(); // library
    cut.Flush();
    auto block = s.ReadStreamE();
    CutBlock(*block, game.block);
    game.tail.assign(s.Data() + s.Position(), s.Data() + s.Size());
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

void Append(TBytes& out, const std::vector<RPiece>& pieces) {
  for (const RPiece& p : pieces) {
    if (!p.packed) {
      out.insert(out.end(), p.bytes.begin(), p.bytes.end());
      continue;
    }
    CStream packed;
    packed.WriteStreamC(CStream(p.bytes));
    out.insert(out.end(), packed.Bytes().begin(), packed.Bytes().end());
  }
}

// A scrambled block with no filler and the identity table: the reader's inverse, deterministic.
void AppendScrambled(TBytes& out, TBytes m) {
  CStream head;
  head.WriteInteger(0);
  head.WriteInteger(0);
  uint8_t table[256];
  std::iota(table, table + 256, 0);
  head.WriteBuffer(table, 256);
  head.WriteInteger(int32_t(m.size()));
  for (size_t i = 0; i < m.size(); ++i) std::swap(m[i], m[i - (i & 0xFF)]);
  for (size_t i = 1; i < m.size(); ++i) m[i] = uint8_t(m[i] + m[i - 1] + i);
  out.insert(out.end(), head.Bytes().begin(), head.Bytes().end());
  out.insert(out.end(), m.begin(), m.end());
}

TBytes Join(const RPlainGame& game) {
  TBytes out, block;
  Append(out, game.head);
  Append(block, game.block);
  AppendScrambled(out, std::move(block));
  out.insert(out.end(), game.tail.begin(), game.tail.end());
  return out;
}

// Overwrites a four-byte field that holds a small number (a count, an index, a coordinate) with
// an edge value. Most of a record is such fields, so this reaches an instance's object index or a
// room number far more often than byte-level mutations, which rarely land on one whole field.
bool MutateField(TBytes& record, std::minstd_rand& rng) {
  static constexpr int32_t kEdges[] = {INT32_MAX, INT32_MIN, -1, 0, 1, 65536, 10000000, 100000000};
  std::vector<size_t> fields;
  // The scan keeps to field boundaries: it steps a whole field after a number, small or large, and
  // a byte at a time through text, which is where the boundaries get lost.
  for (size_t i = 0; i + 4 <= record.size();) {
    int32_t v;
    std::memcpy(&v, &record[i], 4);
    if (v >= -1 && v < 4096) {
      fields.push_back(i);
      i += 4;
    } else {
      i += std::any_of(&record[i], &record[i] + 4, [](uint8_t b) { return b >= 0x20 && b < 0x7F; }) ? 1 : 4;
    }
  }
  if (fields.empty()) return false;
  const int32_t edge = kEdges[rng() % std::size(kEdges)];
  std::memcpy(&record[fields[rng() % fields.size()]], &edge, 4);
  return true;
}

#endif

} // namespace

#ifdef VL_LIBFUZZER

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  std::minstd_rand rng(seed);
  RPlainGame game;
  if (size < 2 || !(data[0] & 1) || rng() % 8 == 0 || !Cut(data + 1, size - 1, game))
    return LLVMFuzzerMutate(data, size, maxSize);
  // Mostly the records of the resource block, sometimes any piece.
  std::vector<TBytes*> records, any;
  for (auto* list : {&game.head, &game.block})
    for (RPiece& p : *list) {
      any.push_back(&p.bytes);
      if (p.packed && list == &game.block) records.push_back(&p.bytes);
    }
  any.push_back(&game.tail);
  TBytes& target =
      !records.empty() && rng() % 4 != 0 ? *records[rng() % records.size()] : *any[rng() % any.size()];
  if (target.empty()) target.push_back(0);
  if (rng() % 2 != 0 || !MutateField(target, rng)) {
    const size_t before = target.size();
    target.resize(before + before / 2 + 64);
    target.resize(LLVMFuzzerMutate(target.data(), before, target.size()));
  }
  TBytes out = Join(game);
  if (out.size() + 1 > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
  std::memcpy(data + 1, out.data(), out.size());
  return out.size() + 1;
}

#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static test::TScratchDir temp;
  static const std::set<std::string> allowed = {
      "Error: Not a valid game file.",        "Error: Wrong version number.",
      "Error: Error in resource data.",       "Error: Failed to initialize D3DX.",
      "Error in loading extension packages.", "Failed to load the game data. File seems corrupted."};
  // Wired once: each input only resets, which is where a run spends its time.
  static test::TTestPlatform platform;
  static const bool wired = (Wire_Runner(platform.Services()), true);
  (void)wired;
  if (size < 1) return 0;
  Reset_Runner();
  platform.messages.clear();
  platform.errors.clear();
  test::TTestLoadWindow window;
  Runner().rn_loadwindow = &window;
  Runner().rn_tempfolder = temp.Path().string();

  CStream s(data + 1, size - 1);
  if ((data[0] & 1) && s.Size() >= kMarker + 20) Seal(s);
  Load_GameData(s, kMarker);
  // Packages unpack their files: start each input from an empty temporary folder.
  if (Extensions().Count() > 0) {
    std::filesystem::remove_all(temp.Path());
    std::filesystem::create_directory(temp.Path());
  }
  // Besides the loader's own messages, an action naming no function is shown and loading goes on.
  size_t ends = 0;
  for (const std::string& message : platform.messages) {
    if (message.starts_with("Failed to locate action function ")) continue;
    // A package naming a place outside the temporary folder says so before the section fails.
    if (message.starts_with("Extension package ") && message.ends_with("outside the temporary folder."))
      continue;
    if (!allowed.count(message)) std::abort();
    ++ends;
  }
  if (ends > 2) std::abort();
  Runner().rn_loadwindow = nullptr;
  return 0;
}
