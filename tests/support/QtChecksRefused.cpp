// Must not compile: QtChecks.h turns QTest's checks away (see tests/CMakeLists.txt).
#include <QTest>

TEST(QtChecks, Refused) {
  QTRY_VERIFY(true);
}
