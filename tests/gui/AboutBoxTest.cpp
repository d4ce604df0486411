#include <QImage>
#include <QLabel>

#include "gui/MainWindowFixture.h"
#include "ui/about/Emblem.h"
#include "ui/about/frmAbout.h"

namespace quillon::test {
namespace {

const QString kTitle = QStringLiteral("Quillon 2.01");
const QString kFarewell = QStringLiteral("ZOMG u said u = sux L0lZ!!!1 Later n00b!");
const QString kStopBugging = QStringLiteral("I'm not turning it off, so stop bugging me.");

// What the labels, the button and the caption show, in the order of this list.
QStringList Captions(const frmAbout& about) {
  return {about.windowTitle(),      about.lblTitle->text(), about.lblVersion->text(),
          about.lblContact->text(), about.lblEmail->text(), about.lblAIM->text(),
          about.lblDC->text(),      about.cmdOK->text()};
}

const QStringList kNormalCaptions = {
    "About Quillon",
    "Quillon",
    "Version 2.01",
    "Contact Info:",
    "Email: quillon@example.org",
    "Chat: #quillon on irc.example.org",
    "DC: QuillonDev, in the #quillon game lobby",
    "Whatever.",
};
const QStringList kLeetCaptions = {
    "OMGOMG 1337 MODE!!!1",
    "7h15 15 mi prgm b147ch!!!1",
    "V3r510n 2.01 > j00 LOLz!",
    "T4lk 2 me u n00b!",
    "3m41l: qu1ll0n@3x4mpl3.0rg",
    "Ch47: #qu1ll0n 0n 1rc.3x4mpl3.0rg",
    "DC!? WTF I 0nlee uz3 ZDaemon dats wear itz at!!1 L0lZ",
    "I SUCK!",
};

void ClickEmblem(frmAbout& about, int times) {
  for (int i = 0; i < times; ++i) QTest::mouseClick(about.picIcon, Qt::LeftButton);
}

class AboutBoxTest : public MainWindowTest {
 protected:
  void SetUp() override {
    WriteDefaultIni();
    Open();
  }

  // Opens the box from the main window's button, or from Help > About; `script` drives it
  // while it is up.
  void OpenAbout(std::function<void(frmAbout&)> script, bool fromMenu = false) {
    desktop.modalScripts.push_back([script = std::move(script)](QDialog* dialog) {
      auto* about = qobject_cast<frmAbout*>(dialog);
      ASSERT_NE(about, nullptr);
      script(*about);
    });
    if (fromMenu) {
      Action("HelpAbout")->trigger();
    } else {
      QTest::mouseClick(Button("cmdAbout"), Qt::LeftButton);
    }
  }

  QStringList MessageTexts() const {
    QStringList texts;
    for (const auto& message : desktop.messages) texts << message.text;
    return texts;
  }

  void ExpectMainWindowBack() {
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->isEnabled());
  }
};

// The classic arrangement at no less than its classic sizes: the emblem beside the title
// and version, the contact lines under it in order, the button below them at the right; no
// two controls overlap and no text is clipped in either set of captions, with the
// application's font at its default and at 16 points (the box asks for its own font).
TEST_F(AboutBoxTest, KeepsItsArrangementAndFitsEveryTextInBothModes) {
  desktop.screen = {1001, 701};  // odd sizes: the halves are rounded down
  const QFont normalFont = QApplication::font();
  for (const int points : {0, 16}) {
    SCOPED_TRACE(points);
    if (points) {
      QFont font = normalFont;
      font.setPointSize(points);
      QApplication::setFont(font);
    }
    OpenAbout([&](frmAbout& about) {
      const struct {
        QWidget* control;
        QSize least;
        const char* tip;
      } controls[] = {
          {about.picIcon, {56, 57}, "That's right. ph33r me, fools."},
          {about.lblTitle, {195, 16}, "Not your Quillon, MINE!"},
          {about.lblVersion, {195, 15}, "Version 2.01 pwnz you, man. You know it's true."},
          {about.lblContact, {259, 14}, "I have contact info? Who knew?"},
          {about.lblEmail, {257, 16}, "No spam please."},
          {about.lblAIM, {257, 16}, "Point that somewhere else, will ya?"},
          {about.lblDC, {257, 24}, "Clan [QLN]: we write the maps, then we frag you on them."},
          {about.cmdOK, {84, 23}, "Go back to the main screen."},
      };
      for (const auto& c : controls) {
        const std::string name = c.control->objectName().toStdString();
        EXPECT_EQ(c.control->toolTip(), c.tip) << name;
        EXPECT_GE(c.control->width(), c.least.width()) << name;
        EXPECT_GE(c.control->height(), c.least.height()) << name;
        EXPECT_EQ(c.control->font().bold(),
                  c.control == about.lblTitle || c.control == about.lblContact)
            << name;
        for (const auto& other : controls) {
          EXPECT_TRUE(other.control == c.control ||
                      !other.control->geometry().intersects(c.control->geometry()))
              << name << " overlaps " << other.control->objectName().toStdString();
        }
      }
      const auto at = [](const QWidget* control) { return control->geometry(); };
      EXPECT_GT(at(about.lblTitle).left(), at(about.picIcon).right());
      EXPECT_EQ(at(about.lblVersion).left(), at(about.lblTitle).left());
      EXPECT_GT(at(about.lblVersion).top(), at(about.lblTitle).top());
      EXPECT_GT(at(about.lblContact).top(), at(about.picIcon).bottom());
      const QLabel* lines[] = {about.lblContact, about.lblEmail, about.lblAIM, about.lblDC};
      for (std::size_t i = 0; i < std::size(lines); ++i) {
        EXPECT_EQ(at(lines[i]).left(), at(about.picIcon).left());
        if (i > 0) {
          EXPECT_GT(at(lines[i]).top(), at(lines[i - 1]).top());
        }
      }
      EXPECT_GT(at(about.cmdOK).top(), at(about.lblDC).bottom());
      EXPECT_EQ(at(about.cmdOK).right(), at(about.lblDC).right());
      EXPECT_EQ(about.picIcon->pixmap().size(), QSize(52, 53));
      EXPECT_EQ(about.minimumSize(), about.maximumSize());  // not resizable
      EXPECT_GE(about.width(), 271);
      EXPECT_GE(about.height(), 169);
      const QSize outer = about.frameGeometry().size();
      EXPECT_EQ(about.frameGeometry().topLeft(),
                QPoint((1001 - outer.width()) / 2, (701 - outer.height()) / 2));

      const QSize size = about.size();
      for (const bool leet : {false, true}) {
        if (leet) ClickEmblem(about, 11);
        ASSERT_EQ(Captions(about), leet ? kLeetCaptions : kNormalCaptions);
        for (QLabel* label :
             {about.lblTitle, about.lblVersion, about.lblContact, about.lblEmail, about.lblAIM}) {
          EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
          EXPECT_LE(label->sizeHint().height(), label->height()) << label->text().toStdString();
        }
        EXPECT_LE(about.lblDC->heightForWidth(about.lblDC->width()), about.lblDC->height());
        EXPECT_LE(about.cmdOK->sizeHint().width(), about.cmdOK->width());
        EXPECT_LE(about.cmdOK->sizeHint().height(), about.cmdOK->height());
        for (QWidget* control : about.findChildren<QWidget*>()) {
          EXPECT_TRUE(about.rect().contains(control->geometry()))
              << control->objectName().toStdString();
        }
        EXPECT_EQ(about.size(), size);  // 1337 mode does not resize the box
      }
      QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    });
  }
  QApplication::setFont(normalFont);
}

TEST_F(AboutBoxTest, ClickCounterRunsItsSequenceIntoLeetMode) {
  const QStringList sequence = {
      "Don't click me.",
      "I said don't click me.",
      "Seriously, quit it.",
      "Stop it, that's getting annoying...",
      "Watch it, punk, that's my gun arm!",
      "I'm warning you...",
      "I know where you live...",
      "I know what you did last weekend...",
      "And I have pictures of it too, so knock it off...",
      "Quit it, biatch! I will hunt you down!!",
      "Oh, I get it. You don't think I'll do anything different in 2.0, eh?\r\n"
      "...Okay, you're right. 1337 MODE!!!",
      kStopBugging,
      kStopBugging,
  };
  OpenAbout([&](frmAbout& about) {
    for (int click = 1; click <= sequence.size(); ++click) {
      ClickEmblem(about, 1);
      ASSERT_EQ(desktop.messages.size(), static_cast<std::size_t>(click));
      const auto& shown = desktop.messages.back();
      EXPECT_EQ(shown.text, sequence[click - 1]) << "click " << click;
      EXPECT_EQ(shown.title, kTitle);
      EXPECT_EQ(shown.icon, MessageIcon::None);
      EXPECT_EQ(shown.buttons, MessageButtons::Ok);
      EXPECT_EQ(about.ClickCounter(), std::min(click, 11));
      EXPECT_EQ(Captions(about), click < 11 ? kNormalCaptions : kLeetCaptions) << "click " << click;
    }
    // Tooltips stay as they were.
    EXPECT_EQ(about.lblTitle->toolTip(), "Not your Quillon, MINE!");
    EXPECT_EQ(about.cmdOK->toolTip(), "Go back to the main screen.");
    QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
  });
  EXPECT_EQ(MessageTexts(), sequence + QStringList{kFarewell});
  ExpectMainWindowBack();
}

// The button answers a click, Enter and Esc alike; the farewell comes only once the eleventh
// click has turned 1337 mode on, and the window's close box never shows it.
TEST_F(AboutBoxTest, FarewellOnlyAfterTheEleventhClick) {
  enum class Close { Click, Enter, Escape, CloseBox };
  const struct {
    int clicks;
    Close how;
    bool farewell;
  } cases[] = {
      {0, Close::Click, false}, {10, Close::Enter, false},    {10, Close::Escape, false},
      {11, Close::Click, true}, {11, Close::Enter, true},     {11, Close::Escape, true},
      {12, Close::Click, true}, {11, Close::CloseBox, false},
  };
  for (const auto& c : cases) {
    desktop.messages.clear();
    OpenAbout([&](frmAbout& about) {
      ClickEmblem(about, c.clicks);
      switch (c.how) {
        case Close::Click:
          QTest::mouseClick(about.cmdOK, Qt::LeftButton);
          break;
        case Close::Enter:
          QTest::keyClick(about.focusWidget(), Qt::Key_Return);
          break;
        case Close::Escape:
          QTest::keyClick(about.focusWidget(), Qt::Key_Escape);
          break;
        case Close::CloseBox:
          about.close();
          break;
      }
      EXPECT_FALSE(about.isVisible()) << c.clicks << " clicks, way " << static_cast<int>(c.how);
    });
    ASSERT_EQ(desktop.messages.size(), static_cast<std::size_t>(c.clicks + (c.farewell ? 1 : 0)))
        << c.clicks << " clicks, way " << static_cast<int>(c.how);
    if (c.farewell) {
      EXPECT_EQ(desktop.messages.back().text, kFarewell);
      EXPECT_EQ(desktop.messages.back().title, kTitle);
      EXPECT_EQ(desktop.messages.back().icon, MessageIcon::None);
    }
    ExpectMainWindowBack();
  }
}

// Each opening is a new box: the second one, from the menu, starts at 0 with the normal texts.
TEST_F(AboutBoxTest, OpensModallyFromButtonAndMenuAndStartsAfreshEachTime) {
  OpenAbout([&](frmAbout& about) {
    EXPECT_EQ(about.parentWidget(), window.get());
    EXPECT_EQ(QApplication::activeModalWidget(), &about);
    EXPECT_EQ(about.focusWidget(), about.cmdOK);
    EXPECT_TRUE(about.cmdOK->isDefault());
    ClickEmblem(about, 12);
    ASSERT_EQ(Captions(about), kLeetCaptions);
    QTest::mouseClick(about.cmdOK, Qt::LeftButton);
  });
  ExpectMainWindowBack();
  desktop.messages.clear();

  OpenAbout(
      [&](frmAbout& about) {
        EXPECT_EQ(about.ClickCounter(), 0);
        EXPECT_EQ(Captions(about), kNormalCaptions);
        ClickEmblem(about, 1);
        QTest::mouseClick(about.cmdOK, Qt::LeftButton);
      },
      true);
  EXPECT_EQ(MessageTexts(), QStringList{"Don't click me."});
  EXPECT_EQ(desktop.modalDialogs, (std::vector<QString>{"frmAbout", "frmAbout"}));
  ExpectMainWindowBack();
}

// The pictures are compiled into the program, each at the size it was drawn for.
TEST(AboutArtwork, EmblemAndIconsAreBuiltIn) {
  EXPECT_EQ(QImage(QStringLiteral(":/quillon/emblem.png")).size(), QSize(52, 53));
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QImage icon(QStringLiteral(":/quillon/quillon-%1.png").arg(size));
    EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    EXPECT_TRUE(icon.hasAlphaChannel()) << size;
  }
}

// The icon waits for the window to be on screen, then every window has it, in each size.
TEST(AboutArtwork, EveryWindowTakesTheIconOnceTheFirstIsShown) {
  QApplication::setWindowIcon(QIcon());
  QWidget window;
  window.show();
  GiveEmblemOnceShown(&window);
  EXPECT_TRUE(QApplication::windowIcon().isNull());
  ASSERT_TRUE(QTest::qWaitFor([] { return !QApplication::windowIcon().isNull(); }, 5000));
  EXPECT_EQ(window.windowIcon().availableSizes().size(), 7);
  EXPECT_EQ(window.windowIcon().pixmap(QSize(256, 256)).size(), QSize(256, 256));
  QApplication::setWindowIcon(QIcon());
}

}  // namespace
}  // namespace quillon::test
