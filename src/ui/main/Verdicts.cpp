#include <QComboBox>
#include <QCursor>
#include <QListView>
#include <QPushButton>
#include <QToolTip>

#include "core/files/PathHelpers.h"
#include "core/wad/IwadLookup.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {

// The analyses of what a start of one port would load: the enabled PWADs in load order, and
// the IWAD where that port would find it.
struct LoadedNeeds {
  std::vector<WadAnalyses::Needs> files;
  WadAnalyses::Needs iwad;
  bool ready = true;

  Judging::Files Files() const {
    Judging::Files out;
    for (const auto& file : files) out.push_back(file.get());
    return out;
  }
};

// `listed`: the custom files as the list shows them, read in place (a list of 32 766 costs
// no string per file); null when they are not loaded.
LoadedNeeds Gather(WadAnalyses& analyses, const EntryListModel* listed,
                   const std::optional<std::string>& iwadEntry, const std::string& portPath,
                   const IwadPlaces& places) {
  LoadedNeeds loaded;
  for (int row = 0; listed && row < listed->Count(); ++row) {
    const std::string_view name = listed->Utf8(row, 0);
    if (!HasExtension(name, "wad")) continue;
    loaded.files.push_back(analyses.Find(DirectoryOf(listed->Utf8(row, 1)).append(name)));
    loaded.ready = loaded.ready && loaded.files.back();
  }
  if (iwadEntry) {
    if (const auto found = wad::FindIwad(*iwadEntry, portPath, places)) {
      loaded.iwad = analyses.Find(*found);
      loaded.ready = loaded.ready && loaded.iwad;
    }
  }
  return loaded;
}

}  // namespace

void frmQLN2::CreateAnalyses() {
  delete analyses_;
  analyses_ = new WadAnalyses(judging_.analyze, this);
  connect(analyses_, &WadAnalyses::Analysed, this, &frmQLN2::ShowNeeds);
}

void frmQLN2::SetJudging(Judging judging) {
  judging_ = std::move(judging);
  CreateAnalyses();
  RelearnWads();
}

// Asked as soon as the files or the port change, so the verdicts are ready before anyone
// looks; every file is read on the worker.
void frmQLN2::LearnNeeds() {
  analyses_->Recheck();
  ShowAutomaticComplevel();
  if (verdictsChanged_) verdictsChanged_();
}

PortJudgement frmQLN2::JudgePort(const LaunchOptionValues& options, int entry) const {
  PortJudgement judgement;
  const ListKind& ports = KindOf(ListId::Ports);
  const std::string portPath = iniFile_.LoadBytes(ports.section, FileKey(ports, entry));
  if (portPath.empty()) return judgement;
  const PortFamily family =
      EffectiveFamily(iniFile_.LoadWhole(ports.section, PortFamilyKey(entry)), portPath);
  judgement.profile = judging_.profileFor(family, FileNameOf(portPath));
  if (!judgement.profile) return judgement;
  const EntryListModel* files =
      options.IsOn(LaunchOptionId::UseFiles) ? EntriesOf(lstFiles) : nullptr;
  const LoadedNeeds loaded =
      Gather(*analyses_, files, options.Get(LaunchOptionId::IWAD), portPath, wadFacts_->Places());
  judgement.ready = loaded.ready;
  if (!loaded.ready) return judgement;
  // With a node builder chosen, the PWADs' maps get their nodes before the port sees them.
  PortProfile judged = *judgement.profile;
  if (files && files->Count() > 0 && !ChosenNodeBuilder().path.empty()) {
    judged.buildsNodes = true;
  }
  judgement.verdict = judging_.judge(judged, loaded.Files(), loaded.iwad.get());
  return judgement;
}

ShownVerdict frmQLN2::VerdictOf(int entry) {
  const PortJudgement judgement = JudgePort(StartOptions(), entry);
  return {JudgementLine(judgement), Qs(JudgementFindings(judgement)), judgement.Fails()};
}

QString frmQLN2::VerdictTip(const LaunchOptionValues& options, int entry) const {
  return JudgementLine(JudgePort(options, entry));
}

// Only the files a start loads decide, and only once each has been read: until then, and
// without an enabled PWAD, the port keeps its own default.
LaunchOptionValues frmQLN2::WithAutomaticComplevel(const LaunchOptionValues& options) const {
  const LaunchOption& option = OptionOf(LaunchOptionId::Complevel);
  if (!MeaningOf(option, options.Text(option.id)).empty()) return options;
  if (!options.IsOn(LaunchOptionId::UseFiles)) return options;
  const LoadedNeeds loaded =
      Gather(*analyses_, EntriesOf(lstFiles), options.Get(LaunchOptionId::IWAD),
             options.Text(LaunchOptionId::Port), wadFacts_->Places());
  const bool usable =
      std::all_of(loaded.files.begin(), loaded.files.end(),
                  [](const WadAnalyses::Needs& needs) { return needs && needs->Ok(); });
  if (loaded.files.empty() || !loaded.ready || !usable) return options;
  LaunchOptionValues chosen = options;
  chosen.Set(option.id,
             std::to_string(judging_.complevel(loaded.Files(), loaded.iwad.get(), nullptr)));
  return chosen;
}

void frmQLN2::ShowAutomaticComplevel() {
  auto* box = qobject_cast<QComboBox*>(ControlOf(LaunchOptionId::Complevel));
  if (!box) return;
  const LaunchOptionValues options = ReadOptions(ListValue::EntryFile);
  QString tip = QLatin1String(OptionOf(LaunchOptionId::Complevel).tip.data());
  if (options.IsOn(LaunchOptionId::UseFiles)) {
    const LoadedNeeds loaded =
        Gather(*analyses_, EntriesOf(lstFiles), options.Get(LaunchOptionId::IWAD),
               options.Text(LaunchOptionId::Port), wadFacts_->Places());
    if (!loaded.files.empty()) {
      std::string why;
      const int level =
          loaded.ready ? judging_.complevel(loaded.Files(), loaded.iwad.get(), &why) : 0;
      tip += u'\n' + AutomaticComplevelTip(loaded.ready, level, why);
    }
  }
  box->setToolTip(tip);
}

void frmQLN2::AddFailingPorts(const LaunchOptionValues& options, const std::vector<int>& entries,
                              std::vector<std::string>& problems) const {
  for (const int entry : entries) {
    const PortJudgement judgement = JudgePort(options, entry);
    if (!judgement.Fails()) continue;
    const QString name = entry >= 1 && entry < cmbPorts->count() ? cmbPorts->itemText(entry - 1)
                                                                 : QString::number(entry);
    std::string problem = Ss(name) + ", " + std::string(judgement.profile->name) + ", will stop";
    if (!judgement.verdict.why.empty()) problem += ": " + judgement.verdict.why.front();
    problems.push_back(std::move(problem));
  }
}

// Every place that shows what the files need reads it again; a tip on show is shown anew.
void frmQLN2::ShowNeeds() {
  ShowDescriptions();
  ShowMapTitles();
  ShowAutomaticComplevel();
  if (verdictsChanged_) verdictsChanged_();
  QPushButton* test = ButtonOf(CommandId::Test);
  if (QToolTip::isVisible() && test->underMouse() && !PlaceholderOrNone(cmbPorts)) {
    const QString shown = QToolTip::text();
    const qsizetype cut = shown.lastIndexOf(QStringLiteral("\n\n"));
    const QString line = VerdictTip(StartOptions(), cmbPorts->currentIndex() + 1);
    if (cut >= 0 && !line.isEmpty()) {
      QToolTip::showText(QCursor::pos(), shown.left(cut) + QStringLiteral("\n\n") + line, test);
    }
  }
}

}  // namespace quillon
