#include "gui/SetupFixture.h"
#include "support/ParamNames.h"

// Paths where an entry or a setting used to be lost or damaged.

namespace quillon::test {
namespace {

using test::PrintTo;

// ---- Add while the stored count cannot be read ----

struct UnreadableCountCase {
  ListId id;
  const char* count;  // nullptr: no count key at all
  friend void PrintTo(const UnreadableCountCase& c, std::ostream* os) {
    *os << KindOf(c.id).section << "_" << (c.count ? TextName(c.count) : "NoKey");
  }
};

class UnreadableCount : public SetupTest,
                        public ::testing::WithParamInterface<UnreadableCountCase> {};

// Add would write entry 1 over the stored one and set the count to 1.
TEST_P(UnreadableCount, AddRefusesAndWritesNothing) {
  const UnreadableCountCase& c = GetParam();
  const ListKind& kind = KindOf(c.id);
  WriteDefaultIni();
  Put("Memory", "UseFiles", "1");
  PutList(c.id, {"Kept"});
  if (c.count) Put(kind.section, kind.countKey, c.count);
  const std::string countLine = std::string(kind.countKey) + "=1\r\n";
  if (!c.count) dir.Write(QStringLiteral("QLN2.ini"), IniBytes().replace(countLine.c_str(), ""));
  const QStringList before = SectionLines(kind.section);
  Open();
  desktop.messages.clear();  // the start-up's own complaint

  if (c.id == ListId::Files) {
    Button("cmdAddPWAD")->click();  // no file is chosen: the refusal comes first
  } else {
    RunSetup(c.id, {[](QDialog* setup) { Click(setup, "cmdAdd"); }});
    EXPECT_EQ(desktop.modalDialogs.size(), 1u) << "an add dialog opened";
  }
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(desktop.messages[0].text.toStdString(), UnreadableCountText(kind));
  EXPECT_TRUE(desktop.fileDialogs.empty());
  EXPECT_EQ(SectionLines(kind.section), before);
}

INSTANTIATE_TEST_SUITE_P(Lists, UnreadableCount,
                         ::testing::Values(UnreadableCountCase{ListId::Ports, "three"},
                                           UnreadableCountCase{ListId::IWADs, "32767"},
                                           UnreadableCountCase{ListId::Programs, nullptr},
                                           UnreadableCountCase{ListId::Files, "many"}),
                         ::testing::PrintToStringParamName());

TEST_F(SetupTest, UnreadableCountMessageNamesTheSectionAndTheKeyToRepair) {
  EXPECT_EQ(UnreadableCountText(KindOf(ListId::Ports)),
            "The number of entries in the [Ports] section of QLN2.ini cannot be read, so nothing "
            "can be added to the source port list without overwriting an entry. Repair NumPorts "
            "in QLN2.ini first.");
}

// The refresh stopped at the ports, so the custom file list was never read, though its
// count is fine: number 1 holds a file the window does not show.
TEST_F(SetupTest, CustomFileAddAfterAStoppedRefreshRefuses) {
  WriteDefaultIni();
  PutList(ListId::Files, {"kept.wad"});
  Put("Ports", "NumPorts", "x");
  Put("Memory", "UseFiles", "1");
  Open();
  desktop.messages.clear();
  Button("cmdAddDEH")->click();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Error reading from INI file.");
  EXPECT_EQ(SectionLines("Files"),
            (QStringList{"NumFiles=1", "File1Name=kept.wad", "File1Path=kept.wad.path"}));
}

// ---- One refusal for every full list, before the file dialog ----

TEST_F(SetupTest, FullCustomFileListRefusesBeforeTheFileDialogInTheSetupListsWords) {
  WriteDefaultIni();
  Put("Files", "NumFiles", "32766");
  Put("Memory", "UseFiles", "1");
  Open();
  Button("cmdAddPWAD")->click();
  EXPECT_TRUE(desktop.fileDialogs.empty());
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "The custom file list is full: it holds 32766 entries, the most it can. Remove a "
            "custom file before adding another.");
}

// ---- Removal moves the later entries' stored text unchanged ----

// Blanks around it, quotes, and longer than Load's 254 characters.
const QByteArray kOddPath = "  \"/home/user/My Doom Files/" + QByteArray(260, 'x') + ".wad\"  ";

TEST_F(SetupTest, SetupRemoveMovesALaterLongQuotedPathUnchanged) {
  WriteDefaultIni();
  PutList(ListId::Ports, {"A", "B"});
  dir.Write(QStringLiteral("QLN2.ini"),
            IniBytes().replace("Port2Path=B.path", "Port2Path=" + kOddPath));
  Open();
  desktop.questionAnswers.push_back(MessageResult::Yes);
  RunSetup(ListId::Ports, {[](QDialog* setup) {
             Pick(ListIn(setup), 0);
             Click(setup, "cmdRemove");
           }});
  const QByteArray after = IniBytes();
  EXPECT_TRUE(after.contains("\r\nPort1Path=" + kOddPath + "\r\n")) << after.toStdString();
  EXPECT_TRUE(after.contains("\r\nPort1Name=B\r\n"));
}

TEST_F(SetupTest, CustomFileRemoveMovesALaterLongQuotedPathUnchanged) {
  WriteDefaultIni();
  PutList(ListId::Files, {"a.wad", "b.wad"});
  Put("Memory", "UseFiles", "1");
  dir.Write(QStringLiteral("QLN2.ini"),
            IniBytes().replace("File2Path=b.wad.path", "File2Path=" + kOddPath));
  Open();
  auto* files = Find<QListView>("lstFiles");
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualRect(files->model()->index(0, 0)).center());
  Button("cmdRemoveFile")->click();
  const QByteArray after = IniBytes();
  EXPECT_TRUE(after.contains("\r\nFile1Path=" + kOddPath + "\r\n")) << after.toStdString();
  EXPECT_TRUE(after.contains("\r\nNumFiles=1\r\n"));
}

// ---- Inserting into an empty drop-down list chooses nothing ----

// The refresh stopped at the IWADs, so the program list was left empty; its count is fine.
TEST_F(SetupTest, AddToAnEmptyMainListLeavesItUnchosen) {
  WriteDefaultIni();
  Put("IWADs", "NumIWADs", "x");
  Open();
  desktop.messages.clear();
  ASSERT_EQ(List("cmbProgs")->count(), 0);
  RunSetup(ListId::Programs, {[](QDialog* setup) { Click(setup, "cmdAdd"); },
                              [](QDialog* entry) {
                                QTest::keyClicks(NameIn(entry), "Editor");
                                QTest::keyClicks(FileIn(entry), "/usr/bin/editor");
                                Click(entry, "cmdOk");
                              }});
  EXPECT_EQ(MainItems(ListId::Programs), QStringList{"Editor"});
  EXPECT_EQ(List("cmbProgs")->currentIndex(), -1);
  EXPECT_FALSE(Button("cmdLaunch")->isEnabled());
}

// ---- Schemes ----

class SchemeSafety : public SetupTest {
 protected:
  QString Scheme(const char* name) const { return dir.FilePath(QString::fromLatin1(name)); }
  void Save(const QString& path) {
    desktop.fileChoices.push_back(path);
    Action("ProgramSave")->trigger();
  }
  void Load(const QString& path) {
    desktop.fileChoices.push_back(path);
    Action("ProgramLoad")->trigger();
  }
};

struct NumFilesCase {
  const char* stored;   // the scheme's NumFiles
  const char* written;  // the configuration's afterwards
  friend void PrintTo(const NumFilesCase& c, std::ostream* os) { *os << TextName(c.stored); }
};

class SchemeNumFiles : public SchemeSafety, public ::testing::WithParamInterface<NumFilesCase> {};

// "-1" copied as it stood made the next Add write "0", hiding the file after a restart.
TEST_P(SchemeNumFiles, LoadWritesTheNumberLoadedAndALaterAddSurvivesARestart) {
  WriteDefaultIni();
  Put("Memory", "UseFiles", "1");
  Open();
  Save(Scheme("s.qls"));
  ReadWrite scheme;
  scheme.SetFileName(Ss(Scheme("s.qls")));
  const std::string section = "s.qls - Scheme for Quillon V2.0";
  scheme.Save(section, "NumFiles", GetParam().stored);
  scheme.Save(section, "File1Name", "one.wad");
  scheme.Save(section, "File1Path", "/m/one.wad");
  scheme.Save(section, "File2Name", "two.wad");
  scheme.Save(section, "File2Path", "/m/two.wad");
  EndEvent();

  Load(Scheme("s.qls"));
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(Get("Files", "NumFiles"), GetParam().written);
  const int loaded = Find<QListView>("lstFiles")->model()->rowCount();

  desktop.fileChoices.push_back(QStringLiteral("/m/new.wad"));
  Button("cmdAddPWAD")->click();
  Close();
  Open();
  const QStringList shown = Items(Find<QListView>("lstFiles"));
  ASSERT_EQ(shown.size(), loaded + 1);
  EXPECT_EQ(shown.last(), "new.wad");
}

INSTANTIATE_TEST_SUITE_P(Counts, SchemeNumFiles,
                         ::testing::Values(NumFilesCase{"-1", "0"}, NumFilesCase{"1.6", "2"},
                                           NumFilesCase{" 1", "1"}),
                         ::testing::PrintToStringParamName());

struct UnwritableSchemeCase {
  const char* name;
  const char* path;  // under the test folder
  const char* reason;
  void (*prepare)(TempDir&);
};

class UnwritableScheme : public SchemeSafety,
                         public ::testing::WithParamInterface<UnwritableSchemeCase> {};

// A write that cannot be made is told at once and dropped, not retried at every flush.
TEST_P(UnwritableScheme, SaveSaysWhyAndLeavesNothingPending) {
  const UnwritableSchemeCase& c = GetParam();
  WriteDefaultIni();
  Open();
  c.prepare(dir);
  const QString path = dir.FilePath(QString::fromLatin1(c.path));
  Save(path);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "Could not save the scheme to " + path + ": " + QString::fromLatin1(c.reason) + ".");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  EndEvent();
  EXPECT_FALSE(IniCache::HasPendingWrites());
  EXPECT_TRUE(IniCache::FlushAll());
}

INSTANTIATE_TEST_SUITE_P(
    Places, UnwritableScheme,
    ::testing::Values(UnwritableSchemeCase{"InAMissingFolder", "gone/s.qls",
                                           "No such file or directory", [](TempDir&) {}},
                      UnwritableSchemeCase{
                          "OverAFolder", "s.qls", "Is a directory",
                          [](TempDir& d) { QDir(d.Path()).mkdir(QStringLiteral("s.qls")); }}),
    [](const auto& info) { return std::string(info.param.name); });

// After a start-up error the lists are empty; an empty Port would make a scheme that never
// loads, while the placeholder's text is one a load matches.
TEST_F(SchemeSafety, SaveAfterAStartUpErrorWritesThePlaceholders) {
  WriteDefaultIni();
  Put("Ports", "NumPorts", "x");
  Open();
  desktop.messages.clear();
  Save(Scheme("s.qls"));
  const QByteArray saved = dir.Read(QStringLiteral("s.qls"));
  EXPECT_TRUE(saved.contains("\r\nPort=[No Source Port]\r\n")) << saved.toStdString();
  EXPECT_TRUE(saved.contains("\r\nIWAD=[Default (no -iwad)]\r\n"));
  Close();

  Put("Ports", "NumPorts", "0");
  Open();
  Load(Scheme("s.qls"));
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(List("cmbPorts")->currentText(), "[No Source Port]");
}

}  // namespace
}  // namespace quillon::test
