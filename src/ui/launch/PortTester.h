#pragma once

#include <QStringList>
#include <vector>

namespace quillon {

// What the "Test in Several Ports" dialog needs of the main window: the ports to offer, and
// a start like Test's for each one the user checked.
class PortTester {
 public:
  // Every source port's list name; entry n is item n - 1.
  virtual QStringList PortNames() const = 0;
  // Starts each entry with the arguments Test gives now, in its own folder and watched, and
  // tells the user of each that could not start. True when every one started.
  virtual bool TestPorts(const std::vector<int>& entries) = 0;

 protected:
  ~PortTester() = default;
};

}  // namespace quillon
