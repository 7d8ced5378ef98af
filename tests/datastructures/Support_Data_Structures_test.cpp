// The containers: comparison rule, the documented orders and edge cases, and the string form.
#include "data/Support_Stream.h"
#include "datastructures/Support_Data_Structures.h"
#include "library/Support_Random.h"
#include "tests/datastructures/DS_Test_Support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace vl {
namespace {

using test::S;

// Restores the default precision after each test.
class DSContainerTest : public ::testing::Test {
protected:
  void TearDown() override { DS_SetPrecision(0.00000001); }
};

std::string Describe(const RValue& v) {
  return v.IsReal() ? std::to_string(v.Real()) : "\"" + std::string(v.Str()) + "\"";
}

bool Same(const RValue& a, const RValue& b) {
  if (a.Kind() != b.Kind()) return false;
  return a.IsReal() ? (a.Real() == b.Real() || (std::isnan(a.Real()) && std::isnan(b.Real())))
                    : a.Str() == b.Str();
}

// The string form of one value, as the record writes it.
std::string ValueHex(const RValue& v) {
  CStream s;
  s.WriteInteger(v.Kind());
  s.WriteReal(v.IsReal() ? v.Real() : 0);
  s.WriteString(v.Str());
  return s.ConvertToString();
}

TEST_F(DSContainerTest, CompareValuesTable) {
  struct Case {
    double precision;
    RValue a, b;
    int expected;
  } cases[] = {
      {1e-8, 1.0, 1.000000005, 0},
      {0, 1.0, 1.000000005, -1},
      {0, 1e6, 1e6 + 1e-7, 0}, // relative tolerance 1e-12 x 1e6
      {0, 0.0, 5e-13, 0},      // absolute floor 1e-12
      {1e-8, 2.0, 1.0, 1},
      {1e-8, 5.0, S("a"), -1}, // a real is below every string
      {1e-8, S(""), -5.0, 1},
      {1e-8, S("a"), S("b"), -1},
      {1e-8, S("B"), S("a"), -1}, // case-sensitive, ordinal
      {1e-8, S("ab"), S("abc"), -1},
      {1e-8, S("abc"), S("abc"), 0},
      {1e-8, S("\xEF\xBD\xA1"), S("\xF0\x9F\x98\x80"), 1}, // U+FF61 above a surrogate pair in UTF-16
      {0.5, 1.0, 1.5, 0},
  };
  for (const Case& c : cases) {
    DS_SetPrecision(c.precision);
    EXPECT_EQ(CompareValues(c.a, c.b), c.expected) << Describe(c.a) << " vs " << Describe(c.b);
  }
}

TEST_F(DSContainerTest, StackStringFormIsByteExact) {
  CDS_Stack st;
  st.Push(1.0);
  st.Push(-2.5);
  const std::string text = st.WriteToString();
  EXPECT_EQ(text, "65000000"
                  "02000000"
                  "00000000"
                  "000000000000F03F"
                  "00000000"
                  "00000000"
                  "00000000000004C0"
                  "00000000");
  CDS_Stack back;
  ASSERT_TRUE(back.ReadFromString(text));
  EXPECT_EQ(back.Pop().Real(), -2.5);
  EXPECT_EQ(back.Pop().Real(), 1.0);
  EXPECT_TRUE(back.Empty());
  EXPECT_EQ(back.Pop().Real(), 0); // empty: real 0
}

TEST_F(DSContainerTest, StringFormsRoundTripByteExact) {
  const RValue values[] = {3.25,  S("h\xC3\xA9llo"), S(""), -0.0, std::numeric_limits<double>::infinity(),
                           S("x")};
  CDS_Stack st;
  CDS_Queue qu;
  CDS_List li;
  CDS_Map ma;
  CDS_Priority pr;
  CDS_Grid gr;
  gr.Create(2, 3);
  int k = 0;
  for (const RValue& v : values) {
    st.Push(v);
    qu.Enqueue(v);
    li.Add(v);
    ma.Add(v, RValue(double(k)));
    pr.Add(v, RValue(double(k % 3)));
    gr.Cell_Operation(1, k % 2, k / 2, v);
    ++k;
  }
  qu.Dequeue();
  ma.Add(3.25, S("duplicate"));
  auto roundTrip = [](const auto& c) {
    std::remove_cvref_t<decltype(c)> back;
    const std::string text = c.WriteToString();
    EXPECT_TRUE(back.ReadFromString(text));
    EXPECT_EQ(back.WriteToString(), text);
    // Lower-case digits read the same; an odd last character is ignored.
    std::string lower = text;
    for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    std::remove_cvref_t<decltype(c)> back2;
    EXPECT_TRUE(back2.ReadFromString(lower + "Z"));
    EXPECT_EQ(back2.WriteToString(), text);
  };
  roundTrip(st);
  roundTrip(qu);
  roundTrip(li);
  roundTrip(ma);
  roundTrip(pr);
  roundTrip(gr);
  // The value record: kind, real, string length, UTF-8 bytes; both parts always.
  EXPECT_EQ(li.WriteToString().substr(16, 32), ValueHex(3.25));
  EXPECT_EQ(ValueHex(S("h\xC3\xA9")), "01000000"
                                      "0000000000000000"
                                      "03000000"
                                      "68C3A9");
}

TEST_F(DSContainerTest, ReadingAnotherClassChangesNothing) {
  CDS_List li;
  li.Add(7.0);
  CDS_Stack st;
  st.Push(S("keep"));
  const std::string before = st.WriteToString();
  EXPECT_FALSE(st.ReadFromString(li.WriteToString()));
  EXPECT_EQ(st.WriteToString(), before);
}

TEST_F(DSContainerTest, MalformedTextThrowsAndChangesNothing) {
  CDS_List li;
  li.Add(1.0);
  li.Add(S("two"));
  const std::string good = li.WriteToString();
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"not hexadecimal", "2D01000G"},
      {"empty", ""},
      {"header only", "2D010000"},
      {"cut inside a value", good.substr(0, good.size() - 10)},
      {"negative count", "2D010000FFFFFFFF"},
      {"huge count", "2D010000FFFFFF7F" + ValueHex(1.0)},
      {"string longer than the rest", "2D01000001000000"
                                      "01000000"
                                      "0000000000000000"
                                      "FFFFFF7F"
                                      "41"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_ANY_THROW(li.ReadFromString(c.text));
    EXPECT_EQ(li.WriteToString(), good);
  }
  CDS_Queue qu;
  // Positions that do not fit the stored array.
  EXPECT_THROW(qu.ReadFromString("C9000000"
                                 "05000000"
                                 "00000000"
                                 "00000000"),
               EStreamError);
  EXPECT_THROW(qu.ReadFromString("C9000000"
                                 "00000000"
                                 "01000000"
                                 "00000000"),
               EStreamError);
  CDS_Grid gr;
  EXPECT_THROW(gr.ReadFromString("59020000"
                                 "FFFF0000"
                                 "FFFF0000"),
               EStreamError);
  EXPECT_THROW(gr.ReadFromString("59020000"
                                 "FFFFFFFF"
                                 "01000000"),
               EStreamError);
}

TEST_F(DSContainerTest, QueueCompactsAndKeepsItsSlots) {
  CDS_Queue qu;
  for (int i = 0; i < 20; ++i) qu.Enqueue(RValue(double(i)));
  for (int i = 0; i < 17; ++i) EXPECT_EQ(qu.Dequeue().Real(), i);
  EXPECT_EQ(qu.Size(), 3);
  EXPECT_EQ(qu.Head().Real(), 17);
  EXPECT_EQ(qu.Tail().Real(), 19);
  CStream s;
  s.ConvertFromString(qu.WriteToString());
  EXPECT_EQ(s.ReadInteger(), 201);
  EXPECT_EQ(s.ReadInteger(), 3);  // i_first
  EXPECT_EQ(s.ReadInteger(), 0);  // i_last
  EXPECT_EQ(s.ReadInteger(), 32); // grown twice by 16
  std::vector<double> slots;
  for (int i = 0; i < 32; ++i) {
    s.ReadInteger();
    slots.push_back(s.ReadReal());
    s.ReadString();
  }
  // Moved values are copies: slot 3 onwards still holds what it held.
  EXPECT_EQ(slots[0], 17);
  EXPECT_EQ(slots[2], 19);
  EXPECT_EQ(slots[3], 3);
  EXPECT_EQ(slots[19], 19);
  EXPECT_EQ(slots[20], 0);
  while (!qu.Empty()) qu.Dequeue();
  EXPECT_EQ(qu.Dequeue().Real(), 0);
  EXPECT_EQ(qu.Head().Real(), 0);
}

// The literal insertion sort, to check the fast sort against.
void ReferenceSort(std::vector<RValue>& v, bool ascend) {
  for (size_t i = 1; i < v.size(); ++i)
    for (size_t j = i; j >= 1; --j) {
      if ((CompareValues(v[j - 1], v[j]) > 0) != ascend) break;
      std::swap(v[j - 1], v[j]);
    }
}

std::vector<RValue> Contents(const CDS_List& li) {
  std::vector<RValue> out;
  for (int32_t i = 0; i < li.Size(); ++i) out.push_back(li.GetValue(i));
  return out;
}

TEST_F(DSContainerTest, ListSortDocumentedOrders) {
  CDS_List li;
  li.Add(3.0);
  li.Add(S("a"));
  li.Add(1.0);
  li.Sort(true);
  EXPECT_EQ(li.GetValue(0).Real(), 1);
  EXPECT_EQ(li.GetValue(1).Real(), 3);
  EXPECT_EQ(li.GetValue(2).Str(), "a");
  li.Sort(false);
  EXPECT_EQ(li.GetValue(0).Str(), "a");
  EXPECT_EQ(li.GetValue(1).Real(), 3);
  EXPECT_EQ(li.GetValue(2).Real(), 1);

  CDS_List eq;
  eq.Add(2.0);
  eq.Add(2.000000001);
  eq.Sort(false);
  EXPECT_EQ(eq.GetValue(0).Real(), 2.000000001);
  eq.Sort(true); // ascending keeps equal values in their order
  EXPECT_EQ(eq.GetValue(0).Real(), 2.000000001);
}

TEST_F(DSContainerTest, ListSortMatchesInsertionSort) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    DS_SetPrecision(round % 3 == 0 ? 0.0 : round % 3 == 1 ? 1e-8 : 0.5);
    CDS_List li;
    std::vector<RValue> ref;
    const int n = int(rng() % 40);
    for (int i = 0; i < n; ++i) {
      RValue v;
      switch (rng() % 5) {
      case 0: v = RValue(double(rng() % 5)); break;
      case 1: v = RValue(double(rng() % 5) + (rng() % 2) * 1e-9); break;
      case 2: v = RValue(std::string(1, char('a' + rng() % 3))); break;
      case 3: v = RValue((rng() % 100) / 10.0); break;
      default: v = RValue(round % 17 == 0 ? std::nan("") : double(rng() % 3));
      }
      li.Add(v);
      ref.push_back(v);
    }
    const bool ascend = rng() % 2;
    li.Sort(ascend);
    ReferenceSort(ref, ascend);
    const std::vector<RValue> got = Contents(li);
    ASSERT_EQ(got.size(), ref.size());
    for (size_t i = 0; i < ref.size(); ++i)
      ASSERT_TRUE(Same(got[i], ref[i])) << "round " << round << " at " << i;
  }
}

TEST_F(DSContainerTest, ListPositionsAndShuffle) {
  CDS_List li;
  li.Insert(1, 5.0); // beyond the end: ignored
  li.Insert(0, 5.0);
  li.Insert(1, 7.0); // = size: appends
  li.Insert(0, 4.0);
  li.Replace(3, 9.0);
  li.Delete(-1);
  EXPECT_EQ(li.Size(), 3);
  EXPECT_EQ(li.Find(7.0), 2);
  EXPECT_EQ(li.Find(8.0), -1);
  EXPECT_EQ(li.GetValue(3).Real(), 0);
  li.Delete(0);
  EXPECT_EQ(li.GetValue(0).Real(), 5);

  // Shuffle draws i then j, 8 x size times, from the shared generator.
  CDS_List sh;
  for (int i = 0; i < 4; ++i) sh.Add(RValue(double(i)));
  SetRandomSeed(12345);
  sh.Shuffle();
  std::vector<double> expect = {0, 1, 2, 3};
  SetRandomSeed(12345);
  for (int k = 0; k < 32; ++k) {
    const uint32_t i = Random(4), j = Random(4);
    std::swap(expect[i], expect[j]);
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(sh.GetValue(i).Real(), expect[i]);
}

// The map algorithm over one flat array, to check the chunked map against.
struct RFlatMap {
  std::vector<RValue> keys, vals;
  int L(const RValue& p) const {
    int lo = 0, hi = int(keys.size()) - 1;
    while (hi - lo > 7) {
      int mid = (lo + hi) / 2;
      if (CompareValues(keys[mid], p) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    for (int k = lo; k <= hi; ++k)
      if (CompareValues(keys[k], p) >= 0) return k;
    return -1;
  }
  int U(const RValue& p) const {
    int lo = 0, hi = int(keys.size()) - 1;
    while (hi - lo > 7) {
      int mid = (lo + hi) / 2;
      if (CompareValues(keys[mid], p) > 0)
        hi = mid - 1;
      else
        lo = mid;
    }
    for (int k = hi; k >= lo; --k)
      if (CompareValues(keys[k], p) <= 0) return k;
    return -1;
  }
  void Add(const RValue& k, const RValue& v) {
    int at = U(k) + 1;
    keys.insert(keys.begin() + at, k);
    vals.insert(vals.begin() + at, v);
  }
  void Delete(const RValue& k) {
    int at = L(k);
    if (at >= 0 && CompareValues(keys[at], k) == 0)
      keys.erase(keys.begin() + at), vals.erase(vals.begin() + at);
  }
  RValue Find(const RValue& k) const {
    int at = L(k);
    return at >= 0 && CompareValues(keys[at], k) == 0 ? vals[at] : RValue();
  }
  RValue Prev(const RValue& k) const {
    int at = L(k);
    at = at < 0 ? int(keys.size()) - 1 : at - 1;
    return at >= 0 ? keys[at] : RValue();
  }
  RValue Next(const RValue& k) const {
    int at = U(k) + 1;
    return at < int(keys.size()) ? keys[at] : RValue();
  }
};

TEST_F(DSContainerTest, MapDocumentedCases) {
  CDS_Map ma;
  EXPECT_EQ(ma.FindFirst().Real(), 0);
  EXPECT_EQ(ma.FindNext(1.0).Real(), 0);
  ma.Add(5.0, S("x"));
  ma.Add(5.0, S("y"));
  EXPECT_EQ(ma.Find(5.0).Str(), "x");
  ma.Delete(5.0);
  EXPECT_EQ(ma.Find(5.0).Str(), "y");
  ma.Add(2.0, S("two"));
  ma.Add(S("k"), 1.0);
  EXPECT_EQ(ma.FindPrevious(1.0).Real(), 0); // below all keys
  EXPECT_EQ(ma.FindNext(S("z")).Real(), 0);  // above all keys
  EXPECT_EQ(ma.FindNext(-10.0).Real(), 2);   // below all keys: the first key
  EXPECT_EQ(ma.FindNext(2.0).Real(), 5);
  EXPECT_EQ(ma.FindPrevious(S("k")).Real(), 5);
  EXPECT_EQ(ma.FindLast().Str(), "k");
  ma.Replace(7.0, S("absent")); // adds nothing
  EXPECT_EQ(ma.Size(), 3);
  ma.Replace(2.0, S("deux"));
  EXPECT_EQ(ma.Find(2.0).Str(), "deux");
  EXPECT_FALSE(ma.Exists(3.0));
}

TEST_F(DSContainerTest, MapMatchesFlatArray) {
  std::mt19937 rng(11);
  for (int round = 0; round < 6; ++round) {
    DS_SetPrecision(round == 5 ? 0.5 : 1e-8); // a coarse precision makes near keys collide
    CDS_Map ma;
    RFlatMap ref;
    for (int op = 0; op < 4000; ++op) {
      const RValue key = rng() % 4 == 0 ? RValue(std::to_string(rng() % 300)) : RValue((rng() % 3000) / 4.0);
      switch (rng() % 6) {
      case 0:
      case 1:
      case 2:
        ma.Add(key, RValue(double(op)));
        ref.Add(key, RValue(double(op)));
        break;
      case 3:
        ma.Delete(key);
        ref.Delete(key);
        break;
      default:
        ASSERT_TRUE(Same(ma.Find(key), ref.Find(key))) << op;
        ASSERT_TRUE(Same(ma.FindPrevious(key), ref.Prev(key))) << op;
        ASSERT_TRUE(Same(ma.FindNext(key), ref.Next(key))) << op;
      }
      ASSERT_EQ(ma.Size(), int32_t(ref.keys.size()));
    }
    CStream flat;
    flat.WriteInteger(401);
    flat.WriteInteger(int32_t(ref.keys.size()));
    for (const auto* part : {&ref.keys, &ref.vals})
      for (const RValue& v : *part)
        flat.WriteInteger(v.Kind()), flat.WriteReal(v.IsReal() ? v.Real() : 0), flat.WriteString(v.Str());
    ASSERT_EQ(ma.WriteToString(), flat.ConvertToString());
  }
}

TEST_F(DSContainerTest, MapIteratesInKeyOrder) {
  CDS_Map ma;
  std::vector<int> keys(3000);
  for (int i = 0; i < 3000; ++i) keys[i] = i;
  std::shuffle(keys.begin(), keys.end(), std::mt19937(5));
  for (int k : keys) ma.Add(RValue(double(k)), RValue(double(-k)));
  int count = 0;
  for (RValue k = ma.FindFirst(); count < 3000; k = ma.FindNext(k), ++count) {
    ASSERT_EQ(k.Real(), count);
    ASSERT_EQ(ma.Find(k).Real(), -count);
  }
  EXPECT_EQ(ma.FindLast().Real(), 2999);
  for (int k : keys) ma.Delete(RValue(double(k)));
  EXPECT_TRUE(ma.Empty());
}

TEST_F(DSContainerTest, MapReadKeepsStoredOrder) {
  // Keys 3, 1 stored unsorted: the searches run over them as stored.
  CStream s;
  s.WriteInteger(401);
  s.WriteInteger(2);
  for (double k : {3.0, 1.0}) s.WriteInteger(0), s.WriteReal(k), s.WriteString("");
  for (const char* v : {"three", "one"}) s.WriteInteger(1), s.WriteReal(0), s.WriteString(v);
  CDS_Map ma;
  ASSERT_TRUE(ma.ReadFromString(s.ConvertToString()));
  EXPECT_EQ(ma.FindFirst().Real(), 3);
  EXPECT_EQ(ma.Find(3.0).Str(), "three");
  EXPECT_EQ(ma.Find(1.0).Real(), 0); // L(1) is index 0 (3 is not less than 1), which does not match
  EXPECT_EQ(ma.WriteToString(), s.ConvertToString());
}

TEST_F(DSContainerTest, PriorityDocumentedCases) {
  CDS_Priority pr;
  EXPECT_EQ(pr.FindMin().Real(), 0);
  EXPECT_EQ(pr.DeleteMax().Real(), 0);
  pr.Add(S("a"), 4.0);
  pr.Add(S("b"), 1.0);
  pr.Add(S("c"), 1.0);
  EXPECT_EQ(pr.FindMax().Str(), "a");
  EXPECT_EQ(pr.DeleteMin().Str(), "b");
  // The last entry moved into the freed slot: storage order a, c.
  CDS_Priority expect;
  expect.Add(S("a"), 4.0);
  expect.Add(S("c"), 1.0);
  EXPECT_EQ(pr.WriteToString(), expect.WriteToString());
  pr.Change(S("c"), 9.0);
  EXPECT_EQ(pr.Find(S("c")).Real(), 9);
  EXPECT_EQ(pr.FindMax().Str(), "c");
  pr.Delete(S("c"));
  EXPECT_EQ(pr.Size(), 1);
  EXPECT_EQ(pr.Find(S("zz")).Real(), 0);
}

// The literal scans, to check the indexed minimum and maximum against.
int ReferenceSelect(const std::vector<RValue>& prio, int sign) {
  int m = 0;
  for (int k = 1; k < int(prio.size()); ++k)
    if (CompareValues(prio[k], prio[m]) == sign) m = k;
  return m;
}

TEST_F(DSContainerTest, PriorityMatchesScan) {
  std::mt19937 rng(3);
  // Values and priorities from small sets with near-equal reals, strings and (in one round) NaN.
  auto draw = [&](int round) {
    const unsigned kind = rng() % 10;
    return kind == 0                 ? RValue(std::string(1, char('a' + rng() % 4)))
           : kind == 1               ? RValue(double(rng() % 8) + 1e-9)
           : kind == 2 && round == 3 ? RValue(std::nan(""))
                                     : RValue((rng() % 40) / 5.0);
  };
  auto firstEqual = [](const std::vector<RValue>& vals, const RValue& v) {
    for (size_t k = 0; k < vals.size(); ++k)
      if (CompareValues(vals[k], v) == 0) return int(k);
    return -1;
  };
  for (int round = 0; round < 8; ++round) {
    DS_SetPrecision(round % 4 == 0 ? 0.0 : round % 4 == 1 ? 1e-8 : round % 4 == 2 ? 0.3 : 1e-8);
    CDS_Priority pr;
    std::vector<RValue> vals, prio;
    for (int op = 0; op < 3000; ++op) {
      const RValue p = draw(round), v = draw(round);
      const unsigned action = rng() % 8;
      if (action < 3 || vals.empty()) {
        pr.Add(v, p);
        vals.push_back(v);
        prio.push_back(p);
      } else if (action < 5) {
        const int sign = action == 3 ? -1 : 1;
        const int m = ReferenceSelect(prio, sign);
        ASSERT_TRUE(Same(sign < 0 ? pr.FindMin() : pr.FindMax(), vals[m])) << op;
        ASSERT_TRUE(Same(sign < 0 ? pr.DeleteMin() : pr.DeleteMax(), vals[m])) << op;
        vals[m] = vals.back(), prio[m] = prio.back();
        vals.pop_back(), prio.pop_back();
      } else {
        const int k = firstEqual(vals, v);
        ASSERT_TRUE(Same(pr.Find(v), k >= 0 ? prio[k] : RValue())) << op;
        if (action == 5) {
          pr.Change(v, p);
          if (k >= 0) prio[k] = p;
        } else if (action == 6) {
          pr.Delete(v);
          if (k >= 0) vals[k] = vals.back(), prio[k] = prio.back(), vals.pop_back(), prio.pop_back();
        }
      }
      ASSERT_EQ(pr.Size(), int32_t(vals.size()));
    }
    CDS_Priority expect;
    for (size_t k = 0; k < vals.size(); ++k) expect.Add(vals[k], prio[k]);
    ASSERT_EQ(pr.WriteToString(), expect.WriteToString()); // the same storage order
  }
}

TEST_F(DSContainerTest, GridCellOperationsKeepThePartTheyDoNotWrite) {
  constexpr int32_t kReal = RValue::kReal, kString = RValue::kString;
  // The real 2 holding the text "keep", and the string "ab" holding the real 5.
  const RGridCell real(kReal, 2, S("keep")), text(kString, 5, S("ab"));
  struct Case {
    int op;
    const RGridCell& cell;
    RValue val;
    int32_t kind;
    double r;
    const char* str;
  } cases[] = {
      {1, real, 3.0, kReal, 3, "keep"},     {1, real, S("s"), kString, 2, "s"},
      {1, text, 3.0, kReal, 3, "ab"},       {1, text, S("s"), kString, 5, "s"},
      {2, real, 3.0, kReal, 5, "keep"},     {2, real, S("x"), kString, 2, "x"}, // a real and a string: a set
      {2, text, S("c"), kString, 5, "abc"}, {2, text, S(""), kString, 5, "ab"},
      {2, text, 3.0, kReal, 3, "ab"},       {3, real, 3.0, kReal, 6, "keep"},
      {3, real, S("x"), kReal, 2, "keep"},  {3, text, 3.0, kString, 5, "ab"},
      {3, text, S("x"), kString, 5, "ab"},
  };
  for (const Case& c : cases) {
    RGridCell cell = c.cell;
    DS_CellOperation(c.op, cell, c.val);
    SCOPED_TRACE(testing::Message() << c.op << " " << Describe(c.cell.Value()) << " " << Describe(c.val));
    EXPECT_EQ(cell.Kind(), c.kind);
    EXPECT_EQ(cell.Real(), c.r);
    EXPECT_EQ(cell.Str(), c.str);
    EXPECT_TRUE(Same(cell.Value(), c.kind == kReal ? RValue(c.r) : S(c.str)));
  }
  // The cells the cases started from share their texts and are untouched.
  EXPECT_EQ(real.Str(), "keep");
  EXPECT_EQ(text.Str(), "ab");
  EXPECT_TRUE(Same(text.Value(), S("ab")));
}

TEST_F(DSContainerTest, GridStringFormKeepsBothPartsOfEveryCell) {
  CDS_Grid g;
  g.Create(2, 1);
  g.Cell_Operation(1, 0, 0, S("ab"));
  g.Cell_Operation(1, 0, 0, 7.0); // the real 7, still holding "ab"
  g.Cell_Operation(1, 1, 0, 1.5);
  g.Cell_Operation(2, 1, 0, S("cd")); // the string "cd", still holding 1.5
  EXPECT_TRUE(Same(g.Get_Cell(0, 0), 7.0));
  EXPECT_TRUE(Same(g.Get_Cell(1, 0), S("cd")));
  const std::string text = g.WriteToString();
  EXPECT_EQ(text, "59020000"
                  "02000000"
                  "01000000"
                  "00000000"
                  "0000000000001C40"
                  "02000000"
                  "6162"
                  "01000000"
                  "000000000000F83F"
                  "02000000"
                  "6364");
  CDS_Grid back;
  ASSERT_TRUE(back.ReadFromString(text));
  EXPECT_EQ(back.WriteToString(), text);
  EXPECT_TRUE(Same(back.Get_Cell(0, 0), 7.0));
  EXPECT_TRUE(Same(back.Get_Cell(1, 0), S("cd")));
  EXPECT_ANY_THROW(back.ReadFromString(text.substr(0, text.size() - 4))); // cut inside a text
  EXPECT_EQ(back.WriteToString(), text);

  // Copies, size changes and shuffles move whole cells.
  CDS_Grid copy;
  copy.Assign(&g);
  EXPECT_EQ(copy.WriteToString(), text);
  ASSERT_TRUE(copy.Resize(3, 2));
  ASSERT_TRUE(copy.Resize(2, 1));
  EXPECT_EQ(copy.WriteToString(), text);
  const std::string header = text.substr(0, 24), first = text.substr(24, 36), second = text.substr(60);
  SetRandomSeed(5);
  copy.Shuffle();
  const std::string shuffled = copy.WriteToString();
  EXPECT_TRUE(shuffled == text || shuffled == header + second + first) << shuffled;

  // A source cell acts as its value: the part it does not hold stays behind.
  CDS_Grid d;
  d.Create(1, 1);
  d.Cell_Operation(1, 0, 0, S("zz"));
  d.Grid_Operation(1, g, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(d.WriteToString(), "59020000"
                               "01000000"
                               "01000000"
                               "00000000"
                               "0000000000001C40"
                               "02000000"
                               "7A7A");
  // Clearing takes the whole value.
  g.Clear(S("s"));
  EXPECT_EQ(g.WriteToString(), header + ValueHex(S("s")) + ValueHex(S("s")));
}

TEST_F(DSContainerTest, GridRegionsAndDisks) {
  CDS_Grid g;
  ASSERT_TRUE(g.Create(4, 3));
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 3; ++y) g.Cell_Operation(1, x, y, RValue(double(x * 10 + y)));
  EXPECT_EQ(g.Get_Sum(0, 0, 3, 2), 0 + 1 + 2 + 10 + 11 + 12 + 20 + 21 + 22 + 30 + 31 + 32);
  EXPECT_EQ(g.Get_Sum(5, 5, 2, 1), 21 + 22 + 31 + 32); // corners in any order, clipped
  EXPECT_EQ(g.Get_Max(-9, -9, 1, 1), 11);
  EXPECT_EQ(g.Get_Min(2, 0, 3, 2), 20);
  EXPECT_EQ(g.Get_Mean(0, 0, 1, 0), 5);
  EXPECT_EQ(g.Get_Disk_Sum(1, 1, 1), 1 + 10 + 11 + 12 + 21);
  EXPECT_EQ(g.Get_Disk_Max(0, 0, 0.5), 0);
  EXPECT_EQ(g.Value_Exists(0, 0, 3, 2, 21.000000001), 1);
  EXPECT_EQ(g.Value_X(0, 0, 3, 2, 21.0), 2);
  EXPECT_EQ(g.Value_Y(0, 0, 3, 2, 21.0), 1);
  EXPECT_EQ(g.Value_X(0, 0, 3, 2, 99.0), 0);
  EXPECT_EQ(g.Value_Disk_Exists(3, 2, 1, 22.0), 1);
  EXPECT_EQ(g.Value_Disk_Exists(3, 2, 1, 11.0), 0);
  EXPECT_EQ(g.Get_Disk_Sum(1, 1, std::nan("")), 0);
  g.Region_Operation(2, 1, 1, 2, 1, 100.0);
  EXPECT_EQ(g.Get_Cell(2, 1).Real(), 121);
  g.Disk_Operation(3, 0, 0, 0, 2.0);
  EXPECT_EQ(g.Get_Cell(0, 0).Real(), 0);
  EXPECT_EQ(g.Get_Cell(4, 0).Real(), 0); // outside: real 0

  // Only strings selected: the documented defaults.
  g.Clear(S("s"));
  EXPECT_EQ(g.Get_Max(0, 0, 3, 2), -100000000);
  EXPECT_EQ(g.Get_Min(0, 0, 3, 2), 100000000);
  EXPECT_EQ(g.Get_Mean(0, 0, 3, 2), 0);
  EXPECT_EQ(g.Get_Sum(0, 0, 3, 2), 0);
}

TEST_F(DSContainerTest, GridCopyOntoItselfShifts) {
  CDS_Grid g;
  g.Create(5, 1);
  for (int x = 0; x < 4; ++x) g.Cell_Operation(1, x, 0, RValue(double(x + 1)));
  g.Grid_Operation(1, g, 0, 0, 3, 0, 1, 0);
  const double expect[] = {1, 1, 2, 3, 4};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(g.Get_Cell(x, 0).Real(), expect[x]) << x;
  g.Grid_Operation(1, g, 1, 0, 4, 0, 0, 0); // and back to the left
  const double back[] = {1, 2, 3, 4, 4};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(g.Get_Cell(x, 0).Real(), back[x]) << x;

  // Negative destination and clipping at the far edge.
  CDS_Grid d;
  d.Create(2, 2);
  g.Grid_Operation(2, g, 0, 0, 4, 0, -2, 1);
  CDS_Grid src;
  src.Create(3, 3);
  src.Clear(7.0);
  d.Grid_Operation(1, src, 0, 0, 2, 2, 1, 1);
  EXPECT_EQ(d.Get_Cell(1, 1).Real(), 7);
  EXPECT_EQ(d.Get_Cell(0, 0).Real(), 0);
  d.Grid_Operation(1, src, 0, 0, 2, 2, -1, -1);
  EXPECT_EQ(d.Get_Cell(0, 0).Real(), 7);
}

TEST_F(DSContainerTest, GridSizes) {
  CDS_Grid g;
  ASSERT_TRUE(g.Create(3, 0));
  EXPECT_EQ(g.WriteToString(), "59020000"
                               "03000000"
                               "00000000");
  g.Shuffle();
  ASSERT_TRUE(g.Create(2000000000, 0)); // no cells: allowed, and the region functions visit nothing
  EXPECT_EQ(g.Get_Max(0, 0, 2000000000, 0), -100000000);
  ASSERT_TRUE(g.Create(-2, 5)); // negative sizes count as 0
  EXPECT_EQ(g.Width(), 0);
  EXPECT_FALSE(g.Create(100000, 100000));
  EXPECT_EQ(g.Width(), 0);
  ASSERT_TRUE(g.Create(2, 2));
  g.Cell_Operation(1, 1, 1, 5.0);
  ASSERT_TRUE(g.Resize(3, 1));
  EXPECT_EQ(g.Get_Cell(1, 0).Real(), 0);
  ASSERT_TRUE(g.Resize(3, 2));
  EXPECT_EQ(g.Get_Cell(1, 1).Real(), 0); // dropped by the smaller size, not kept
  g.Cell_Operation(1, 2, 1, 9.0);
  ASSERT_TRUE(g.Resize(4, 3));
  EXPECT_EQ(g.Get_Cell(2, 1).Real(), 9);
  g.Assign(nullptr);
  EXPECT_EQ(g.Width(), 0);
  EXPECT_EQ(g.Height(), 0);
}

TEST_F(DSContainerTest, GridShuffleDrawOrder) {
  CDS_Grid g;
  g.Create(2, 2);
  for (int i = 0; i < 4; ++i) g.Cell_Operation(1, i / 2, i % 2, RValue(double(i)));
  SetRandomSeed(99);
  g.Shuffle();
  double cells[2][2] = {{0, 1}, {2, 3}};
  SetRandomSeed(99);
  for (int k = 0; k < 32; ++k) {
    const uint32_t x1 = Random(2), x2 = Random(2), y1 = Random(2), y2 = Random(2);
    std::swap(cells[x1][y1], cells[x2][y2]);
  }
  for (int x = 0; x < 2; ++x)
    for (int y = 0; y < 2; ++y) EXPECT_EQ(g.Get_Cell(x, y).Real(), cells[x][y]);
}

} // namespace
} // namespace vl
