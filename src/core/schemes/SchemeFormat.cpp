#include "core/schemes/SchemeFormat.h"

#include <filesystem>

#include "core/files/PathHelpers.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/NumberConversion.h"

namespace quillon {

std::string SchemeSectionName(std::string_view path) {
  return FileNameOf(path) + std::string(kSchemeSectionSuffix);
}

std::vector<std::string> SchemeTemplateLines(std::string_view section) {
  std::string header(1, '[');
  header.append(section).append(1, ']');
  std::vector<std::string> lines{header};
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Scheme)) {
    if (option->addedLater) continue;
    lines.push_back(std::string(option->key) + "=" + option->schemeDefault);
  }
  lines.push_back(std::string(scheme::kNumFiles) + "=0");
  lines.emplace_back();
  return lines;
}

std::optional<std::string> WriteScheme(ReadWrite& schemeFile, const std::string& path,
                                       const LaunchOptionValues& options,
                                       const std::vector<CustomFile>& files) {
  schemeFile.SetFileName(path);
  const std::string section = SchemeSectionName(path);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    try {
      schemeFile.Create(SchemeTemplateLines(section));
    } catch (const IniWriteError& error) {
      return error.what();
    }
  }
  const auto save = [&](std::string_view key, std::string_view value) {
    schemeFile.Save(section, key, value);
  };
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Scheme)) {
    const std::string value = options.Text(option->id);
    // Only what differs from what the file holds: a scheme with the added options at their
    // defaults is the file an earlier copy wrote.
    if (option->addedLater &&
        !NeedsWrite(*option, schemeFile.LoadWhole(section, option->key), value)) {
      continue;
    }
    save(option->key, value);
  }
  const int count = static_cast<int>(files.size());
  save(scheme::kNumFiles, std::to_string(count));
  const ListKind& fileList = KindOf(ListId::Files);
  for (int n = 1; n <= count; ++n) {
    const CustomFile& file = files[static_cast<std::size_t>(n - 1)];
    save(NameKey(fileList, n), file.name);
    save(FileKey(fileList, n), file.location);
  }
  // A scheme is saved once, at the user's word: a failure is told now, not retried.
  return schemeFile.WriteOrDiscard();
}

SchemeReader::SchemeReader(ReadWrite& schemeFile, const std::string& path)
    : file_(schemeFile), section_(SchemeSectionName(path)) {
  file_.SetFileName(path);
}

std::string SchemeReader::Text(std::string_view key) const {
  return file_.LoadWhole(section_, key);
}

std::optional<bool> SchemeReader::Flag(std::string_view key) const {
  const auto value = Number(key);
  if (!value) return std::nullopt;
  return *value != 0;
}

std::optional<std::int16_t> SchemeReader::Number(std::string_view key) const {
  return ToInt16(Text(key));
}

}  // namespace quillon
