#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

// The texts of one column, as UTF-8 in one buffer: a list of 32 766 entries costs one
// allocation and its bytes, not a string object per entry. Texts read from the settings
// file are not copied at all: given the file's shared text (Share), an entry that lies in
// it is kept as a span of it, and only other texts go to the column's own buffer.
class EntryTexts {
 public:
  EntryTexts() = default;
  EntryTexts(std::initializer_list<std::string_view> texts);

  // Texts added later that lie inside `text` are kept as views of it; the pointer keeps it.
  // Only before the first Add.
  void Share(std::shared_ptr<const std::string> text);
  // Room for `count` entries; the texts' buffer grows as they come.
  void Reserve(int count);
  void Add(std::string_view text);
  int Count() const { return static_cast<int>(spans_.size()); }
  std::string_view At(int row) const {
    const Span& span = spans_[static_cast<std::size_t>(row)];
    if (span.begin < sharedSize_) return std::string_view(shared_->data() + span.begin, span.size);
    return std::string_view(bytes_).substr(span.begin - sharedSize_, span.size);
  }
  // Whether every text equals the other's, row for row.
  bool operator==(const EntryTexts& other) const;

  void Set(int row, std::string_view text);
  void Resize(int count);
  void Append(EntryTexts&& more);
  void InsertEmpty(int row, int count);
  void Remove(int row, int count);
  // Moves rows [first, last) to before `destination`, which lies outside them.
  void Move(int first, int last, int destination);

 private:
  // Below sharedSize_ a span lies in the shared text, from there on in bytes_.
  struct Span {
    std::uint32_t begin = 0;
    std::uint32_t size = 0;
  };
  Span Own(std::string_view text);
  void DropUnusedBytes();

  std::shared_ptr<const std::string> shared_;
  std::uint32_t sharedSize_ = 0;
  std::string bytes_;
  std::vector<Span> spans_;
  std::size_t unusedBytes_ = 0;  // left behind by texts replaced or removed
};

struct ListKind;
class ReadWrite;

// The columns for EntryListModel, moved in: a braced list would copy each one, and a list
// of 32 766 entries is a quarter of a megabyte per column.
template <class... Texts>
std::vector<EntryTexts> Columns(Texts&&... texts) {
  std::vector<EntryTexts> columns;
  columns.reserve(sizeof...(texts));
  (columns.push_back(std::forward<Texts>(texts)), ...);
  return columns;
}

// Entries 1 to `count` of a list, each as LoadWhole reads its key prefix + entry + suffix
// (kNameSuffix, the kind's fileSuffix), with room for `spare` more: views of the file's
// shared text where it holds them as they read.
EntryTexts ReadEntries(const ReadWrite& ini, const ListKind& kind, int count,
                       std::string_view suffix, int spare = 0);

// A short text a view shows after an entry's own, in brackets: a port's family.
inline constexpr int kAsideRole = Qt::UserRole + 1;

// "GZDoom (ZDoom)"; the text alone when there is nothing aside.
QString WithAside(const QString& text, const QString& aside);

// The entries behind a drop-down list or the custom file list: one text per entry and
// column, nothing else. A list of 32 766 entries costs its texts, not an item object per
// entry, and filling it is one reset that moves the texts in. Tooltips, icons and the aside
// text are not stored: a provider, asked only for the rows a view shows, answers
// Qt::ToolTipRole, Qt::DecorationRole and kAsideRole.
class EntryListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Answers a role other than the text for one cell; an invalid QVariant means none.
  using RoleProvider = std::function<QVariant(int row, int column, int role)>;

  explicit EntryListModel(int columns, QObject* parent = nullptr);

  // Replaces every entry; each column holds as many texts as the first.
  void Reset(std::vector<EntryTexts> columns);
  // Appends entries at the end; each column as many as the first.
  void Append(std::vector<EntryTexts> columns);
  // Takes the same texts as the model holds, held elsewhere (a newer read of the file): no
  // view is told, since nothing it shows changes. False, taking nothing, when they differ.
  bool Adopt(std::vector<EntryTexts>& columns);
  // The texts of one column.
  const EntryTexts& Column(int column) const { return columns_[static_cast<std::size_t>(column)]; }

  QString Text(int row, int column = 0) const;
  std::string_view Utf8(int row, int column = 0) const {
    return columns_[static_cast<std::size_t>(column)].At(row);
  }
  int Count() const { return columns_.front().Count(); }

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
  std::vector<EntryTexts> columns_;
  RoleProvider provider_;
};

}  // namespace quillon

namespace quillon {

// Draws each row as WithAside(its text, its kAsideRole): the aside is asked for only when a
// row is painted, so a long list costs nothing more to fill.
class AsideDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  // What the row shows.
  static QString Shown(const QModelIndex& index);

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// The entries behind a list control made with an EntryListModel.
template <class View>
EntryListModel* EntriesOf(const View* view) {
  return static_cast<EntryListModel*>(view->model());
}

}  // namespace quillon
