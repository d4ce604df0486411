#include "ui/launch/frmPortStopped.h"

#include <string.h>

#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include "core/launch/PortLog.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"

namespace quillon {

namespace {
// Forty lines of a game's console rarely exceed this; more is read only if they do.
constexpr qint64 kTailBytes = 16 * 1024;
}  // namespace

QStringList frmPortStopped::LogTail(const QString& path, qint64 start) {
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
  const qint64 size = file.size();
  qint64 from = std::max(start, size - kTailBytes);
  std::vector<std::string> lines;
  while (true) {
    file.seek(from);
    const QByteArray bytes = file.read(size - from);
    lines = LastLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      kNoticeLines + 1);
    // One line more than shown proves the first shown one is whole.
    if (lines.size() > kNoticeLines || from == start) break;
    from = std::max(start, from - 8 * kTailBytes);
  }
  if (lines.size() > kNoticeLines) lines.erase(lines.begin());
  QStringList out;
  for (const std::string& line : lines) {
    out << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
  }
  return out;
}

frmPortStopped::frmPortStopped(const PortEnd& end, Desktop& desktop, QWidget* owner)
    : QDialog(owner), desktop_(desktop), logPath_(end.logPath) {
  setObjectName(QStringLiteral("frmPortStopped"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(end.title + QStringLiteral(" stopped"));

  const char* signalName = end.bySignal ? strsignal(end.code) : nullptr;
  const std::string how = DescribeEnd(end.bySignal, end.code, signalName ? signalName : "");
  lblEnd = MakeControl<QLabel>(
      this, "lblEnd",
      Qs(how) + QStringLiteral("\nIt ran for ") + Qs(DescribeDuration(end.ranMs)) + u'.');
  lblEnd->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* lblOutput =
      MakeControl<QLabel>(this, "lblOutput", QStringLiteral("Last lines of its output:"));
  txtOutput = MakeControl<QPlainTextEdit>(this, "txtOutput");
  txtOutput->setReadOnly(true);
  txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QStringList lines = LogTail(end.logPath, end.logStart);
  txtOutput->setPlainText(lines.isEmpty() ? QStringLiteral("(no output)") : lines.join(u'\n'));
  // The last line in view, read from its start: that is where a port prints why it stopped.
  txtOutput->setTextCursor(QTextCursor(txtOutput->document()->lastBlock()));
  lblOutput->setBuddy(txtOutput);

  cmdOpenLog = MakeControl<QPushButton>(this, "cmdOpenLog", QStringLiteral("Open Log"));
  cmdOpenLog->setEnabled(!logPath_.isEmpty());
  cmdOpenLog->setAutoDefault(false);
  cmdClose = MakeControl<QPushButton>(this, "cmdClose", QStringLiteral("Close"));
  cmdClose->setDefault(true);
  connect(cmdOpenLog, &QPushButton::clicked, this, [this] { desktop_.OpenDocument(logPath_); });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOpenLog);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblEnd);
  layout->addWidget(lblOutput);
  layout->addWidget(txtOutput, 1);
  layout->addLayout(buttons);

  // Wide enough for a typical console line, tall enough for most of the forty.
  const QFontMetrics metrics(txtOutput->font());
  resize(metrics.horizontalAdvance(QLatin1Char('x')) * 100, metrics.lineSpacing() * 24);
}

}  // namespace quillon
