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
#include <algorithm>

#include "core/launch/PortLog.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/desktop/frmTextWindow.h"

namespace quillon {

QStringList frmPortStopped::LogTail(const QString& path, qint64 start) {
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
  // One read of a bounded tail, however much the port wrote: this runs on the GUI thread.
  const qint64 size = file.size();
  const qint64 from = std::max(start, size - static_cast<qint64>(kNoticeTailBytes));
  if (from >= size || !file.seek(from)) return {};
  const QByteArray bytes = file.read(size - from);
  QStringList out;
  for (const std::string& line :
       NoticeLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                   static_cast<unsigned long long>(from - start))) {
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

  // What was known before the start may be the reason it stopped.
  if (!end.findings.isEmpty()) {
    lblFindings = MakeControl<QLabel>(
        this, "lblFindings",
        QStringLiteral("What Quillon found in its files before the start:\n") + end.findings);
    lblFindings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFindings->setWordWrap(true);
  }

  auto* lblOutput =
      MakeControl<QLabel>(this, "lblOutput", QStringLiteral("Last lines of its output:"));
  txtOutput = MakeControl<QPlainTextEdit>(this, "txtOutput");
  txtOutput->setReadOnly(true);
  txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QStringList lines = LogTail(end.logPath, end.logStart);
  txtOutput->setPlainText(lines.isEmpty() ? QStringLiteral("(no output)") : lines.join(u'\n'));
  // Where a port says why it stopped in view, read from its start: the cause lines when
  // there are any, else the last line.
  const bool cause = !lines.isEmpty() && lines.first().startsWith(Qs(kCauseMark));
  QTextDocument* document = txtOutput->document();
  txtOutput->setTextCursor(QTextCursor(cause ? document->firstBlock() : document->lastBlock()));
  lblOutput->setBuddy(txtOutput);

  cmdOpenLog = MakeControl<QPushButton>(this, "cmdOpenLog", QStringLiteral("Open Log"));
  cmdOpenLog->setEnabled(!logPath_.isEmpty());
  cmdOpenLog->setAutoDefault(false);
  cmdClose = MakeControl<QPushButton>(this, "cmdClose", QStringLiteral("Close"));
  cmdClose->setDefault(true);
  // The log's window outlives the notice: it belongs to the notice's owner.
  connect(cmdOpenLog, &QPushButton::clicked, this, [this] {
    ShowDocument(desktop_, parentWidget() ? parentWidget() : this, logPath_, TextPart::End);
  });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOpenLog);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblEnd);
  if (lblFindings) layout->addWidget(lblFindings);
  layout->addWidget(lblOutput);
  layout->addWidget(txtOutput, 1);
  layout->addLayout(buttons);

  // Wide enough for a typical console line, tall enough for most of the forty.
  const QFontMetrics metrics(txtOutput->font());
  resize(metrics.horizontalAdvance(QLatin1Char('x')) * 100, metrics.lineSpacing() * 24);
}

}  // namespace quillon
