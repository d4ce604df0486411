#include "ui/desktop/EntryListModel.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "core/settings/ConfigLayout.h"
#include "core/settings/LargeBuffers.h"
#include "core/settings/ReadWrite.h"

namespace quillon {

EntryTexts::EntryTexts(std::initializer_list<std::string_view> texts) {
  for (const std::string_view text : texts) Add(text);
}

namespace {

// A span's begin is 32 bits, counted over the shared text and then the column's own bytes.
constexpr std::size_t kLargestShared = std::numeric_limits<std::uint32_t>::max() / 2;

}  // namespace

void EntryTexts::Share(std::shared_ptr<const std::string> text) {
  if (!spans_.empty() || !bytes_.empty() || !text || text->size() > kLargestShared) return;
  sharedSize_ = static_cast<std::uint32_t>(text->size());
  shared_ = std::move(text);
}

void EntryTexts::Reserve(int count) {
  ReserveNow(spans_, static_cast<std::size_t>(count));
}

EntryTexts::Span EntryTexts::Own(std::string_view text) {
  const Span span{static_cast<std::uint32_t>(sharedSize_ + bytes_.size()),
                  static_cast<std::uint32_t>(text.size())};
  bytes_.append(text);
  return span;
}

void EntryTexts::Add(std::string_view text) {
  if (shared_ && !text.empty()) {
    // Compared as addresses: a view of anything else is no part of the shared text.
    const auto begin = reinterpret_cast<std::uintptr_t>(shared_->data());
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    if (text.size() <= sharedSize_ && at >= begin && at - begin <= sharedSize_ - text.size()) {
      spans_.push_back(
          {static_cast<std::uint32_t>(at - begin), static_cast<std::uint32_t>(text.size())});
      return;
    }
  }
  spans_.push_back(Own(text));
}

bool EntryTexts::operator==(const EntryTexts& other) const {
  if (Count() != other.Count()) return false;
  for (int row = 0; row < Count(); ++row) {
    if (At(row) != other.At(row)) return false;
  }
  return true;
}

void EntryTexts::Set(int row, std::string_view text) {
  Span& span = spans_[static_cast<std::size_t>(row)];
  if (span.begin >= sharedSize_) unusedBytes_ += span.size;
  span = Own(text);
  DropUnusedBytes();
}

void EntryTexts::Resize(int count) {
  if (count > Count()) {
    InsertEmpty(Count(), count - Count());
    return;
  }
  const auto size = static_cast<std::size_t>(count);
  for (std::size_t row = size; row < spans_.size(); ++row) {
    if (spans_[row].begin >= sharedSize_) unusedBytes_ += spans_[row].size;
  }
  spans_.resize(size);
  DropUnusedBytes();
}

void EntryTexts::Append(EntryTexts&& more) {
  if (spans_.empty() && unusedBytes_ == 0) {
    *this = std::move(more);
    return;
  }
  spans_.reserve(spans_.size() + more.spans_.size());
  for (int row = 0; row < more.Count(); ++row) Add(more.At(row));
}

void EntryTexts::InsertEmpty(int row, int count) {
  spans_.insert(spans_.begin() + row, static_cast<std::size_t>(count), Own({}));
}

void EntryTexts::Remove(int row, int count) {
  const auto first = spans_.begin() + row;
  for (auto it = first; it != first + count; ++it) {
    if (it->begin >= sharedSize_) unusedBytes_ += it->size;
  }
  spans_.erase(first, first + count);
  DropUnusedBytes();
}

void EntryTexts::Move(int first, int last, int destination) {
  const auto begin = spans_.begin();
  if (destination < first) {
    std::rotate(begin + destination, begin + first, begin + last);
  } else {
    std::rotate(begin + first, begin + last, begin + destination);
  }
}

void EntryTexts::DropUnusedBytes() {
  if (!WorthPacking(unusedBytes_, bytes_.size())) return;
  std::string kept;
  kept.reserve(bytes_.size() - unusedBytes_);
  for (Span& span : spans_) {
    if (span.begin < sharedSize_) continue;
    const auto begin = static_cast<std::uint32_t>(sharedSize_ + kept.size());
    kept.append(bytes_, span.begin - sharedSize_, span.size);
    span.begin = begin;
  }
  bytes_ = std::move(kept);
  unusedBytes_ = 0;
}

EntryTexts ReadEntries(const ReadWrite& ini, const ListKind& kind, int count,
                       std::string_view suffix, int spare) {
  EntryTexts texts;
  texts.Share(ini.SharedText());
  texts.Reserve(count + spare);
  ini.LoadWholeNumbered(kind.section, kind.prefix, suffix, count,
                        [&texts](std::string_view value) { texts.Add(value); });
  return texts;
}

QString WithAside(const QString& text, const QString& aside) {
  if (aside.isEmpty()) return text;
  return text + QStringLiteral(" (") + aside + u')';
}

QString AsideDelegate::Shown(const QModelIndex& index) {
  return WithAside(index.data(Qt::DisplayRole).toString(), index.data(kAsideRole).toString());
}

void AsideDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  const QString aside = WithAside({}, index.data(kAsideRole).toString());
  if (aside.isEmpty()) return;
  // A row too narrow for both cuts the name, so that the aside stays whole.
  const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, option, option->widget) + 1;
  const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, option, option->widget);
  const int room = text.width() - 2 * margin - option->fontMetrics.horizontalAdvance(aside);
  const QString name = option->rect.isValid()
                           ? option->fontMetrics.elidedText(option->text, Qt::ElideRight, room)
                           : option->text;
  option->text = name + aside;
}

EntryListModel::EntryListModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(static_cast<std::size_t>(std::max(1, columns))) {}

void EntryListModel::Reset(std::vector<EntryTexts> columns) {
  columns.resize(columns_.size());
  beginResetModel();
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    columns_[c] = std::move(columns[c]);
    columns_[c].Resize(columns_.front().Count());
  }
  endResetModel();
}

bool EntryListModel::Adopt(std::vector<EntryTexts>& columns) {
  if (columns.size() != columns_.size()) return false;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (!(columns[c] == columns_[c])) return false;
  }
  columns_ = std::move(columns);
  return true;
}

void EntryListModel::Append(std::vector<EntryTexts> columns) {
  columns.resize(columns_.size());
  const int added = columns.front().Count();
  if (added == 0) return;
  const int first = Count();
  beginInsertRows({}, first, first + added - 1);
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    columns[c].Resize(added);
    columns_[c].Append(std::move(columns[c]));
  }
  endInsertRows();
}

QString EntryListModel::Text(int row, int column) const {
  const std::string_view text = Utf8(row, column);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
                   {Qt::ToolTipRole, Qt::DecorationRole, kAsideRole});
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
    case kAsideRole:
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
  const std::string changed = value.toString().toStdString();
  EntryTexts& column = columns_[static_cast<std::size_t>(index.column())];
  if (column.At(index.row()) == changed) return true;
  column.Set(index.row(), changed);
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
  for (EntryTexts& column : columns_) column.InsertEmpty(row, count);
  endInsertRows();
  return true;
}

bool EntryListModel::removeRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || count < 1 || row < 0 || row + count > Count()) return false;
  beginRemoveRows({}, row, row + count - 1);
  for (EntryTexts& column : columns_) column.Remove(row, count);
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
  for (EntryTexts& column : columns_) column.Move(sourceRow, sourceRow + count, destinationChild);
  endMoveRows();
  return true;
}

}  // namespace quillon
