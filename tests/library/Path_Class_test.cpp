#include "data/Support_Stream.h"
#include "library/Path_Class.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

CPath Square(int32_t kind, bool closed) {
  CPath path;
  path.i_kind = kind;
  path.SetClosed(closed);
  for (auto [x, y] : {std::pair{0, 0}, {100, 0}, {100, 100}, {0, 100}}) path.AddPoint(x, y, 100);
  return path;
}

void ExpectAt(const CPath& path, double t, double x, double y) {
  const RWayPoint p = path.GetPosition(t);
  EXPECT_NEAR(p.x, x, 1e-9) << "t = " << t;
  EXPECT_NEAR(p.y, y, 1e-9) << "t = " << t;
}

TEST(Path, NewPathIsEmptyStraightClosedWithPrecisionFour) {
  CPath path;
  EXPECT_EQ(path.Count(), 0);
  EXPECT_EQ(path.i_kind, 0);
  EXPECT_TRUE(path.i_closed);
  EXPECT_EQ(path.i_precision, 4);
  const RWayPoint p = path.GetPosition(0.5);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.speed, 100);
}

TEST(Path, ClosedStraightSquare) {
  const CPath path = Square(0, true);
  EXPECT_EQ(path.IntCount(), 5);
  EXPECT_DOUBLE_EQ(path.i_length, 400);
  ExpectAt(path, 0.5, 100, 100);
  ExpectAt(path, 0.125, 50, 0);
  ExpectAt(path, 0.875, 0, 50);
  ExpectAt(path, 1, 0, 0); // back at the start
}

TEST(Path, OpenStraightSquareEndsAtItsLastPoint) {
  const CPath path = Square(0, false);
  EXPECT_EQ(path.IntCount(), 4);
  EXPECT_DOUBLE_EQ(path.i_length, 300);
  ExpectAt(path, 1, 0, 100);
}

TEST(Path, PositionOutsideZeroToOneIsClamped) {
  const CPath path = Square(0, false);
  ExpectAt(path, -1, 0, 0);
  ExpectAt(path, 2, 0, 100);
}

TEST(Path, SpeedIsInterpolated) {
  CPath path;
  path.SetClosed(false);
  path.AddPoint(0, 0, 100);
  path.AddPoint(10, 0, 200);
  EXPECT_DOUBLE_EQ(path.Speed(0.25), 125);
}

TEST(Path, SmoothOpenWithTwoPointsIsTheStraightLine) {
  CPath path;
  path.SetKind(1);
  path.SetClosed(false);
  path.AddPoint(0, 0, 100);
  path.AddPoint(30, 40, 100);
  EXPECT_EQ(path.IntCount(), 2);
  EXPECT_DOUBLE_EQ(path.i_length, 50);
}

TEST(Path, SmoothOpenWithOnePointHasTwoEqualPointsAndNoLength) {
  CPath path;
  path.SetKind(1);
  path.SetClosed(false);
  path.AddPoint(7, 8, 100);
  EXPECT_EQ(path.IntCount(), 2);
  EXPECT_EQ(path.i_length, 0);
  ExpectAt(path, 0.7, 7, 8);
}

TEST(Path, SmoothWithPrecisionZero) {
  CPath open = Square(1, false);
  open.SetPrecision(0);
  EXPECT_EQ(open.IntCount(), 2);
  EXPECT_DOUBLE_EQ(open.i_length, 100); // (0,0) to (0,100)
  CPath closed = Square(1, true);
  closed.SetPrecision(0);
  EXPECT_EQ(closed.IntCount(), 0);
}

TEST(Path, SmoothCurveStaysInsideTheCornersAndIsOrdered) {
  const CPath path = Square(1, true);
  ASSERT_GT(path.IntCount(), 5);
  EXPECT_EQ(path.i_intpoints.front().x, path.i_intpoints.back().x);
  EXPECT_EQ(path.i_intpoints.front().y, path.i_intpoints.back().y);
  for (const RIntPoint& p : path.i_intpoints) {
    EXPECT_GE(p.x, 0);
    EXPECT_LE(p.x, 100);
  }
  for (int32_t i = 1; i < path.IntCount(); ++i) EXPECT_GE(path.i_intpoints[i].l, path.i_intpoints[i - 1].l);
  EXPECT_LT(path.i_length, 400); // corners are cut
}

TEST(Path, SettersNormalize) {
  CPath path;
  path.SetPrecision(12);
  EXPECT_EQ(path.i_precision, 8);
  path.SetPrecision(-3);
  EXPECT_EQ(path.i_precision, 0);
  path.SetKind(5);
  EXPECT_EQ(path.i_kind, 0);
}

TEST(Path, PointEditingIgnoresBadIndices) {
  CPath path = Square(0, false);
  path.InsertPoint(5, 1, 1, 1);
  path.ChangePoint(4, 1, 1, 1);
  path.DeletePoint(-1);
  EXPECT_EQ(path.Count(), 4);
  path.InsertPoint(4, 0, 200, 50); // at the end is allowed
  EXPECT_EQ(path.Count(), 5);
  EXPECT_DOUBLE_EQ(path.i_length, 400);
  const RWayPoint none = path.Point(9);
  EXPECT_EQ(none.speed, 1);
}

TEST(Path, RotateTurnsRightOfCentreToAbove) {
  CPath path;
  path.AddPoint(-10, 0, 100);
  path.AddPoint(10, 0, 100);
  path.Rotate(90);
  EXPECT_NEAR(path.Point(1).x, 0, 1e-9);
  EXPECT_NEAR(path.Point(1).y, -10, 1e-9);
}

TEST(Path, Transformations) {
  CPath path = Square(0, false);
  path.Shift(10, 20);
  EXPECT_EQ(path.Point(0).x, 10);
  path.Mirror();
  EXPECT_EQ(path.Point(0).x, 110);
  path.Flip();
  EXPECT_EQ(path.Point(0).y, 120);
  path.Scale(2, 1);
  EXPECT_EQ(path.Point(0).x, 160);
  path.Reverse();
  EXPECT_EQ(path.Point(3).x, 160);
  path.Append(path);
  EXPECT_EQ(path.Count(), 8);
  double cx, cy;
  CPath().Center(cx, cy);
  EXPECT_EQ(cx, 0);
}

CStream PathSection(int32_t recordversion) {
  CStream section;
  section.WriteInteger(800);
  section.WriteInteger(2);
  CStream absent;
  absent.WriteBoolean(false);
  section.WriteStreamC(absent);
  CStream entry;
  entry.WriteBoolean(true);
  entry.WriteString("pth_line");
  entry.WriteInteger(recordversion);
  entry.WriteInteger(0);
  entry.WriteBoolean(false);
  entry.WriteInteger(4);
  entry.WriteInteger(2);
  for (double v : {0.0, 0.0, 100.0, 30.0, 40.0, 100.0}) entry.WriteReal(v);
  section.WriteStreamC(entry);
  section.Seek(0);
  return section;
}

TEST(PathList, LoadsTheSection) {
  CPathList list;
  CStream section = PathSection(530);
  ASSERT_TRUE(list.LoadSection(section));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_FALSE(list.Exists(0));
  EXPECT_EQ(list.Name(0), "<undefined>");
  EXPECT_EQ(list.Find("pth_line"), 1);
  EXPECT_DOUBLE_EQ(list.Get(1)->i_length, 50);
  CStream wrong = PathSection(531);
  EXPECT_FALSE(list.LoadSection(wrong));
}

TEST(PathList, AddDuplicateAssignDelete) {
  CPathList list;
  CStream section = PathSection(530);
  ASSERT_TRUE(list.LoadSection(section));
  EXPECT_EQ(list.Add(), 2);
  EXPECT_EQ(list.Name(2), "__newpath2");
  EXPECT_EQ(list.Duplicate(0), -1);
  const int32_t copy = list.Duplicate(1);
  EXPECT_EQ(copy, 3);
  EXPECT_DOUBLE_EQ(list.Get(copy)->i_length, 50);
  EXPECT_TRUE(list.Assign(0, 1));
  EXPECT_DOUBLE_EQ(list.Get(0)->i_length, 50);
  EXPECT_FALSE(list.Assign(9, 1));
  list.Delete(1);
  EXPECT_FALSE(list.Assign(2, 1));
  EXPECT_EQ(list.Find("pth_line"), -1);
}

} // namespace
} // namespace vl
