#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/launch/PortProfiles.h"
#include "core/wad/WadAnalysis.h"
#include "core/wad/WadCache.h"

namespace quillon {

// How the window reads what WADs need and judges them per port; tests script each part.
struct Judging {
  using Files = std::vector<const wad::WadNeeds*>;
  std::function<wad::WadNeeds(const std::string& path)> analyze = wad::AnalyzeWadFile;
  std::function<const PortProfile*(PortFamily family, std::string_view executable)> profileFor =
      ProfileForPort;
  std::function<PortVerdict(const PortProfile&, const Files&, const wad::WadNeeds* iwad)> judge =
      Judge;
  std::function<int(const Files&, const wad::WadNeeds* iwad, std::string* why)> complevel =
      AutomaticComplevel;
};

// What each WAD needs of a port, read on a thread of its own and kept per file: a file whose
// size and time of change are what they were is not read again, so toggling "Enable" or
// choosing another port costs a stat per file, off this thread. Asked within one event, the
// files go to the thread as one batch.
class WadAnalyses : public QObject {
  Q_OBJECT

 public:
  using Needs = std::shared_ptr<const wad::WadNeeds>;

  explicit WadAnalyses(std::function<wad::WadNeeds(const std::string&)> analyze,
                       QObject* parent = nullptr);
  ~WadAnalyses() override;

  // The analysis of the file at `path`, or null while it is being checked; unless it is
  // current it is asked for, and `Analysed` follows once it arrives. One made before the last
  // `Recheck` is still answered until the new one arrives, so the marks do not flicker.
  Needs Find(const std::string& path);
  // The files may have changed: each is looked at again when next asked.
  void Recheck();
  // How many files the thread has read so far (an unchanged file is not read again).
  std::size_t FilesRead() const { return *read_; }

 signals:
  void Analysed();

 private:
  struct Known {
    Needs needs;
    unsigned generation = 0;
  };
  // Kept by the thread alone: what each file was when it was read.
  struct Kept {
    wad::WadStamp stamp;
    Needs needs;
  };
  using Results = std::vector<std::pair<std::string, Needs>>;

  void SendWanted();
  void Take(unsigned generation, Results results);

  QThread thread_;
  QObject* worker_ = nullptr;  // lives on thread_
  QTimer sendTimer_;
  std::function<wad::WadNeeds(const std::string&)> analyze_;
  std::shared_ptr<std::unordered_map<std::string, Kept>> kept_;
  std::shared_ptr<std::atomic<unsigned>> latest_;
  std::shared_ptr<std::atomic<std::size_t>> read_;
  std::unordered_map<std::string, Known> known_;
  std::unordered_set<std::string> asked_;
  std::vector<std::string> wanted_;
};

// A port's verdict on the files a start would load, as the window shows it.
struct PortJudgement {
  const PortProfile* profile = nullptr;  // none: the port is not judged
  bool ready = false;                    // false: some file is still being checked
  PortVerdict verdict;
  bool Fails() const { return profile && ready && verdict.verdict == Verdict::kFails; }
};

// "dsda-doom 0.25.6: fails: <first reason>", "…: checking…"; empty for a port not judged.
QString JudgementLine(const PortJudgement& judgement);
// Every reason, one a line, after the verdict; empty where there is nothing to say.
std::string JudgementFindings(const PortJudgement& judgement);
// What a file's tip adds: its maps with their formats and what it brings; "checking…".
QString NeedsTip(const WadAnalyses::Needs& needs);
// What "Compatibility: Automatic" gives the port, and why.
QString AutomaticComplevelTip(bool ready, int level, const std::string& why);

}  // namespace quillon
