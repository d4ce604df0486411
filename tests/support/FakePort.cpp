#include "support/FakePort.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace quillon::test {

QString WriteFakePort(const QString& dir, const QString& name, const QString& outFile) {
  const QString script = QDir(dir).filePath(name);
  QFile file(script);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(QStringLiteral("#!/bin/sh\n"
                            "out='%1'\n"
                            "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; }"
                            " > \"$out.part\"\n"
                            "mv \"$out.part\" \"$out\"\n")
                 .arg(outFile)
                 .toUtf8());
  file.close();
  file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
  return script;
}

QString WriteScript(const QString& dir, const QString& name, const QByteArray& body) {
  const QString script = QDir(dir).filePath(name);
  QFile file(script);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write("#!/bin/sh\n" + body);
  file.close();
  file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
  return script;
}

QStringList WaitForLines(const QString& path) {
  QDeadlineTimer deadline(10'000);
  while (!QFileInfo::exists(path) && !deadline.hasExpired()) QTest::qWait(20);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace quillon::test
