#include "ui/about/frmAbout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ui/about/Emblem.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/WindowParts.h"

namespace quillon {

namespace {

// Messages for the click counter's values 0 to 11; 10 also turns on 1337 mode.
constexpr std::array<const char*, 12> kClickMessages = {
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
    "I'm not turning it off, so stop bugging me.",
};
constexpr std::int16_t kLeetClick = 10;
constexpr std::int16_t kLastClick = 11;

constexpr const char* kFarewell = "ZOMG u said u = sux L0lZ!!!1 Later n00b!";

// Every caption the box shows, in its normal and its 1337 version.
struct Captions {
  const char* window;
  const char* title;
  const char* version;
  const char* contact;
  const char* email;
  const char* aim;
  const char* dc;
  const char* ok;
};

// The contact texts speak for the project, not for a person.
constexpr Captions kNormal = {
    "About Quillon",
    "Quillon",
    "Version 2.01",
    "Contact Info:",
    "Email: quillon@example.org",
    "Chat: #quillon on irc.example.org",
    "DC: QuillonDev, in the #quillon game lobby",
    "Whatever.",
};
constexpr Captions kLeet = {
    "OMGOMG 1337 MODE!!!1",
    "7h15 15 mi prgm b147ch!!!1",
    "V3r510n 2.01 > j00 LOLz!",
    "T4lk 2 me u n00b!",
    "3m41l: qu1ll0n@3x4mpl3.0rg",
    "Ch47: #qu1ll0n 0n 1rc.3x4mpl3.0rg",
    "DC!? WTF I 0nlee uz3 ZDaemon dats wear itz at!!1 L0lZ",
    "I SUCK!",
};
constexpr const char* kDCTip = "Clan [QLN]: we write the maps, then we frag you on them.";

// The classic layout, in pixels of the client area. Controls keep these places unless the
// fonts at hand need more room (ArrangeControls).
constexpr QSize kClient(271, 169);
constexpr QRect kPicIcon(8, 8, 56, 57);
constexpr QRect kTitle(72, 8, 195, 16);
constexpr QRect kVersion(72, 24, 195, 15);
constexpr QRect kContact(8, 72, 259, 14);
constexpr QRect kEmail(8, 88, 257, 17);
constexpr QRect kAIM(8, 104, 257, 17);
constexpr QRect kDC(8, 120, 257, 33);
constexpr QRect kOK(184, 144, 84, 23);
// A line of the lowest text keeps this far from the button, or the button moves below it by
// kBelowText.
constexpr int kButtonClearance = 2;
constexpr int kBelowText = 3;

QString Text(const char* text) {
  return QString::fromUtf8(text);
}

// "MS Sans Serif" 8.25 pt where installed; otherwise a plain sans serif of the same weight,
// nearest in width first.
QFont DialogFont(bool bold) {
  const QFont::Weight weight = bold ? QFont::Bold : QFont::Normal;
  return FontOrFallback(
      QStringLiteral("MS Sans Serif"), 8.25, weight,
      {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
       QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")},
      weight);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* tip, bool bold = false) {
  auto* label = MakeControl<QLabel>(parent, name, {}, Text(tip));
  label->setFont(DialogFont(bold));
  label->setTextFormat(Qt::PlainText);  // "V3r510n 2.01 > j00 LOLz!" is not markup
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// The lines a word-wrapped label lays its text out in, as rectangles within the label.
std::vector<QRect> WrappedLines(const QLabel* label, const QString& text, int width) {
  const QFontMetrics metrics(label->font());
  QTextLayout layout(text, label->font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  std::vector<QRect> lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    const int top = static_cast<int>(lines.size()) * metrics.lineSpacing();
    lines.emplace_back(0, top, static_cast<int>(std::ceil(line.naturalTextWidth())),
                       metrics.lineSpacing());
  }
  layout.endLayout();
  return lines;
}

}  // namespace

frmAbout::frmAbout(Desktop& desktop, QWidget* owner) : QDialog(owner), desktop_(desktop) {
  setObjectName(QStringLiteral("frmAbout"));
  // A fixed dialog: a close box, nothing to minimise, maximise or resize, no "?" button.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  CreateControls();
  ArrangeControls();
  FormLoad();
}

frmAbout::~frmAbout() = default;

void frmAbout::CreateControls() {
  picIcon = MakeLabel(this, "picIcon", "That's right. ph33r me, fools.");
  picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  picIcon->setAlignment(Qt::AlignCenter);
  picIcon->setPixmap(EmblemPixmap());
  picIcon->installEventFilter(this);

  lblTitle = MakeLabel(this, "lblTitle", "Not your Quillon, MINE!", true);
  lblVersion = MakeLabel(this, "lblVersion", "Version 2.01 pwnz you, man. You know it's true.");
  lblContact = MakeLabel(this, "lblContact", "I have contact info? Who knew?", true);
  lblEmail = MakeLabel(this, "lblEmail", "No spam please.");
  lblAIM = MakeLabel(this, "lblAIM", "Point that somewhere else, will ya?");
  lblDC = MakeLabel(this, "lblDC", kDCTip);
  lblDC->setWordWrap(true);

  cmdOK =
      MakeControl<QPushButton>(this, "cmdOK", {}, QStringLiteral("Go back to the main screen."));
  cmdOK->setFont(DialogFont(false));
  cmdOK->setDefault(true);
  cmdOK->setAutoDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::Dismiss);
  cmdOK->setFocus();
}

// Every control keeps its classic place while the fonts at hand fit it. Where a fallback font
// runs wider, the box grows to the right; where a text runs taller, the controls below move
// down. Both sets of captions are measured, so the box keeps its size when 1337 mode begins.
void frmAbout::ArrangeControls() {
  const auto need = [](auto* control, const char* normal, const char* leet) {
    control->setText(Text(normal));
    const QSize first = control->sizeHint();
    control->setText(Text(leet));
    return first.expandedTo(control->sizeHint());
  };
  const QSize title = need(lblTitle, kNormal.title, kLeet.title);
  const QSize version = need(lblVersion, kNormal.version, kLeet.version);
  const QSize contact = need(lblContact, kNormal.contact, kLeet.contact);
  const QSize email = need(lblEmail, kNormal.email, kLeet.email);
  const QSize aim = need(lblAIM, kNormal.aim, kLeet.aim);
  const QSize ok = need(cmdOK, kNormal.ok, kLeet.ok);

  const int wider = std::max({0, title.width() - kTitle.width(), version.width() - kVersion.width(),
                              contact.width() - kContact.width(), email.width() - kEmail.width(),
                              aim.width() - kAIM.width()});
  // A label starts at its own place or just under the text above it, whichever is lower.
  const auto place = [wider](QLabel* label, QRect stated, QSize needed, int belowText) {
    label->setGeometry(stated.left(), std::max(stated.top(), belowText), stated.width() + wider,
                       std::max(stated.height(), needed.height()));
  };
  const auto textBottom = [](const QLabel* label, QSize needed) {
    return label->y() + needed.height();
  };

  picIcon->setGeometry(kPicIcon);
  place(lblTitle, kTitle, title, kTitle.top());
  place(lblVersion, kVersion, version, textBottom(lblTitle, title));
  place(lblContact, kContact, contact, textBottom(lblVersion, version));
  place(lblEmail, kEmail, email, textBottom(lblContact, contact));
  place(lblAIM, kAIM, aim, textBottom(lblEmail, email));

  const int dcWidth = kDC.width() + wider;
  int dcHeight = kDC.height();
  std::vector<QRect> dcLines;
  for (const char* text : {kNormal.dc, kLeet.dc}) {
    lblDC->setText(Text(text));
    dcHeight = std::max(dcHeight, lblDC->heightForWidth(dcWidth));
    const auto lines = WrappedLines(lblDC, lblDC->text(), dcWidth);
    dcLines.insert(dcLines.end(), lines.begin(), lines.end());
  }
  std::sort(dcLines.begin(), dcLines.end(),
            [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
  lblDC->setGeometry(kDC.left(), std::max(kDC.top(), textBottom(lblAIM, aim)), dcWidth, dcHeight);

  // The button sits in the lower right corner of lblDC's area, as it always has; it moves
  // down only when a line of either text would run under it.
  QRect button(kOK.topLeft(), ok.expandedTo(kOK.size()));
  button.moveRight(kOK.right() + wider);
  button.moveTop(lblDC->y() + kOK.top() - kDC.top());
  for (QRect line : dcLines) {
    line.translate(lblDC->pos());
    const QRect clear =
        button.adjusted(-kButtonClearance, -kButtonClearance, kButtonClearance, kButtonClearance);
    if (line.intersects(clear)) button.moveTop(line.bottom() + kBelowText);
  }
  cmdOK->setGeometry(button);

  const int bottomMargin = kClient.height() - (kOK.top() + kOK.height());
  setFixedSize(kClient.width() + wider, button.top() + button.height() + bottomMargin);
}

void frmAbout::FormLoad() {
  clickCounter_ = 0;
  ShowCaptions(false);
  CentreOnScreen(this, desktop_.ScreenSize());
}

// Centred by the box's outer size. The window system reports the frame only once the box is
// shown, so the first show centres it again with the frame counted.
void frmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) CentreOnScreen(this, desktop_.ScreenSize());
}

void frmAbout::ShowCaptions(bool leet) {
  const Captions& captions = leet ? kLeet : kNormal;
  setWindowTitle(Text(captions.window));
  lblTitle->setText(Text(captions.title));
  lblVersion->setText(Text(captions.version));
  lblContact->setText(Text(captions.contact));
  lblEmail->setText(Text(captions.email));
  lblAIM->setText(Text(captions.aim));
  lblDC->setText(Text(captions.dc));
  cmdOK->setText(Text(captions.ok));
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched != picIcon) return QDialog::eventFilter(watched, event);
  // A click is a press and a release of the left button on the picture.
  if (event->type() == QEvent::MouseButtonPress) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) iconPressed_ = true;
  } else if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && iconPressed_) {
      iconPressed_ = false;
      if (picIcon->rect().contains(mouse->position().toPoint())) EmblemClicked();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// Esc presses the cancel button, which is cmdOK, so the farewell is not skipped.
void frmAbout::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Cancel)) {
    cmdOK->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void frmAbout::EmblemClicked() {
  desktop_.Tell(this, Text(kClickMessages[clickCounter_]));
  if (clickCounter_ == kLeetClick) ShowCaptions(true);
  if (clickCounter_ < kLastClick) ++clickCounter_;
}

void frmAbout::Dismiss() {
  if (clickCounter_ == kLastClick) {
    desktop_.Tell(this, Text(kFarewell));
  }
  accept();
}

}  // namespace quillon
