// Time-line moments: finding them around a position, and adding and deleting them by step.
#include "world/TimeLine_Class.h"

#include <gtest/gtest.h>

namespace vl {
namespace {

std::vector<int32_t> Steps(const CTimeLine& line) {
  std::vector<int32_t> steps;
  for (const auto& moment : line.s_moments) steps.push_back(moment.m_step);
  return steps;
}

TEST(TimeLineMoments, FoundAroundAPosition) {
  CTimeLine empty;
  EXPECT_EQ(empty.FindLarger(0), -1);
  EXPECT_EQ(empty.FindSmaller(0), -1);
  EXPECT_EQ(empty.Find(0), -1);

  CTimeLine line;
  for (int32_t step : {10, 0, 5}) line.AddMoment(step);
  struct RCase {
    double position;
    int32_t larger, smaller;
  };
  const RCase cases[] = {
      {-1, 0, -1}, {0, 0, 0}, {0.5, 1, 0}, {5, 1, 1}, {6.5, 2, 1}, {10, 2, 2}, {10.5, 3, 2},
  };
  for (const RCase& c : cases) {
    EXPECT_EQ(line.FindLarger(c.position), c.larger) << c.position;
    EXPECT_EQ(line.FindSmaller(c.position), c.smaller) << c.position;
  }
  EXPECT_EQ(line.Find(5), 1);
  EXPECT_EQ(line.Find(6), -1);
}

TEST(TimeLineMoments, AddedInOrderOnceAndDeletedByStep) {
  CTimeLine line;
  for (int32_t step : {10, 0, 5}) line.AddMoment(step).m_event->AddCodeAction("x = " + std::to_string(step));
  CEvent* five = line.s_moments[1].m_event.get();
  line.AddMoment(5); // an existing step: the same moment, untouched
  EXPECT_EQ(Steps(line), (std::vector<int32_t>{0, 5, 10}));
  EXPECT_EQ(line.s_moments[1].m_event.get(), five);
  EXPECT_EQ(five->Number(), 1);
  line.DeleteMoment(7);
  line.DeleteMoment(5);
  EXPECT_EQ(Steps(line), (std::vector<int32_t>{0, 10}));
  EXPECT_EQ(line.s_moments[1].m_event->Action(0)->act_argstring[0], "x = 10");
}

} // namespace
} // namespace vl
