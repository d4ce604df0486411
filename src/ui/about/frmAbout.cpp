#include "ui/about/frmAbout.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

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

// The sizes it was designed with, at 96 dpi (client area 271 x 169): the emblem beside the
// title and version, the contact lines 16 pixels apart under them, the button at the lower
// right. The last line may take two, and the button comes below it.
constexpr QSize kPicIcon(56, 57);
constexpr QSize kTitle(195, 16);
constexpr QSize kVersion(195, 15);
constexpr QSize kContact(259, 16);
constexpr QSize kLine(257, 16);
constexpr QSize kDC(257, 24);
constexpr QSize kOK(84, 23);
constexpr QMargins kMargins(8, 8, 4, 2);
constexpr int kBesideIcon = 8;
constexpr int kBelowIcon = 7;
constexpr int kAboveButton = 3;

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

// The designed sizes are the least each control gets; where the fonts at hand need more, the
// box grows. Both sets of captions are measured, so the box keeps its size when 1337 mode
// begins.
void frmAbout::ArrangeControls() {
  const auto reserve = [](auto* control, QSize stated, const char* normal, const char* leet) {
    QSize size = stated;
    for (const char* text : {normal, leet}) {
      control->setText(Text(text));
      size = size.expandedTo(control->sizeHint());
    }
    control->setMinimumSize(size);
  };
  picIcon->setFixedSize(kPicIcon);
  reserve(lblTitle, kTitle, kNormal.title, kLeet.title);
  reserve(lblVersion, kVersion, kNormal.version, kLeet.version);
  reserve(lblContact, kContact, kNormal.contact, kLeet.contact);
  reserve(lblEmail, kLine, kNormal.email, kLeet.email);
  reserve(lblAIM, kLine, kNormal.aim, kLeet.aim);
  reserve(cmdOK, kOK, kNormal.ok, kLeet.ok);
  // The last line wraps to the width the others give the box.
  lblDC->setMinimumSize(kDC);

  auto* heading = new QVBoxLayout;
  heading->setSpacing(0);
  heading->addWidget(lblTitle);
  heading->addWidget(lblVersion);
  heading->addStretch(1);
  auto* top = new QHBoxLayout;
  top->setSpacing(kBesideIcon);
  top->addWidget(picIcon);
  top->addLayout(heading, 1);

  auto* button = new QHBoxLayout;
  button->addStretch(1);
  button->addWidget(cmdOK);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargins);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(top);
  layout->addSpacing(kBelowIcon);
  layout->addWidget(lblContact);
  layout->addWidget(lblEmail);
  layout->addWidget(lblAIM);
  layout->addWidget(lblDC);
  layout->addSpacing(kAboveButton);
  layout->addLayout(button);

  ReserveTextHeight(lblDC, {Text(kNormal.dc), Text(kLeet.dc)});
  // Sized now, so that Load centres the window by its real size.
  layout->activate();
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
