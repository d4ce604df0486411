#include "ui/main/WadAnalyses.h"

#include <algorithm>
#include <exception>

#include "core/settings/FileStore.h"
#include "ui/desktop/QtText.h"

namespace quillon {

namespace {

wad::WadStamp StampOf(const std::string& path) {
  const filestore::FileStamp stamp = filestore::Stat(path);
  wad::WadStamp out;
  out.present = stamp.state == filestore::FileStamp::State::Present;
  out.size = stamp.size;
  out.mtimeNs = stamp.mtimeNs;
  return out;
}

// On the worker an exception reaching Qt's event loop would end the program: a file whose
// analysis throws (memory ran out) is one that cannot be read.
wad::WadNeeds Guarded(const std::function<wad::WadNeeds(const std::string&)>& analyze,
                      const std::string& path) {
  try {
    return analyze(path);
  } catch (const std::exception& error) {
    wad::WadNeeds needs;
    needs.path = path;
    needs.error = std::string("reading it failed: ") + error.what();
    return needs;
  }
}

const char* FormatName(wad::MapFormat format) {
  switch (format) {
    case wad::MapFormat::kDoom:
      return "Doom";
    case wad::MapFormat::kHexen:
      return "Hexen";
    case wad::MapFormat::kUdmf:
      return "UDMF";
  }
  return "?";
}

// A tip stays a tip: a megawad's thirty-two maps are named by their first few.
constexpr std::size_t kMapsNamed = 8;

}  // namespace

WadAnalyses::WadAnalyses(std::function<wad::WadNeeds(const std::string&)> analyze, QObject* parent)
    : QObject(parent),
      analyze_(analyze ? std::move(analyze) : wad::AnalyzeWadFile),
      kept_(std::make_shared<std::unordered_map<std::string, Kept>>()),
      latest_(std::make_shared<std::atomic<unsigned>>(0)),
      read_(std::make_shared<std::atomic<std::size_t>>(0)) {
  thread_.setObjectName(QStringLiteral("WadAnalyses"));
  worker_ = new QObject;
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start(QThread::LowPriority);
  sendTimer_.setSingleShot(true);
  sendTimer_.setInterval(0);
  connect(&sendTimer_, &QTimer::timeout, this, &WadAnalyses::SendWanted);
}

WadAnalyses::~WadAnalyses() {
  thread_.quit();
  thread_.wait();
}

void WadAnalyses::Recheck() {
  ++*latest_;
  asked_.clear();
  wanted_.clear();
}

WadAnalyses::Needs WadAnalyses::Find(const std::string& path) {
  const auto found = known_.find(path);
  const bool current = found != known_.end() && found->second.generation == *latest_;
  if (!current && asked_.insert(path).second) {
    wanted_.push_back(path);
    if (!sendTimer_.isActive()) sendTimer_.start();
  }
  return found == known_.end() ? nullptr : found->second.needs;
}

void WadAnalyses::SendWanted() {
  if (wanted_.empty()) return;
  const unsigned generation = *latest_;
  QMetaObject::invokeMethod(
      worker_,
      [this, generation, latest = latest_, read = read_, kept = kept_, analyze = analyze_,
       paths = std::exchange(wanted_, {})] {
        Results results;
        for (const std::string& path : paths) {
          if (*latest != generation) return;
          // Stamped before reading: a change during the read shows as a new stamp next time.
          const wad::WadStamp stamp = StampOf(path);
          auto& entry = (*kept)[path];
          if (!entry.needs || !(entry.stamp == stamp)) {
            entry.stamp = stamp;
            entry.needs = std::make_shared<const wad::WadNeeds>(Guarded(analyze, path));
            ++*read;
          }
          results.emplace_back(path, entry.needs);
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, results = std::move(results)]() mutable {
              Take(generation, std::move(results));
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void WadAnalyses::Take(unsigned generation, Results results) {
  // Read before a recheck: whoever still needs the file has asked again since.
  if (generation != *latest_) return;
  for (auto& [path, needs] : results) {
    asked_.erase(path);
    known_.insert_or_assign(std::move(path), Known{std::move(needs), generation});
  }
  emit Analysed();
}

QString JudgementLine(const PortJudgement& judgement) {
  if (!judgement.profile) return {};
  const QString line = Qs(std::string(judgement.profile->name)) + QStringLiteral(": ");
  if (!judgement.ready) return line + QStringLiteral("checking…");
  const PortVerdict& verdict = judgement.verdict;
  const QString word = Qs(std::string(VerdictWord(verdict.verdict)));
  if (verdict.why.empty()) return line + word;
  return line + word + QStringLiteral(": ") + Qs(verdict.why.front());
}

std::string JudgementFindings(const PortJudgement& judgement) {
  if (!judgement.profile || !judgement.ready || judgement.verdict.why.empty()) return {};
  std::string text = std::string(judgement.profile->name) + ": " +
                     std::string(VerdictWord(judgement.verdict.verdict));
  for (const std::string& reason : judgement.verdict.why) text += "\n- " + reason;
  return text;
}

QString NeedsTip(const WadAnalyses::Needs& needs) {
  if (!needs) return QStringLiteral("checking…");
  if (!needs->Ok()) return {};  // the description already says why
  QStringList maps;
  bool boom = false;
  bool mbf21 = false;
  for (const wad::MapNeeds& map : needs->maps) {
    boom = boom || map.boomSpecials;
    mbf21 = mbf21 || map.mbf21;
    if (maps.size() == static_cast<qsizetype>(kMapsNamed)) continue;
    QString shown = Qs(map.name) + QStringLiteral(" (") + QLatin1String(FormatName(map.format));
    if (!map.udmfNamespace.empty()) shown += QStringLiteral(", ") + Qs(map.udmfNamespace);
    shown += u')';
    if (!map.title.empty()) shown += QStringLiteral(" ") + Qs(map.title);
    maps << shown;
  }
  if (needs->maps.size() > kMapsNamed) {
    maps << QStringLiteral("and %1 more").arg(needs->maps.size() - kMapsNamed);
  }
  QStringList brings;
  for (const std::string& feature : needs->features) brings << Qs(feature);
  if (boom) brings << QStringLiteral("Boom specials");
  if (mbf21 && !brings.contains(QStringLiteral("MBF21"))) brings << QStringLiteral("MBF21");
  QStringList lines;
  if (!maps.isEmpty()) lines << QStringLiteral("Maps: ") + maps.join(QStringLiteral(", "));
  if (!brings.isEmpty()) lines << QStringLiteral("Brings: ") + brings.join(QStringLiteral(", "));
  return lines.join(u'\n');
}

QString AutomaticComplevelTip(bool ready, int level, const std::string& why) {
  if (!ready) return QStringLiteral("Automatic: checking…");
  return QStringLiteral("Automatic: %1, as %2").arg(level).arg(Qs(why));
}

}  // namespace quillon
