#include "ui/setup/frmAddEntry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "core/files/PathHelpers.h"
#include "core/launch/PortFamily.h"
#include "core/wad/IwadLookup.h"
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
// A port's path is often long and is read whole before OK: the field shows this many
// characters of it.
constexpr int kPathCharacters = 60;

// The first choice of the family list: what the port is started as when none is chosen.
QString FromItsNameText(const QString& path) {
  const auto family = FamilyFromName(Ss(path));
  return QStringLiteral("From its name (%1)")
      .arg(Qs(FamilyOf(family.value_or(PortFamily::Other)).shown));
}
}  // namespace

frmAddEntry::frmAddEntry(ListId list, Desktop& desktop, const QString& programDir,
                         IwadPlaces iwadPlaces, QWidget* owner)
    : QDialog(owner),
      instance_(InstanceOf(list)),
      kind_(KindOf(list)),
      desktop_(desktop),
      programDir_(programDir),
      iwadPlaces_(std::move(iwadPlaces)),
      cdlOpen_(desktop, this) {
  setObjectName(Text(instance_.entry.name));
  setWindowTitle(Text(instance_.entry.caption));
  CreateControls();
  ArrangeControls();
  FormLoad();
}

frmAddEntry::~frmAddEntry() = default;

void frmAddEntry::SetFields(const QString& name, const QString& file, EntryExtras extras) {
  txtName->setText(name);
  txtFile->setText(file);
  storedExtras_ = std::move(extras);
  storedExtras_.resize(kind_.extraSuffixes.size());
  if (kind_.id != ListId::Ports) return;
  // A family Quillon does not know reads as none chosen.
  const auto family = FamilyFromKey(storedExtras_[ExtraIndex(kind_, port::kFamily)]);
  cmbFamily->setCurrentIndex(family ? static_cast<int>(*family) + 1 : 0);
  txtParams->setText(Qs(storedExtras_[ExtraIndex(kind_, port::kParams)]));
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
  if (kind_.id == ListId::Ports) {
    lblFamily->setText(QStringLiteral("&Family:"));
    lblFamily->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblFamily->setBuddy(cmbFamily);
    cmbFamily->addItem(FromItsNameText({}), QString());
    for (const FamilyRow& row : Families()) cmbFamily->addItem(Qs(row.shown), Qs(row.key));
    cmbFamily->setToolTip(QStringLiteral("The engine family whose command line this port takes."));
    lblParams->setText(QStringLiteral("&Parameters for this port only"));
    lblParams->setBuddy(txtParams);
    txtParams->setToolTip(
        QStringLiteral("Added to the command line whenever this port is started."));
    // The first choice names the family the path gives, as it is typed or browsed.
    connect(txtFile, &QLineEdit::textChanged, this, &frmAddEntry::ShowFamilyFromName);
  }
  cmdBrowse->setText(QStringLiteral("Browse"));
  cmdOk->setText(QStringLiteral("OK"));
  cmdCancel->setText(QStringLiteral("Cancel"));
  // Enter in a field means OK; Escape and the close box mean Cancel (QDialog's reject).
  cmdOk->setDefault(true);

  // Tab then walks the file field (and a port's family and parameters), Browse, OK and
  // Cancel: the order the controls are made in.
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
  if (kind_.id == ListId::Ports) {
    const QFontMetrics metrics = txtFile->fontMetrics();
    // Characters measured as the field itself does, as 'x': its size hint is 17 of them
    // besides its frame and margins.
    const int chrome = txtFile->sizeHint().width() - 17 * metrics.horizontalAdvance(u'x');
    txtFile->setMinimumWidth(chrome + kPathCharacters * metrics.horizontalAdvance(u'x'));
    lblFamily->setMinimumWidth(kLabelWidth);
    // The first item's text follows the path; the list keeps the width of its longest.
    int longest = 0;
    for (int i = 0; i < cmbFamily->count(); ++i) {
      longest = std::max<int>(longest, static_cast<int>(cmbFamily->itemText(i).size()));
    }
    cmbFamily->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbFamily->setMinimumContentsLength(longest + 1);
    fields->addWidget(lblFamily, 2, 0);
    fields->addWidget(cmbFamily, 2, 1);
    fields->addWidget(lblParams, 3, 0, 1, 2);
    fields->addWidget(txtParams, 4, 0, 1, 2);
  }

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

  // An IWAD keeps its bare name only where the ports find it by that name.
  txtFile->setText(instance_.browse.keepsBareName ? Qs(wad::IwadEntryFile(Ss(chosen), iwadPlaces_))
                                                  : chosen);
  // A name the user gave stays; an empty one is the file's, a name without a "." taken whole.
  if (!txtName->text().isEmpty()) return;
  const QString bareName = Qs(FileNameOf(Ss(chosen)));
  const qsizetype dot = bareName.lastIndexOf(u'.');
  txtName->setText(dot < 0 ? bareName : bareName.left(dot));
}

void frmAddEntry::ShowFamilyFromName() {
  cmbFamily->setItemText(0, FromItsNameText(txtFile->text()));
}

EntryExtras frmAddEntry::ExtrasToSave() const {
  EntryExtras values = storedExtras_;
  values.resize(kind_.extraSuffixes.size());
  if (kind_.id != ListId::Ports) return values;
  std::string& family = values[ExtraIndex(kind_, port::kFamily)];
  const QString chosen = cmbFamily->currentData().toString();
  // "From its name" keeps a value Quillon does not know as it was written.
  if (!chosen.isEmpty() || FamilyFromKey(family)) family = Ss(chosen);
  values[ExtraIndex(kind_, port::kParams)] = Ss(txtParams->text());
  return values;
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
  const EntryExtras extras = ExtrasToSave();
  if (adding) {
    WriteNewEntry(iniFile_, kind_, position, saved.name, saved.file, extras);
  } else {
    WriteEntry(iniFile_, kind_, position + 1, Ss(saved.name), Ss(saved.file));
    WriteExtras(iniFile_, kind_, position + 1, extras);
  }
  accept();
}

}  // namespace quillon
