#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quillon::test {

// A temporary program directory, removed with the object.
class TempDir {
 public:
  TempDir();
  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& name) const { return dir_.filePath(name); }

  QByteArray Read(const QString& name) const;
  void Write(const QString& name, const QByteArray& bytes) const;
  bool Exists(const QString& name) const;

 private:
  QTemporaryDir dir_;
};

// Joins lines with CR LF after each, as the program writes them.
QByteArray CrLf(std::initializer_list<const char*> lines);

}  // namespace quillon::test
