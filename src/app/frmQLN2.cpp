#include "app/frmQLN2.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "about/Emblem.h"
#include "app/Appearance.h"
#include "settings/ConfigLayout.h"
#include "shell/Desktop.h"
#include "shell/PathHelpers.h"
#include "shell/QtText.h"

namespace quillon {

namespace {

template <class Widget>
Widget* Make(QWidget* parent, const char* name, const QString& caption = {},
             const QString& tip = {}) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  if constexpr (requires { widget->setText(caption); }) {
    if (!caption.isEmpty()) widget->setText(caption);
  }
  if (!tip.isEmpty()) widget->setToolTip(tip);
  return widget;
}

QComboBox* MakeList(QWidget* parent, const char* name, const QString& tip) {
  auto* list = Make<QComboBox>(parent, name, {}, tip);
  // Lists may hold tens of thousands of entries: never measure them all for a width.
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(16);
  if (auto* view = qobject_cast<QListView*>(list->view())) view->setUniformItemSizes(true);
  return list;
}

QListWidget* MakeFileList(QWidget* parent, const char* name) {
  auto* list = Make<QListWidget>(parent, name);
  list->setUniformItemSizes(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEnabled(false);
  return list;
}

QAction* MakeAction(QMenu* menu, const char* name, const QString& caption,
                    const QKeySequence& shortcut = {}) {
  auto* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

void MakeSeparator(QMenu* menu, const char* name) {
  menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

// Impact where installed; otherwise a heavy condensed face, so the title still stands out.
QFont TitleFont() {
  QFont font(QStringLiteral("Impact"));
  font.setPointSizeF(14.25);
  if (QFontInfo(font).family().compare(QStringLiteral("Impact"), Qt::CaseInsensitive) != 0) {
    font.setFamilies({QStringLiteral("Haettenschweiler"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Sans Serif")});
    font.setWeight(QFont::Black);
  }
  return font;
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
      cdlOpen(desktop, this) {
  setObjectName(QStringLiteral("frmQLN2"));
  setWindowTitle(QStringLiteral("Quillon"));
  setWindowIcon(EmblemIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  CreateControls();
  CreateMenus();
  ArrangeControls();
  SetTabOrder();
  ConnectHandlers();
  ConnectOptionBoxes();

  // A fixed window, just large enough for its controls in the fonts at hand.
  setFixedSize(sizeHint());

  Form_Load();
}

frmQLN2::~frmQLN2() = default;

void frmQLN2::CreateControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);

  auto* rule = new QFrame(client);
  rule->setObjectName(QStringLiteral("Line1"));
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  Line1 = rule;

  imgWisp = Make<QLabel>(client, "imgWisp", {}, QStringLiteral("Don't stare. It only encourages him."));
  imgWisp->setPixmap(EmblemPixmap());
  imgWisp->setFixedSize(52, 53);
  lblTitle = Make<QLabel>(client, "lblTitle", QStringLiteral("Quillon"),
                          QStringLiteral("What, did you forget the program name?"));
  lblTitle->setAlignment(Qt::AlignCenter);
  lblTitle->setFont(TitleFont());
  lblByWisp = Make<QLabel>(client, "lblByWisp", QStringLiteral("by the Quillon developers"),
                           QStringLiteral("Oh yes."));
  cmdAbout = Make<QPushButton>(client, "cmdAbout", QStringLiteral("About"),
                               QStringLiteral("More info about the program"));

  lblPorts = Make<QLabel>(client, "lblPorts", QStringLiteral("Source Port:"));
  cmbPorts = MakeList(client, "cmbPorts", QStringLiteral("List of source ports. Click setup to edit."));
  cmdPorts = Make<QPushButton>(client, "cmdPorts", QStringLiteral("Setup"), QStringLiteral("Set up source ports."));
  lblIWAD = Make<QLabel>(client, "lblIWAD", QStringLiteral("IWAD:"));
  cmbIWADs = MakeList(client, "cmbIWADs", QStringLiteral("List of IWADs. Click setup to edit."));
  cmdIWADs = Make<QPushButton>(client, "cmdIWADs", QStringLiteral("Setup"), QStringLiteral("Set up IWADs."));
  lblPorts->setBuddy(cmbPorts);
  lblIWAD->setBuddy(cmbIWADs);

  fraMisc = Make<QGroupBox>(client, "fraMisc");
  fraMisc->setTitle(QStringLiteral("Misc. Options"));
  chkWarp = Make<QCheckBox>(fraMisc, "chkWarp", QStringLiteral("Warp:"));
  chkWarp->setChecked(true);
  txtWarp = Make<QLineEdit>(fraMisc, "txtWarp", QStringLiteral("1"));
  txtWarp->setMaximumWidth(txtWarp->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")));
  chkNoMonsters = Make<QCheckBox>(fraMisc, "chkNoMonsters", QStringLiteral("No Monsters"));
  chkGLmode = Make<QCheckBox>(fraMisc, "chkGLmode", QStringLiteral("OpenGL Mode"));
  chkNoMusic = Make<QCheckBox>(fraMisc, "chkNoMusic", QStringLiteral("No Music"));
  chkNoCD = Make<QCheckBox>(fraMisc, "chkNoCD", QStringLiteral("No CD Music"));
  chkNoSound = Make<QCheckBox>(fraMisc, "chkNoSound", QStringLiteral("No Sound"));
  lblParams = Make<QLabel>(fraMisc, "lblParams", QStringLiteral("Additional Params:"));
  chkCloseOnTest = Make<QCheckBox>(fraMisc, "chkCloseOnTest", QStringLiteral("Exit when testing"));
  txtParams = Make<QLineEdit>(fraMisc, "txtParams", {}, QStringLiteral("Type any additional parameters here."));
  lblParams->setBuddy(txtParams);

  fraFiles = Make<QGroupBox>(client, "fraFiles");
  fraFiles->setTitle(QStringLiteral("Custom Files"));
  chkEnableFiles = Make<QCheckBox>(fraFiles, "chkEnableFiles", QStringLiteral("Enable"));
  cmdAddPWAD = Make<QPushButton>(fraFiles, "cmdAddPWAD", QStringLiteral("Add PWAD"),
                                 QStringLiteral("Add a PWAD file to the file list."));
  cmdAddDEH = Make<QPushButton>(fraFiles, "cmdAddDEH", QStringLiteral("Add DEH"),
                                QStringLiteral("Add a Dehacked Patch to the file list."));
  cmdRemoveFile = Make<QPushButton>(fraFiles, "cmdRemoveFile", QStringLiteral("Remove"),
                                    QStringLiteral("Remove the selected file from the list."));
  for (auto* button : {cmdAddPWAD, cmdAddDEH, cmdRemoveFile}) button->setEnabled(false);
  lstFiles = MakeFileList(fraFiles, "lstFiles");
  // Where each listed file lies, item for item; the user never sees it.
  lstFileDirs = MakeFileList(fraFiles, "lstFileDirs");
  lstFileDirs->setVisible(false);
  lstFileDirs->setFocusPolicy(Qt::NoFocus);
  SetFieldBackground(lstFiles, QPalette::Button);

  fraLauncher = Make<QGroupBox>(client, "fraLauncher");
  fraLauncher->setTitle(QStringLiteral("Quick Launch"));
  cmbProgs = MakeList(fraLauncher, "cmbProgs", QStringLiteral("List of programs. Click setup to edit."));
  cmdProgs = Make<QPushButton>(fraLauncher, "cmdProgs", QStringLiteral("Setup"), QStringLiteral("Set up programs."));
  lblProgParams = Make<QLabel>(fraLauncher, "lblProgParams", QStringLiteral("Program Parameters:"));
  txtProgParams = Make<QLineEdit>(fraLauncher, "txtProgParams", {},
                                  QStringLiteral("Type any parameters to send to your program here."));
  cmdLaunch = Make<QPushButton>(fraLauncher, "cmdLaunch", QStringLiteral("Launch"),
                                QStringLiteral("Launch the program you selected."));
  lblProgParams->setBuddy(txtProgParams);

  cmdTest = Make<QPushButton>(client, "cmdTest", QStringLiteral("Test"),
                              QStringLiteral("Launch the game using the options above"));
  cmdHelp = Make<QPushButton>(client, "cmdHelp", QStringLiteral("Help"), QStringLiteral("Launch the help file."));
  cmdExit = Make<QPushButton>(client, "cmdExit", QStringLiteral("Exit"),
                              QStringLiteral("What? Leaving? You wouldn't..."));
  // Enter presses the focused button, or Test when the focus is anywhere else.
  for (auto* button : client->findChildren<QPushButton*>()) button->setAutoDefault(true);
  cmdTest->setDefault(true);
}

void frmQLN2::CreateMenus() {
  ProgramMenu = menuBar()->addMenu(QStringLiteral("&Program"));
  ProgramMenu->setObjectName(QStringLiteral("ProgramMenu"));
  ProgramTest = MakeAction(ProgramMenu, "ProgramTest", QStringLiteral("&Test"), Qt::Key_F2);
  MakeSeparator(ProgramMenu, "Separator1");
  ProgramSave = MakeAction(ProgramMenu, "ProgramSave", QStringLiteral("&Save Scheme..."), Qt::Key_F3);
  ProgramLoad = MakeAction(ProgramMenu, "ProgramLoad", QStringLiteral("&Load Scheme..."), Qt::Key_F4);
  MakeSeparator(ProgramMenu, "Separator2");
  ProgramExit = MakeAction(ProgramMenu, "ProgramExit", QStringLiteral("&Exit"));

  SetupMenu = menuBar()->addMenu(QStringLiteral("&Setup"));
  SetupMenu->setObjectName(QStringLiteral("SetupMenu"));
  SetupPorts = MakeAction(SetupMenu, "SetupPorts", QStringLiteral("&Ports"), Qt::Key_F5);
  SetupIWADs = MakeAction(SetupMenu, "SetupIWADs", QStringLiteral("&IWADs"), Qt::Key_F6);
  SetupProgs = MakeAction(SetupMenu, "SetupProgs", QStringLiteral("Pro&grams"), Qt::Key_F7);

  HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
  HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
  HelpShow = MakeAction(HelpMenu, "HelpShow", QStringLiteral("&Show help file"), Qt::Key_F1);
  MakeSeparator(HelpMenu, "Separator3");
  HelpAbout = MakeAction(HelpMenu, "HelpAbout", QStringLiteral("&About"));
}

void frmQLN2::ArrangeControls() {
  auto* title = new QGridLayout;
  title->addWidget(imgWisp, 0, 0, 2, 1);
  title->addWidget(lblTitle, 0, 1, 1, 2);
  title->addWidget(lblByWisp, 1, 1);
  title->addWidget(cmdAbout, 1, 2);
  title->setColumnStretch(1, 1);

  auto* pickers = new QGridLayout;
  pickers->addWidget(lblPorts, 0, 0, 1, 2);
  pickers->addWidget(cmbPorts, 1, 0);
  pickers->addWidget(cmdPorts, 1, 1);
  pickers->addWidget(lblIWAD, 2, 0, 1, 2);
  pickers->addWidget(cmbIWADs, 3, 0);
  pickers->addWidget(cmdIWADs, 3, 1);
  pickers->setColumnStretch(0, 1);

  auto* warp = new QHBoxLayout;
  warp->setSpacing(2);
  warp->addWidget(chkWarp);
  warp->addWidget(txtWarp);
  warp->addStretch(1);
  auto* misc = new QGridLayout(fraMisc);
  misc->addLayout(warp, 0, 0);
  misc->addWidget(chkNoMonsters, 0, 1);
  misc->addWidget(chkGLmode, 1, 0);
  misc->addWidget(chkNoMusic, 1, 1);
  misc->addWidget(chkNoCD, 2, 0);
  misc->addWidget(chkNoSound, 2, 1);
  misc->addWidget(lblParams, 3, 0);
  misc->addWidget(chkCloseOnTest, 3, 1);
  misc->addWidget(txtParams, 4, 0, 1, 2);

  auto* left = new QVBoxLayout;
  left->addLayout(title);
  left->addLayout(pickers);
  left->addStretch(1);
  left->addWidget(fraMisc);

  auto* fileButtons = new QVBoxLayout;
  fileButtons->addWidget(chkEnableFiles);
  fileButtons->addWidget(cmdAddPWAD);
  fileButtons->addWidget(cmdAddDEH);
  fileButtons->addWidget(cmdRemoveFile);
  fileButtons->addStretch(1);
  auto* files = new QGridLayout(fraFiles);
  files->addLayout(fileButtons, 0, 0);
  files->addWidget(lstFiles, 0, 1);
  files->addWidget(lstFileDirs, 0, 1);
  files->setColumnStretch(1, 1);
  lstFiles->setMinimumWidth(150);
  lstFiles->setMinimumHeight(cmdAddPWAD->sizeHint().height() * 3);

  auto* launcher = new QGridLayout(fraLauncher);
  launcher->addWidget(cmbProgs, 0, 0);
  launcher->addWidget(cmdProgs, 0, 1);
  launcher->addWidget(lblProgParams, 1, 0, 1, 2);
  launcher->addWidget(txtProgParams, 2, 0);
  launcher->addWidget(cmdLaunch, 2, 1);
  launcher->setColumnStretch(0, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdTest);
  buttons->addWidget(cmdHelp);
  buttons->addWidget(cmdExit);

  auto* right = new QVBoxLayout;
  right->addWidget(fraFiles, 1);
  right->addWidget(fraLauncher);
  right->addLayout(buttons);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* outer = new QVBoxLayout(centralWidget());
  outer->setContentsMargins(6, 0, 6, 6);
  outer->addWidget(Line1);
  outer->addLayout(columns);
}

void frmQLN2::SetTabOrder() {
  const QWidget* order[] = {cmdTest,       cmdHelp,        cmdExit,   cmdAbout,      cmbPorts,
                            cmdPorts,      cmbIWADs,       cmdIWADs,  chkEnableFiles, cmdAddPWAD,
                            cmdAddDEH,     cmdRemoveFile,  lstFiles,  chkWarp,       txtWarp,
                            chkGLmode,     chkNoCD,        chkNoMonsters, chkNoMusic, chkNoSound,
                            chkCloseOnTest, txtParams,     cmbProgs,  cmdProgs,      txtProgParams,
                            cmdLaunch};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
  }
  // The window opens with the focus on the first control of that order.
  cmdTest->setFocus();
}

void frmQLN2::ConnectHandlers() {
  auto onClick = [this](QPushButton* button, void (frmQLN2::*handler)()) {
    connect(button, &QPushButton::clicked, this, handler);
  };
  auto onTrigger = [this](QAction* action, void (frmQLN2::*handler)()) {
    connect(action, &QAction::triggered, this, handler);
  };
  onClick(cmdTest, &frmQLN2::cmdTest_Click);
  onTrigger(ProgramTest, &frmQLN2::cmdTest_Click);
  onClick(cmdLaunch, &frmQLN2::LaunchProgram);
  onClick(cmdHelp, &frmQLN2::ShowHelpFile);
  onTrigger(HelpShow, &frmQLN2::ShowHelpFile);
  onClick(cmdAbout, &frmQLN2::cmdAbout_Click);
  onTrigger(HelpAbout, &frmQLN2::cmdAbout_Click);
  onClick(cmdPorts, &frmQLN2::cmdPorts_Click);
  onTrigger(SetupPorts, &frmQLN2::cmdPorts_Click);
  onClick(cmdIWADs, &frmQLN2::cmdIWADs_Click);
  onTrigger(SetupIWADs, &frmQLN2::cmdIWADs_Click);
  onClick(cmdProgs, &frmQLN2::cmdProgs_Click);
  onTrigger(SetupProgs, &frmQLN2::cmdProgs_Click);
  connect(cmdAddPWAD, &QPushButton::clicked, this, [this] { AddCustomFile(FileKind::PWAD); });
  connect(cmdAddDEH, &QPushButton::clicked, this, [this] { AddCustomFile(FileKind::Patch); });
  onClick(cmdRemoveFile, &frmQLN2::RemoveCustomFile);
  onTrigger(ProgramSave, &frmQLN2::ProgramSave_Click);
  onTrigger(ProgramLoad, &frmQLN2::ProgramLoad_Click);
  connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
  connect(ProgramExit, &QAction::triggered, this, &QWidget::close);

  connect(cmbPorts, &QComboBox::currentIndexChanged, this, &frmQLN2::cmbPorts_Click);
  connect(cmbProgs, &QComboBox::currentIndexChanged, this, &frmQLN2::cmbProgs_Click);
}

void frmQLN2::keyPressEvent(QKeyEvent* event) {
  // Keys that the focused control leaves alone reach the window: Enter means Test.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (cmdTest->isEnabled()) cmdTest->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

}  // namespace quillon
