// The waiting checks that replace QTest's: they let events run, and a failure is GoogleTest's.
#include <gtest/gtest-spi.h>

#include <QTimer>

namespace quillon::test {
namespace {

TEST(QtChecks, EventuallyLetsEventsRunUntilTheConditionHolds) {
  bool done = false;
  QTimer::singleShot(0, [&done] { done = true; });
  EXPECT_EVENTUALLY(done, 5000);
}

TEST(QtChecks, EventuallyFailsAsGoogleTestDoes) {
  EXPECT_NONFATAL_FAILURE(EXPECT_EVENTUALLY(false, 1), "still false after 1 ms: false");
  EXPECT_FATAL_FAILURE(ASSERT_EVENTUALLY(false, 1), "still false after 1 ms: false");
}

}  // namespace
}  // namespace quillon::test
