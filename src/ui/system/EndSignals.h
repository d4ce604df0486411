#pragma once

class QWidget;

namespace quillon {

// SIGTERM and SIGHUP (kill, a logout without session management) close the window the
// normal way, so it writes what it keeps at close, and then end the application. Without
// this they would end the process on the spot. Call once, with the main window.
void CloseOnEndSignals(QWidget* window);

}  // namespace quillon
