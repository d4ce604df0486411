#include "ui/main/frmQLN2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/files/PathHelpers.h"
#include "core/settings/ConfigLayout.h"
#include "ui/about/Emblem.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/main/Appearance.h"

namespace quillon {

namespace {

using enum LaunchOptionId;

// The emblem beside the title, at its drawn size.
constexpr QSize kEmblem(52, 53);
// The custom file list is at least this wide, and three buttons tall.
constexpr int kFileListWidth = 150;
constexpr int kFileListButtons = 3;
// Room around the window's two columns; none above, where the rule under the menu bar lies.
constexpr QMargins kClientMargins(6, 0, 6, 6);
// Between the warp box and its level.
constexpr int kWarpSpacing = 2;
// The level box is as wide as this text.
constexpr const char* kWarpWidthText = "MMMMMM";

QListView* MakeFileList(QWidget* parent, const char* name, EntryListModel* files, int column) {
  auto* list = MakeControl<QListView>(parent, name);
  list->setModel(files);
  list->setModelColumn(column);
  list->setUniformItemSizes(true);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEnabled(false);
  return list;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& title) {
  auto* frame = MakeControl<QGroupBox>(parent, name);
  frame->setTitle(title);
  return frame;
}

// Impact where installed; otherwise a heavy condensed face, so the title still stands out.
QFont TitleFont() {
  return FontOrFallback(
      QStringLiteral("Impact"), 14.25, QFont::Normal,
      {QStringLiteral("Haettenschweiler"), QStringLiteral("DejaVu Sans Condensed"),
       QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Sans Serif")},
      QFont::Black);
}

}  // namespace

frmQLN2::frmQLN2(Desktop& desktop, QString programDir, QString helpFile, QString logDir,
                 QWidget* parent)
    : QMainWindow(parent),
      desktop_(desktop),
      programDir_(std::move(programDir)),
      helpFile_(helpFile.isEmpty() ? Qs(JoinPath(Ss(programDir_), kHelpFileName))
                                   : std::move(helpFile)),
      logDir_(logDir.isEmpty() ? Qs(JoinPath(Ss(programDir_), "logs")) : std::move(logDir)),
      cdlOpen_(desktop, this) {
  setObjectName(QStringLiteral("frmQLN2"));
  setWindowTitle(QStringLiteral("Quillon"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  CreateOptionControls(client);
  CreateCommands();
  CreateControls();
  ArrangeControls();
  SetTabOrder();
  ConnectOptionControls();
  CreateWadKnowledge();

  // A fixed window, just large enough for its controls in the fonts at hand.
  setFixedSize(sizeHint());

  FormLoad();
  FollowFileOnInput();
}

frmQLN2::~frmQLN2() = default;

// What is neither a launch option nor a command: the file list and the window's own looks.
void frmQLN2::CreateControls() {
  QWidget* client = centralWidget();
  // Each custom file's name, and where it lies (the user never sees that column).
  auto* files = new EntryListModel(2, this);
  lstFiles = MakeFileList(client, "lstFiles", files, 0);
  lstFileDirs = MakeFileList(client, "lstFileDirs", files, 1);
  lstFileDirs->setVisible(false);
  lstFileDirs->setFocusPolicy(Qt::NoFocus);
  SetFieldBackground(lstFiles, QPalette::Button);
  // Files dropped from a file manager, and Alt+Up / Alt+Down for the load order.
  lstFiles->setAcceptDrops(true);
  lstFiles->viewport()->setAcceptDrops(true);
  lstFiles->installEventFilter(this);
  lstFiles->viewport()->installEventFilter(this);

  txtWarp->setMaximumWidth(txtWarp->fontMetrics().horizontalAdvance(QLatin1String(kWarpWidthText)));
  for (CommandId id : {CommandId::AddPWAD, CommandId::AddPatch, CommandId::RemoveFile}) {
    ButtonOf(id)->setEnabled(false);
  }
  // Enter presses the focused button, or Test when the focus is anywhere else.
  for (auto* button : client->findChildren<QPushButton*>()) button->setAutoDefault(true);
  ButtonOf(CommandId::Test)->setDefault(true);
  // Its tip adds the command it would run, made as the tip shows (eventFilter).
  testTip_ = ButtonOf(CommandId::Test)->toolTip();
  ButtonOf(CommandId::Test)->installEventFilter(this);
}

// The labels, frames and the title live only in the layout.
void frmQLN2::ArrangeControls() {
  QWidget* client = centralWidget();
  const auto button = [this](CommandId id) { return ButtonOf(id); };
  const auto control = [this](LaunchOptionId id) { return ControlOf(id); };
  const auto label = [client](const char* name, const char* caption, QWidget* buddy) {
    auto* made = MakeControl<QLabel>(client, name, QString::fromLatin1(caption));
    made->setBuddy(buddy);
    return made;
  };

  auto* rule = MakeControl<QFrame>(client, "Line1");
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  auto* imgWisp = MakeControl<QLabel>(client, "imgWisp", {},
                                      QStringLiteral("Don't stare. It only encourages him."));
  imgWisp->setPixmap(EmblemPixmap());
  imgWisp->setFixedSize(kEmblem);
  auto* lblTitle = MakeControl<QLabel>(client, "lblTitle", QStringLiteral("Quillon"),
                                       QStringLiteral("What, did you forget the program name?"));
  lblTitle->setAlignment(Qt::AlignCenter);
  lblTitle->setFont(TitleFont());
  auto* lblByWisp = MakeControl<QLabel>(
      client, "lblByWisp", QStringLiteral("by the Quillon developers"), QStringLiteral("Oh yes."));

  auto* title = new QGridLayout;
  title->addWidget(imgWisp, 0, 0, 2, 1);
  title->addWidget(lblTitle, 0, 1, 1, 2);
  title->addWidget(lblByWisp, 1, 1);
  title->addWidget(button(CommandId::About), 1, 2);
  title->setColumnStretch(1, 1);

  auto* pickers = new QGridLayout;
  pickers->addWidget(label("lblPorts", "Source Port:", control(Port)), 0, 0, 1, 2);
  pickers->addWidget(control(Port), 1, 0);
  pickers->addWidget(button(CommandId::SetupPorts), 1, 1);
  pickers->addWidget(label("lblIWAD", "IWAD:", control(IWAD)), 2, 0, 1, 2);
  pickers->addWidget(control(IWAD), 3, 0);
  pickers->addWidget(button(CommandId::SetupIWADs), 3, 1);
  pickers->setColumnStretch(0, 1);

  auto* fraMisc = MakeFrame(client, "fraMisc", QStringLiteral("Misc. Options"));
  auto* warp = new QHBoxLayout;
  warp->setSpacing(kWarpSpacing);
  warp->addWidget(control(Warp));
  warp->addWidget(control(WarpTo));
  warp->addStretch(1);
  auto* misc = new QGridLayout(fraMisc);
  misc->addLayout(warp, 0, 0);
  misc->addWidget(control(NoMonsters), 0, 1);
  misc->addWidget(control(OpenGL), 1, 0);
  misc->addWidget(control(NoMusic), 1, 1);
  misc->addWidget(control(NoCD), 2, 0);
  misc->addWidget(control(NoSound), 2, 1);
  misc->addWidget(label("lblParams", "Additional Params:", control(Params)), 3, 0);
  misc->addWidget(control(ExitOnTest), 3, 1);
  misc->addWidget(control(Params), 4, 0, 1, 2);

  auto* left = new QVBoxLayout;
  left->addLayout(title);
  left->addLayout(pickers);
  left->addStretch(1);
  left->addWidget(fraMisc);

  auto* fraFiles = MakeFrame(client, "fraFiles", QStringLiteral("Custom Files"));
  auto* fileButtons = new QVBoxLayout;
  fileButtons->addWidget(control(UseFiles));
  fileButtons->addWidget(button(CommandId::AddPWAD));
  fileButtons->addWidget(button(CommandId::AddPatch));
  fileButtons->addWidget(button(CommandId::RemoveFile));
  fileButtons->addStretch(1);
  auto* files = new QGridLayout(fraFiles);
  files->addLayout(fileButtons, 0, 0);
  files->addWidget(lstFiles, 0, 1);
  files->addWidget(lstFileDirs, 0, 1);
  files->setColumnStretch(1, 1);
  lstFiles->setMinimumWidth(kFileListWidth);
  lstFiles->setMinimumHeight(button(CommandId::AddPWAD)->sizeHint().height() * kFileListButtons);

  auto* fraLauncher = MakeFrame(client, "fraLauncher", QStringLiteral("Quick Launch"));
  auto* launcher = new QGridLayout(fraLauncher);
  launcher->addWidget(control(Prog), 0, 0);
  launcher->addWidget(button(CommandId::SetupPrograms), 0, 1);
  launcher->addWidget(label("lblProgParams", "Program Parameters:", control(ProgParams)), 1, 0, 1,
                      2);
  launcher->addWidget(control(ProgParams), 2, 0);
  launcher->addWidget(button(CommandId::Launch), 2, 1);
  launcher->setColumnStretch(0, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(button(CommandId::Test));
  buttons->addWidget(button(CommandId::Help));
  buttons->addWidget(button(CommandId::Exit));

  auto* right = new QVBoxLayout;
  right->addWidget(fraFiles, 1);
  right->addWidget(fraLauncher);
  right->addLayout(buttons);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* outer = new QVBoxLayout(client);
  outer->setContentsMargins(kClientMargins);
  outer->addWidget(rule);
  outer->addLayout(columns);
}

void frmQLN2::SetTabOrder() {
  using enum CommandId;
  const auto button = [this](CommandId id) -> QWidget* { return ButtonOf(id); };
  const auto control = [this](LaunchOptionId id) { return ControlOf(id); };
  QWidget* const order[] = {button(Test),
                            button(Help),
                            button(Exit),
                            button(About),
                            control(Port),
                            button(SetupPorts),
                            control(IWAD),
                            button(SetupIWADs),
                            control(UseFiles),
                            button(AddPWAD),
                            button(AddPatch),
                            button(RemoveFile),
                            lstFiles,
                            control(Warp),
                            control(WarpTo),
                            control(OpenGL),
                            control(NoCD),
                            control(NoMonsters),
                            control(NoMusic),
                            control(NoSound),
                            control(ExitOnTest),
                            control(Params),
                            control(Prog),
                            button(SetupPrograms),
                            control(ProgParams),
                            button(Launch)};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // The window opens with the focus on the first control of that order.
  order[0]->setFocus();
}

void frmQLN2::keyPressEvent(QKeyEvent* event) {
  // Keys that the focused control leaves alone reach the window: Enter means Test.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    QPushButton* test = ButtonOf(CommandId::Test);
    if (test->isEnabled()) test->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

}  // namespace quillon
