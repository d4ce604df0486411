#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class IniFileHandle;

// Raised by ReadWrite::Create when the new file cannot be written; what() says why.
class IniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stands for one INI file. Every object bound to the same path shares one cached copy
// of it (see IniCache.h), so each sees the others' writes and any outside edit at once.
class ReadWrite {
 public:
  ReadWrite();
  ~ReadWrite();
  ReadWrite(const ReadWrite&) = delete;
  ReadWrite& operator=(const ReadWrite&) = delete;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& strNewName);

  // The value of the key, blanks and one pair of enclosing quotes removed, at most 254
  // characters; empty when the file, the section or the key is missing.
  // Bytes that are not valid UTF-8 are read as Windows-1252, so the result is UTF-8.
  std::string Load(std::string_view strSection, std::string_view strLine) const;

  // As Load, without the cut: the whole value, for everything that names a file, goes on a
  // command line or is written back later.
  std::string LoadWhole(std::string_view strSection, std::string_view strLine) const;

  // As LoadWhole, without a copy: a view of the file's text as the document holds it, valid
  // until the next call on this file, or of `converted` where reading changed the bytes.
  // Where the view lies inside SharedText(), holding that keeps it valid for good.
  std::string_view LoadWholeView(std::string_view strSection, std::string_view strLine,
                                 std::string& converted) const;
  // LoadWholeView of each key prefix + n + suffix, n from 1 to count, in order, read in one
  // pass over the section: take(view), the view valid during the call. The prefix and
  // suffix are names as the file holds them: no '=', no line break, no blank at the ends;
  // the suffix starts with no digit.
  void LoadWholeNumbered(std::string_view strSection, std::string_view prefix,
                         std::string_view suffix, int count,
                         const std::function<void(std::string_view)>& take) const;
  // The file's text as read, shared with whoever holds it: see LoadWholeView. Null without
  // a file name.
  std::shared_ptr<const std::string> SharedText() const;

  // As LoadWhole, the bytes left as they are stored: a file's path, as the file system knows
  // it, where Load and LoadWhole would show text from Windows as Windows-1252.
  std::string LoadBytes(std::string_view strSection, std::string_view strLine) const;

  // The stored text after the key's '=', exactly as it stands (no trimming, unquoting,
  // cutting or conversion); empty when the key is missing. For moving values between keys
  // unchanged.
  std::string LoadRaw(std::string_view strSection, std::string_view strLine) const;

  // Sets the key: in place when it exists, else at the end of its section, else in a new
  // section at the end of the file. Never reports a failure. Text that Load converted from
  // Windows-1252 keeps its stored bytes when saved back unchanged.
  void Save(std::string_view strSection, std::string_view strLine, std::string_view strInput);

  // Sets the key to text exactly as LoadRaw gave it, for moving values between keys.
  void SaveRaw(std::string_view strSection, std::string_view strLine, std::string_view strStored);

  // Gives key `to` the stored text of key `from` (empty when it is missing), as
  // SaveRaw(to, LoadRaw(from)) would, without copying the text out. With
  // Move::WhenDifferent nothing happens while both read the same, so an entry that has
  // neither key gets none.
  enum class Move { Always, WhenDifferent };
  void MoveRaw(std::string_view strSection, std::string_view strFrom, std::string_view strTo,
               Move when = Move::Always);

  // MoveRaw of each key prefix + (n + 1) + suffix to prefix + n + suffix, for n from
  // `first` to `last - 1` and each n's keys in the order given: a list's later entries
  // moved down one number, their keys found in one pass over the section. The prefix and
  // suffixes as for LoadWholeNumbered; the prefix does not start with '['.
  struct NumberedKey {
    std::string_view suffix;
    Move when;
  };
  void MoveNumberedDown(std::string_view strSection, std::string_view prefix,
                        std::span<const NumberedKey> keys, int first, int last);

  // Replaces the whole file with these lines, each followed by CR LF.
  // Throws IniWriteError when the file cannot be written.
  void Create(const std::vector<std::string>& list);

  // Writes this file's unwritten changes now rather than at the end of the event. Changes
  // that cannot be written are dropped instead of being tried again at every later flush
  // (the next read sees the file as it is on disk), and the reason is returned.
  std::optional<std::string> WriteOrDiscard();

 private:
  std::string fileName_;
  std::shared_ptr<IniFileHandle> file_;
};

}  // namespace quillon
