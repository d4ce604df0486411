#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillon {

// The entries behind a drop-down list or the custom file list: one string per entry and
// column, nothing else. A list of 32 766 entries costs its texts, not an item object per
// entry, and filling it is one reset that moves the texts in. Tooltips and icons are not
// stored: a provider, asked only for the rows a view shows, answers Qt::ToolTipRole and
// Qt::DecorationRole.
class EntryListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Answers a role other than the text for one cell; an invalid QVariant means none.
  using RoleProvider = std::function<QVariant(int row, int column, int role)>;

  explicit EntryListModel(int columns, QObject* parent = nullptr);

  // Replaces every entry; each column holds as many texts as the first.
  void Reset(std::vector<QStringList> columns);
  // Appends entries at the end; each column as many as the first.
  void Append(std::vector<QStringList> columns);

  const QString& Text(int row, int column = 0) const { return columns_[column].at(row); }
  int Count() const { return static_cast<int>(columns_.front().size()); }

  void SetRoleProvider(RoleProvider provider);
  // The provider's answers for these rows may have changed (a description read late).
  void ProvidedRolesChanged(int first, int last);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
  bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
  bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                const QModelIndex& destinationParent, int destinationChild) override;

 private:
  std::vector<QStringList> columns_;
  RoleProvider provider_;
};

}  // namespace quillon

namespace quillon {

// The entries behind a list control made with an EntryListModel.
template <class View>
EntryListModel* EntriesOf(const View* view) {
  return static_cast<EntryListModel*>(view->model());
}

}  // namespace quillon
