#pragma once

#include <QAbstractItemView>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <functional>

#include "gui/MainWindowFixture.h"
#include "ui/desktop/QtText.h"
#include "ui/setup/frmAddEntry.h"

namespace quillon::test {

// The main window with its setup dialogs, each driven by a script queued for it.
class SetupTest : public MainWindowTest {
 protected:
  using Script = std::function<void(QDialog*)>;

  // The main window's Setup button of a list and its drop-down list of the same entries.
  static std::pair<const char*, const char*> MainOf(ListId id) {
    if (id == ListId::Ports) return {"cmdPorts", "cmbPorts"};
    if (id == ListId::IWADs) return {"cmdIWADs", "cmbIWADs"};
    return {"cmdProgs", "cmbProgs"};
  }
  QStringList MainItems(ListId id) const { return Items(List(MainOf(id).second)); }

  // Presses the list's Setup button with scripts queued for the setup dialog and for each
  // window it opens, in that order.
  void RunSetup(ListId id, std::initializer_list<Script> scripts) {
    for (const Script& script : scripts) desktop.modalScripts.push_back(script);
    Button(MainOf(id).first)->click();
    EXPECT_TRUE(desktop.modalScripts.empty()) << "a scripted window never opened";
  }

  template <class T = QWidget>
  static T* In(const QWidget* window, const char* name) {
    auto* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found) ADD_FAILURE() << "no control " << name;
    return found;
  }
  static void Click(const QWidget* window, const char* name) {
    auto* button = In<QPushButton>(window, name);
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  static QComboBox* ListIn(const QWidget* setup) { return setup->findChild<QComboBox*>(); }
  static QLabel* InfoIn(const QWidget* setup) {
    return setup->findChild<QGroupBox*>()->findChild<QLabel*>();
  }
  static QLineEdit* NameIn(const QWidget* entry) { return In<QLineEdit>(entry, "txtName"); }
  static QLineEdit* FileIn(const QWidget* entry) {
    return entry->findChildren<QLineEdit*>().value(1);  // txtPath or txtFile
  }
  // Selects what the field holds and types over it, as the user does.
  static void TypeInto(QLineEdit* field, const QString& text) {
    ASSERT_TRUE(field->isEnabled());
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  // The mode handed to an add/change dialog, as "Add 3" or "Change 1".
  static QString TagOf(QDialog* entry) {
    auto* dialog = qobject_cast<frmAddEntry*>(entry);
    if (!dialog) return QStringLiteral("not an add/change dialog");
    if (!dialog->Tag) return QStringLiteral("no mode");
    const bool adding = dialog->Tag->mode == EntryTag::Mode::Add;
    return QStringLiteral("%1 %2").arg(adding ? "Add" : "Change").arg(dialog->Tag->position);
  }

  // Opens the list with a click, walks to the item with the arrow keys and takes it with Enter.
  static void Pick(QComboBox* list, int position) {
    ASSERT_TRUE(list->isEnabled());
    QTest::mouseClick(list, Qt::LeftButton);
    QAbstractItemView* items = list->view();
    ASSERT_TRUE(items->isVisible()) << "the list did not open";
    QTest::keyClick(items, Qt::Key_Home);
    for (int i = 0; i < position; ++i) QTest::keyClick(items, Qt::Key_Down);
    QTest::keyClick(items, Qt::Key_Return);
  }

  // The lines of one section of the configuration file, blank lines left out.
  QStringList SectionLines(std::string_view section) const {
    QStringList lines;
    bool inside = false;
    for (const QByteArray& raw : IniBytes().split('\n')) {
      const QString line = QString::fromUtf8(raw).trimmed();
      if (line.startsWith(u'[')) {
        inside = line == u'[' + Qs(section) + u']';
      } else if (inside && !line.isEmpty()) {
        lines << line;
      }
    }
    return lines;
  }
};

}  // namespace quillon::test
