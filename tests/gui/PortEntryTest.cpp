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

// The Ports lines that hold a port's own keys, in file order.
QStringList OwnKeys(const QStringList& lines) {
  return lines.filter(QRegularExpression("^Port\\d+(Family|Params)="));
}

struct EditCase {
  const char* name;
  QStringList before;   // Port<n>Family/Params lines put after A, B and C
  const char* button;   // cmdAdd, cmdChange or cmdRemove
  int position;         // picked in the setup list
  QString shownFamily;  // the family list at opening (Change)
  int pick;             // family list item to pick; -1 none
  const char* params;   // typed; nullptr: left alone
  QStringList after;
};

class PortEditTest : public SetupTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(PortEditTest, OwnKeysMoveWithTheirEntryAndChangeOnlyWhenEdited) {
  const EditCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B", "C"});
  for (const QString& line : c.before)
    Put("Ports", Ss(line.section('=', 0, 0)), Ss(line.section('=', 1)));
  Open();
  desktop.questionAnswers.push_back(MessageResult::Yes);
  const Script entry = [&](QDialog* dialog) {
    auto* family = In<QComboBox>(dialog, "cmbFamily");
    if (!c.shownFamily.isEmpty()) {
      EXPECT_EQ(family->currentText(), c.shownFamily);
    }
    if (c.pick >= 0) Pick(family, c.pick);
    if (c.params) TypeInto(In<QLineEdit>(dialog, "txtParams"), c.params);
    Click(dialog, "cmdOk");
  };
  const Script setup = [&](QDialog* dialog) {
    Pick(ListIn(dialog), c.position);
    Click(dialog, c.button);
  };
  if (c.button == std::string_view("cmdRemove")) {
    RunSetup(ListId::Ports, {setup});
  } else {
    RunSetup(ListId::Ports, {setup, entry});
  }
  EXPECT_EQ(OwnKeys(SectionLines("Ports")), c.after);
}

// clang-format off
const EditCase kEdits[] = {
    {"remove the first moves them down and empties the old last",
     {"Port2Family=boom", "Port2Params=-x", "Port3Family=zdoom"}, "cmdRemove", 0, {}, -1, nullptr,
     {"Port2Family=zdoom", "Port2Params=", "Port3Family=", "Port1Family=boom", "Port1Params=-x"}},
    {"remove on a file without them adds none", {}, "cmdRemove", 0, {}, -1, nullptr, {}},
    {"remove the last empties its own", {"Port3Params=-y"}, "cmdRemove", 2, {}, -1, nullptr,
     {"Port3Params="}},
    {"change keeps an unknown family as written", {"Port1Family=banana"}, "cmdChange", 0,
     "From its name (Other)", -1, nullptr, {"Port1Family=banana"}},
    {"change replaces an unknown family picked over", {"Port1Family=banana"}, "cmdChange", 0,
     "From its name (Other)", 2, nullptr, {"Port1Family=boom"}},
    {"change back to from its name empties it", {"Port2Family=zdoom"}, "cmdChange", 1, "ZDoom", 0,
     nullptr, {"Port2Family="}},
    {"change keeps the family and takes new params", {"Port1Family=odamex", "Port1Params=-a"},
     "cmdChange", 0, "Odamex", -1, "-b \"c d\"", {"Port1Family=odamex", "Port1Params=-b \"c d\""}},
    {"add writes only what is set", {}, "cmdAdd", 0, {}, 4, "", {"Port4Family=eternity"}},
    {"add with neither set writes neither", {}, "cmdAdd", 0, {}, -1, nullptr, {}},
    {"add replaces a stale value beyond the count", {"Port4Params=old"}, "cmdAdd", 0, {}, -1,
     nullptr, {"Port4Params="}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Edits, PortEditTest, ::testing::ValuesIn(kEdits),
                         [](const auto& info) { return PhraseName(info.param.name); });

struct ShownCase {
  const char* name;
  const char* path;
  const char* family;  // Port1Family; nullptr: none
  QString listed;      // the setup list and Test in Several Ports
  QString choice;      // the dialog's family list on Change
};

class FamilyShownTest : public SetupTest, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(FamilyShownTest, BesideTheNameInTheListsAndChosenInTheDialog) {
  const ShownCase& c = GetParam();
  WriteDefaultIni();
  PutList(ListId::Ports, {"P"});
  Put("Ports", "Port1Path", c.path);
  if (c.family) Put("Ports", "Port1Family", c.family);
  Open();
  const QString path60 =
      QStringLiteral("/home/someone/games/doom/source-ports/odamex-10.4.1/x/odamex");
  RunSetup(ListId::Ports,
           {[&](QDialog* setup) {
              ASSERT_TRUE(qobject_cast<AsideDelegate*>(ListIn(setup)->itemDelegate()));
              EXPECT_EQ(AsideDelegate::Shown(ListIn(setup)->model()->index(0, 0)), c.listed);
              EXPECT_EQ(Items(ListIn(setup)), QStringList{"P"});
              Pick(ListIn(setup), 0);
              Click(setup, "cmdChange");
            },
            [&](QDialog* entry) {
              auto* family = In<QComboBox>(entry, "cmbFamily");
              EXPECT_EQ(family->currentText(), c.choice);
              // The first item follows the path as it is typed.
              TypeInto(FileIn(entry), path60);
              EXPECT_EQ(family->itemText(0), "From its name (Odamex)");
              // From its start the whole path is in view: its end is left of the field's.
              QTest::keyClick(FileIn(entry), Qt::Key_Home);
              EXPECT_EQ(FileIn(entry)->cursorPositionAt({FileIn(entry)->width() - 5, 5}), 60);
              Click(entry, "cmdCancel");
            }});
  desktop.modalScripts.push_back([&](QDialog* dialog) {
    auto* ports = In<QListWidget>(dialog, "lstPorts");
    ASSERT_TRUE(qobject_cast<AsideDelegate*>(ports->itemDelegate()));
    EXPECT_EQ(AsideDelegate::Shown(ports->model()->index(0, 0)), c.listed);
    dialog->reject();
  });
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F2, Qt::ShiftModifier);
}

const ShownCase kShown[] = {
    {"by its name", "/usr/games/gzdoom", nullptr, "P (ZDoom)", "From its name (ZDoom)"},
    {"an unknown name shows none", "/opt/mine", nullptr, "P", "From its name (Other)"},
    {"chosen over its name", "/usr/games/crispy-doom", "boom", "P (Boom)", "Boom"},
    {"an unknown value reads as none", "/usr/games/crispy-doom", "banana", "P (Chocolate Doom)",
     "From its name (Chocolate Doom)"},
    {"other chosen", "/opt/mine", "other", "P (Other)", "Other"},
};
INSTANTIATE_TEST_SUITE_P(Shown, FamilyShownTest, ::testing::ValuesIn(kShown),
                         [](const auto& info) { return PhraseName(info.param.name); });

struct FoundCase {
  const char* name;
  const char* path;
  std::optional<PortFamily> family;
  QStringList written;
};

class FoundFamilyTest : public SetupTest, public ::testing::WithParamInterface<FoundCase> {};

TEST_P(FoundFamilyTest, FindInstalledWritesTheFamilyOnlyWhereTheNameWouldNotGiveIt) {
  const FoundCase& c = GetParam();
  WriteDefaultIni();
  Open();
  installed::Findings findings;
  findings.ports.push_back({"Found", c.path, false, c.family});
  frmFindInstalled dialog(
      desktop, dir.Path(), *window,
      [&](const installed::Listed&, std::stop_token) { return findings; }, window.get());
  desktop.modalScripts.push_back([&](QDialog*) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.SearchDone(); }, 5000));
    Click(&dialog, "cmdAdd");
  });
  desktop.ShowModal(&dialog);
  EXPECT_EQ(OwnKeys(SectionLines("Ports")), c.written);
  EXPECT_EQ(Get("Ports", "NumPorts"), "1");
}

const FoundCase kFound[] = {
    {"the name gives the same", "/usr/bin/gzdoom", PortFamily::ZDoom, {}},
    {"a flatpak id gives the same",
     "/var/lib/flatpak/exports/bin/org.zdoom.GZDoom",
     PortFamily::ZDoom,
     {}},
    {"the name gives none", "/opt/engine", PortFamily::Boom, {"Port1Family=boom"}},
    {"the name gives another", "/usr/bin/zdoom", PortFamily::Eternity, {"Port1Family=eternity"}},
    {"the search knows none", "/opt/engine", std::nullopt, {}},
};
INSTANTIATE_TEST_SUITE_P(Found, FoundFamilyTest, ::testing::ValuesIn(kFound),
                         [](const auto& info) { return PhraseName(info.param.name); });

}  // namespace
}  // namespace quillon::test
