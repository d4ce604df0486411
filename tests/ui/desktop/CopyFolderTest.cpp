#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/files/PrivateFolders.h"
#include "support/FakeDesktop.h"
#include "ui/desktop/CopyFolder.h"
#include "ui/desktop/QtText.h"

namespace quillon {
namespace {

// Two holders of one copy (a Test waiting for its nodes, the watch that restarts its ports):
// the copy stays until both let go, whatever the order.
TEST(CopyFolder, ACopyHeldTwiceStaysUntilBothLetGo) {
  test::FakeDesktop desktop;
  QTemporaryDir root;
  CopyFolder folder(desktop, root.path());
  ASSERT_TRUE(CreatePrivateFolders(Ss(folder.Folder())));
  const std::string copy = folder.NewPath("nodes", "map.wad");
  QFile file(Qs(copy));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  folder.Hold(copy, true);
  folder.Hold(copy, true);
  folder.UsedBy(copy, {});
  folder.Hold(copy, false);
  EXPECT_TRUE(QFile::exists(Qs(copy)));
  folder.Hold(copy, false);
  EXPECT_FALSE(QFile::exists(Qs(copy)));
  folder.Hold(copy, false);  // one release too many holds nothing back
}

}  // namespace
}  // namespace quillon
