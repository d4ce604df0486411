#pragma once

namespace quillon {

// Settings changed during one event reach the disk together, once the event is done:
// removing the first of thousands of entries is one write, not thousands. Also writes
// whatever is left when the application quits. Needs the QApplication.
void DeferSettingsWrites();

}  // namespace quillon
