#include "data/Support_Stream.h"

#include "graphics/BM32_Bitmap.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <zlib.h>

namespace vl {

namespace {

constexpr const char* kReadError = "Stream read error";

// Substitution tables of Encrypt/Decrypt/Encrypt2/Decrypt2, rebuilt from the key on every call.
struct RSubstitution {
  std::array<uint8_t, 256> forward;
  std::array<uint8_t, 256> reverse;

  explicit RSubstitution(int32_t k) {
    int32_t m = (k % 250) + 6;
    if (m < 0) m += 256;
    int32_t d = k / 250;
    if (d < 0) d += 256;
    for (int i = 0; i < 256; ++i) forward[i] = reverse[i] = uint8_t(i);
    for (int64_t i = 1; i <= 10000; ++i) {
      // Keys below -64000 leave d negative; the remainder is taken non-negative so j stays in 1..254.
      int64_t r = (i * m + d) % 254;
      if (r < 0) r += 254;
      const int64_t j = r + 1;
      std::swap(forward[j], forward[j + 1]);
    }
    for (int i = 1; i < 256; ++i) reverse[forward[i]] = uint8_t(i);
  }
};

// Words unscrambled between two checksum updates: keeps each chunk in cache for the checksum.
constexpr size_t kWadChunk = 64 * 1024;

// XORs the words of the game data region with the two-word generator (its own inverse). With `crc`,
// also runs zlib's CRC-32 over the whole region after the transform, chunk by chunk.
void XorWad(uint8_t* region, size_t length, uint32_t z, uint32_t w, uLong* crc) {
  size_t i = (w & 0xFF) + 6;
  const size_t end = length > 5 ? length - 5 : 0; // a word starts only while i < L - 5
  size_t crcDone = 0;
  while (i < end) {
    const size_t stop = std::min(end, i + kWadChunk);
    for (; i < stop; i += 4) {
      uint32_t word;
      std::memcpy(&word, region + i, 4);
      word ^= LocalRandom(z, w);
      std::memcpy(region + i, &word, 4);
    }
    if (crc) *crc = crc32_z(*crc, region + crcDone, i - crcDone), crcDone = i;
  }
  if (crc) *crc = crc32_z(*crc, region + crcDone, length - crcDone);
}

uint32_t KeyCRC(uint32_t s) {
  const std::string key = WadKeyText(s);
  std::vector<uint8_t> utf16;
  for (char ch : key) utf16.push_back(uint8_t(ch)), utf16.push_back(0); // the key text is ASCII
  return CalcCRC(utf16.data(), int64_t(utf16.size()));
}

} // namespace

uint32_t CalcCRC(const void* _pBuffer, int64_t _size) {
  if (_size < 1) return 0xFFFFFFFFu;
  // zlib's CRC-32 is the same polynomial with a final complement; undo the complement.
  return ~uint32_t(crc32_z(0, static_cast<const Bytef*>(_pBuffer), size_t(_size)));
}

uint32_t LocalRandom(uint32_t& _z, uint32_t& _w) {
  _z = 36969u * (_z & 0xFFFFu) + (_z >> 16);
  _w = 18000u * (_w & 0xFFFFu) + (_w >> 16);
  return (_z << 16) + (_w & 0xFFFFu);
}

std::string WadKeyText(uint32_t s) {
  return "#VLK" + std::to_string(s) + "QX8!";
}

// ---- Base stream --------------------------------------------------------------------------------

void CStream::Clear() {
  m_data.clear();
  m_pos = 0;
}

void CStream::SetSize(size_t size) {
  m_data.resize(size);
  if (m_pos > size) m_pos = size;
}

void CStream::CheckRead(size_t count) const {
  if (m_pos > m_data.size() || count > m_data.size() - m_pos) throw EStreamError(kReadError);
}

void CStream::ReadBuffer(void* dst, size_t count) {
  CheckRead(count);
  if (count) std::memcpy(dst, m_data.data() + m_pos, count);
  m_pos += count;
}

void CStream::WriteBuffer(const void* src, size_t count) {
  if (m_pos + count > m_data.size()) m_data.resize(m_pos + count);
  if (count) std::memcpy(m_data.data() + m_pos, src, count);
  m_pos += count;
}

bool CStream::LoadFromFile(const std::string& path) {
  // A folder opens like a file on some systems and reports a size of no meaning.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(size_t(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  if (!ok) return false;
  m_data = std::move(bytes);
  m_pos = 0;
  return true;
}

bool CStream::SaveToFile(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = m_data.empty() || std::fwrite(m_data.data(), 1, m_data.size(), f) == m_data.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

// ---- Typed values -------------------------------------------------------------------------------

int32_t CStream::ReadInteger() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

void CStream::WriteInteger(int32_t val) {
  const uint32_t u = uint32_t(val);
  const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
  WriteBuffer(b, 4);
}

double CStream::ReadReal() {
  uint8_t b[8];
  ReadBuffer(b, 8);
  uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = u << 8 | b[i];
  return std::bit_cast<double>(u);
}

void CStream::WriteReal(double val) {
  uint64_t u = std::bit_cast<uint64_t>(val);
  uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = uint8_t(u >> (8 * i));
  WriteBuffer(b, 8);
}

bool CStream::ReadBoolean() {
  return ReadInteger() > 0;
}

void CStream::WriteBoolean(bool val) {
  WriteInteger(val ? 1 : 0);
}

std::string CStream::ReadString() {
  const int32_t n = ReadInteger();
  if (n <= 0) return {};
  CheckRead(size_t(n));
  std::string s(reinterpret_cast<const char*>(m_data.data() + m_pos), size_t(n));
  m_pos += size_t(n);
  return s;
}

void CStream::WriteString(std::string_view val) {
  WriteInteger(int32_t(val.size()));
  WriteBuffer(val.data(), val.size());
}

// ---- Blocks -------------------------------------------------------------------------------------

std::unique_ptr<CStream> CStream::ReadStream() {
  const int32_t n = ReadInteger();
  auto result = std::make_unique<CStream>();
  if (n <= 0) return result;
  CheckRead(size_t(n));
  result->m_data.assign(m_data.begin() + m_pos, m_data.begin() + m_pos + n);
  m_pos += size_t(n);
  return result;
}

void CStream::WriteStream(const CStream& str) {
  WriteInteger(int32_t(str.Size()));
  WriteBuffer(str.Data(), str.Size());
}

std::unique_ptr<CStream> CStream::ReadStreamC() {
  const int32_t n = ReadInteger();
  auto result = std::make_unique<CStream>();
  if (n <= 0) return result;
  CheckRead(size_t(n));
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw EStreamError("Cannot start decompression");
  zs.next_in = m_data.data() + m_pos;
  zs.avail_in = uInt(n);
  std::vector<uint8_t>& out = result->m_data;
  // Game data is mostly compressed images and sounds: twice the packed size is a good first guess.
  out.resize(std::max<size_t>(size_t(n) * 2, 1024));
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (zs.total_out == out.size()) out.resize(out.size() * 2);
    zs.next_out = out.data() + zs.total_out;
    zs.avail_out = uInt(std::min<size_t>(out.size() - zs.total_out, 1u << 30));
    rc = inflate(&zs, Z_NO_FLUSH);
    // Output room is always given, so running out of input before the end means a truncated stream.
    const bool truncated = rc == Z_OK && zs.avail_in == 0 && zs.avail_out > 0;
    if ((rc != Z_OK && rc != Z_STREAM_END) || truncated) {
      inflateEnd(&zs);
      throw EStreamError("Error in compressed data");
    }
  }
  out.resize(zs.total_out);
  inflateEnd(&zs);
  m_pos += size_t(n);
  return result;
}

void CStream::WriteStreamC(const CStream& str) {
  uLongf size = compressBound(uLong(str.Size()));
  std::vector<uint8_t> packed(size);
  if (compress2(packed.data(), &size, str.Data(), uLong(str.Size()), Z_DEFAULT_COMPRESSION) != Z_OK)
    throw EStreamError("Cannot compress data");
  WriteInteger(int32_t(size));
  WriteBuffer(packed.data(), size);
}

std::unique_ptr<CStream> CStream::ReadStreamE() {
  const int32_t a = ReadInteger();
  const int32_t c = ReadInteger();
  if (a > 0) CheckRead(size_t(a) * 4), m_pos += size_t(a) * 4;
  std::array<uint8_t, 256> t;
  ReadBuffer(t.data(), 256);
  if (c > 0) CheckRead(size_t(c) * 4), m_pos += size_t(c) * 4;
  std::array<uint8_t, 256> u;
  for (int i = 0; i < 256; ++i) u[t[i]] = uint8_t(i);

  const int32_t n = ReadInteger();
  auto result = std::make_unique<CStream>();
  if (n <= 0) return result;
  CheckRead(size_t(n));
  std::vector<uint8_t>& m = result->m_data;
  m.assign(m_data.begin() + m_pos, m_data.begin() + m_pos + n);
  m_pos += size_t(n);
  // Going down, m[i - 1] still holds the stored byte when m[i] is restored.
  for (size_t i = size_t(n) - 1; i >= 1; --i) m[i] = uint8_t(u[m[i]] - m[i - 1] - i);
  for (size_t i = size_t(n); i-- > 0;) {
    const size_t back = t[i & 0xFF];
    std::swap(m[i], m[i >= back ? i - back : 0]);
  }
  return result;
}

void CStream::WriteStreamE(CStream& str) {
  std::mt19937 rng(uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()));
  auto random = [&](uint32_t upto) { return std::uniform_int_distribution<uint32_t>(0, upto)(rng); };
  std::array<uint8_t, 256> t;
  for (int i = 0; i < 256; ++i) t[i] = uint8_t(i);
  for (int i = 0; i < 256; ++i) std::swap(t[i], t[random(254)]);
  const int32_t a = int32_t(random(499)), c = int32_t(random(499));
  WriteInteger(a + 100);
  WriteInteger(c + 100);
  for (int32_t i = 0; i < a + 100; ++i) WriteInteger(int32_t(random(0x0FFFFFFE)));
  WriteBuffer(t.data(), 256);
  for (int32_t i = 0; i < c + 100; ++i) WriteInteger(int32_t(random(0x0FFFFFFE)));

  std::vector<uint8_t>& m = str.m_data;
  const size_t n = m.size();
  for (size_t i = 0; i < n; ++i) {
    const size_t back = t[i & 0xFF];
    std::swap(m[i], m[i >= back ? i - back : 0]);
  }
  for (size_t i = 1; i < n; ++i) m[i] = t[(m[i] + m[i - 1] + i) & 0xFF];
  WriteInteger(int32_t(n));
  WriteBuffer(m.data(), n);
}

std::unique_ptr<TBitmap32> CStream::ReadBitmap() {
  if (!ReadBoolean()) return nullptr;
  auto block = ReadStreamC();
  return BitmapFromBmp(block->Data(), block->Size());
}

void CStream::WriteBitmap(const TBitmap32* bbb) {
  WriteBoolean(bbb != nullptr);
  if (!bbb) return;
  CStream file(BitmapToBmp(*bbb));
  WriteStreamC(file);
}

// ---- Checksums and text form --------------------------------------------------------------------

int32_t CStream::CheckSum() const {
  uint64_t sum = 0;
  for (uint8_t b : m_data) sum += b;
  return int32_t(sum % 1000000);
}

std::string CStream::ConvertToString() const {
  static const char digits[] = "0123456789ABCDEF";
  std::string s(m_data.size() * 2, '0');
  for (size_t i = 0; i < m_data.size(); ++i)
    s[2 * i] = digits[m_data[i] >> 4], s[2 * i + 1] = digits[m_data[i] & 15];
  return s;
}

void CStream::ConvertFromString(std::string_view str) {
  auto nibble = [&](char ch) -> uint8_t {
    if (ch >= '0' && ch <= '9') return uint8_t(ch - '0');
    if (ch >= 'a' && ch <= 'f') return uint8_t(ch - 'a' + 10);
    if (ch >= 'A' && ch <= 'F') return uint8_t(ch - 'A' + 10);
    throw EConvertError("'" + std::string(str.substr(0, 64)) + "' is not a valid hexadecimal text");
  };
  Clear();
  m_data.reserve(str.size() / 2);
  for (size_t i = 0; i + 1 < str.size(); i += 2)
    m_data.push_back(uint8_t(nibble(str[i]) << 4 | nibble(str[i + 1])));
  m_pos = 0;
}

// ---- Scrambling ---------------------------------------------------------------------------------

size_t CStream::RangeEnd(size_t pos, int64_t count) const {
  if (pos >= m_data.size()) return pos;
  if (count < 1) return m_data.size();
  return std::min(m_data.size(), pos + size_t(count));
}

void CStream::Encrypt(int32_t key, size_t pos, int64_t count) {
  const RSubstitution table(key);
  for (size_t p = pos, end = RangeEnd(pos, count); p < end; ++p) m_data[p] = table.forward[m_data[p]];
}

void CStream::Decrypt(int32_t key, size_t pos, int64_t count) {
  const RSubstitution table(key);
  for (size_t p = pos, end = RangeEnd(pos, count); p < end; ++p) m_data[p] = table.reverse[m_data[p]];
}

void CStream::Encrypt2(int32_t key, size_t pos, int64_t count) {
  const RSubstitution table(key);
  for (size_t p = pos, end = RangeEnd(pos, count); p < end; ++p)
    m_data[p] = table.forward[(m_data[p] + p) & 0xFF];
}

void CStream::Decrypt2(int32_t key, size_t pos, int64_t count) {
  const RSubstitution table(key);
  for (size_t p = pos, end = RangeEnd(pos, count); p < end; ++p)
    m_data[p] = uint8_t(table.reverse[m_data[p]] - p);
}

bool CStream::DecryptWad(size_t _baseoffset) {
  if (_baseoffset > m_data.size() || m_data.size() - _baseoffset < 12) return false;
  uint8_t* d = m_data.data() + _baseoffset;
  const size_t length = m_data.size() - _baseoffset - 12;
  uint32_t s, e;
  std::memcpy(&s, d, 4), std::memcpy(&e, d + 4, 4);
  uLong crc = crc32_z(0, nullptr, 0);
  XorWad(d + 12, length, e, KeyCRC(s), &crc);
  return (length < 1 ? 0xFFFFFFFFu : ~uint32_t(crc)) == e;
}

void CStream::EncryptWad(size_t _baseoffset) {
  uint8_t* d = m_data.data() + _baseoffset;
  const size_t length = m_data.size() - _baseoffset - 12;
  uint32_t s;
  std::memcpy(&s, d, 4);
  const uint32_t e = CalcCRC(d + 12, int64_t(length));
  std::memcpy(d + 4, &e, 4);
  XorWad(d + 12, length, e, KeyCRC(s), nullptr);
}

} // namespace vl
