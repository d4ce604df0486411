#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <filesystem>

#include "core/settings/IniCache.h"
#include "gui/SetupFixture.h"
#include "support/WadWriter.h"
#include "ui/setup/frmFindInstalled.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

// The dialog over the main window, searching temporary folders only: a PATH folder with two
// fake engines and a setup helper, a WAD folder with two IWADs, a PWAD and a broken file.
class FindInstalledTest : public SetupTest {
 protected:
  void SetUp() override {
    const fs::path bin = root.Path() / "bin";
    fs::create_directories(bin);
    for (const char* name : {"chocolate-doom", "crispy-doom", "chocolate-setup"}) {
      WriteBytes(bin / name, "#!/bin/sh\nexit 0\n");
      fs::permissions(bin / name, fs::perms::owner_all);
    }
    const fs::path wads = root.Path() / "wads";
    fs::create_directories(wads);
    const auto map01 = DoomMap("MAP01");
    WriteBytes(wads / "freedoom2.wad", MakeWad("IWAD", Join({map01, {{"FREEDOOM", "x"}}})));
    WriteBytes(wads / "doom2.wad", MakeWad("IWAD", map01));
    WriteBytes(wads / "mod.wad", MakeWad("PWAD", map01));
    WriteBytes(wads / "broken.wad", MakeHeader("IWAD", 5000, 1 << 30));
    places.pathVar = bin.string();
    places.programFolders = {};
    places.iwads.doomWadDir = wads.string();
  }

  std::string Bin(const char* name) const { return (root.Path() / "bin" / name).string(); }

  // Opens the dialog as the Setup menu does, runs `script` once the search has reported.
  void RunDialog(const std::function<void(frmFindInstalled*)>& script) {
    frmFindInstalled dialog(desktop, dir.Path(), *window, places, window.get());
    desktop.modalScripts.push_back([&](QDialog*) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.SearchDone(); }, 5000));
      script(&dialog);
    });
    desktop.ShowModal(&dialog);
  }

  static QStringList Shown(const QWidget* dialog, const char* list) {
    QStringList rows;
    const auto* items = In<QListWidget>(dialog, list);
    for (int row = 0; row < items->count(); ++row) {
      rows << (items->item(row)->checkState() == Qt::Checked ? "[x] " : "[ ] ") +
                  items->item(row)->text();
    }
    return rows;
  }

  ScratchFolder root;
  installed::SearchPlaces places;
};

TEST_F(FindInstalledTest, ListsWhatIsFoundAndAddAppendsEveryCheckedEntry) {
  WriteDefaultIni();
  Open();
  RunDialog([&](frmFindInstalled* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Find Installed Ports and IWADs");
    const QString dash = QStringLiteral("  \u2014  ");
    EXPECT_EQ(Shown(dialog, "lstPorts"),
              (QStringList{"[x] Chocolate Doom" + dash + Qs(Bin("chocolate-doom")),
                           "[x] Crispy Doom" + dash + Qs(Bin("crispy-doom"))}));
    EXPECT_EQ(Shown(dialog, "lstIWADs"),
              (QStringList{"[x] Doom II" + dash + Qs((root.Path() / "wads/doom2.wad").string()),
                           "[x] Freedoom: Phase 2" + dash +
                               Qs((root.Path() / "wads/freedoom2.wad").string())}));
    EXPECT_EQ(In<QLabel>(dialog, "lblStatus")->text(), "Found 2 source ports and 2 IWADs.");
    QTest::mouseClick(In<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
  });
  EXPECT_EQ(SectionLines("Ports"),
            (QStringList{"NumPorts=2", "Port1Name=Chocolate Doom",
                         "Port1Path=" + Qs(Bin("chocolate-doom")), "Port2Name=Crispy Doom",
                         "Port2Path=" + Qs(Bin("crispy-doom"))}));
  // IWAD entries keep the file name alone, as the IWAD Add dialog does.
  EXPECT_EQ(SectionLines("IWADs"),
            (QStringList{"NumIWADs=2", "IWAD1Name=Doom II", "IWAD1File=doom2.wad",
                         "IWAD2Name=Freedoom: Phase 2", "IWAD2File=freedoom2.wad"}));
  EXPECT_EQ(MainItems(ListId::Ports),
            (QStringList{"Chocolate Doom", "Crispy Doom", "[No Source Port]"}));
  EXPECT_EQ(MainItems(ListId::IWADs),
            (QStringList{"Doom II", "Freedoom: Phase 2", "[Default (no -iwad)]"}));
  EXPECT_EQ(List("cmbPorts")->currentText(), "Chocolate Doom");  // none was chosen
  EXPECT_EQ(List("cmbIWADs")->currentText(), "Doom II");
}

TEST_F(FindInstalledTest, AddReachesTheFileInOneWriteAfterTheClick) {
  // As the program runs: what one event saved is written when the event is done.
  IniCache::SetFlushRequester([] {});
  WriteDefaultIni();
  Open();
  ASSERT_TRUE(IniCache::FlushAll());
  const QByteArray before = IniBytes();
  RunDialog([&](frmFindInstalled* dialog) {
    QTest::mouseClick(In<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
    EXPECT_EQ(IniBytes(), before);  // nothing written entry by entry
    EXPECT_TRUE(IniCache::HasPendingWrites());
  });
  EXPECT_TRUE(IniCache::FlushAll());
  IniCache::SetFlushRequester(nullptr);
  EXPECT_EQ(SectionLines("Ports").size(), 5);
  EXPECT_EQ(SectionLines("IWADs").size(), 5);
}

TEST_F(FindInstalledTest, EntriesAlreadyListedComeUncheckedAndSpaceUnchecksAnother) {
  WriteDefaultIni();
  Put("Ports", "NumPorts", "1");
  Put("Ports", "Port1Name", "Mine");
  Put("Ports", "Port1Path", Bin("crispy-doom"));
  Put("IWADs", "NumIWADs", "1");
  Put("IWADs", "IWAD1Name", "Free");
  Put("IWADs", "IWAD1File", "FREEDOOM2.WAD");
  Put("Memory", "Port", "1");
  Open();
  RunDialog([&](frmFindInstalled* dialog) {
    const QStringList ports = Shown(dialog, "lstPorts");
    ASSERT_EQ(ports.size(), 2);
    EXPECT_TRUE(ports[0].startsWith("[x] Chocolate Doom"));
    EXPECT_TRUE(ports[1].startsWith("[ ] Crispy Doom"));
    EXPECT_TRUE(ports[1].endsWith("  (already in the list)"));
    const QStringList iwads = Shown(dialog, "lstIWADs");
    ASSERT_EQ(iwads.size(), 2);
    EXPECT_TRUE(iwads[1].startsWith("[ ] Freedoom: Phase 2"));
    EXPECT_TRUE(iwads[1].endsWith("(already in the list)"));
    // The user leaves out Doom II with the keyboard, then presses Enter: Add.
    auto* list = In<QListWidget>(dialog, "lstIWADs");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(Shown(dialog, "lstIWADs")[0].startsWith("[ ] Doom II"));
    QTest::keyClick(list, Qt::Key_Return);
  });
  EXPECT_EQ(SectionLines("Ports"),
            (QStringList{"NumPorts=2", "Port1Name=Mine", "Port1Path=" + Qs(Bin("crispy-doom")),
                         "Port2Name=Chocolate Doom", "Port2Path=" + Qs(Bin("chocolate-doom"))}));
  EXPECT_EQ(SectionLines("IWADs"),
            (QStringList{"NumIWADs=1", "IWAD1Name=Free", "IWAD1File=FREEDOOM2.WAD"}));
  EXPECT_EQ(MainItems(ListId::Ports), (QStringList{"Mine", "Chocolate Doom", "[No Source Port]"}));
  EXPECT_EQ(List("cmbPorts")->currentText(), "Mine");  // the user's choice stays
}

TEST_F(FindInstalledTest, CancelAndEscapeAddNothing) {
  for (const bool escape : {false, true}) {
    WriteDefaultIni();
    const QByteArray before = IniBytes();
    Open();
    RunDialog([&](frmFindInstalled* dialog) {
      if (escape) {
        QTest::keyClick(In<QListWidget>(dialog, "lstPorts"), Qt::Key_Escape);
      } else {
        QTest::mouseClick(In<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
      }
      EXPECT_FALSE(dialog->isVisible());
    });
    EXPECT_EQ(IniBytes(), before) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(MainItems(ListId::Ports), QStringList{"[No Source Port]"});
    Close();
  }
}

TEST_F(FindInstalledTest, AFullListTakesWhatFitsAndSaysSo) {
  // One place left among the ports: the first found is added, the second told off once.
  QByteArray bytes;
  for (const auto& line : DefaultIniLines()) {
    if (line.starts_with("NumPorts=")) {
      bytes += "NumPorts=32765\r\n";
      for (int entry = 1; entry <= 32765; ++entry) {
        bytes += QByteArrayLiteral("Port") + QByteArray::number(entry) + "Name=P\r\n";
      }
    } else {
      bytes += QByteArray::fromStdString(line) + "\r\n";
    }
  }
  dir.Write(QStringLiteral("QLN2.ini"), bytes);
  Open();
  RunDialog([&](frmFindInstalled* dialog) {
    QTest::mouseClick(In<QPushButton>(dialog, "cmdAdd"), Qt::LeftButton);
  });
  EXPECT_EQ(Get("Ports", "NumPorts"), "32766");
  EXPECT_EQ(Get("Ports", "Port32766Name"), "Chocolate Doom");
  EXPECT_EQ(Get("Ports", "Port32767Name"), "");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, Qs(ListFullText(KindOf(ListId::Ports))));
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  // The IWADs had room.
  EXPECT_EQ(Get("IWADs", "NumIWADs"), "2");
}

}  // namespace
}  // namespace quillon::test
