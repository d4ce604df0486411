#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillon {

// What the files a start would load will do in one port, in a line and in full.
struct ShownVerdict {
  QString line;     // empty: the port is not judged
  QString details;  // every reason, one a line
  bool fails = false;
};

// What the "Test in Several Ports" dialog needs of the main window: the ports to offer, and
// a start like Test's for each one the user checked.
class PortTester {
 public:
  // Every source port's list name; entry n is item n - 1.
  virtual QStringList PortNames() const = 0;
  // Starts each entry with the arguments Test gives now, in its own folder and watched, and
  // tells the user of each that could not start. True when every one started.
  virtual bool TestPorts(const std::vector<int>& entries) = 0;
  // The verdict on entry `entry`, "checking…" while the files are being read.
  virtual ShownVerdict VerdictOf(int entry) = 0;
  // `changed` runs whenever verdicts may read differently; an empty function stops it.
  virtual void WatchVerdicts(std::function<void()> changed) = 0;

 protected:
  ~PortTester() = default;
};

}  // namespace quillon
