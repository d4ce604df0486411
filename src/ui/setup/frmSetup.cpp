#include "ui/setup/frmSetup.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListView>
#include <QLocale>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "core/files/PathHelpers.h"
#include "core/launch/PortFamily.h"
#include "core/settings/NumberConversion.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/PortFamilyText.h"
#include "ui/desktop/QtText.h"
#include "ui/setup/EntryWrites.h"
#include "ui/setup/MainWindowLists.h"
#include "ui/setup/frmAddEntry.h"

namespace quillon {

namespace {

// How many characters of a port's name its list shows beside the longest family.
constexpr int kNameRoom = 16;

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

// The entry's file on a line of its own, cut from the left to fit: its name stays in view,
// the whole path is in the tip.
QString WithFile(const QLabel* label, const QString& text, const QString& file) {
  if (file.isEmpty()) return text;
  const int width = std::max(label->contentsRect().width(), label->minimumWidth());
  return text + QStringLiteral("\r\n") +
         label->fontMetrics().elidedText(file, Qt::ElideLeft, width);
}

}  // namespace

frmSetup::frmSetup(ListId list, Desktop& desktop, QString programDir, MainWindowLists& mainLists,
                   IwadPlaces iwadPlaces, QWidget* owner)
    : QDialog(owner),
      instance_(InstanceOf(list)),
      kind_(KindOf(list)),
      desktop_(desktop),
      programDir_(std::move(programDir)),
      mainLists_(mainLists),
      iwadPlaces_(std::move(iwadPlaces)) {
  setObjectName(Text(instance_.window.name));
  setWindowTitle(Text(instance_.window.caption));
  CreateControls();
  ArrangeControls();
  FormLoad();
}

frmSetup::~frmSetup() = default;

void frmSetup::CreateControls() {
  lblTitle->setText(Text(instance_.window.caption));
  lblTitle->setFont(SansFontOrFallback(QStringLiteral("Arial Black"), 14.25, QFont::Black));
  lblTitle->setAlignment(Qt::AlignCenter);

  // Lists may hold tens of thousands of entries: never measure them all.
  cmbList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* entries = new EntryListModel(1, cmbList);
  cmbList->setModel(entries);
  if (auto* view = qobject_cast<QListView*>(cmbList->view())) view->setUniformItemSizes(true);
  // Each port's family beside its name, read from the file only for the rows shown.
  if (kind_.id == ListId::Ports) {
    entries->SetRoleProvider([this](int row, int, int role) -> QVariant {
      if (role != kAsideRole) return {};
      return KnownFamilyText(iniFile_, row + 1);
    });
    cmbList->setItemDelegate(new AsideDelegate(cmbList));
    // The list opens wider than its box: room for a name of some length beside the longest
    // family (and the scroll bar, the frame and the rows' margins), which the box cuts short.
    QString longest;
    for (const FamilyRow& row : Families()) {
      if (row.shown.size() > static_cast<std::size_t>(longest.size())) longest = Qs(row.shown);
    }
    QWidget* view = cmbList->view();
    const QString room = QString(kNameRoom, u'x') + WithAside({}, longest);
    view->setMinimumWidth(view->fontMetrics().horizontalAdvance(room) +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);
  }

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

  // A pick by the user, who hears of a missing file; after an edit the label is set quietly.
  if (instance_.showsEntryInfo) {
    connect(cmbList, &QComboBox::activated, this, [this] { ShowEntryInfo(Lookup::Tell); });
  }
  connect(cmdAdd, &QPushButton::clicked, this, &frmSetup::AddEntry);
  connect(cmdChange, &QPushButton::clicked, this, &frmSetup::ChangeEntry);
  connect(cmdRemove, &QPushButton::clicked, this, &frmSetup::RemoveSelectedEntry);
  connect(cmdDone, &QPushButton::clicked, this, &QDialog::accept);

  if (kind_.id == ListId::Programs) {
    cmbNodeBuilder = MakeControl<QComboBox>(
        this, "cmbNodeBuilder", {},
        QStringLiteral("The program that builds the maps' nodes in a copy before each Test."));
    lblNodeBuilder =
        MakeControl<QLabel>(this, "lblNodeBuilder", QStringLiteral("Build nodes with:"));
    lblNodeBuilder->setBuddy(cmbNodeBuilder);
    QWidget::setTabOrder(cmdRemove, cmbNodeBuilder);  // after the buttons, before Done again
    connect(cmbNodeBuilder, &QComboBox::currentIndexChanged, this, &frmSetup::NodeBuilderChosen);
  }
}

namespace {
// The sizes it was designed with, at 96 dpi (client area 298 x 138): the title over the list
// and the frame, each two buttons wide, and the four buttons in a row below. The big title's
// own leading is room enough above it.
constexpr int kTitleHeight = 25;
constexpr QSize kButton(65, 25);
constexpr QMargins kMargins(8, 0, 9, 9);
constexpr int kGap = 7;
constexpr int kListDrop = 8;  // the list stands this much lower than the frame
constexpr int kListHeight = 21;
// The label's place within the frame, whose caption the style draws above its border.
constexpr QMargins kInfoMargins(8, 16, 8, 8);
constexpr QSize kInfo(121, 41);
}  // namespace

// The designed sizes are the least each control gets; larger fonts make the window grow.
void frmSetup::ArrangeControls() {
  lblTitle->setMinimumHeight(kTitleHeight);
  cmbList->setMinimumHeight(kListHeight);
  // The label takes the frame's width and wraps its text to it; it holds the frame open.
  lblInfo->setMinimumSize(kInfo);
  EqualButtons({cmdAdd, cmdChange, cmdRemove, cmdDone}, kButton);

  auto* info = new QVBoxLayout(fraInfo);
  fraInfo->ensurePolished();
  const QMargins border = fraInfo->contentsMargins();
  info->setContentsMargins(std::max(0, kInfoMargins.left() - border.left()),
                           std::max(0, kInfoMargins.top() - border.top()),
                           std::max(0, kInfoMargins.right() - border.right()),
                           std::max(0, kInfoMargins.bottom() - border.bottom()));
  info->addWidget(lblInfo);

  auto* list = new QVBoxLayout;
  list->setContentsMargins(0, kListDrop, 0, 0);
  list->addWidget(cmbList);
  list->addStretch(1);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(kMargins);
  layout->setSpacing(kGap);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(lblTitle, 0, 0, 1, 4);
  layout->addLayout(list, 1, 0, 1, 2);
  layout->addWidget(fraInfo, 1, 2, 1, 2);
  int column = 0;
  for (QPushButton* button : {cmdAdd, cmdChange, cmdRemove, cmdDone}) {
    layout->addWidget(button, 2, column);
    layout->setColumnStretch(column++, 1);
  }

  if (cmbNodeBuilder) {
    auto* builder = new QHBoxLayout;
    builder->addWidget(lblNodeBuilder);
    builder->addWidget(cmbNodeBuilder, 1);
    layout->addLayout(builder, 3, 0, 1, 4);
  }

  // Room for the label's first text, the lookup failure, and a name above a date that may
  // itself take two lines, each with the file below, so the window keeps its size whatever
  // the label shows.
  QStringList texts{lblInfo->text()};
  if (instance_.showsEntryInfo) {
    const QString file = QStringLiteral("\r\n/path");
    texts << Text(instance_.messages.lookupFailed) + file
          << EntryInfoText(QStringLiteral("Name"),
                           QDateTime(QDate(2000, 12, 28), QTime(23, 58, 58))) +
                 file;
  }
  ReserveTextHeight(lblInfo, texts);
  // Sized now, so that Load centres the window by its real size.
  layout->activate();
}

void frmSetup::FormLoad() {
  CentreOnScreen(this, desktop_.ScreenSize());
  iniFile_.SetFileName(JoinPath(Ss(programDir_), kIniFileName));
  FillList();
  FillNodeBuilders();
}

// "None" first, then the programs by their entry numbers, the remembered one chosen.
void frmSetup::FillNodeBuilders() {
  if (!cmbNodeBuilder) return;
  const QSignalBlocker quiet(cmbNodeBuilder);
  cmbNodeBuilder->clear();
  cmbNodeBuilder->addItem(QStringLiteral("(none)"));
  for (int i = 0; i < cmbList->count(); ++i) cmbNodeBuilder->addItem(cmbList->itemText(i));
  const auto chosen = ToInt16(iniFile_.Load(memory::kSection, memory::kNodeBuilder));
  cmbNodeBuilder->setCurrentIndex(chosen && *chosen > 0 && *chosen <= cmbList->count() ? *chosen
                                                                                       : 0);
}

void frmSetup::NodeBuilderChosen() {
  iniFile_.Save(memory::kSection, memory::kNodeBuilder,
                std::to_string(std::max(0, cmbNodeBuilder->currentIndex())));
}

// A count that is missing, not a number or beyond what the main window reads gives an
// empty list: the dialog still opens, but Add refuses until the count is repaired.
void frmSetup::FillList() {
  const auto count = StoredCount(iniFile_, kind_);
  if (!count || *count == 0) return;
  EntryTexts names = ReadEntries(iniFile_, kind_, *count, kNameSuffix);
  EntriesOf(cmbList)->Append(Columns(std::move(names)));
  cmbList->setCurrentIndex(-1);
}

void frmSetup::ShowEntryInfo(Lookup lookup) {
  const int position = cmbList->currentIndex();
  lblInfo->setToolTip({});
  if (position < 0) {
    lblInfo->clear();
    return;
  }
  const QString file = Qs(StoredFile(position + 1));
  lblInfo->setToolTip(file);
  const QDateTime when = desktop_.FileExists(file) ? desktop_.LastModified(file) : QDateTime();
  if (!when.isValid()) {
    if (lookup == Lookup::Tell) {
      QStringList lines;
      for (const char* line : instance_.messages.notFound) lines << Text(line);
      desktop_.Tell(this, lines.join(QStringLiteral("\r\n")));
    }
    lblInfo->setText(WithFile(lblInfo, Text(instance_.messages.lookupFailed), file));
    return;
  }
  lblInfo->setText(WithFile(lblInfo, EntryInfoText(Qs(StoredName(position + 1)), when), file));
}

// The user has just seen what an edit did; a missing file shows in the label alone.
void frmSetup::ShowSelectedInfo() {
  if (!instance_.showsEntryInfo) return;
  if (cmbList->currentIndex() < 0) {
    lblInfo->setToolTip({});
    lblInfo->setText(Text(instance_.frame.labelText));
    return;
  }
  ShowEntryInfo(Lookup::Quiet);
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
  ShowEntryDialog({EntryTag::Mode::Add, count});
}

void frmSetup::ChangeEntry() {
  const int position = cmbList->currentIndex();
  if (position < 0) {
    Complain(Text(instance_.messages.changeWithoutSelection));
    return;
  }
  ShowEntryDialog({EntryTag::Mode::Change, position});
}

// The add/change dialog over this one, handed its mode and, to change an entry, the
// entry's stored fields. It reports the entry it saved; the lists are kept here.
void frmSetup::ShowEntryDialog(const EntryTag& tag) {
  frmAddEntry entryDialog(kind_.id, desktop_, programDir_, iwadPlaces_, this);
  if (tag.mode == EntryTag::Mode::Change) {
    const int entry = tag.position + 1;
    entryDialog.SetFields(Qs(StoredName(entry)), Qs(StoredFile(entry)),
                          StoredExtras(iniFile_, kind_, entry));
  }
  entryDialog.Tag = tag;
  bool saved = false;
  connect(&entryDialog, &frmAddEntry::Saved, this, [this, &saved](const SavedEntry& entry) {
    saved = true;
    ShowSavedEntry(entry);
  });
  desktop_.ShowModal(&entryDialog);
  // Only now is the entry in the file, where the label reads it.
  if (saved) ShowSelectedInfo();
  if (saved) FillNodeBuilders();
}

// This dialog's list and the main window's show the saved entry at its position.
void frmSetup::ShowSavedEntry(const SavedEntry& saved) {
  const int position = saved.tag.position;
  if (saved.tag.mode == EntryTag::Mode::Add) {
    cmbList->insertItem(position, saved.name);
    cmbList->setCurrentIndex(position);  // the entry just added is the one to look at
    mainLists_.InsertEntry(kind_.id, position, saved.name);
  } else {
    cmbList->setItemText(position, saved.name);
    mainLists_.RenameEntry(kind_.id, position, saved.name);
  }
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

  EmptyEntry(iniFile_, kind_, entry);
  iniFile_.Save(kind_.section, kind_.countKey, std::to_string(count - 1));
  // Qt would select a neighbour; the list has no selection after a removal.
  cmbList->removeItem(position);
  cmbList->setCurrentIndex(-1);
  mainLists_.RemoveEntry(kind_.id, position);
  if (entry < count) {
    // The later entries move down one number, in order, each with all its keys; the old last
    // keys stay, emptied.
    MoveEntriesDown(iniFile_, kind_, entry, count);
    EmptyEntry(iniFile_, kind_, count);
  }
  ShowSelectedInfo();
  FillNodeBuilders();  // its number followed the removal (MainWindowLists)
}

std::string frmSetup::StoredName(int entry) const {
  return iniFile_.LoadWhole(kind_.section, NameKey(kind_, entry));
}

std::string frmSetup::StoredFile(int entry) const {
  return iniFile_.LoadWhole(kind_.section, FileKey(kind_, entry));
}

void frmSetup::Complain(const QString& text) {
  desktop_.Tell(this, text, MessageIcon::Exclamation);
}

}  // namespace quillon
