#include <QFile>
#include <QLocale>

#include "gui/SetupFixture.h"

namespace quillon::test {
namespace {

class SetupDialogTest : public SetupTest {};

// The captions of a window's labels, frames and buttons, in the order they were made.
QStringList Captions(const QWidget* window) {
  QStringList captions;
  for (const QWidget* widget : window->findChildren<QWidget*>()) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) captions << label->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(widget)) captions << frame->title();
    if (auto* button = qobject_cast<const QPushButton*>(widget)) captions << button->text();
  }
  return captions;
}

// The controls as the user reads them: each row's controls side by side, left to right, and
// each row below the one before.
void ExpectRows(const QWidget* window, const std::vector<QStringList>& rows) {
  int rowTop = 0;
  for (const QStringList& row : rows) {
    QRect before;
    int bottom = 0;
    for (const QString& name : row) {
      const QRect at = window->findChild<QWidget*>(name)->geometry();
      EXPECT_GE(at.top(), rowTop) << name.toStdString() << " is not below the row above";
      if (before.isValid()) {
        EXPECT_GT(at.left(), before.right()) << name.toStdString();
        EXPECT_TRUE(at.top() <= before.bottom() && before.top() <= at.bottom())
            << name.toStdString() << " is not beside the control before it";
      }
      before = at;
      bottom = std::max(bottom, at.bottom());
    }
    rowTop = bottom + 1;
  }
}

// A fixed window at least as large as designed in the middle of the 1024 x 768 screen, each
// control inside it, apart from its neighbours and showing its text whole, and Tab walking
// the controls in this order.
void ExpectTidy(QDialog* window, QSize designed, const QStringList& tabOrder) {
  SCOPED_TRACE(window->objectName().toStdString());
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_GE(window->width(), designed.width());
  EXPECT_GE(window->height(), designed.height());
  EXPECT_EQ(window->pos(), QPoint((1024 - window->width()) / 2, (768 - window->height()) / 2));
  const auto controls = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (const QWidget* control : controls) {
    const QString name = control->objectName();
    EXPECT_TRUE(window->rect().contains(control->geometry())) << name.toStdString();
    for (const QWidget* other : controls) {
      EXPECT_TRUE(other == control || !other->geometry().intersects(control->geometry()))
          << name.toStdString() << " overlaps " << other->objectName().toStdString();
    }
  }
  for (const QWidget* control : window->findChildren<QWidget*>()) {
    if (control->window() != window) continue;  // the drop-down's popup
    const QFontMetrics metrics = control->fontMetrics();
    const QRect room = control->contentsRect();
    QString text;
    int wrap = 0;
    if (auto* label = qobject_cast<const QLabel*>(control)) {
      text = label->text();
      wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
    }
    if (auto* button = qobject_cast<const QPushButton*>(control)) text = button->text();
    const QRect needed = metrics.boundingRect(room, wrap, text);
    EXPECT_LE(needed.width() + (qobject_cast<const QPushButton*>(control) ? 8 : 0), room.width())
        << control->objectName().toStdString();
    // A frame's own layout needs room for its border and caption as well.
    const int height = control->layout() ? control->height() : room.height();
    EXPECT_LE(std::max(needed.height(), control->minimumSizeHint().height()), height)
        << control->objectName().toStdString();
    if (auto* button = qobject_cast<const QPushButton*>(control)) {
      EXPECT_GE(button->width(), 65);
      EXPECT_GE(button->height(), 25);
    }
  }
  QApplication::setActiveWindow(window);
  for (const QString& name : tabOrder + tabOrder.mid(0, 1)) {
    EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
}

// The whole test again with the application's font at 16 points.
class SetupDialogFontTest : public SetupDialogTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    if (GetParam() == 0) return;
    QFont font = normal_;
    font.setPointSize(GetParam());
    QApplication::setFont(font);
  }
  void TearDown() override {
    SetupDialogTest::TearDown();
    QApplication::setFont(normal_);
  }

 private:
  const QFont normal_ = QApplication::font();
};

TEST_P(SetupDialogFontTest, EachKeyOpensItsWindowsCentredWithEveryTextWhole) {
  const struct {
    Qt::Key key;
    const char* setup;
    QStringList setupCaptions;
    const char* entry;
    QStringList entryCaptions;
  } cases[] = {
      {Qt::Key_F5,
       "frmPortSetup",
       {"Source Port Setup", "Port Info", "[No port selected]", "Add", "Change", "Remove", "Done"},
       "frmAddPort",
       {"Add/Change Source Port", "Port Name:", "Port Path:", "&Family:",
        "&Parameters for this port only", "Browse", "OK", "Cancel"}},
      {Qt::Key_F6,
       "frmIWADSetup",
       {"IWAD Setup", "Note:", "QLN assumes that the IWADs are in the same directory as your port.",
        "Add", "Change", "Remove", "Done"},
       "frmAddIWAD",
       {"Add/Change IWAD", "IWAD Name:", "Filename:", "Browse", "OK", "Cancel"}},
      {Qt::Key_F7,
       "frmProgSetup",
       {"Program Setup", "Program Info", "[No program selected]", "Add", "Change", "Remove", "Done",
        "Build nodes with:"},
       "frmAddProg",
       {"Add/Change Program", "Name:", "Path:", "Browse", "OK", "Cancel"}},
  };
  WriteDefaultIni();
  Open();
  for (const auto& c : cases) {
    desktop.modalScripts.push_back([&](QDialog* setup) {
      EXPECT_EQ(setup->objectName(), c.setup);
      EXPECT_EQ(setup->windowTitle(), c.setupCaptions[0]);
      EXPECT_EQ(setup->parentWidget(), window.get());
      EXPECT_EQ(Captions(setup), c.setupCaptions);
      const QString list = ListIn(setup)->objectName();
      // The programs' dialog also names the one that builds the nodes, below the buttons.
      const bool builder = c.key == Qt::Key_F7;
      QStringList tabs{"cmdDone", list, "cmdAdd", "cmdChange", "cmdRemove"};
      if (builder) tabs << "cmbNodeBuilder";
      ExpectTidy(setup, {298, 138}, tabs);
      std::vector<QStringList> rows{{"lblTitle"},
                                    {list, setup->findChild<QGroupBox*>()->objectName()},
                                    {"cmdAdd", "cmdChange", "cmdRemove", "cmdDone"}};
      if (builder) rows.push_back({"lblNodeBuilder", "cmbNodeBuilder"});
      ExpectRows(setup, rows);
      EXPECT_EQ(InfoIn(setup)->parentWidget(), setup->findChild<QGroupBox*>());
      Click(setup, "cmdAdd");
    });
    desktop.modalScripts.push_back([&](QDialog* entry) {
      EXPECT_EQ(entry->objectName(), c.entry);
      EXPECT_EQ(entry->parentWidget()->objectName(), c.setup);
      EXPECT_EQ(Captions(entry), c.entryCaptions);
      const QString file = FileIn(entry)->objectName();
      QStringList tabs{"txtName", file, "cmdBrowse", "cmdOk", "cmdCancel"};
      if (c.key == Qt::Key_F5)
        tabs = tabs.mid(0, 2) + QStringList{"cmbFamily", "txtParams"} + tabs.mid(2);
      ExpectTidy(entry, {225, 122}, tabs);
      QString fileLabel;
      for (const QLabel* label : entry->findChildren<QLabel*>()) {
        if (label->buddy() == FileIn(entry)) fileLabel = label->objectName();
      }
      ExpectRows(entry, {{"lblTitle"},
                         {"lblName", "txtName"},
                         {fileLabel, file},
                         {"cmdBrowse", "cmdOk", "cmdCancel"}});
    });
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), c.key);
    EXPECT_TRUE(desktop.modalScripts.empty()) << c.setup;
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, SetupDialogFontTest, ::testing::Values(0, 16),
                         [](const auto& info) {
                           return info.param ? std::to_string(info.param) + "pt" : "DefaultFont";
                         });

TEST_F(SetupDialogTest, FillsTheListFromTheCountAndOpensEvenWithoutOne) {
  const struct {
    const char* count;  // nullptr: no count key at all
    QStringList items;
  } cases[] = {{"3", {"A", "B", "C"}},
               {"4", {"A", "B", "C", ""}},
               {"1.5", {"A", "B"}},
               {"0", {}},
               {"-2", {}},
               {"", {}},
               {"three", {}},
               {nullptr, {}},
               {"32767", {}}};
  for (const auto& c : cases) {
    WriteDefaultIni();
    PutList(ListId::Ports, {"A", "B", "C"});
    if (c.count) Put("Ports", "NumPorts", c.count);
    if (!c.count) dir.Write(QStringLiteral("QLN2.ini"), IniBytes().replace("NumPorts=3\r\n", ""));
    Open();
    RunSetup(ListId::Ports, {[&](QDialog* setup) {
               EXPECT_EQ(Items(ListIn(setup)), c.items) << (c.count ? c.count : "none");
               EXPECT_EQ(ListIn(setup)->currentIndex(), -1);
             }});
  }
}

TEST_F(SetupDialogTest, PickingAnEntryShowsItsNameAndFileDateExceptForIWADs) {
  const QString file = dir.FilePath(QStringLiteral("engine"));
  dir.Write(QStringLiteral("engine"), "#!/bin/sh\n");
  const QDateTime stamp(QDate(2021, 3, 4), QTime(5, 6, 7));
  QFile touched(file);
  ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
  ASSERT_TRUE(touched.setFileTime(stamp, QFileDevice::FileModificationTime));
  const QString date = QLocale::system().toString(stamp.date(), QLocale::ShortFormat) + " " +
                       QLocale::system().toString(stamp.time(), QLocale::LongFormat);
  const std::pair<ListId, QString> cases[] = {
      {ListId::Ports, "Engine\r\n" + date},
      {ListId::Programs, "Engine\r\n" + date},
      {ListId::IWADs, "QLN assumes that the IWADs are in the same directory as your port."}};
  for (const auto& [id, shown] : cases) {
    WriteDefaultIni();
    const ListKind& kind = KindOf(id);
    PutList(id, {"Engine"});
    Put(kind.section, FileKey(kind, 1), file.toStdString());
    Open();
    RunSetup(id, {[&](QDialog* setup) {
               ListIn(setup)->setFocus();
               QTest::keyClick(ListIn(setup), Qt::Key_Down);  // the user's own pick
               const QString info = InfoIn(setup)->text();
               EXPECT_EQ(info.section("\r\n", 0, 1), shown);
               // Then the file, cut from the left to fit.
               const QString tail = info.section("\r\n", 2).remove(u'\u2026');
               EXPECT_TRUE(id == ListId::IWADs ? tail.isEmpty()
                                               : !tail.isEmpty() && file.endsWith(tail));
             }});
  }
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SetupDialogTest, AMissingFileIsReportedAndTheEntryLeftAlone) {
  const char* kProgramGone =
      "Quillon was unable to find this program.\r\nMost Likely it was moved or removed.\r\n"
      "Please re-setup this program.";
  const struct {
    ListId id;
    const char* file;  // in the program directory; "" stays empty
    const char* message;
    const char* label;
  } cases[] = {
      {ListId::Programs, "deleted", kProgramGone, "Failed to find this program, please re-setup"},
      {ListId::Programs, "", kProgramGone, "Failed to find this program, please re-setup"},
      {ListId::Ports, ".",
       "Quillon was unable to find this port.\r\nMost Likely it was moved or removed.\r\n"
       "Please re-setup this port.",
       "Failed to find this port, please re-setup"},
  };
  for (const auto& c : cases) {
    WriteDefaultIni();
    const ListKind& kind = KindOf(c.id);
    PutList(c.id, {"First", "Gone"});
    Put(kind.section, FileKey(kind, 2), *c.file ? dir.FilePath(c.file).toStdString() : "");
    const QByteArray before = IniBytes();
    Open();
    desktop.messages.clear();
    RunSetup(c.id, {[&](QDialog* setup) {
               Pick(ListIn(setup), 1);
               ASSERT_EQ(desktop.messages.size(), 1u);
               EXPECT_EQ(desktop.messages[0].text, c.message);
               EXPECT_EQ(desktop.messages[0].title, "Quillon 2.01");
               EXPECT_EQ(desktop.messages[0].icon, MessageIcon::None);
               EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::Ok);
               EXPECT_EQ(InfoIn(setup)->text().section("\r\n", 0, 0), c.label);
             }});
    EXPECT_EQ(IniBytes(), before);
  }
}

TEST_F(SetupDialogTest, TheLabelFollowsAChangeThatFindsThePortAndItsRemoval) {
  const QString engine = dir.FilePath(QStringLiteral("engine"));
  dir.Write(QStringLiteral("engine"), "#!/bin/sh\n");
  WriteDefaultIni();
  PutList(ListId::Ports, {"Gone"});  // at Gone.path, which does not exist
  Open();
  desktop.questionAnswers.push_back(MessageResult::Yes);
  RunSetup(ListId::Ports, {[&](QDialog* setup) {
                             Pick(ListIn(setup), 0);
                             Click(setup, "cmdChange");
                             EXPECT_TRUE(InfoIn(setup)->text().startsWith("Gone\r\n"));
                             EXPECT_EQ(InfoIn(setup)->toolTip(), engine);
                             Click(setup, "cmdRemove");
                             EXPECT_EQ(InfoIn(setup)->text(), "[No port selected]");
                           },
                           [&](QDialog* entry) {
                             TypeInto(FileIn(entry), engine);
                             Click(entry, "cmdOk");
                           }});
}

TEST_F(SetupDialogTest, ChangeAndRemoveWithoutASelectionOnlyComplain) {
  const struct {
    ListId id;
    const char* button;
    const char* message;
  } cases[] = {
      {ListId::Ports, "cmdChange", "You must select a source port to change."},
      {ListId::Ports, "cmdRemove", "You must select a source port to remove."},
      {ListId::IWADs, "cmdChange", "You must select an IWAD to change."},
      {ListId::IWADs, "cmdRemove", "You must select an IWAD to remove."},
      {ListId::Programs, "cmdChange", "You must select a program to change."},
      {ListId::Programs, "cmdRemove", "You must select a program to remove."},
  };
  WriteDefaultIni();
  PutList(ListId::Ports, {"A"});
  PutList(ListId::IWADs, {"I"});
  PutList(ListId::Programs, {"P"});
  const QByteArray before = IniBytes();
  Open();
  for (const auto& c : cases) {
    desktop.messages.clear();
    RunSetup(c.id, {[&](QDialog* setup) { Click(setup, c.button); }});
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, c.message);
    EXPECT_EQ(desktop.messages[0].title, "Quillon 2.01");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  }
  EXPECT_EQ(desktop.modalDialogs.size(), std::size(cases));  // no add/change dialog opened
  EXPECT_EQ(IniBytes(), before);
}

TEST_F(SetupDialogTest, RemoveMovesTheLaterEntriesDownAndEmptiesTheOldLastKeys) {
  const struct {
    int position;
    QStringList keys;  // of Port1 and Port2; Port3 is emptied in every case
    QStringList names;
  } cases[] = {
      {0, {"Port1Name=B", "Port1Path=B.path", "Port2Name=C", "Port2Path=C.path"}, {"B", "C"}},
      {1, {"Port1Name=A", "Port1Path=A.path", "Port2Name=C", "Port2Path=C.path"}, {"A", "C"}},
      {2, {"Port1Name=A", "Port1Path=A.path", "Port2Name=B", "Port2Path=B.path"}, {"A", "B"}},
  };
  for (const auto& c : cases) {
    WriteDefaultIni();
    PutList(ListId::Ports, {"A", "B", "C"});
    Open();
    desktop.questionAnswers.push_back(MessageResult::Yes);
    RunSetup(ListId::Ports, {[&](QDialog* setup) {
               Pick(ListIn(setup), c.position);
               Click(setup, "cmdRemove");
               const QString name = QString(QChar(u'A' + c.position));
               EXPECT_EQ(desktop.messages.back().text,
                         "Are you sure you want to remove " + name + " from the source port list?");
               EXPECT_EQ(desktop.messages.back().icon, MessageIcon::None);
               EXPECT_EQ(Items(ListIn(setup)), c.names);
               EXPECT_EQ(ListIn(setup)->currentIndex(), -1);
               EXPECT_EQ(InfoIn(setup)->text(), "[No port selected]");  // as at opening
             }});
    const QStringList emptied{"Port3Name=", "Port3Path="};
    EXPECT_EQ(SectionLines("Ports"), QStringList("NumPorts=2") + c.keys + emptied);
    EXPECT_EQ(MainItems(ListId::Ports), c.names + QStringList{"[No Source Port]"});
    Close();
    Open();
    EXPECT_EQ(MainItems(ListId::Ports), c.names + QStringList{"[No Source Port]"});
  }
}

TEST_F(SetupDialogTest, NoToTheRemovalQuestionChangesNothing) {
  WriteDefaultIni();
  PutList(ListId::Programs, {"P", "Q"});
  const QByteArray before = IniBytes();
  Open();
  desktop.questionAnswers.push_back(MessageResult::No);
  RunSetup(ListId::Programs, {[&](QDialog* setup) {
             Pick(ListIn(setup), 0);
             Click(setup, "cmdRemove");
             EXPECT_EQ(desktop.messages.back().text,
                       "Are you sure you want to remove P from the program list?");
             EXPECT_EQ(Items(ListIn(setup)), (QStringList{"P", "Q"}));
           }});
  EXPECT_EQ(IniBytes(), before);
  EXPECT_EQ(MainItems(ListId::Programs), (QStringList{"P", "Q", "[No Program]"}));
}

TEST_F(SetupDialogTest, TheMainWindowKeepsItsChoiceOrFallsBackToThePlaceholder) {
  const struct {
    const char* remembered;  // Memory "Port", counted from 1
    int removed;
    QString selected;
  } cases[] = {{"2", 1, "[No Source Port]"}, {"3", 0, "C"}, {"1", 2, "A"}};
  for (const auto& c : cases) {
    WriteDefaultIni();
    PutList(ListId::Ports, {"A", "B", "C"});
    Put("Memory", "Port", c.remembered);
    Open();
    desktop.questionAnswers.push_back(MessageResult::Yes);
    RunSetup(ListId::Ports, {[&](QDialog* setup) {
               Pick(ListIn(setup), c.removed);
               Click(setup, "cmdRemove");
             }});
    EXPECT_EQ(List("cmbPorts")->currentText(), c.selected);
    EXPECT_EQ(Button("cmdTest")->isEnabled(), c.selected != "[No Source Port]");
  }
}

TEST_F(SetupDialogTest, AFullListRefusesAddWithoutWriting) {
  WriteDefaultIni();
  Put("IWADs", "NumIWADs", "32766");
  const QByteArray before = IniBytes();
  Open();
  RunSetup(ListId::IWADs, {[](QDialog* setup) { Click(setup, "cmdAdd"); }});
  EXPECT_EQ(desktop.modalDialogs, std::vector<QString>{"frmIWADSetup"});
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(desktop.messages[0].text,
            "The IWAD list is full: it holds 32766 entries, the most it can. Remove an IWAD "
            "before adding another.");
  EXPECT_EQ(IniBytes(), before);
}

}  // namespace
}  // namespace quillon::test
