#include "ui/system/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace quillon {

namespace {

// The handler may only do async-signal-safe things: it wakes the event loop through a pipe.
int wakeFd = -1;

void OnEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  if (::write(wakeFd, &byte, 1) < 0) {
    // The pipe is full: a wake-up is already waiting.
  }
  errno = saved;
}

}  // namespace

void CloseOnEndSignals(QWidget* window) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  wakeFd = ends[1];
  auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [window, readFd = ends[0]] {
    char bytes[64];
    while (::read(readFd, bytes, sizeof bytes) > 0) {
    }
    window->close();
    // Also ends any modal dialog's loop, which would otherwise keep the program running.
    QCoreApplication::quit();
  });

  struct sigaction action = {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

}  // namespace quillon
