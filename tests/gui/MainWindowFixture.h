#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/frmQLN2.h"
#include "settings/ConfigLayout.h"
#include "settings/ReadWrite.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"

namespace quillon::test {

// A main window on a temporary program directory, driven through the scripted desktop.
class MainWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window) window->close();
    EXPECT_TRUE(desktop.unscripted.isEmpty()) << desktop.unscripted.join("; ").toStdString();
  }

  QString IniPath() const { return dir.FilePath(QStringLiteral("QLN2.ini")); }
  QByteArray IniBytes() const { return dir.Read(QStringLiteral("QLN2.ini")); }

  // Writes the file a fresh start would write, so tests can change it key by key.
  void WriteDefaultIni() {
    QByteArray bytes;
    for (const auto& line : DefaultIniLines()) bytes += QByteArray::fromStdString(line) + "\r\n";
    dir.Write(QStringLiteral("QLN2.ini"), bytes);
  }

  void Put(std::string_view section, std::string_view key, std::string_view value) {
    ReadWrite ini;
    ini.SetFileName(IniPath().toStdString());
    ini.Save(section, key, value);
  }
  std::string Get(std::string_view section, std::string_view key) const {
    ReadWrite ini;
    ini.SetFileName(IniPath().toStdString());
    return ini.Load(section, key);
  }

  // Names entries 1..n of a list; the file key holds "<name>.path".
  void PutList(ListId id, const QStringList& names) {
    const ListKind& kind = KindOf(id);
    Put(kind.section, kind.countKey, std::to_string(names.size()));
    for (int i = 0; i < names.size(); ++i) {
      Put(kind.section, NameKey(kind, i + 1), names[i].toStdString());
      Put(kind.section, FileKey(kind, i + 1), names[i].toStdString() + ".path");
    }
  }

  void Open() {
    window = std::make_unique<frmQLN2>(desktop, dir.Path());
    window->show();
  }
  void Close() { window->close(); }

  template <class T>
  T* Find(const char* name) const {
    auto* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found) ADD_FAILURE() << "no control " << name;
    return found;
  }
  QComboBox* List(const char* name) const { return Find<QComboBox>(name); }
  QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  QLineEdit* Text(const char* name) const { return Find<QLineEdit>(name); }
  QAction* Action(const char* name) const { return Find<QAction>(name); }

  static QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
  }
  // What a file list shows (or, for the hidden one, holds), row by row.
  static QStringList Items(const QListView* list) {
    QStringList items;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->rowCount(); ++i) {
      items << model->index(i, list->modelColumn()).data().toString();
    }
    return items;
  }

  TempDir dir;
  FakeDesktop desktop;
  std::unique_ptr<frmQLN2> window;
};

}  // namespace quillon::test
