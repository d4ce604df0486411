#include "gui/MainWindowFixture.h"

namespace quillon::test {
namespace {

struct TipCase {
  const char* box;
  const char* checkedTip;
  const char* uncheckedTip;
  friend void PrintTo(const TipCase& c, std::ostream* os) { *os << c.box; }
};

class OptionTooltip : public MainWindowTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(OptionTooltip, EachClickSetsTheTooltipOfTheNewState) {
  const TipCase& c = GetParam();
  WriteDefaultIni();
  Open();
  const QByteArray before = IniBytes();
  QCheckBox* box = Box(c.box);
  const bool initially = box->isChecked();
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_NE(box->isChecked(), initially);
  EXPECT_EQ(box->toolTip(), box->isChecked() ? c.checkedTip : c.uncheckedTip);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->toolTip(), box->isChecked() ? c.checkedTip : c.uncheckedTip);
  EXPECT_EQ(IniBytes(), before);  // no click writes to the file
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, OptionTooltip,
    ::testing::Values(
        TipCase{"chkNoMonsters", "Click to enable monsters", "Click to disable monsters"},
        TipCase{"chkNoMusic", "Click to enable MIDI music", "Click to disable MIDI music"},
        TipCase{"chkNoSound", "Click to enable wave sounds", "Click to disable wave sounds"},
        TipCase{"chkNoCD", "Click to enable CD music", "Click to disable CD music"},
        TipCase{"chkCloseOnTest", "Program will exit upon clicking test",
                "Program will not exit upon clicking test"},
        TipCase{"chkWarp", "Level warp is on", "Level warp is off"},
        TipCase{"chkEnableFiles", "Click to disable custom files", "Click to enable custom files"},
        TipCase{"chkGLmode", "", ""}),
    ::testing::PrintToStringParamName());

TEST_F(MainWindowTest, WarpOffGreysTheLevelWithoutClearingIt) {
  WriteDefaultIni();
  Put("Memory", "Warp", "1");
  Put("Memory", "WarpTo", "3");
  Open();
  QLineEdit* level = Text("txtWarp");
  QTest::mouseClick(Box("chkWarp"), Qt::LeftButton);
  EXPECT_FALSE(level->isEnabled());
  EXPECT_EQ(level->text(), "3");
  EXPECT_EQ(level->palette().color(QPalette::Disabled, QPalette::Base),
            QApplication::palette().color(QPalette::Window));
  EXPECT_EQ(level->toolTip(), "Warp to level 3");

  QTest::mouseClick(Box("chkWarp"), Qt::LeftButton);
  EXPECT_TRUE(level->isEnabled());
  EXPECT_EQ(level->palette().color(QPalette::Active, QPalette::Base),
            QApplication::palette().color(QPalette::Base));
  // Typing afterwards leaves the tooltip naming the level of the last switch.
  level->setFocus();
  QTest::keyClicks(level, "2");
  EXPECT_EQ(level->text(), "32");
  EXPECT_EQ(level->toolTip(), "Warp to level 3");
}

TEST_F(MainWindowTest, EnableUnlocksTheCustomFileControls) {
  WriteDefaultIni();
  PutList(ListId::Files, {"a.wad"});
  Open();
  QTest::mouseClick(Box("chkEnableFiles"), Qt::LeftButton);
  for (auto name : {"cmdAddPWAD", "cmdAddDEH", "cmdRemoveFile", "lstFiles"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
  }
  QTest::mouseClick(Box("chkEnableFiles"), Qt::LeftButton);
  for (auto name : {"cmdAddPWAD", "cmdAddDEH", "cmdRemoveFile", "lstFiles"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  }
  // Locked, not lost.
  EXPECT_EQ(Items(Find<QListView>("lstFiles")), QStringList{"a.wad"});
  EXPECT_EQ(Get("Files", "NumFiles"), "1");
}

}  // namespace
}  // namespace quillon::test
