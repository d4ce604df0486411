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
#include "ui/starthere/StartCopies.h"

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
      saveRoot_(Qs(JoinPath(Ss(programDir_), "saves"))),
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
  lblWatch = MakeControl<QLabel>(client, "lblWatch", QString());
  lblWatch->setWordWrap(true);
  lblWatch->setVisible(false);

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

// The labels, frames and the title live only in the layout. One list places every control
// in its grid, in the order the keyboard walks them.
void frmQLN2::ArrangeControls() {
  QWidget* client = centralWidget();
  const auto button = [this](CommandId id) -> QWidget* { return ButtonOf(id); };
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

  auto* fraMisc = MakeFrame(client, "fraMisc", QStringLiteral("Misc. Options"));
  auto* fraFiles = MakeFrame(client, "fraFiles", QStringLiteral("Custom Files"));
  auto* fraLauncher = MakeFrame(client, "fraLauncher", QStringLiteral("Quick Launch"));

  enum Grid { Title, Pickers, Warp_, Misc, Choices, FileButtons, Files, Launcher, Buttons, kGrids };
  QGridLayout* grids[kGrids] = {
      new QGridLayout, new QGridLayout, new QGridLayout,           new QGridLayout(fraMisc),
      new QGridLayout, new QGridLayout, new QGridLayout(fraFiles), new QGridLayout(fraLauncher),
      new QGridLayout};
  struct Cell {
    QWidget* widget;
    Grid grid;
    int row;
    int column;
    int rowSpan = 1;
    int columnSpan = 1;
  };
  using enum CommandId;
  // clang-format off
  const Cell cells[] = {
      {button(Test), Buttons, 0, 0},
      {button(Help), Buttons, 0, 1},
      {button(Exit), Buttons, 0, 2},
      {imgWisp, Title, 0, 0, 2, 1},
      {lblTitle, Title, 0, 1, 1, 2},
      {lblByWisp, Title, 1, 1},
      {button(About), Title, 1, 2},
      {label("lblPorts", "Source Port:", control(Port)), Pickers, 0, 0, 1, 2},
      {control(Port), Pickers, 1, 0},
      {button(SetupPorts), Pickers, 1, 1},
      {label("lblIWAD", "IWAD:", control(IWAD)), Pickers, 2, 0, 1, 2},
      {control(IWAD), Pickers, 3, 0},
      {button(SetupIWADs), Pickers, 3, 1},
      {control(UseFiles), FileButtons, 0, 0},
      {button(AddPWAD), FileButtons, 1, 0},
      {button(AddPatch), FileButtons, 2, 0},
      {button(RemoveFile), FileButtons, 3, 0},
      {lstFiles, Files, 0, 1},
      {lstFileDirs, Files, 0, 1},
      {lblWatch, Files, 1, 0, 1, 2},
      {control(Warp), Warp_, 0, 0},
      {control(WarpTo), Warp_, 0, 1},
      {control(OpenGL), Misc, 1, 0},
      {control(NoCD), Misc, 2, 0},
      {control(NoMonsters), Misc, 0, 1},
      {control(NoMusic), Misc, 1, 1},
      {control(NoSound), Misc, 2, 1},
      {control(SaveFolders), Misc, 3, 0},
      {control(ExitOnTest), Misc, 3, 1},
      {control(Windowed), Misc, 4, 0},
      {label("lblSkill", "Skill:", control(Skill)), Choices, 0, 0},
      {control(Skill), Choices, 0, 1},
      {label("lblComplevel", "Compatibility:", control(Complevel)), Choices, 1, 0},
      {control(Complevel), Choices, 1, 1},
      {label("lblParams", "Additional Params:", control(Params)), Misc, 6, 0},
      {control(Params), Misc, 7, 0, 1, 2},
      {control(Prog), Launcher, 0, 0},
      {button(SetupPrograms), Launcher, 0, 1},
      {label("lblProgParams", "Program Parameters:", control(ProgParams)), Launcher, 1, 0, 1, 2},
      {control(ProgParams), Launcher, 2, 0},
      {button(Launch), Launcher, 2, 1},
  };
  // clang-format on
  QWidget* previous = nullptr;
  for (const Cell& cell : cells) {
    grids[cell.grid]->addWidget(cell.widget, cell.row, cell.column, cell.rowSpan, cell.columnSpan);
    if (cell.widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) QWidget::setTabOrder(previous, cell.widget);
    previous = cell.widget;
  }
  // The window opens with the focus on the first control of that order.
  cells[0].widget->setFocus();

  grids[Title]->setColumnStretch(1, 1);
  grids[Pickers]->setColumnStretch(0, 1);
  grids[Warp_]->setHorizontalSpacing(kWarpSpacing);
  grids[Warp_]->setColumnStretch(2, 1);
  grids[Misc]->addLayout(grids[Warp_], 0, 0);
  grids[Choices]->setColumnStretch(1, 1);
  grids[Misc]->addLayout(grids[Choices], 5, 0, 1, 2);
  grids[FileButtons]->setRowStretch(4, 1);
  grids[Files]->addLayout(grids[FileButtons], 0, 0);
  grids[Files]->setColumnStretch(1, 1);
  lstFiles->setMinimumWidth(kFileListWidth);
  lstFiles->setMinimumHeight(button(AddPWAD)->sizeHint().height() * kFileListButtons);
  grids[Launcher]->setColumnStretch(0, 1);

  auto* left = new QVBoxLayout;
  left->addLayout(grids[Title]);
  left->addLayout(grids[Pickers]);
  left->addStretch(1);
  left->addWidget(fraMisc);

  auto* right = new QVBoxLayout;
  right->addWidget(fraFiles, 1);
  right->addWidget(fraLauncher);
  right->addLayout(grids[Buttons]);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* outer = new QVBoxLayout(client);
  outer->setContentsMargins(kClientMargins);
  outer->addWidget(rule);
  outer->addLayout(columns);
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
