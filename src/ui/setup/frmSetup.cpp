#include "ui/setup/frmSetup.h"

#include <QDateTime>
#include <QListView>
#include <QLocale>
#include <algorithm>

#include "core/files/PathHelpers.h"
#include "core/settings/NumberConversion.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/setup/EntryWrites.h"
#include "ui/setup/MainWindowLists.h"
#include "ui/setup/frmAddEntry.h"

namespace quillon {

namespace {

// The system's short date and long time, as the file manager would show them.
QString FileDateText(const QDateTime& when) {
  const QLocale locale = QLocale::system();
  return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
         locale.toString(when.time(), QLocale::LongFormat);
}

// What the information label shows for an entry: the name above the file's date.
QString EntryInfoText(const QString& name, const QDateTime& when) {
  return name + QStringLiteral("\r\n") + FileDateText(when);
}

}  // namespace

frmSetup::frmSetup(ListId list, Desktop& desktop, QString programDir, MainWindowLists& mainLists,
                   QWidget* owner)
    : QDialog(owner),
      instance_(InstanceOf(list)),
      kind_(KindOf(list)),
      desktop_(desktop),
      programDir_(std::move(programDir)),
      mainLists_(mainLists) {
  setObjectName(Text(instance_.window.name));
  setWindowTitle(Text(instance_.window.caption));
  CreateControls();
  ArrangeControls();
  FormLoad();
}

frmSetup::~frmSetup() = default;

void frmSetup::CreateControls() {
  lblTitle->setText(Text(instance_.window.caption));
  lblTitle->setFont(SetupTitleFont(QStringLiteral("Arial Black"), 14.25, QFont::Black));
  lblTitle->setAlignment(Qt::AlignCenter);

  // Lists may hold tens of thousands of entries: never measure them all.
  cmbList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmbList->setModel(new EntryListModel(1, cmbList));
  if (auto* view = qobject_cast<QListView*>(cmbList->view())) view->setUniformItemSizes(true);

  fraInfo->setTitle(Text(instance_.frame.caption));
  lblInfo->setText(Text(instance_.frame.labelText));
  lblInfo->setWordWrap(true);
  lblInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  cmdAdd->setText(QStringLiteral("Add"));
  cmdChange->setText(QStringLiteral("Change"));
  cmdRemove->setText(QStringLiteral("Remove"));
  cmdDone->setText(QStringLiteral("Done"));
  cmdDone->setDefault(true);

  // Tab then walks the list, Add, Change and Remove: the order the controls are made in.
  cmdDone->setFocus();

  // A pick by the user, not a change made by the program: Add and Remove leave the label.
  if (instance_.showsEntryInfo) {
    connect(cmbList, &QComboBox::activated, this, &frmSetup::ShowEntryInfo);
  }
  connect(cmdAdd, &QPushButton::clicked, this, &frmSetup::AddEntry);
  connect(cmdChange, &QPushButton::clicked, this, &frmSetup::ChangeEntry);
  connect(cmdRemove, &QPushButton::clicked, this, &frmSetup::RemoveSelectedEntry);
  connect(cmdDone, &QPushButton::clicked, this, &QDialog::accept);
}

namespace {
// The designed places (client area 298 x 138): the list beside the frame under the title,
// the label inside the frame, the buttons in a row below.
constexpr int kListTop = 40;
constexpr int kListHeight = 21;
constexpr int kFrameTop = 32;
constexpr int kFrameHeight = 65;
constexpr int kInfoLeft = 8;
constexpr int kInfoTop = 16;
constexpr int kInfoHeight = 41;
constexpr int kInfoBottomRoom = 8;
}  // namespace

// The layout as designed; see DialogParts.h for the growing.
void frmSetup::ArrangeControls() {
  // Each half of the window is two buttons wide; the title spans both.
  const QSize button = ButtonSize({cmdAdd, cmdChange, cmdRemove, cmdDone}, kDialogButton);
  const int titleWidth = LabelWidth(lblTitle, 4 * button.width() + 3 * kDialogGap);
  const int column = std::max(2 * button.width() + kDialogGap, (titleWidth - kDialogGap + 1) / 2);
  const int titleHeight = TitleHeight(lblTitle);
  const int below = titleHeight - kDialogTitleHeight;

  // The style draws the frame's caption above its border; the label starts below both, tall
  // enough for its first text, the lookup failure, and a name above a date that may itself
  // take two lines.
  fraInfo->resize(column, kFrameHeight);
  const int labelTop = std::max(kInfoTop, fraInfo->contentsRect().top());
  const int labelWidth = column - 2 * kInfoLeft;
  QStringList texts{lblInfo->text()};
  if (instance_.showsEntryInfo) {
    texts << Text(instance_.messages.lookupFailed)
          << EntryInfoText(QStringLiteral("Name"),
                           QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58)));
  }
  const int labelHeight = WrappedHeight(lblInfo, labelWidth, texts, kInfoHeight);
  const int frameHeight = std::max(kFrameHeight, labelTop + labelHeight + kInfoBottomRoom);
  const int buttonTop = kFrameTop + below + frameHeight + kDialogGap;

  // The big title starts at the very top; its own leading is room enough.
  lblTitle->setGeometry(kDialogMargin, 0, 2 * column + kDialogGap, titleHeight);
  cmbList->setGeometry(kDialogMargin, kListTop + below, column, FieldHeight(cmbList, kListHeight));
  fraInfo->setGeometry(kDialogMargin + column + kDialogGap, kFrameTop + below, column, frameHeight);
  lblInfo->setGeometry(kInfoLeft, labelTop, labelWidth, labelHeight);
  PlaceRow({cmdAdd, cmdChange, cmdRemove, cmdDone}, {QPoint(kDialogMargin, buttonTop), button},
           kDialogGap);
  setFixedSize(kDialogMargin + 2 * column + kDialogGap + kDialogFarMargin,
               buttonTop + button.height() + kDialogFarMargin);
}

void frmSetup::FormLoad() {
  CentreOnScreen(this, desktop_.ScreenSize());
  iniFile_.SetFileName(JoinPath(Ss(programDir_), kIniFileName));
  FillList();
}

// A count that is missing, not a number or beyond what the main window reads gives an
// empty list: the dialog still opens, but Add refuses until the count is repaired.
void frmSetup::FillList() {
  const auto count = StoredCount(iniFile_, kind_);
  if (!count || *count == 0) return;
  EntryTexts names;
  names.Reserve(*count);
  for (int entry = 1; entry <= *count; ++entry) {
    names.Add(iniFile_.LoadWhole(kind_.section, NameKey(kind_, entry)));
  }
  if (names.Count() == 0) return;
  EntriesOf(cmbList)->Append({std::move(names)});
  cmbList->setCurrentIndex(-1);
}

void frmSetup::ShowEntryInfo() {
  const int position = cmbList->currentIndex();
  if (position < 0) {
    lblInfo->clear();
    return;
  }
  const QString file = Qs(StoredFile(position + 1));
  const QDateTime when = desktop_.FileExists(file) ? desktop_.LastModified(file) : QDateTime();
  if (!when.isValid()) {
    QStringList lines;
    for (const char* line : instance_.messages.notFound) lines << Text(line);
    desktop_.Tell(this, lines.join(QStringLiteral("\r\n")));
    lblInfo->setText(Text(instance_.messages.lookupFailed));
    return;
  }
  lblInfo->setText(EntryInfoText(Qs(StoredName(position + 1)), when));
}

void frmSetup::AddEntry() {
  // The new entry would take number 1, which may be holding an entry the list never read.
  if (!StoredCount(iniFile_, kind_)) {
    Complain(Qs(UnreadableCountText(kind_)));
    return;
  }
  const int count = cmbList->count();
  if (count >= kLargestList) {
    Complain(Qs(ListFullText(kind_)));
    return;
  }
  ShowEntryDialog(QStringLiteral("Add %1").arg(count), 0);
}

void frmSetup::ChangeEntry() {
  const int position = cmbList->currentIndex();
  if (position < 0) {
    Complain(Text(instance_.messages.changeWithoutSelection));
    return;
  }
  ShowEntryDialog(QStringLiteral("Change %1").arg(position), position + 1);
}

// The add/change dialog over this one, handed its mode and, to change an entry, the
// entry's stored fields.
void frmSetup::ShowEntryDialog(const QString& mode, int changedEntry) {
  frmAddEntry entryDialog(kind_.id, desktop_, programDir_, cmbList, mainLists_, this);
  if (changedEntry > 0) {
    entryDialog.SetFields(Qs(StoredName(changedEntry)), Qs(StoredFile(changedEntry)));
  }
  entryDialog.Tag = mode;
  desktop_.ShowModal(&entryDialog);
}

void frmSetup::RemoveSelectedEntry() {
  const int position = cmbList->currentIndex();
  if (position < 0) {
    Complain(Text(instance_.messages.removeWithoutSelection));
    return;
  }
  const int entry = position + 1;
  const int count = cmbList->count();
  const QString question = QStringLiteral("Are you sure you want to remove ") +
                           Qs(StoredName(entry)) + Text(instance_.messages.removalQuestionEnd);
  if (!desktop_.Ask(this, question)) return;

  WriteEntry(entry, {}, {});
  iniFile_.Save(kind_.section, kind_.countKey, std::to_string(count - 1));
  // Qt would select a neighbour; the list has no selection after a removal, and the label
  // keeps what it showed (only the user's pick changes it).
  cmbList->removeItem(position);
  cmbList->setCurrentIndex(-1);
  mainLists_.RemoveEntry(kind_.id, position);
  if (entry < count) {
    // The later entries move down one number, in order; the old last keys stay, emptied.
    for (int moved = entry; moved < count; ++moved) {
      WriteEntry(moved, iniFile_.LoadRaw(kind_.section, NameKey(kind_, moved + 1)),
                 iniFile_.LoadRaw(kind_.section, FileKey(kind_, moved + 1)));
    }
    WriteEntry(count, {}, {});
  }
}

std::string frmSetup::StoredName(int entry) const {
  return iniFile_.LoadWhole(kind_.section, NameKey(kind_, entry));
}

std::string frmSetup::StoredFile(int entry) const {
  return iniFile_.LoadWhole(kind_.section, FileKey(kind_, entry));
}

// The texts as stored: an entry moves to another number unchanged.
void frmSetup::WriteEntry(int entry, const std::string& name, const std::string& file) {
  iniFile_.SaveRaw(kind_.section, NameKey(kind_, entry), name);
  iniFile_.SaveRaw(kind_.section, FileKey(kind_, entry), file);
}

void frmSetup::Complain(const QString& text) {
  desktop_.Tell(this, text, MessageIcon::Exclamation);
}

}  // namespace quillon
