#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

#include "core/settings/ConfigLayout.h"
#include "core/settings/IniCache.h"
#include "core/settings/ReadWrite.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "ui/main/DeferredWrites.h"
#include "ui/main/frmQLN2.h"
#include "ui/starthere/frmStartHere.h"

namespace quillon::test {

// A main window on a temporary program directory, driven through the scripted desktop.
// Writes are deferred to the end of each event as in the program; the helpers that look at
// the file or start the window end the current event first, as the event loop would.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { DeferSettingsWrites(); }
  ~MainWindowTest() override { IniCache::SetFlushRequester(nullptr); }

  void TearDown() override {
    if (window) window->close();
    EndEvent();
    EXPECT_TRUE(desktop.unscripted.isEmpty()) << desktop.unscripted.join("; ").toStdString();
    // A write that can never be made (a folder where the file should be) stays pending in
    // the process-wide cache; the next test must not inherit it.
    IniCache::DiscardPendingWrites();
  }

  // What the program's event loop does once a handler returns: the scheduled write runs.
  static void EndEvent() { QCoreApplication::processEvents(); }

  QString IniPath() const { return dir.FilePath(QStringLiteral("QLN2.ini")); }
  QByteArray IniBytes() const {
    EndEvent();
    return dir.Read(QStringLiteral("QLN2.ini"));
  }

  // Writes the file a fresh start would write, so tests can change it key by key.
  void WriteDefaultIni() {
    QByteArray bytes;
    for (const auto& line : DefaultIniLines()) bytes += QByteArray::fromStdString(line) + "\r\n";
    dir.Write(QStringLiteral("QLN2.ini"), bytes);
  }

  void Put(std::string_view section, std::string_view key, std::string_view value) {
    EndEvent();
    ReadWrite ini;
    ini.SetFileName(IniPath().toStdString());
    ini.Save(section, key, value);
  }
  std::string Get(std::string_view section, std::string_view key) const {
    EndEvent();
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
    EndEvent();
    window = std::make_unique<frmQLN2>(desktop, dir.Path());
    window->show();
    EndEvent();
  }
  void Close() {
    window->close();
    EndEvent();
  }
  // Opens Start Here with F8 and runs `script` once its map is shown, fitted to 640 × 480.
  void RunStartHere(const std::function<void(frmStartHere*)>& script) {
    desktop.modalScripts.push_back([&](QDialog* dialog) {
      auto* shown = qobject_cast<frmStartHere*>(dialog);
      ASSERT_NE(shown, nullptr);
      QSignalSpy loaded(shown, &frmStartHere::Loaded);
      ASSERT_TRUE(loaded.wait(10000));
      shown->resize(640, 480);
      shown->View()->Fit();
      script(shown);
    });
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_F8);
    EXPECT_TRUE(desktop.modalScripts.empty()) << "F8 opened no window";
  }

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
