#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include "core/settings/NumberConversion.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/main/Appearance.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {

QComboBox* MakeDropDown(QWidget* parent, const LaunchOption& option) {
  auto* list = MakeControl<QComboBox>(parent, option.controlName, {}, Latin1(option.tip));
  // Lists may hold tens of thousands of entries: never measure them all for a width.
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(16);
  list->setModel(new EntryListModel(1, list));
  if (auto* view = qobject_cast<QListView*>(list->view())) view->setUniformItemSizes(true);
  return list;
}

// A fixed set of choices, each item's data the value kept in the files.
QComboBox* MakeChoice(QWidget* parent, const LaunchOption& option) {
  auto* box = MakeControl<QComboBox>(parent, option.controlName, {}, Latin1(option.tip));
  for (const OptionChoice& choice : option.choices) {
    box->addItem(
        QString::fromUtf8(choice.shown.data(), static_cast<qsizetype>(choice.shown.size())),
        Latin1(choice.value));
  }
  return box;
}

QString StateTip(const LaunchOption& option, bool on) {
  return Latin1(on ? option.tipWhenOn : option.tipWhenOff);
}

}  // namespace

void frmQLN2::CreateOptionControls(QWidget* parent) {
  for (std::size_t i = 0; i < kLaunchOptionCount; ++i) {
    const LaunchOption& option = OptionOf(static_cast<LaunchOptionId>(i));
    QWidget* control = nullptr;
    switch (option.control) {
      case OptionControl::List:
        control = MakeDropDown(parent, option);
        break;
      case OptionControl::CheckBox: {
        auto* box = MakeControl<QCheckBox>(parent, option.controlName, Latin1(option.caption),
                                           Latin1(option.tip));
        box->setChecked(option.startsOn);
        control = box;
        break;
      }
      case OptionControl::TextBox:
        control = MakeControl<QLineEdit>(parent, option.controlName, Latin1(option.caption),
                                         Latin1(option.tip));
        break;
      case OptionControl::Choice:
        control = MakeChoice(parent, option);
        break;
    }
    options_[i] = control;
  }
  cmbPorts = static_cast<QComboBox*>(ControlOf(LaunchOptionId::Port));
  cmbIWADs = static_cast<QComboBox*>(ControlOf(LaunchOptionId::IWAD));
  cmbProgs = static_cast<QComboBox*>(ControlOf(LaunchOptionId::Prog));
  chkWarp = static_cast<QCheckBox*>(ControlOf(LaunchOptionId::Warp));
  txtWarp = static_cast<QLineEdit*>(ControlOf(LaunchOptionId::WarpTo));
  chkEnableFiles = static_cast<QCheckBox*>(ControlOf(LaunchOptionId::UseFiles));
}

void frmQLN2::ConnectOptionControls() {
  // A box whose tip follows its state changes it on each change of state.
  for (std::size_t i = 0; i < kLaunchOptionCount; ++i) {
    const LaunchOption& option = OptionOf(static_cast<LaunchOptionId>(i));
    if (option.control != OptionControl::CheckBox || option.tipWhenOn.empty()) continue;
    auto* box = static_cast<QCheckBox*>(options_[i]);
    connect(box, &QCheckBox::toggled, this,
            [box, &option](bool checked) { box->setToolTip(StateTip(option, checked)); });
  }
  connect(chkWarp, &QCheckBox::toggled, this, &frmQLN2::WarpToggled);
  connect(chkEnableFiles, &QCheckBox::toggled, this, &frmQLN2::SetCustomFilesEnabled);
  connect(cmbPorts, &QComboBox::currentIndexChanged, this, &frmQLN2::PortChosen);
  connect(cmbProgs, &QComboBox::currentIndexChanged, this, &frmQLN2::ProgramChosen);
}

LaunchOptionValues frmQLN2::ReadOptions(ListValue form) const {
  LaunchOptionValues values;
  for (std::size_t i = 0; i < kLaunchOptionCount; ++i) {
    const LaunchOption& option = OptionOf(static_cast<LaunchOptionId>(i));
    switch (option.control) {
      case OptionControl::CheckBox:
        values.Set(option.id, static_cast<const QCheckBox*>(options_[i])->isChecked());
        break;
      case OptionControl::TextBox:
        values.Set(option.id, Ss(static_cast<const QLineEdit*>(options_[i])->text()));
        break;
      case OptionControl::Choice:
        values.Set(option.id,
                   Ss(static_cast<const QComboBox*>(options_[i])->currentData().toString()));
        break;
      case OptionControl::List: {
        const auto* list = static_cast<const QComboBox*>(options_[i]);
        const bool none = PlaceholderOrNone(list);
        if (form == ListValue::Shown) {
          // With nothing chosen (a list left empty by a start-up error, say) the placeholder
          // stands for it, which a scheme load matches; an empty text matches nothing.
          values.Set(option.id,
                     none ? std::string(KindOf(option.list).placeholder) : Ss(list->currentText()));
        } else if (form == ListValue::Remembered) {
          // 0 for none or the placeholder, otherwise the item counted from 1.
          values.Set(option.id, std::to_string(none ? 0 : list->currentIndex() + 1));
        } else if (!none) {
          // The entry's file, read at this moment.
          const ListKind& kind = KindOf(option.list);
          values.Set(option.id,
                     iniFile_.LoadWhole(kind.section, FileKey(kind, list->currentIndex() + 1)));
        }
        break;
      }
    }
  }
  return values;
}

bool frmQLN2::ApplyOption(const LaunchOption& option, const std::string& value, ListValue form) {
  QWidget* control = ControlOf(option.id);
  switch (option.control) {
    case OptionControl::CheckBox: {
      const auto number = ToInt16(option.addedLater ? MeaningOf(option, value) : value);
      if (!number) return false;
      static_cast<QCheckBox*>(control)->setChecked(*number != 0);
      FollowState(option.id);
      return true;
    }
    case OptionControl::TextBox:
      if (!(option.emptyKeepsControl && value.empty())) {
        static_cast<QLineEdit*>(control)->setText(Qs(value));
      }
      return true;
    case OptionControl::Choice: {
      // A value it does not know shows the first choice: nothing is chosen.
      auto* box = static_cast<QComboBox*>(control);
      box->setCurrentIndex(std::max(0, box->findData(Qs(MeaningOf(option, value)))));
      return true;
    }
    case OptionControl::List:
      if (form == ListValue::Remembered) {
        return SelectRemembered(static_cast<QComboBox*>(control), value);
      }
      SelectShown(static_cast<QComboBox*>(control), Qs(value), option.entryWord);
      return true;
  }
  return false;
}

// 0 selects the placeholder; n selects item n - 1 (a fraction rounds half to even). A
// number naming an item the list does not have is a failure.
bool frmQLN2::SelectRemembered(QComboBox* list, const std::string& value) {
  const auto number = ParseDecimal(value);
  if (!number) return false;
  int index = list->count() - 1;
  if (!number->IsZero()) {
    const auto item = RoundToInt16(*number, -1);
    if (!item || *item < 0 || *item >= list->count()) return false;
    index = *item;
  }
  list->setCurrentIndex(index);
  return true;
}

// Selects the last entry showing exactly `shown`; without one, says so and selects the
// placeholder.
void frmQLN2::SelectShown(QComboBox* list, const QString& shown, std::string_view entryWord) {
  int match = -1;
  for (int i = 0; i < list->count(); ++i) {
    if (list->itemText(i) == shown) match = i;
  }
  if (match < 0) {
    desktop_.Tell(this, QStringLiteral("The %1 you saved with this scheme, \"%2,\" no longer "
                                       "exists in your %1 list.\r\nYou should choose another %1 "
                                       "or add this %1 back into the list.")
                            .arg(Latin1(entryWord), shown));
    match = list->count() - 1;
  }
  list->setCurrentIndex(match);
}

void frmQLN2::FollowState(LaunchOptionId id) {
  if (id == LaunchOptionId::Warp) ApplyWarpField();
  if (id == LaunchOptionId::UseFiles) SetCustomFilesEnabled();
}

// Every listed file with where it lies, item for item.
std::vector<CustomFile> frmQLN2::ListedCustomFiles() const {
  std::vector<CustomFile> files;
  const EntryListModel& listed = *EntriesOf(lstFiles);
  files.reserve(static_cast<std::size_t>(listed.Count()));
  for (int k = 0; k < listed.Count(); ++k) {
    files.push_back({std::string(listed.Utf8(k, 0)), std::string(listed.Utf8(k, 1))});
  }
  return files;
}

void frmQLN2::WarpToggled() {
  ApplyWarpField();
  // Names the level of this moment; later edits of the text leave it as it is.
  txtWarp->setToolTip(QStringLiteral("Warp to level ") + txtWarp->text());
}

// The warp text box is usable only while warp is on; switching off keeps its text.
void frmQLN2::ApplyWarpField() {
  const bool on = chkWarp->isChecked();
  txtWarp->setEnabled(on);
  SetFieldBackground(txtWarp, on ? QPalette::Base : QPalette::Window);
}

void frmQLN2::SetCustomFilesEnabled() {
  const bool on = chkEnableFiles->isChecked();
  for (CommandId id : {CommandId::AddPWAD, CommandId::AddPatch, CommandId::RemoveFile}) {
    SetCommandEnabled(id, on);
  }
  lstFiles->setEnabled(on);
  SetFieldBackground(lstFiles, on ? QPalette::Base : QPalette::Window);
  chkEnableFiles->setToolTip(StateTip(OptionOf(LaunchOptionId::UseFiles), on));
}

}  // namespace quillon
