#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QIcon>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"
#include "support/ParamNames.h"
#include "support/TempDir.h"
#include "ui/desktop/EntryListModel.h"

namespace quillon {
namespace {

using test::PrintTo;

// Names in the first column, "/" + name in the second, so a move that forgets a column
// shows.
std::vector<EntryTexts> Entries(const QStringList& names) {
  std::vector<EntryTexts> columns(2);
  for (const QString& name : names) {
    columns[0].Add(name.toStdString());
    columns[1].Add("/" + name.toStdString());
  }
  return columns;
}

QStringList Paths(const QStringList& names) {
  QStringList paths;
  for (const QString& name : names) paths << u'/' + name;
  return paths;
}

QStringList Column(const EntryListModel& model, int column) {
  QStringList texts;
  for (int row = 0; row < model.rowCount(); ++row) {
    texts << model.index(row, column).data().toString();
  }
  return texts;
}

struct MoveCase {
  const char* name;
  int source;
  int count;
  int destination;  // the row the block goes before, counted before the move
  bool moves;
  QStringList after;
};

class EntryListMoveTest : public testing::TestWithParam<MoveCase> {};

TEST_P(EntryListMoveTest, MovesEveryColumnTogether) {
  const MoveCase& c = GetParam();
  EntryListModel model(2);
  // Fails the test on any signal out of order or index out of range.
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Reset(Entries({"a", "b", "c", "d", "e"}));
  EXPECT_EQ(model.moveRows({}, c.source, c.count, {}, c.destination), c.moves);
  EXPECT_EQ(Column(model, 0), c.after);
  EXPECT_EQ(Column(model, 1), Paths(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EntryListMoveTest,
    testing::Values(MoveCase{"first down one", 0, 1, 2, true, {"b", "a", "c", "d", "e"}},
                    MoveCase{"last up one", 4, 1, 3, true, {"a", "b", "c", "e", "d"}},
                    MoveCase{"middle to the end", 2, 1, 5, true, {"a", "b", "d", "e", "c"}},
                    MoveCase{"two to the front", 3, 2, 0, true, {"d", "e", "a", "b", "c"}},
                    MoveCase{"onto itself", 1, 1, 1, false, {"a", "b", "c", "d", "e"}},
                    MoveCase{"just after itself", 1, 1, 2, false, {"a", "b", "c", "d", "e"}},
                    MoveCase{"past the end", 4, 2, 0, false, {"a", "b", "c", "d", "e"}}),
    [](const auto& info) { return test::PhraseName(info.param.name); });

TEST(EntryListModelTest, EditsKeepColumnsInStepUnderTheModelTester) {
  EntryListModel model(2);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Append(Entries({"a", "b"}));
  model.Append(Entries({"c"}));
  ASSERT_TRUE(model.insertRows(1, 2));
  ASSERT_TRUE(model.setData(model.index(1, 0), QStringLiteral("x")));
  ASSERT_TRUE(model.removeRows(0, 1));
  EXPECT_EQ(Column(model, 0), (QStringList{"x", "", "b", "c"}));
  EXPECT_EQ(Column(model, 1), (QStringList{"", "", "/b", "/c"}));
  EXPECT_FALSE(model.removeRows(3, 2));
  model.Reset(Entries({"z"}));
  EXPECT_EQ(Column(model, 1), QStringList{"/z"});
}

TEST(EntryListModelTest, TooltipsAndIconsComeFromTheProviderOnly) {
  EntryListModel model(1);
  model.Reset({{"a", "b"}});
  EXPECT_FALSE(model.index(1, 0).data(Qt::ToolTipRole).isValid());

  std::vector<std::pair<int, int>> asked;
  model.SetRoleProvider([&asked](int row, int, int role) -> QVariant {
    asked.emplace_back(row, role);
    if (role == Qt::ToolTipRole) return QStringLiteral("tip %1").arg(row);
    return QIcon();
  });
  EXPECT_EQ(model.index(1, 0).data(Qt::ToolTipRole).toString(), "tip 1");
  EXPECT_TRUE(model.index(0, 0).data(Qt::DecorationRole).canConvert<QIcon>());
  // Any other role stays unanswered rather than reaching the provider.
  EXPECT_FALSE(model.index(0, 0).data(Qt::FontRole).isValid());
  EXPECT_EQ(asked,
            (std::vector<std::pair<int, int>>{{1, Qt::ToolTipRole}, {0, Qt::DecorationRole}}));
}

// A long run of edits against a plain list of strings: every text must stay exact while
// replaced and removed texts pile up in the column's buffer and are dropped again.
void RunEdits(EntryListModel& model, QStringList& expected) {
  std::mt19937 random(11);
  const auto text = [&random] {
    return QString(static_cast<int>(random() % 120), QChar(u"a\u00e9\u4e2d"[random() % 3]));
  };
  for (int step = 0; step < 4000; ++step) {
    const int count = static_cast<int>(expected.size());
    const int row = count > 0 ? static_cast<int>(random() % count) : 0;
    switch (random() % 5) {
      case 0: {
        const QString added = text();
        model.Append({EntryTexts{added.toStdString()}});
        expected << added;
        break;
      }
      case 1:
        if (count == 0) break;
        expected[row] = text();
        ASSERT_TRUE(model.setData(model.index(row, 0), expected[row]));
        break;
      case 2:
        if (count == 0) break;
        ASSERT_TRUE(model.removeRows(row, 1));
        expected.removeAt(row);
        break;
      case 3:
        ASSERT_TRUE(model.insertRows(row, 1));
        expected.insert(row, QString());
        break;
      default:
        if (count < 3 || row + 1 >= count) break;
        ASSERT_TRUE(model.moveRows({}, row, 1, {}, count));
        expected.move(row, count - 1);
        break;
    }
  }
  ASSERT_GT(expected.size(), 100);
  EXPECT_EQ(Column(model, 0), expected);
}

// A file of ports: plain names, one that reading unquotes and one in Windows-1252.
void WritePorts(const test::TempDir& dir, int plain) {
  QByteArray bytes = "[Ports]\r\nNumPorts=" + QByteArray::number(plain + 2) + "\r\n";
  for (int n = 1; n <= plain; ++n) {
    bytes += "Port" + QByteArray::number(n) + "Name=Port number " + QByteArray::number(n) + "\r\n";
  }
  bytes += "Port" + QByteArray::number(plain + 1) + "Name=\"  Quoted  \"\r\n";
  bytes += "Port" + QByteArray::number(plain + 2) + "Name=Caf\xe9\r\n";
  dir.Write(QStringLiteral("QLN2.ini"), bytes);
}

QStringList PortNames(int plain) {
  QStringList names;
  for (int n = 1; n <= plain; ++n) names << QStringLiteral("Port number %1").arg(n);
  return names << QStringLiteral("  Quoted  ") << QStringLiteral("Caf\u00e9");
}

// The same edits over texts of the column's own and over views of the file's text.
TEST(EntryListModelTest, LongRunsOfEditsKeepEveryTextExact) {
  for (const bool fromFile : {false, true}) {
    const test::TempDir dir;
    WritePorts(dir, 150);
    ReadWrite ini;
    ini.SetFileName(dir.FilePath(QStringLiteral("QLN2.ini")).toStdString());
    EntryListModel model(1);
    QStringList expected;
    if (fromFile) {
      model.Append(Columns(ReadEntries(ini, KindOf(ListId::Ports), 152, kNameSuffix)));
      expected = PortNames(150);
      ASSERT_EQ(Column(model, 0), expected);
    }
    RunEdits(model, expected);
  }
}

// The entries read from the file are views of its text, and stay as read whatever the
// file does next: a value rewritten in place, a longer one, the text packed after many
// writes, a key that starts a section (the file parsed anew), another program's edit.
struct SharedCase {
  const char* name;
  std::function<void(ReadWrite&, const test::TempDir&)> change;
};

class SharedTextsTest : public testing::TestWithParam<SharedCase> {};

TEST_P(SharedTextsTest, StayAsReadWhileTheFileChanges) {
  const test::TempDir dir;
  WritePorts(dir, 3);
  ReadWrite ini;
  ini.SetFileName(dir.FilePath(QStringLiteral("QLN2.ini")).toStdString());
  const EntryTexts texts = ReadEntries(ini, KindOf(ListId::Ports), 5, kNameSuffix);
  const std::shared_ptr<const std::string> shared = ini.SharedText();
  ASSERT_TRUE(shared);
  EXPECT_EQ(texts.At(0).data(), shared->data() + shared->find("Port number 1"));

  GetParam().change(ini, dir);
  QStringList shown;
  for (int row = 0; row < texts.Count(); ++row)
    shown << QString::fromStdString(std::string(texts.At(row)));
  EXPECT_EQ(shown, PortNames(3));
  EXPECT_NE(ini.LoadWhole("Ports", "Port1Name"), "Port number 1");
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SharedTextsTest,
    testing::Values(SharedCase{"InPlace",
                               [](ReadWrite& ini, const test::TempDir&) {
                                 ini.Save("Ports", "Port1Name", "Port number 9");
                               }},
                    SharedCase{"Longer",
                               [](ReadWrite& ini, const test::TempDir&) {
                                 ini.Save("Ports", "Port1Name", "A much longer name than before");
                               }},
                    SharedCase{"Packed",
                               [](ReadWrite& ini, const test::TempDir&) {
                                 for (int n = 0; n < 1000; ++n) {
                                   ini.Save("Ports", "Port1Name", std::string(100 + n % 2, 'x'));
                                 }
                               }},
                    SharedCase{"ParsedAnew",
                               [](ReadWrite& ini, const test::TempDir&) {
                                 ini.Save("Ports", "[Port1Name", "x");
                                 ini.Save("Ports", "Port1Name", "Port number 9");
                               }},
                    SharedCase{"OutsideEdit",
                               [](ReadWrite&, const test::TempDir& dir) {
                                 dir.Write(QStringLiteral("QLN2.ini"),
                                           "[Ports]\r\nNumPorts=1\r\nPort1Name=Other\r\n");
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

// The setup dialogs edit a drop-down list through QComboBox's own calls.
TEST(EntryListModelTest, ComboBoxCallsEditTheModel) {
  QComboBox list;
  auto* model = new EntryListModel(1, &list);
  list.setModel(model);
  model->Append({{"a", "b", "[None]"}});
  list.insertItem(1, QStringLiteral("new"));
  list.setItemText(0, QStringLiteral("A"));
  list.removeItem(2);
  EXPECT_EQ(Column(*model, 0), (QStringList{"A", "new", "[None]"}));
  list.addItem(QStringLiteral("last"));
  EXPECT_EQ(list.itemText(3), "last");
}

}  // namespace
}  // namespace quillon
