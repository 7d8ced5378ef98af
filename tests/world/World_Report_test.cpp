#include "script/Code_Error.h"
#include "tests/world/World_Test_Support.h"
#include "world/Object_Class.h"
#include "world/World_Report.h"

#include <gtest/gtest.h>

namespace vl::test {
namespace {

class WorldReportTest : public ::testing::Test {
protected:
  void SetUp() override { ResetWorld(); }
};

TEST_F(WorldReportTest, HeadersNameActionEventAndObject) {
  RPackObject wall{"wall"}, ball{"ball"};
  RGameProject project;
  project.gp_roomorder = {0};
  project.gp_objects = {wall, ball};
  ASSERT_TRUE(LoadProject(project));
  struct RCase {
    RCurrentEvent ev;
    bool fatal;
    std::string header;
  };
  const RCase cases[] = {
      {{1, 4, 0, 2},
       false,
       "ERROR in\r\naction number 3\r\nof Collision Event with object wall\r\nfor object ball:\r\n\r\n"},
      {{0, 9, 65, 0},
       true,
       "FATAL ERROR in\r\naction number 1\r\nof Key Press Event for A-key Key\r\nfor object wall:\r\n\r\n"},
      {{0, 3, 1, 0}, false, "ERROR in\r\naction number 1\r\nof Begin Step Event\r\nfor object wall:\r\n\r\n"},
      {{0, 7, 12, 4},
       false,
       "ERROR in\r\naction number 5\r\nof Other Event: User Defined 2\r\nfor object wall:\r\n\r\n"},
      {{2, kTimeLineEvent, 30, 0},
       false,
       "ERROR in\r\naction number 1\r\nat time step 30\r\nof time line <undefined>:\r\n\r\n"},
  };
  for (const RCase& c : cases) {
    CurrentEvent() = c.ev;
    EXPECT_EQ(EventErrorHeader(c.fatal), c.header);
  }
}

TEST_F(WorldReportTest, EventErrorsGoThroughTheReporter) {
  Reports().errorAnswer = EErrorAnswer::Ignore;
  CurrentEvent() = {-1, 0, 0, 0};
  ReportEventError("Unknown variable x", false);
  ASSERT_EQ(Reports().errors.size(), 1u);
  EXPECT_EQ(Reports().errors[0].substr(Reports().errors[0].size() - 18), "Unknown variable x");
  EXPECT_EQ(LastError, EventErrorHeader(false) + "Unknown variable x");
  EXPECT_EQ(New_Room, kRoomNone);
}

} // namespace
} // namespace vl::test
