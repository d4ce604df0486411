#pragma once

// Internal to the settings engine: the parsed form of one INI file, and the entry points
// of the shared cache that ReadWrite forwards to. Nothing outside src/settings uses this.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon {

// Section and key names compare without regard to ASCII letter case. Both functors are
// transparent so that lookups by string_view allocate nothing.
struct AsciiCaseHash {
  using is_transparent = void;
  // Deliberately not noexcept: libstdc++ then stores each node's hash instead of hashing
  // the neighbouring keys again on every lookup, which costs more than the extra word.
  std::size_t operator()(std::string_view text) const;
};
struct AsciiCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// An INI file kept as its original lines, so that everything not written through Set is
// reproduced byte for byte, plus an index from names to lines.
//
// A file of 32 766 entries per list has a quarter of a million lines, so a line costs no
// allocation of its own: the text lives in one buffer (the file's bytes, then the text of
// every line written since) and a line is a span of it. Each section's key index is one
// open-addressed table of line numbers, built at the section's first lookups: a file read
// only for its lists (NumberedRawValues) never needs it.
class IniDocument {
 public:
  static IniDocument Parse(std::string bytes);
  std::string Serialize() const;
  // The same bytes as Serialize, as views of the document's own text in order (lines that
  // lie one after another in it make one piece). Valid until the next Set.
  std::vector<std::string_view> Pieces() const;

  // The text after the first '=' of the key's line, untouched; nullopt when the section
  // or the key is missing. Valid until the next Set.
  std::optional<std::string_view> RawValue(std::string_view section, std::string_view key) const;
  // RawValue of each key prefix + n + suffix, n from 1 to count, found in one pass over the
  // section's lines: values[n - 1], an empty view where the key is missing. The prefix and
  // suffix hold no '=', no line break and no blank at the key's ends, and the suffix starts
  // with no digit.
  std::vector<std::string_view> NumberedRawValues(std::string_view section, std::string_view prefix,
                                                  std::string_view suffix, int count) const;
  // NumberedRawValues, each value as WholeValueView reads it; `converted` keeps the text of
  // those that reading changed (a deque: its strings never move).
  std::vector<std::string_view> NumberedWholeValues(std::string_view section,
                                                    std::string_view prefix,
                                                    std::string_view suffix, int count,
                                                    std::deque<std::string>& converted) const;
  // Walks for NumberedWholeValues now, up to `count`: the first call asking for the same
  // keys up to no more than that takes the values, unless the document changed before.
  void WalkAhead(std::string_view section, std::string_view prefix, std::string_view suffix,
                 int count);

  // The file's text as read (or as last packed). A view from RawValue that lies in it stays
  // valid and unchanged for as long as the pointer is held, whatever the document does
  // meanwhile: while anyone else holds it, no value is written into it in place.
  std::shared_ptr<const std::string> SharedText() const { return file_; }

  // Replaces the value in place, or adds the key at the end of its section, or appends
  // the section. The names must already be trimmed and every text free of CR and LF.
  // Returns false, changing nothing, when the key already holds exactly `value`, or (with
  // Legacy::Keep) legacy text that reads back as `value` does.
  enum class Legacy { Replace, Keep };
  bool Set(std::string_view section, std::string_view key, std::string_view value,
           Legacy legacy = Legacy::Replace);
  // Sets `to` to the value `from` holds ("" when it is missing), as Set would, each key
  // looked up once. Unless `always`, Skipped when `to` reads that value already.
  enum class Moved { Skipped, Unchanged, Changed };
  Moved Move(std::string_view section, std::string_view from, std::string_view to, bool always,
             Legacy legacy = Legacy::Replace);
  // Move of each key prefix + (n + 1) + suffix to prefix + n + suffix, for n from `first`
  // to `last - 1` and each n's keys in the order given: a list's later entries moved down
  // one number. The keys' lines are found in one pass over the section. The prefix and
  // suffixes as for NumberedRawValues, and the prefix does not start with '['. The moves'
  // results, in the order made.
  struct NumberedKey {
    std::string_view suffix;
    bool always;
  };
  std::vector<Moved> MoveNumberedDown(std::string_view section, std::string_view prefix,
                                      std::span<const NumberedKey> keys, int first, int last,
                                      Legacy legacy = Legacy::Replace);

 private:
  enum class Ending : std::uint8_t { None, CrLf, Lf, Cr };
  // Eight bytes: a file of four full lists has a quarter of a million of them. The start
  // has 40 bits (a terabyte); a length too long for its 22 bits (a line of 4 MiB or more)
  // is kept in longSizes_, under the line's start. Lines are made by MakeLine and measured
  // by SizeOf.
  struct Line {
    // In file_, then added_; without the line ending.
    std::uint64_t Begin() const { return begin; }
    void SetBegin(std::uint64_t start) { begin = start; }

    std::uint64_t begin : 40 = 0;
    std::uint64_t size : 22 = 0;
    Ending ending : 2 = Ending::CrLf;
  };
  static_assert(sizeof(Line) == 8);
  static constexpr std::uint64_t kLongLine = (std::uint64_t{1} << 22) - 1;

  // Keys to line numbers of one section, found through the line's own text. Linear
  // probing over a table kept at most two thirds full. A slot is four bytes: 0 when
  // empty, else the line number plus one in its low bits (as many as the section's lines
  // need) and the top bits of the key's hash above them, which spare most comparisons.
  class KeyIndex {
   public:
    // Room for `keys` keys on lines numbered below `lines`.
    void Reserve(std::size_t keys, std::size_t lines, const IniDocument& document,
                 const std::vector<Line>& texts);
    // Adds the line under its key unless the key is there already: the first one wins.
    void Add(std::uint32_t hash, std::uint32_t line, std::string_view key,
             const IniDocument& document, const std::vector<Line>& lines);
    std::optional<std::uint32_t> Find(std::uint32_t hash, std::string_view key,
                                      const IniDocument& document,
                                      const std::vector<Line>& lines) const;
    // True once two lines of the section have had the same key (only the first counts).
    bool HasDuplicates() const { return duplicates_; }

   private:
    std::uint32_t LineMask() const;
    std::size_t Home(std::uint32_t hash) const;
    std::size_t Next(std::size_t slot) const;
    void Place(std::uint32_t hash, std::uint32_t line);
    std::vector<std::uint32_t> slots_;
    unsigned lineBits_ = 0;
    std::size_t used_ = 0;
    bool duplicates_ = false;
  };

  struct Section {
    std::vector<Line> lines;     // lines[0] is the header, except in the leading section
    std::size_t contentEnd = 0;  // one past the last non-blank line: where new keys go
    // Built at need by a lookup (FindKey), as indexing every line in order would build it;
    // until then lookups read the lines, and count them here.
    mutable KeyIndex keys;
    mutable bool indexed = false;
    mutable std::size_t scannedLines = 0;
  };
  // Lookups in a section that is not indexed may read this many times its lines in all.
  static constexpr std::size_t kLinesScannedBeforeIndexing = 4;

  Line MakeLine(std::uint64_t begin, std::size_t size, Ending ending);
  std::size_t SizeOf(const Line& line) const {
    return line.size != kLongLine ? line.size : longSizes_.at(line.Begin());
  }
  void SetSize(Line& line, std::size_t size) { line = MakeLine(line.Begin(), size, line.ending); }
  // Inlined always: GCC's choice for this hot accessor flipped with unrelated edits
  // elsewhere in IniDocument.cpp, and a call costs a list's renumbering a tenth more.
  [[gnu::always_inline]] std::string_view TextOf(const Line& line) const {
    const std::uint64_t begin = line.Begin();
    return begin < file_->size()
               ? std::string_view(*file_).substr(begin, SizeOf(line))
               : std::string_view(added_).substr(begin - file_->size(), SizeOf(line));
  }
  // Where a line's text may be overwritten: not in the file's text while it is shared.
  char* WritableTextOf(const Line& line) {
    const std::uint64_t begin = line.Begin();
    if (begin >= file_->size()) return added_.data() + (begin - file_->size());
    return file_.use_count() == 1 ? file_->data() + begin : nullptr;
  }
  std::string_view KeyOf(const Line& line) const;
  // NumberedRawValues and NumberedWholeValues (without a walk made ahead), for no more
  // entries than the section has lines, or up to the last entry found.
  std::vector<std::string_view> RawValuesFound(std::string_view section, std::string_view prefix,
                                               std::string_view suffix, int count) const;
  std::vector<std::string_view> WholeValuesFound(std::string_view section, std::string_view prefix,
                                                 std::string_view suffix, int count,
                                                 std::deque<std::string>& converted) const;
  // The first section of that name, and the line of the key in it.
  std::optional<std::size_t> FindSection(std::string_view name) const;
  std::optional<std::uint32_t> FindKey(std::size_t sectionNumber, std::string_view key) const;
  static std::string_view EndingText(Ending ending);
  template <class Take>
  static void ForEachLine(std::string_view text, std::size_t from, Take take);
  // Stores the text of a new line, `head` then `tail`; it is placed by the caller.
  Line Store(std::string_view head, std::string_view tail, Ending ending);
  Line Store(std::string_view text, Ending ending) { return Store(text, {}, ending); }
  // Whether the text lies in added_, which a Store may move.
  bool InAdded(std::string_view text) const {
    const std::less_equal<const char*> notAfter;
    return notAfter(added_.data(), text.data()) &&
           notAfter(text.data(), added_.data() + added_.size());
  }
  // Set, in a section found and with the key's line looked up already.
  bool SetIn(std::size_t sectionNumber, std::optional<std::uint32_t> index, std::string_view key,
             std::string_view value, Legacy legacy);
  std::string_view ValueOf(std::size_t sectionNumber, std::optional<std::uint32_t> index) const;
  // Places a line at the end, as the parser would: a header starts a section.
  void AddLine(const Line& line);
  void StartSection(std::string_view name);
  // Takes a line added to the section into its content and, once the section is indexed,
  // into its index.
  void IndexLine(std::size_t sectionNumber, std::size_t index);
  // The single step of indexing a line. Whether a section is indexed as its lines come or
  // all at once later, in order, the index is the one a fresh parse would come to.
  void IndexKey(const Section& section, std::size_t index) const;
  void IndexKeys(const Section& section) const;
  Line* LastLine();
  void Compact();

  // Line texts: the file's bytes as read, then the text of every line added or written
  // since, each followed by its ending as in the file. A line that no longer fits where it
  // was leaves its old bytes unused. The file's bytes may be shared (SharedText); they are
  // then only read.
  std::shared_ptr<std::string> file_ = std::make_shared<std::string>();
  // The length of each line of 4 MiB or more, by its start (some may be lines no longer
  // held: the next Compact drops them).
  std::unordered_map<std::uint64_t, std::uint32_t> longSizes_;
  std::string added_;
  std::size_t unusedBytes_ = 0;
  // A UTF-8 byte-order mark before the first line: no part of any line, written back.
  bool byteOrderMark_ = false;
  // sections_[0] holds the lines before the first header; it is never looked up.
  std::vector<Section> sections_ = std::vector<Section>(1);
  std::unordered_map<std::string, std::size_t, AsciiCaseHash, AsciiCaseEqual> sectionIndex_;
  // Where the last two keys were found. Keys are mostly read in the file's order: a list's
  // entries one after another, or only their names, or (a list renumbered) each entry's
  // keys read from the next entry and written to this one. So the next lookup first tries
  // the line as far on again from the last, then the line after the one before it. Only a
  // hint: the line's own text decides, and a section with a key twice is always looked up.
  mutable std::size_t lastSection_ = 0;
  // The section found last and its name, as its first header has it.
  mutable std::size_t foundSection_ = 0;
  mutable std::string foundSectionName_;
  mutable std::array<std::size_t, 2> lastLines_{};
  // The walks made ahead, each until it is taken or the document changes.
  struct Walk {
    std::string section, prefix, suffix;
    int limit;                             // the entries walked: 1 to limit
    std::vector<std::string_view> values;  // as many as the section's lines, at most
    std::deque<std::string> converted;
  };
  mutable std::vector<Walk> walked_;
};

// What Load makes of a raw value: blanks trimmed, one pair of enclosing quotes dropped,
// cut to 254 characters without splitting a UTF-8 sequence, and each byte that is not
// part of valid UTF-8 read as Windows-1252 (files made on Windows), so the result is UTF-8.
std::string ValueForLoad(std::string_view raw);

// What LoadWhole makes of a raw value: the same, never cut.
std::string WholeValue(std::string_view raw);

// The same as a view: of `raw` itself, or of `converted` where bytes had to be read as
// Windows-1252.
std::string_view WholeValueView(std::string_view raw, std::string& converted);

// What LoadBytes makes of a raw value: trimmed and unquoted, never cut or converted.
std::string WholeBytes(std::string_view raw);

// The text to store so that the reading rules give `value` back whole: a value with blanks
// at its ends, or enclosed in a pair of quotes, gets one more pair of double quotes, which
// reading drops. Any other value is stored as it is, as it always was.
std::string StoredFormOf(std::string_view value);

// True when the stored text is not UTF-8 and reads back as `stored` would, or as Load's
// cut of it does.
bool IsLegacyTextOf(std::string_view raw, std::string_view stored);

// Written text must not carry line breaks: each CR and LF becomes a blank.
std::string WithoutLineBreaks(std::string_view text);
// Whether the text holds a CR or LF.
bool HoldsLineBreak(std::string_view text);

// An entry's key, prefix + n + suffix (n in decimal), with one allocation at most: a start
// with full lists reads a quarter of a million of them. Appended to `out`, or made anew.
void AppendEntryKey(std::string& out, std::string_view prefix, int n, std::string_view suffix);
std::string EntryKey(std::string_view prefix, int n, std::string_view suffix);

// Names as the file would read them back: line breaks blanked, blanks trimmed.
std::string CleanName(std::string_view name);

class IniFileHandle;

// The shared cache (IniCache.cpp). One handle per normalized absolute path.
namespace detail {
std::shared_ptr<IniFileHandle> OpenCachedFile(const std::string& fileName);
std::string CachedLoad(IniFileHandle& file, std::string_view section, std::string_view key);
std::string CachedLoadRaw(IniFileHandle& file, std::string_view section, std::string_view key);
std::string_view CachedLoadWholeView(IniFileHandle& file, std::string_view section,
                                     std::string_view key, std::string& converted);
void CachedLoadWholeNumbered(IniFileHandle& file, std::string_view section, std::string_view prefix,
                             std::string_view suffix, int count,
                             const std::function<void(std::string_view)>& take);
std::shared_ptr<const std::string> CachedSharedText(IniFileHandle& file);
void CachedSave(IniFileHandle& file, std::string_view section, std::string_view key,
                std::string_view value);
void CachedMoveRaw(IniFileHandle& file, std::string_view section, std::string_view from,
                   std::string_view to, bool always);
void CachedMoveNumberedDown(IniFileHandle& file, std::string_view section, std::string_view prefix,
                            std::span<const IniDocument::NumberedKey> keys, int first, int last);
// Throws IniWriteError; on failure the cached state stays as it was.
void CachedCreate(IniFileHandle& file, std::string bytes);
std::optional<std::string> CachedWriteOrDiscard(IniFileHandle& file);
}  // namespace detail

}  // namespace quillon
