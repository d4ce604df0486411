#include "support/TempDir.h"

#include <QFile>
#include <stdexcept>

namespace quillon::test {

TempDir::TempDir() {
  if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary directory");
}

QByteArray TempDir::Read(const QString& name) const {
  QFile file(FilePath(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void TempDir::Write(const QString& name, const QByteArray& bytes) const {
  QFile file(FilePath(name));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    throw std::runtime_error("cannot write " + name.toStdString());
  }
  file.write(bytes);
}

bool TempDir::Exists(const QString& name) const {
  return QFile::exists(FilePath(name));
}

QByteArray CrLf(std::initializer_list<const char*> lines) {
  QByteArray out;
  for (const char* line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace quillon::test
