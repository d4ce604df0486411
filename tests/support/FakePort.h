#pragma once

#include <QString>
#include <QStringList>

namespace quillon::test {

// Writes an executable stand-in port named `name` into `dir`: it writes its working
// directory, then each argument, one per line, to `outFile`, and renames the file only
// when done so a reader never sees half of it.
QString WriteFakePort(const QString& dir, const QString& name, const QString& outFile);

// Writes an executable shell script `name` into `dir` running `body`; its full path.
QString WriteScript(const QString& dir, const QString& name, const QByteArray& body);

// The launcher never waits for its child, so tests poll for the child's output (at most
// ten seconds) and get its lines, or nothing.
QStringList WaitForLines(const QString& path);

}  // namespace quillon::test
