// A port's own keys (Port<n>Family, Port<n>Params): edited in its dialog, moved with it, shown.
#include <QListWidget>
#include <QRegularExpression>

#include "gui/SetupFixture.h"
#include "support/ParamNames.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/setup/frmFindInstalled.h"

namespace quillon::test {
namespace {

using test::PrintTo;
using PortEntryTest = SetupTest;

QStringList OwnKeys(const QStringList& lines) {
  return lines.filter(QRegularExpression("^Port\\d+(Family|Params)="));
}

QString Drawn(const QAbstractItemView* view) {
  EXPECT_TRUE(qobject_cast<AsideDelegate*>(view->itemDelegate()));
  return AsideDelegate::Shown(view->model()->index(0, 0));
}

struct EditCase {
  const char* name;
  QStringList before;  // put after ports A, B and C
  const char* button;  // pressed on port `position` of the setup list
  int position;
  QString shown;       // the family list as the dialog opens
  int pick;            // the family list item picked; -1 none
  const char* params;  // typed; nullptr: left alone
  QStringList after;
  QString drawn;  // the first port in the setup list and in Test in Several Ports afterwards
};

class PortEditTest : public SetupTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(PortEditTest, OwnKeysMoveWithTheirEntryChangeOnlyWhenEditedAndShowInTheLists) {
  const EditCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B", "C"});
  for (const QString& line : c.before)
    Put("Ports", Ss(line.section('=', 0, 0)), Ss(line.section('=', 1)));
  Open();
  desktop.questionAnswers.push_back(MessageResult::Yes);
  desktop.modalScripts.push_back([&](QDialog* setup) {
    Pick(ListIn(setup), c.position);
    Click(setup, c.button);
    EXPECT_EQ(Drawn(ListIn(setup)->view()), c.drawn);
  });
  if (c.button != std::string_view("cmdRemove")) {
    desktop.modalScripts.push_back([&](QDialog* entry) {
      auto* family = In<QComboBox>(entry, "cmbFamily");
      EXPECT_EQ(family->currentText(), c.shown);
      EXPECT_EQ(In<QLabel>(entry, "lblFamily")->buddy(), family);
      EXPECT_EQ(In<QLabel>(entry, "lblParams")->buddy(), In<QWidget>(entry, "txtParams"));
      if (c.button == std::string_view("cmdAdd")) {  // the first family follows the path
        TypeInto(FileIn(entry), "/home/someone/games/doom/source-ports/odamex-10.4.1/x/odamex");
        EXPECT_EQ(family->itemText(0), "From its name (Odamex)");
        QTest::keyClick(FileIn(entry), Qt::Key_Home);  // then all 60 characters are in view
        EXPECT_EQ(FileIn(entry)->cursorPositionAt({FileIn(entry)->width() - 5, 5}), 60);
      }
      if (c.pick >= 0) Pick(family, c.pick);
      if (c.params) TypeInto(In<QLineEdit>(entry, "txtParams"), c.params);
      Click(entry, "cmdOk");
    });
  }
  RunSetup(ListId::Ports, {});
  EXPECT_EQ(OwnKeys(SectionLines("Ports")), c.after);
  desktop.modalScripts.push_back([&](QDialog* several) {
    EXPECT_EQ(Drawn(In<QListWidget>(several, "lstPorts")), c.drawn);
    several->reject();
  });
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F2, Qt::ShiftModifier);
}

// clang-format off
const EditCase kEdits[] = {
    {"remove the first moves them down and empties the old last", {"Port2Family=boom",
     "Port2Params=-x", "Port3Family=zdoom"}, "cmdRemove", 0, {}, -1, nullptr, {"Port2Family=zdoom",
     "Port2Params=", "Port3Family=", "Port1Family=boom", "Port1Params=-x"}, "B (Boom)"},
    {"change keeps an unknown family as written", {"Port1Family=banana"}, "cmdChange", 0,
     "From its name (Other)", -1, nullptr, {"Port1Family=banana"}, "A"},
    {"change replaces an unknown family picked over", {"Port1Family=banana"}, "cmdChange", 0,
     "From its name (Other)", 2, nullptr, {"Port1Family=boom"}, "A (Boom)"},
    {"change back to from its name empties it", {"Port1Family=zdoom"}, "cmdChange", 0, "ZDoom", 0,
     nullptr, {"Port1Family="}, "A"},
    {"change keeps the family and takes new params", {"Port1Family=odamex", "Port1Params=-a"},
     "cmdChange", 0, "Odamex", -1, "-b \"c\"", {"Port1Family=odamex", "Port1Params=-b \"c\""},
     "A (Odamex)"},
    {"add writes only what is set", {}, "cmdAdd", 0, "From its name (Other)", 4, "",
     {"Port4Family=eternity"}, "A"},
    {"add replaces a stale value beyond the count", {"Port4Params=old"}, "cmdAdd", 0,
     "From its name (Other)", -1, nullptr, {"Port4Params="}, "A"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Edits, PortEditTest, ::testing::ValuesIn(kEdits),
                         [](const auto& info) { return PhraseName(info.param.name); });

TEST_F(PortEntryTest, FindInstalledWritesTheFamilyOnlyWhereTheNameWouldNotGiveIt) {
  WriteDefaultIni();
  Open();
  using enum PortFamily;  // found as the name gives it, where it gives none, as another
  const installed::Findings findings{{{"A", "/bin/org.zdoom.GZDoom", false, ZDoom},
                                      {"B", "/opt/b", false, Boom},
                                      {"C", "/bin/zdoom", false, Eternity}},
                                     {}};
  frmFindInstalled dialog(
      desktop, dir.Path(), *window,
      [&](const installed::Listed&, std::stop_token) { return findings; }, window.get());
  desktop.modalScripts.push_back([&](QDialog*) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.SearchDone(); }, 5000));
    Click(&dialog, "cmdAdd");
  });
  desktop.ShowModal(&dialog);
  EXPECT_EQ(OwnKeys(SectionLines("Ports")),
            (QStringList{"Port2Family=boom", "Port3Family=eternity"}));
}

}  // namespace
}  // namespace quillon::test
