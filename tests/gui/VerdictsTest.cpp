// What the window says each port will do with the files: tips, the several-ports list, the
// look before a start, titled completions and Automatic compatibility, with scripted judging.
#include <QComboBox>
#include <QCompleter>
#include <QHelpEvent>
#include <QListWidget>

#include "gui/SetupFixture.h"
#include "support/WadWriter.h"

namespace quillon::test {
namespace {

const PortProfile kProfile{"dsda-doom", "dsda-doom 0.25.6"};

class VerdictsTest : public SetupTest {
 protected:
  // Two ports, the second judged; one custom file, read as a WAD with a titled UDMF map.
  void OpenJudged(bool enabled = true, bool nodeBuilder = false) {
    WriteDefaultIni();
    PutList(ListId::Ports, {"Plain", "Dsda"});
    if (nodeBuilder) {
      PutList(ListId::Programs, {"ZDBSP"});
      Put("Memory", "NodeBuilder", "1");
    }
    Put("Ports", "Port2Path", scratch.File("dsda-doom"));
    Put("Files", "NumFiles", "1");
    Put("Files", "File1Name", "room.wad");
    Put("Files", "File1Path", room);
    Put("Memory", "Port", "2");
    Put("Memory", "UseFiles", enabled ? "1" : "0");
    WriteBytes(room, MakeWad("PWAD", UdmfMap("MAP07")));
    WriteBytes(scratch.File("dsda-doom"), "#!/bin/sh\n");
    std::filesystem::permissions(scratch.File("dsda-doom"), std::filesystem::perms::owner_all);
    EndEvent();
    window = std::make_unique<frmQLN2>(desktop, dir.Path());
    Judging judging;
    judging.analyze = [](const std::string& path) {
      wad::WadNeeds needs = wad::AnalyzeWadFile(path);
      for (wad::MapNeeds& map : needs.maps) {
        map.title = "Dead Simple";
        map.udmfNamespace = "zdoom";
      }
      if (!needs.maps.empty()) needs.features.push_back("UMAPINFO");
      return needs;
    };
    judging.profileFor = [](PortFamily, std::string_view exe) {
      return exe == "dsda-doom" ? &kProfile : nullptr;
    };
    judging.judge = [this](const PortProfile& port, const Judging::Files& files,
                           const wad::WadNeeds*) {
      judgedBuildingNodes = port.buildsNodes;
      return files.empty() ? PortVerdict{} : verdict;
    };
    judging.complevel = [](const Judging::Files&, const wad::WadNeeds*, std::string* why) {
      if (why) *why = "UMAPINFO is read from complevel 21";
      return 21;
    };
    window->SetJudging(judging);
    window->show();
    EndEvent();
  }
  QString TestTip() {
    QPushButton* test = Button("cmdTest");
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), test->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(test, &hover);
    return test->toolTip();
  }
  QString LastBlock(const QString& tip) const { return tip.section(QStringLiteral("\n\n"), -1); }
  bool Judged() {
    return QTest::qWaitFor([&] { return !LastBlock(TestTip()).endsWith("checking…"); }, 5000);
  }

  ScratchFolder scratch;
  bool judgedBuildingNodes = false;
  std::string room = scratch.File("room.wad");
  PortVerdict verdict{Verdict::kFails, {"MAP07 is in UDMF format; no UDMF", "second"}};
};

struct TipCase {
  const char* name;
  Verdict verdict;
  const char* line;
};

class VerdictTipTest : public VerdictsTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(VerdictTipTest, TestsTipGivesThePortsVerdictAndFirstReason) {
  verdict.verdict = GetParam().verdict;
  OpenJudged();
  ASSERT_TRUE(Judged());
  EXPECT_EQ(LastBlock(TestTip()), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Verdicts, VerdictTipTest,
    ::testing::Values(TipCase{"fails", Verdict::kFails,
                              "dsda-doom 0.25.6: fails: MAP07 is in UDMF format; no UDMF"},
                      TipCase{"differs", Verdict::kDiffers,
                              "dsda-doom 0.25.6: differs: MAP07 is in UDMF format; no UDMF"}),
    [](const auto& info) { return std::string(info.param.name); });

// A node builder chosen builds every PWAD map's nodes first: no port stops for their lack.
TEST_F(VerdictsTest, ANodeBuilderChosenIsJudgedAsNodesBuilt) {
  for (const bool chosen : {false, true}) {
    OpenJudged(true, chosen);
    ASSERT_TRUE(Judged());
    EXPECT_EQ(judgedBuildingNodes, chosen);
    window.reset();
  }
}

TEST_F(VerdictsTest, SeveralPortsMarksTheFailingOneWhichStaysCheckableAndIsAskedAbout) {
  OpenJudged();
  ASSERT_TRUE(Judged());
  desktop.questionAnswers.push_back(MessageResult::No);
  desktop.modalScripts.push_back([&](QDialog* dialog) {
    auto* ports = In<QListWidget>(dialog, "lstPorts");
    EXPECT_TRUE(ports->item(0)->icon().isNull());
    EXPECT_TRUE(ports->item(0)->toolTip().isEmpty());
    EXPECT_FALSE(ports->item(1)->icon().isNull());
    QTest::keyClick(ports, Qt::Key_Down);
    EXPECT_EQ(In<QLabel>(dialog, "lblVerdict")->text(),
              "dsda-doom 0.25.6: fails\n- MAP07 is in UDMF format; no UDMF\n- second");
    QTest::keyClick(ports, Qt::Key_Space);
    EXPECT_EQ(ports->item(1)->checkState(), Qt::Checked);
    Click(dialog, "cmdTest");
  });
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F2, Qt::ShiftModifier);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_TRUE(desktop.messages[0].text.contains(
      "Dsda, dsda-doom 0.25.6, will stop: MAP07 is in UDMF format; no UDMF"))
      << desktop.messages[0].text.toStdString();
  EXPECT_TRUE(desktop.launches.empty());
}

TEST_F(VerdictsTest, FileTipWarpTitlesAndAutomaticComplevelComeFromTheAnalysis) {
  verdict = {};
  OpenJudged();
  ASSERT_TRUE(Judged());
  const auto* files = Find<QListView>("lstFiles");
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return files->model()
            ->index(0, 0)
            .data(Qt::ToolTipRole)
            .toString()
            .contains("\nMaps: MAP07 (UDMF, zdoom) Dead Simple\nBrings: UMAPINFO\n");
      },
      5000))
      << files->model()->index(0, 0).data(Qt::ToolTipRole).toString().toStdString();
  const QAbstractItemModel* completions = Text("txtWarp")->completer()->model();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return completions->rowCount() == 1 &&
               completions->index(0, 0).data().toString() == "MAP07 — Dead Simple  room.wad";
      },
      5000));
  EXPECT_TRUE(List("cmbComplevel")
                  ->toolTip()
                  .endsWith("\nAutomatic: 21, as UMAPINFO is read from complevel 21"));
  // Start Here names the maps with the same titles.
  QString shown;
  desktop.modalScripts.push_back(
      [&](QDialog* dialog) { shown = dialog->findChild<QComboBox*>("cmbMaps")->itemText(0); });
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F8);
  EXPECT_EQ(shown.toStdString(), "MAP07 — Dead Simple");
}

}  // namespace
}  // namespace quillon::test
