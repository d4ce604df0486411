// Help and logs where the desktop has no program for text: our own window, or why not.
#include <sys/stat.h>

#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "gui/MainWindowFixture.h"
#include "ui/desktop/frmTextWindow.h"
#include "ui/launch/frmPortStopped.h"

namespace quillon::test {
namespace {

enum class HelpFile { Text, Missing, Folder, Pipe };

struct HelpCase {
  const char* name;
  HelpFile file;
  bool desktopOpens;
  const char* reason;  // the message's reason; nullptr: handed to the desktop
};
void PrintTo(const HelpCase& c, std::ostream* os) {
  *os << c.name;
}

const QByteArray kHelp = "Quillon help\r\nline two\r\n";

class TextWindowTest : public MainWindowTest {
 protected:
  // Each belongs to the main window, and goes with it.
  QList<frmTextWindow*> TextWindows() const { return window->findChildren<frmTextWindow*>(); }
  // F1 on the main window with the desktop answering `opens`; the window it brought, if any.
  frmTextWindow* PressF1(bool opens) {
    desktop.openResults.push_back(opens);
    QTest::keyClick(window.get(), Qt::Key_F1);
    EndEvent();  // the window system makes the new window the active one
    const QList<frmTextWindow*> shown = TextWindows();
    return shown.size() == 1 ? shown.first() : nullptr;
  }
  frmTextWindow* HelpWindow(const QByteArray& text) {
    WriteDefaultIni();
    dir.Write("QLN2.txt", text);
    Open();
    return PressF1(false);
  }
  template <class T>
  static T* In(QWidget* shown, const char* name) {
    auto* found = shown->findChild<T*>(QString::fromLatin1(name));
    if (!found) ADD_FAILURE() << "no control " << name;
    return found;
  }
};

class HelpCases : public TextWindowTest, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpCases, DesktopElseOurWindowElseWhy) {
  const HelpCase& c = GetParam();
  WriteDefaultIni();
  const QString help = dir.FilePath("QLN2.txt");
  if (c.file == HelpFile::Text) dir.Write("QLN2.txt", kHelp);
  if (c.file == HelpFile::Folder) QDir().mkpath(help);
  // Opening a pipe for reading would wait for a writer that never comes.
  if (c.file == HelpFile::Pipe) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(help).constData(), 0600), 0);
  }
  Open();

  frmTextWindow* shown = PressF1(c.desktopOpens);

  EXPECT_EQ(desktop.documents, c.reason ? QStringList{} : QStringList{help});
  EXPECT_TRUE(desktop.launches.empty());
  ASSERT_EQ(shown != nullptr, !c.reason && !c.desktopOpens);
  if (shown) {
    EXPECT_EQ(shown->windowTitle(), "QLN2.txt (" + dir.Path() + ")");
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(shown->parentWidget(), window.get());
    auto* text = In<QPlainTextEdit>(shown, "txtText");
    EXPECT_EQ(text->toPlainText(), "Quillon help\nline two\n");
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
    EXPECT_FALSE(In<QLabel>(shown, "lblPart")->isVisible());
  }
  if (c.reason) {
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Could not open " + help + ": " + c.reason + ".");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Exclamation);
  } else {
    EXPECT_TRUE(desktop.messages.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HelpCases,
    ::testing::Values(HelpCase{"OpenedByTheDesktop", HelpFile::Text, true, nullptr},
                      HelpCase{"NoHandlerOurWindow", HelpFile::Text, false, nullptr},
                      HelpCase{"Missing", HelpFile::Missing, false, "No such file or directory"},
                      HelpCase{"AFolder", HelpFile::Folder, false, "it is a folder"},
                      HelpCase{"APipe", HelpFile::Pipe, false, "it is not a regular file"}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return info.param.name; });

TEST_F(TextWindowTest, CtrlFFindsByKeysAndWraps) {
  frmTextWindow* shown = HelpWindow("one\nneedle two\nthree\nNeedle four\n");
  ASSERT_NE(shown, nullptr);
  auto* text = In<QPlainTextEdit>(shown, "txtText");
  auto* field = In<QLineEdit>(shown, "txtFind");
  auto* found = In<QLabel>(shown, "lblFound");
  const auto line = [&] { return text->textCursor().block().blockNumber(); };
  EXPECT_FALSE(field->isVisible());

  QTest::keyClick(text, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(field->isVisible());
  ASSERT_TRUE(field->hasFocus());
  QTest::keyClicks(field, "needle");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(line(), 1);
  EXPECT_EQ(text->textCursor().selectedText(), "needle");
  EXPECT_TRUE(shown->isVisible()) << "Enter in the find field closed the window";
  QTest::keyClick(field, Qt::Key_F3);
  EXPECT_EQ(line(), 3);
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(line(), 1);
  EXPECT_EQ(found->text(), "Went on from the top");
  QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(line(), 3);
  EXPECT_EQ(found->text(), "Went on from the end");

  field->selectAll();
  QTest::keyClicks(field, "haystack");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(found->text(), "Not found");
  EXPECT_EQ(line(), 3);

  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_FALSE(field->isVisible());
  EXPECT_TRUE(text->hasFocus());
  EXPECT_TRUE(shown->isVisible());
}

TEST_F(TextWindowTest, CopyTakesTheSelectionOrAllAndOpenFolderSaysWhyNot) {
  frmTextWindow* shown = HelpWindow(kHelp);
  ASSERT_NE(shown, nullptr);
  auto* text = In<QPlainTextEdit>(shown, "txtText");
  auto* copy = In<QPushButton>(shown, "cmdCopy");
  ASSERT_TRUE(copy->isEnabled());
  QTest::mouseClick(copy, Qt::LeftButton);
  // The keyboard selects too: the first line with its end.
  QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(text, Qt::Key_Down, Qt::ShiftModifier);
  QTest::mouseClick(copy, Qt::LeftButton);
  EXPECT_EQ(desktop.copied, QStringList({"Quillon help\nline two\n", "Quillon help\n"}));

  auto* folder = In<QPushButton>(shown, "cmdOpenFolder");
  ASSERT_TRUE(folder->isEnabled());
  QTest::mouseClick(folder, Qt::LeftButton);
  EXPECT_TRUE(desktop.messages.empty());
  desktop.openResults.push_back(false);
  QTest::mouseClick(folder, Qt::LeftButton);
  EXPECT_EQ(desktop.documents, QStringList({dir.FilePath("QLN2.txt"), dir.Path(), dir.Path()}));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Could not open the folder " + dir.Path() +
                                          ": this desktop has no program that shows folders.");
}

// A port that wrote 10 MB: the log's end, from a whole line, and the window says so.
TEST_F(TextWindowTest, OpenLogShowsTheEndOfALargeLog) {
  WriteDefaultIni();
  Open();
  QByteArray log;
  QByteArray last;
  for (int i = 0; log.size() < 10 * 1024 * 1024; ++i) {
    last = "tic " + QByteArray::number(i);
    log += last + '\n';
  }
  dir.Write("port.log", log);
  PortEnd end;
  end.logPath = dir.FilePath("port.log");
  auto* notice = new frmPortStopped(end, desktop, window.get());
  notice->show();
  desktop.openResults.push_back(false);
  QTest::mouseClick(In<QPushButton>(notice, "cmdOpenLog"), Qt::LeftButton);
  notice->close();  // the log stays open

  const QList<frmTextWindow*> shown = TextWindows();
  ASSERT_EQ(shown.size(), 1);
  auto* text = In<QPlainTextEdit>(shown.first(), "txtText");
  const QByteArray tail = text->toPlainText().toLatin1();
  EXPECT_LE(tail.size(), kTextWindowBytes);
  EXPECT_GT(tail.size(), kTextWindowBytes - 100);
  EXPECT_TRUE(tail.endsWith('\n' + last + '\n'));
  // From a whole line on: the byte before it in the file ends a line.
  EXPECT_EQ(log.at(log.size() - tail.size() - 1), '\n');
  EXPECT_EQ(text->textCursor().blockNumber(), text->document()->blockCount() - 1)
      << "the end is not in view";
  auto* part = In<QLabel>(shown.first(), "lblPart");
  EXPECT_TRUE(part->isVisible());
  EXPECT_EQ(part->text(),
            "Only the last 2.0 MB of its 10.0 MB are shown; Open Folder reaches the whole file.");
}

// One line of 10 000 characters would take seconds to lay out: shown broken, and said so.
TEST_F(TextWindowTest, AVeryLongLineIsShownBroken) {
  frmTextWindow* shown = HelpWindow(QByteArray(10'000, 'x') + "\nend\n");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(In<QPlainTextEdit>(shown, "txtText")->toPlainText().split('\n'),
            QStringList({QString(4096, 'x'), QString(4096, 'x'), QString(1808, 'x'), "end", ""}));
  EXPECT_EQ(In<QLabel>(shown, "lblPart")->text(),
            "Lines longer than 4096 characters are shown broken.");
}

}  // namespace
}  // namespace quillon::test
