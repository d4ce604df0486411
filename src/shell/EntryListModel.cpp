#include "shell/EntryListModel.h"

#include <algorithm>

namespace quillon {

EntryListModel::EntryListModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(static_cast<std::size_t>(std::max(1, columns))) {}

void EntryListModel::Reset(std::vector<QStringList> columns) {
  columns.resize(columns_.size());
  beginResetModel();
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    columns_[c] = std::move(columns[c]);
    columns_[c].resize(columns_.front().size());
  }
  endResetModel();
}

void EntryListModel::Append(std::vector<QStringList> columns) {
  columns.resize(columns_.size());
  const int added = static_cast<int>(columns.front().size());
  if (added == 0) return;
  const int first = Count();
  beginInsertRows({}, first, first + added - 1);
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    columns[c].resize(added);
    columns_[c].append(std::move(columns[c]));
  }
  endInsertRows();
}

void EntryListModel::SetRoleProvider(RoleProvider provider) {
  provider_ = std::move(provider);
  if (Count() > 0) ProvidedRolesChanged(0, Count() - 1);
}

void EntryListModel::ProvidedRolesChanged(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  if (first > last) return;
  emit dataChanged(index(first, 0), index(last, columnCount() - 1),
                   {Qt::ToolTipRole, Qt::DecorationRole});
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int EntryListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return Text(index.row(), index.column());
    case Qt::ToolTipRole:
    case Qt::DecorationRole:
      return provider_ ? provider_(index.row(), index.column(), role) : QVariant();
    default:
      return {};
  }
}

bool EntryListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return false;
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return false;
  }
  QString& text = columns_[index.column()][index.row()];
  QString changed = value.toString();
  if (text == changed) return true;
  text = std::move(changed);
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool EntryListModel::insertRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || count < 1 || row < 0 || row > Count()) return false;
  beginInsertRows({}, row, row + count - 1);
  for (QStringList& column : columns_) column.insert(row, count, QString());
  endInsertRows();
  return true;
}

bool EntryListModel::removeRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || count < 1 || row < 0 || row + count > Count()) return false;
  beginRemoveRows({}, row, row + count - 1);
  for (QStringList& column : columns_) column.remove(row, count);
  endRemoveRows();
  return true;
}

// destinationChild is the row the block goes before, counted before the move.
bool EntryListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                              const QModelIndex& destinationParent, int destinationChild) {
  if (sourceParent.isValid() || destinationParent.isValid() || count < 1 || sourceRow < 0 ||
      sourceRow + count > Count() || destinationChild < 0 || destinationChild > Count()) {
    return false;
  }
  if (destinationChild >= sourceRow && destinationChild <= sourceRow + count) return false;
  if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild)) return false;
  for (QStringList& column : columns_) {
    const auto first = column.begin() + sourceRow;
    const auto last = first + count;
    if (destinationChild < sourceRow) {
      std::rotate(column.begin() + destinationChild, first, last);
    } else {
      std::rotate(first, last, column.begin() + destinationChild);
    }
  }
  endMoveRows();
  return true;
}

}  // namespace quillon
