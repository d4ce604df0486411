#include "ui/setup/frmAddEntry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/files/PathHelpers.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/setup/EntryWrites.h"

namespace quillon {

namespace {
// The sizes it was designed with, at 96 dpi (client area 225 x 122): the title over two
// rows of a label and its field, the buttons in a row below.
constexpr QSize kTitle(209, 25);
constexpr int kLabelWidth = 57;
constexpr QSize kField(145, 19);
constexpr QSize kButton(65, 25);
constexpr QMargins kMargins(8, 8, 8, 9);
constexpr int kGap = 7;     // beside a label, between buttons, under the title
constexpr int kRowGap = 5;  // between the rows and above the buttons
}  // namespace

frmAddEntry::frmAddEntry(ListId list, Desktop& desktop, const QString& programDir, QWidget* owner)
    : QDialog(owner),
      instance_(InstanceOf(list)),
      kind_(KindOf(list)),
      desktop_(desktop),
      programDir_(programDir),
      cdlOpen_(desktop, this) {
  setObjectName(Text(instance_.entry.name));
  setWindowTitle(Text(instance_.entry.caption));
  CreateControls();
  ArrangeControls();
  FormLoad();
}

frmAddEntry::~frmAddEntry() = default;

void frmAddEntry::SetFields(const QString& name, const QString& file) {
  txtName->setText(name);
  txtFile->setText(file);
}

void frmAddEntry::CreateControls() {
  lblTitle->setText(Text(instance_.entry.caption));
  lblTitle->setFont(SansFontOrFallback(QStringLiteral("Arial"), 12, QFont::Bold));
  lblTitle->setAlignment(Qt::AlignCenter);
  for (QLabel* label : {lblName, lblFile}) label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lblName->setText(Text(instance_.entry.nameLabel));
  lblFile->setText(Text(instance_.entry.fileLabel));
  lblName->setBuddy(txtName);
  lblFile->setBuddy(txtFile);
  cmdBrowse->setText(QStringLiteral("Browse"));
  cmdOk->setText(QStringLiteral("OK"));
  cmdCancel->setText(QStringLiteral("Cancel"));
  // Enter in a field means OK; Escape and the close box mean Cancel (QDialog's reject).
  cmdOk->setDefault(true);

  // Tab then walks the file field, Browse, OK and Cancel: the order the controls are made in.
  txtName->setFocus();

  connect(cmdBrowse, &QPushButton::clicked, this, &frmAddEntry::Browse);
  connect(cmdOk, &QPushButton::clicked, this, &frmAddEntry::SaveEntry);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

// The designed sizes are the least each control gets; larger fonts make the window grow.
void frmAddEntry::ArrangeControls() {
  lblTitle->setMinimumSize(kTitle);
  for (QLabel* label : {lblName, lblFile}) label->setMinimumWidth(kLabelWidth);
  for (QLineEdit* field : {txtName, txtFile}) field->setMinimumSize(kField);
  EqualButtons({cmdBrowse, cmdOk, cmdCancel}, kButton);

  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(kGap);
  fields->setVerticalSpacing(kRowGap);
  fields->addWidget(lblName, 0, 0);
  fields->addWidget(txtName, 0, 1);
  fields->addWidget(lblFile, 1, 0);
  fields->addWidget(txtFile, 1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(kGap);
  for (QPushButton* button : {cmdBrowse, cmdOk, cmdCancel}) buttons->addWidget(button);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargins);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(lblTitle);
  layout->addSpacing(kGap);
  layout->addLayout(fields);
  layout->addSpacing(kRowGap);
  layout->addLayout(buttons);
  // Sized now, so that Load centres the window by its real size.
  layout->activate();
}

void frmAddEntry::FormLoad() {
  CentreOnScreen(this, desktop_.ScreenSize());
  iniFile_.SetFileName(JoinPath(Ss(programDir_), kIniFileName));
}

void frmAddEntry::Browse() {
  cdlOpen_.DialogTitle = Text(instance_.browse.title);
  cdlOpen_.InitDir = Qs(DirectoryOf(Ss(txtFile->text())));
  cdlOpen_.Filter = Text(instance_.browse.filter);
  cdlOpen_.Flags = {.fileMustExist = true, .hideReadOnly = true};
  cdlOpen_.ShowOpen();
  const QString chosen = cdlOpen_.FileName;
  if (chosen.isEmpty()) return;

  const QString bareName = Qs(FileNameOf(Ss(chosen)));
  txtFile->setText(instance_.browse.keepsBareName ? bareName : chosen);
  // A name without a "." is taken whole.
  const qsizetype dot = bareName.lastIndexOf(u'.');
  txtName->setText(dot < 0 ? bareName : bareName.left(dot));
}

void frmAddEntry::SaveEntry() {
  if (!Tag) return;
  const bool adding = Tag->mode == EntryTag::Mode::Add;
  const int position = Tag->position;
  // The setup dialog never hands out more; this keeps every entry number within 16 bits.
  if (position < 0 || position >= (adding ? kLargestList : kMaxListCount)) return;
  const SavedEntry saved{*Tag, txtName->text(), txtFile->text()};

  // The lists first: they show the change even when the file cannot be written.
  emit Saved(saved);
  if (adding) {
    WriteNewEntry(iniFile_, kind_, position, saved.name, saved.file);
  } else {
    WriteEntry(iniFile_, kind_, position + 1, Ss(saved.name), Ss(saved.file));
  }
  accept();
}

}  // namespace quillon
