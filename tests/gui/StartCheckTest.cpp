// The look before a start: a question only when something is wrong, and Cancel starts nothing.
#include "gui/MainWindowFixture.h"
#include "support/WadWriter.h"

namespace quillon::test {
namespace {

struct CheckCase {
  const char* name;
  void (*change)(const QString& folder);  // what happens to the files before F2
  const char* warpTo;
  const char* named;  // a text the question holds; nullptr: no question
  MessageResult answer;
  bool starts;
};

class StartCheck : public MainWindowTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(StartCheck, AsksOnlyWhenSomethingIsWrong) {
  const CheckCase& c = GetParam();
  const QString folder = dir.Path();
  const std::string iwad = (folder + "/iwad.wad").toStdString();
  WriteBytes(iwad, MakeWad("IWAD", DoomMap("MAP01")));
  WriteBytes((folder + "/room.wad").toStdString(), MakeWad("PWAD", DoomMap("MAP02")));
  WriteDefaultIni();
  PutList(ListId::Ports, {"Port"});
  Put("IWADs", "NumIWADs", "1");
  Put("IWADs", "IWAD1Name", "Free");
  Put("IWADs", "IWAD1File", iwad);
  Put("Files", "NumFiles", "1");
  Put("Files", "File1Name", "room.wad");
  Put("Files", "File1Path", (folder + "/room.wad").toStdString());
  for (const auto& [key, value] : {std::pair{"Port", "1"},
                                   {"IWAD", "1"},
                                   {"UseFiles", "1"},
                                   {"Warp", "1"},
                                   {"WarpTo", c.warpTo}}) {
    Put("Memory", key, value);
  }
  Open();
  c.change(folder);
  if (c.named) desktop.questionAnswers.push_back(c.answer);
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F2);

  EXPECT_EQ(desktop.launches.size(), c.starts ? 1u : 0u);
  if (c.named) {
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::TestAnywayCancel);
    EXPECT_TRUE(desktop.messages[0].text.contains(QString::fromUtf8(c.named)))
        << desktop.messages[0].text.toStdString();
  } else {
    EXPECT_TRUE(desktop.messages.empty());
  }
}

void Nothing(const QString&) {}
void Rename(const QString& folder) {
  QFile::rename(folder + "/room.wad", folder + "/room2.wad");
}
void Spoil(const QString& folder) {
  WriteBytes((folder + "/room.wad").toStdString(), "notes");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartCheck,
    ::testing::Values(
        CheckCase{"AllWell", Nothing, "MAP02", nullptr, MessageResult::No, true},
        CheckCase{"RenamedCancelled", Rename, "MAP02", "room.wad is not there any more",
                  MessageResult::No, false},
        CheckCase{"RenamedTestedAnyway", Rename, "MAP02", "room.wad", MessageResult::Yes, true},
        CheckCase{"NotAWad", Spoil, "MAP02", "room.wad is not a WAD file", MessageResult::No,
                  false},
        CheckCase{"MapInNoFile", Nothing, "MAP40", "the map MAP40", MessageResult::No, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::test
