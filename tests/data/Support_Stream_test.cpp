#include "data/Support_Stream.h"
#include "graphics/BM32_Bitmap.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>

namespace vl {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> v;
  for (int b : list) v.push_back(uint8_t(b));
  return v;
}

// The checksum as the table algorithm defines it, to compare the fast implementation with.
uint32_t TableCRC(const uint8_t* p, size_t n) {
  std::array<uint32_t, 256> table;
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table[i] = c;
  }
  uint32_t reg = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) reg = (reg >> 8) ^ table[(reg ^ p[i]) & 0xFF];
  return reg;
}

TEST(CStream, TypedValuesRoundTripLittleEndian) {
  CStream s;
  s.WriteInteger(-2);
  s.WriteReal(1.5);
  s.WriteBoolean(true);
  s.WriteString("é");
  s.WriteString("");
  EXPECT_EQ(s.Size(), 4u + 8 + 4 + (4 + 2) + 4);
  EXPECT_EQ(std::vector<uint8_t>(s.Data(), s.Data() + 4), Bytes({0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(std::vector<uint8_t>(s.Data() + 16, s.Data() + 22), Bytes({2, 0, 0, 0, 0xC3, 0xA9}));
  s.Seek(0);
  EXPECT_EQ(s.ReadInteger(), -2);
  EXPECT_EQ(s.ReadReal(), 1.5);
  EXPECT_TRUE(s.ReadBoolean());
  EXPECT_EQ(s.ReadString(), "é");
  EXPECT_EQ(s.ReadString(), "");
  EXPECT_THROW(s.ReadInteger(), EStreamError);
}

TEST(CStream, BooleansAndNegativeStringCounts) {
  CStream s(Bytes({2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB, 0xFF, 0xFF, 0xFF, 7}));
  EXPECT_TRUE(s.ReadBoolean());
  EXPECT_FALSE(s.ReadBoolean());
  EXPECT_EQ(s.ReadString(), ""); // count -5 consumes only the count
  EXPECT_EQ(s.Position(), 12u);
}

TEST(CStream, StringLongerThanStreamIsAReadError) {
  CStream s(Bytes({100, 0, 0, 0, 'a'}));
  EXPECT_THROW(s.ReadString(), EStreamError);
}

TEST(CStream, EmptyBlocksLeaveParentAfterTheLength) {
  CStream s(Bytes({0, 0, 0, 0, 0, 0, 0, 0, 9}));
  EXPECT_EQ(s.ReadStream()->Size(), 0u);
  EXPECT_EQ(s.Position(), 4u);
  EXPECT_EQ(s.ReadStreamC()->Size(), 0u);
  EXPECT_EQ(s.Position(), 8u);
}

TEST(CStream, PlainAndCompressedBlocksRoundTrip) {
  CStream inner;
  for (int i = 0; i < 5000; ++i) inner.WriteInteger(i % 17);
  inner.Seek(7);
  CStream s;
  s.WriteStream(inner);
  s.WriteStreamC(inner);
  EXPECT_EQ(inner.Position(), 7u);
  s.Seek(0);
  auto plain = s.ReadStream();
  auto packed = s.ReadStreamC();
  EXPECT_EQ(plain->Bytes(), inner.Bytes());
  EXPECT_EQ(packed->Bytes(), inner.Bytes());
  EXPECT_EQ(packed->Position(), 0u);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(CStream, CorruptCompressedBlocksFail) {
  CStream inner;
  for (int i = 0; i < 1000; ++i) inner.WriteInteger(i);
  CStream good;
  good.WriteStreamC(inner);
  // Truncated: the length promises fewer bytes than a whole zlib stream.
  CStream truncated;
  truncated.WriteInteger(int32_t(good.Size() - 4 - 10));
  truncated.WriteBuffer(good.Data() + 4, good.Size() - 4 - 10);
  truncated.Seek(0);
  EXPECT_THROW(truncated.ReadStreamC(), EStreamError);
  CStream garbage(Bytes({4, 0, 0, 0, 1, 2, 3, 4}));
  EXPECT_THROW(garbage.ReadStreamC(), EStreamError);
}

TEST(CStream, ScrambledBlockRoundTripsAndHasTheStatedSize) {
  for (size_t n : {0u, 1u, 255u, 256u, 257u, 70000u}) {
    CStream inner;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t b = uint8_t(i * 7 + 3);
      inner.WriteBuffer(&b, 1);
    }
    const std::vector<uint8_t> original = inner.Bytes();
    CStream s;
    s.WriteStreamE(inner);
    s.Seek(0);
    const int32_t a = s.ReadInteger(), c = s.ReadInteger();
    EXPECT_GE(a, 100);
    EXPECT_LE(a, 599);
    EXPECT_EQ(s.Size(), 4u + 4 + 4 * size_t(a) + 256 + 4 * size_t(c) + 4 + n) << n;
    s.Seek(0);
    auto back = s.ReadStreamE();
    EXPECT_EQ(back->Bytes(), original) << n;
    EXPECT_EQ(s.Position(), s.Size());
  }
}

TEST(CStream, CalcCRCMatchesTheTableAlgorithm) {
  EXPECT_EQ(CalcCRC("", 0), 0xFFFFFFFFu);
  EXPECT_EQ(CalcCRC("abc", 3), 0xCADBBE3Du);
  std::vector<uint8_t> data(100003);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 131 + (i >> 9));
  EXPECT_EQ(CalcCRC(data.data(), int64_t(data.size())), TableCRC(data.data(), data.size()));
}

TEST(CStream, CheckSumAndHexForm) {
  CStream s(Bytes({0x0A, 0xFF}));
  s.Seek(1);
  EXPECT_EQ(s.CheckSum(), 0x0A + 0xFF);
  EXPECT_EQ(s.ConvertToString(), "0AFF");
  EXPECT_EQ(CStream().ConvertToString(), "");
  s.ConvertFromString("0aF");
  EXPECT_EQ(s.Bytes(), Bytes({0x0A}));
  EXPECT_EQ(s.Position(), 0u);
  EXPECT_THROW(s.ConvertFromString("0G"), EConvertError);
  CStream big(std::vector<uint8_t>(5000, 0xFF));
  EXPECT_EQ(big.CheckSum(), (5000 * 255) % 1000000);
}

TEST(CStream, SubstitutionsUndoThemselves) {
  std::vector<uint8_t> original(600);
  for (size_t i = 0; i < original.size(); ++i) original[i] = uint8_t(i * 13);
  struct RCase {
    int32_t key;
    size_t pos;
    int64_t count;
  };
  for (RCase c : {RCase{12345, 0, 0}, RCase{-987654, 10, 100}, RCase{0, 599, 1}, RCase{250, 3, -1}}) {
    CStream s(original);
    s.Encrypt(c.key, c.pos, c.count);
    EXPECT_NE(s.Bytes(), original) << c.key;
    s.Decrypt(c.key, c.pos, c.count);
    EXPECT_EQ(s.Bytes(), original) << c.key;
    s.Encrypt2(c.key, c.pos, c.count);
    s.Decrypt2(c.key, c.pos, c.count);
    EXPECT_EQ(s.Bytes(), original) << c.key;
  }
  // Count 0 runs to the end; the bytes before pos stay.
  CStream s(original);
  s.Encrypt(777, 500, 0);
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + 500, s.Bytes().begin()));
  EXPECT_FALSE(std::equal(original.begin() + 500, original.end(), s.Bytes().begin() + 500));
}

TEST(CStream, LocalRandomStepsBothWords) {
  uint32_t z = 1, w = 2;
  EXPECT_EQ(LocalRandom(z, w), (36969u << 16) + 36000u);
  EXPECT_EQ(z, 36969u);
  EXPECT_EQ(w, 36000u);
}

TEST(CStream, WadScramblingRoundTripsAndDetectsCorruption) {
  for (size_t length : {0u, 3u, 300u, 200000u}) {
    CStream s;
    s.WriteInteger(0x11111111); // bytes before the region
    s.WriteInteger(4242);       // S
    s.WriteInteger(0);          // E, filled in
    s.WriteInteger(810);        // not covered
    for (size_t i = 0; i < length; ++i) {
      const uint8_t b = uint8_t(i ^ (i >> 8));
      s.WriteBuffer(&b, 1);
    }
    const std::vector<uint8_t> plain = s.Bytes();
    s.EncryptWad(4);
    uint32_t e;
    std::memcpy(&e, s.Data() + 8, 4);
    EXPECT_EQ(e, CalcCRC(plain.data() + 16, int64_t(length)));
    if (length > 300) {
      EXPECT_NE(s.Bytes(), plain);
    }
    CStream corrupt(s.Bytes());
    ASSERT_TRUE(s.DecryptWad(4));
    std::vector<uint8_t> expected = plain;
    std::memcpy(expected.data() + 8, &e, 4);
    EXPECT_EQ(s.Bytes(), expected);
    if (length > 1000) {
      corrupt.Data()[corrupt.Size() - 1000] ^= 1;
      EXPECT_FALSE(corrupt.DecryptWad(4));
    }
  }
}

TEST(CStream, BitmapBlocks) {
  TBitmap32 bmp(3, 2);
  bmp.SetPixel(0, 0, 0xFF102030);
  bmp.SetPixel(2, 1, 0x80FFFFFF);
  CStream s;
  s.WriteBitmap(&bmp);
  s.WriteBitmap(nullptr);
  CStream notBmp(Bytes({1, 2, 3}));
  s.WriteBoolean(true);
  s.WriteStreamC(notBmp);
  s.WriteInteger(99);
  s.Seek(0);
  auto back = s.ReadBitmap();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->s_w, 3);
  EXPECT_EQ(back->s_data, bmp.s_data);
  EXPECT_FALSE(s.ReadBitmap());
  EXPECT_FALSE(s.ReadBitmap()); // undecodable: no bitmap, block consumed
  EXPECT_EQ(s.ReadInteger(), 99);
}

TEST(BitmapFromBmp, PalettedAndTopDownBodies) {
  // 2x2, 1 bit per pixel, bottom-up: rows stored bottom first.
  std::vector<uint8_t> bmp = Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0});
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp.push_back(uint8_t(v >> (8 * i)));
  };
  put32(40), put32(2), put32(2), bmp.push_back(1), bmp.push_back(0), bmp.push_back(1), bmp.push_back(0);
  for (int i = 0; i < 6; ++i) put32(0);
  put32(0x000000FF), put32(0x0000FF00); // palette: blue, green
  put32(0x00000080), put32(0x00000040); // bottom row: 1 0; top row: 0 1
  auto img = BitmapFromBmp(bmp.data(), bmp.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->GetPixel(0, 1), 0x00FF00u);
  EXPECT_EQ(img->GetPixel(1, 1), 0x0000FFu);
  EXPECT_EQ(img->GetPixel(0, 0), 0x0000FFu);
  EXPECT_EQ(img->GetPixel(1, 0), 0x00FF00u);
  bmp.resize(bmp.size() - 1); // pixel data cut short
  EXPECT_FALSE(BitmapFromBmp(bmp.data(), bmp.size()));
}

} // namespace
} // namespace vl
