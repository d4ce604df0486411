#include "ui/setup/frmAddEntry.h"

#include <QComboBox>
#include <algorithm>

#include "core/files/PathHelpers.h"
#include "core/settings/NumberConversion.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/setup/EntryWrites.h"
#include "ui/setup/MainWindowLists.h"

namespace quillon {

frmAddEntry::frmAddEntry(ListId list, Desktop& desktop, const QString& programDir,
                         QComboBox* setupList, MainWindowLists& mainLists, QWidget* owner)
    : QDialog(owner),
      instance_(InstanceOf(list)),
      kind_(KindOf(list)),
      desktop_(desktop),
      setupList_(setupList),
      mainLists_(mainLists),
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
  lblTitle->setFont(SetupTitleFont(QStringLiteral("Arial"), 12, QFont::Bold));
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

namespace {
// The designed places (client area 225 x 122): two rows of a label and its field under the
// title, the buttons in a row below.
constexpr int kRowGap = 5;
constexpr int kFieldLeft = 72;
constexpr int kFieldWidth = 145;
constexpr int kFieldHeight = 19;
constexpr int kLabelHeight = 17;
constexpr int kTitleWidth = 209;
}  // namespace

// The layout as designed; see DialogParts.h for the growing.
void frmAddEntry::ArrangeControls() {
  const int titleHeight = TitleHeight(lblTitle);
  const int labelNeeds = std::max(LabelWidth(lblName, 0), LabelWidth(lblFile, 0));
  const int labelWidth = std::max(instance_.entry.labelWidth, labelNeeds);
  const int fieldLeft = std::max(kFieldLeft, kDialogMargin + labelNeeds + kDialogGap);
  const int rowHeight = FieldHeight(txtName, kFieldHeight);
  // A label as tall as its field, so that both texts stand on one line.
  const int labelHeight = std::max(kLabelHeight, rowHeight);
  const QSize button = ButtonSize({cmdBrowse, cmdOk, cmdCancel}, kDialogButton);

  const int right =
      std::max({fieldLeft + kFieldWidth, kDialogMargin + 3 * button.width() + 2 * kDialogGap,
                kDialogMargin + LabelWidth(lblTitle, kTitleWidth)});
  const int nameTop = kDialogMargin + titleHeight + kDialogGap;
  const int fileTop = nameTop + rowHeight + kRowGap;
  const int buttonTop = fileTop + rowHeight + kRowGap;

  lblTitle->setGeometry(kDialogMargin, kDialogMargin, right - kDialogMargin, titleHeight);
  lblName->setGeometry(kDialogMargin, nameTop, labelWidth, labelHeight);
  txtName->setGeometry(fieldLeft, nameTop, right - fieldLeft, rowHeight);
  lblFile->setGeometry(kDialogMargin, fileTop, labelWidth, labelHeight);
  txtFile->setGeometry(fieldLeft, fileTop, right - fieldLeft, rowHeight);
  PlaceRow({cmdBrowse, cmdOk, cmdCancel}, {QPoint(kDialogMargin, buttonTop), button}, kDialogGap);
  setFixedSize(right + kDialogMargin, buttonTop + button.height() + kDialogFarMargin);
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
  const QStringList words = Tag.split(u' ', Qt::SkipEmptyParts);
  if (words.size() < 2) return;
  const bool adding = words[0] == QStringLiteral("Add");
  const auto position = ToInt16(Ss(words[1]));
  // The setup dialog never hands out more; this keeps every entry number within 16 bits.
  if (!position || *position < 0 || (adding && *position >= kLargestList)) return;
  const int n = *position;
  const int entry = n + 1;
  const QString name = txtName->text();

  // The lists first: they show the change even when the file cannot be written.
  if (adding) {
    InsertKeepingSelection(setupList_, n, name);
    AppendEntry(iniFile_, kind_, mainLists_, n, name, txtFile->text());
  } else {
    setupList_->setItemText(n, name);
    mainLists_.RenameEntry(kind_.id, n, name);
    iniFile_.Save(kind_.section, NameKey(kind_, entry), Ss(name));
    iniFile_.Save(kind_.section, FileKey(kind_, entry), Ss(txtFile->text()));
  }
  accept();
}

}  // namespace quillon
