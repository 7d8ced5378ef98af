#pragma once
// CStream: the in-memory byte stream through which all stored data passes: typed values,
// plain/compressed/scrambled blocks, bitmaps, checksums, the hexadecimal text form and the
// byte-scrambling routines of the game container.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class TBitmap32;

// Raised by every read past the end of a stream, and by malformed blocks.
class EStreamError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Raised by ConvertFromString for a pair of characters that is not hexadecimal.
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class CStream {
public:
  CStream() = default;
  explicit CStream(std::vector<uint8_t> bytes) : m_data(std::move(bytes)) {}
  CStream(const uint8_t* bytes, size_t count) : m_data(bytes, bytes + count) {}

  // Base memory stream.
  size_t Size() const { return m_data.size(); }
  size_t Position() const { return m_pos; }
  void Seek(size_t pos) { m_pos = pos; }
  uint8_t* Data() { return m_data.data(); }
  const uint8_t* Data() const { return m_data.data(); }
  std::vector<uint8_t>& Bytes() { return m_data; }
  const std::vector<uint8_t>& Bytes() const { return m_data; }
  void Clear();
  void SetSize(size_t size);
  void ReadBuffer(void* dst, size_t count);
  void WriteBuffer(const void* src, size_t count);
  bool LoadFromFile(const std::string& path);
  bool SaveToFile(const std::string& path) const;

  // Typed values, little-endian.
  int32_t ReadInteger();
  void WriteInteger(int32_t val);
  double ReadReal();
  void WriteReal(double val);
  bool ReadBoolean();
  void WriteBoolean(bool val);
  std::string ReadString(); // UTF-8 text
  void WriteString(std::string_view val);

  // Blocks. Every read returns a new stream positioned at 0, owned by the caller.
  std::unique_ptr<CStream> ReadStream();
  void WriteStream(const CStream& str);
  std::unique_ptr<CStream> ReadStreamC();
  void WriteStreamC(const CStream& str);
  std::unique_ptr<CStream> ReadStreamE();
  void WriteStreamE(CStream& str); // scrambles str's bytes in place
  std::unique_ptr<TBitmap32> ReadBitmap();
  void WriteBitmap(const TBitmap32* bbb);

  // Checksums and the hexadecimal text form.
  int32_t CheckSum() const;
  std::string ConvertToString() const;
  void ConvertFromString(std::string_view str);

  // Byte scrambling in place; count < 1 means from pos to the end.
  void Encrypt(int32_t key, size_t pos, int64_t count);
  void Decrypt(int32_t key, size_t pos, int64_t count);
  void Encrypt2(int32_t key, size_t pos, int64_t count);
  void Decrypt2(int32_t key, size_t pos, int64_t count);

  // Unscrambles and verifies the game data from _baseoffset on; false on a checksum mismatch.
  bool DecryptWad(size_t _baseoffset);
  // The writer's inverse of DecryptWad: scrambles the region (the checksum field is filled in).
  void EncryptWad(size_t _baseoffset);

private:
  void CheckRead(size_t count) const;
  size_t RangeEnd(size_t pos, int64_t count) const;

  std::vector<uint8_t> m_data;
  size_t m_pos = 0;
};

// CRC-32 without the final complement: the register after the last byte, 0xFFFFFFFF for no bytes.
uint32_t CalcCRC(const void* _pBuffer, int64_t _size);
// One step of the two-word generator of the game-data scrambling.
uint32_t LocalRandom(uint32_t& _z, uint32_t& _w);
// The key text of DecryptWad for the stored number S.
std::string WadKeyText(uint32_t s);

} // namespace vl
