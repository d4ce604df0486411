#include <QTemporaryDir>

#include "gui/MainWindowFixture.h"
#include "support/FakePort.h"
#include "ui/system/QtDesktop.h"

namespace quillon::test {
namespace {

struct WholeCase {
  const char* name;
  int portPath;  // at least this many characters
  int mapPath;
  std::string params;  // typed into "Additional Params:"
  QStringList paramArguments;
  const char* scheme = "dm.qls";
  friend void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.name; }
};

// Folders nested below `base` until the path is at least `length` characters long.
QString LongFolder(QString path, int length) {
  while (path.size() < length)
    path += u'/' + QString(std::min(200, int(length - path.size())), u'f');
  return path;
}

// Everything typed, listed and saved goes through the file and a restart, then to a real
// port and into a scheme and back, whole and unchanged.
class WholeValues : public MainWindowTest, public ::testing::WithParamInterface<WholeCase> {
 protected:
  void SetUp() override {
    // Beside the test binary rather than in /tmp, which may be mounted noexec.
    ports_ = std::make_unique<QTemporaryDir>(QCoreApplication::applicationDirPath() + "/w-XXXXXX");
    ASSERT_TRUE(ports_->isValid());
    desktop.launcher = [this](QWidget* owner, const LaunchRequest& request) {
      return real_.Launch(owner, request);
    };
  }
  void TypeParams(const std::string& text) {
    ASSERT_TRUE(Text("txtParams")->isEnabled());
    QTest::keyClick(Text("txtParams"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Text("txtParams"), QString::fromStdString(text));
  }
  void Scheme(const char* action) {
    desktop.fileChoices.push_back(dir.FilePath(QString::fromUtf8(GetParam().scheme)));
    Action(action)->trigger();
  }
  std::unique_ptr<QTemporaryDir> ports_;
  QtDesktop real_;
};

TEST_P(WholeValues, ReachThePortAndTheSchemeWhole) {
  const WholeCase& c = GetParam();
  const QString portDir = LongFolder(ports_->path(), c.portPath - 10);
  ASSERT_TRUE(QDir().mkpath(portDir));
  const QString out = ports_->filePath("args.txt");
  const QString port = WriteFakePort(portDir, "fake-doom", out);
  const QString map = LongFolder("/maps", c.mapPath - 8) + "/map.wad";
  WriteDefaultIni();
  PutList(ListId::Ports, {"Fake"});
  Put("Ports", "Port1Path", port.toStdString());
  PutList(ListId::Files, {"map.wad"});
  Put("Files", "File1Path", map.toStdString());
  Put("Memory", "Port", "1");
  Put("Memory", "UseFiles", "1");
  Open();
  TypeParams(c.params);
  Scheme("ProgramSave");
  Close();

  Open();
  ASSERT_TRUE(Button("cmdTest")->isEnabled());
  // The map is made up: the start asks first.
  desktop.questionAnswers.push_back(MessageResult::Yes);
  QTest::mouseClick(Button("cmdTest"), Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 1u);
  desktop.messages.clear();
  EXPECT_EQ(WaitForLines(out),
            QStringList({QFileInfo(portDir).canonicalFilePath(), "-file", map}) + c.paramArguments);
  TypeParams("-other");
  Scheme("ProgramLoad");
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(Text("txtParams")->text().toStdString(), c.params);
  EXPECT_EQ(dir.Read(QString::fromUtf8(c.scheme)).count("\n["), 0);  // one section
}

const std::string kQuoted = "\"my map.wad\" \"-skill 4\"";
const std::string kLong = "-skill 4 -playdemo " + std::string(299, 'd');  // 318 characters
const QString kDemo(299, u'd');

INSTANTIATE_TEST_SUITE_P(
    Table, WholeValues,
    ::testing::Values(WholeCase{"PortAtALongPath", 274, 0, "-fast", {"-fast"}},
                      WholeCase{"MapUnderALongFolder", 0, 300, "-fast", {"-fast"}},
                      WholeCase{"QuotedParams", 0, 0, kQuoted, {"my map.wad", "-skill 4"}},
                      WholeCase{"LongParams", 0, 0, kLong, {"-skill", "4", "-playdemo", kDemo}},
                      WholeCase{
                          "SchemeNameWithBrackets", 0, 0, "-fast", {"-fast"}, "Sunlust [UV].qls"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon::test
