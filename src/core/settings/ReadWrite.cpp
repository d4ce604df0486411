#include "core/settings/ReadWrite.h"

#include <utility>

#include "core/settings/IniDocument.h"

namespace quillon {

ReadWrite::ReadWrite() = default;
ReadWrite::~ReadWrite() = default;

void ReadWrite::SetFileName(const std::string& strNewName) {
  fileName_ = strNewName;
  // No name, no file: reads give empty text and writes go nowhere.
  file_ = strNewName.empty() ? nullptr : detail::OpenCachedFile(strNewName);
}

std::string ReadWrite::Load(std::string_view strSection, std::string_view strLine) const {
  if (!file_) return {};
  return detail::CachedLoad(*file_, strSection, strLine);
}

std::string ReadWrite::LoadWhole(std::string_view strSection, std::string_view strLine) const {
  std::string converted;
  const std::string_view value = LoadWholeView(strSection, strLine, converted);
  // `converted` holds text only where reading had to change the bytes.
  return converted.empty() ? std::string(value) : std::move(converted);
}

std::string_view ReadWrite::LoadWholeView(std::string_view strSection, std::string_view strLine,
                                          std::string& converted) const {
  if (!file_) return {};
  return detail::CachedLoadWholeView(*file_, strSection, strLine, converted);
}

void ReadWrite::LoadWholeNumbered(std::string_view strSection, std::string_view prefix,
                                  std::string_view suffix, int count,
                                  const std::function<void(std::string_view)>& take) const {
  if (!file_) {
    for (int n = 0; n < count; ++n) take({});
    return;
  }
  detail::CachedLoadWholeNumbered(*file_, strSection, prefix, suffix, count, take);
}

std::shared_ptr<const std::string> ReadWrite::SharedText() const {
  if (!file_) return nullptr;
  return detail::CachedSharedText(*file_);
}

std::string ReadWrite::LoadBytes(std::string_view strSection, std::string_view strLine) const {
  if (!file_) return {};
  return WholeBytes(detail::CachedLoadRaw(*file_, strSection, strLine));
}

std::string ReadWrite::LoadRaw(std::string_view strSection, std::string_view strLine) const {
  if (!file_) return {};
  return detail::CachedLoadRaw(*file_, strSection, strLine);
}

void ReadWrite::Save(std::string_view strSection, std::string_view strLine,
                     std::string_view strInput) {
  if (!file_) return;
  // A line break would become a blank at the value's end, so it is blanked first.
  detail::CachedSave(*file_, strSection, strLine, StoredFormOf(WithoutLineBreaks(strInput)));
}

void ReadWrite::SaveRaw(std::string_view strSection, std::string_view strLine,
                        std::string_view strStored) {
  if (!file_) return;
  detail::CachedSave(*file_, strSection, strLine, strStored);
}

void ReadWrite::MoveRaw(std::string_view strSection, std::string_view strFrom,
                        std::string_view strTo, Move when) {
  if (!file_) return;
  detail::CachedMoveRaw(*file_, strSection, strFrom, strTo, when == Move::Always);
}

void ReadWrite::MoveNumberedDown(std::string_view strSection, std::string_view prefix,
                                 std::span<const NumberedKey> keys, int first, int last) {
  if (!file_) return;
  std::vector<IniDocument::NumberedKey> moved;
  moved.reserve(keys.size());
  for (const NumberedKey& key : keys) moved.push_back({key.suffix, key.when == Move::Always});
  detail::CachedMoveNumberedDown(*file_, strSection, prefix, moved, first, last);
}

void ReadWrite::Create(const std::vector<std::string>& list) {
  if (!file_) throw IniWriteError("no file name to create");
  std::string bytes;
  for (const std::string& line : list) {
    bytes += WithoutLineBreaks(line);
    bytes += "\r\n";
  }
  detail::CachedCreate(*file_, std::move(bytes));
}

std::optional<std::string> ReadWrite::WriteOrDiscard() {
  if (!file_) return std::nullopt;
  return detail::CachedWriteOrDiscard(*file_);
}

}  // namespace quillon
