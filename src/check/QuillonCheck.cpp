#include "check/QuillonCheck.h"

#include <algorithm>
#include <cstdio>

#include "core/files/PathHelpers.h"
#include "core/launch/PortProfiles.h"
#include "core/wad/WadAnalysis.h"

namespace quillon::check {

namespace {

constexpr const char* kUsage =
    "usage: quillon-check [--iwad FILE] [--port NAME]... [--require NAME]... [--json] FILE...\n";

struct Options {
  std::string iwad;
  std::vector<const PortProfile*> ports;
  std::vector<const PortProfile*> required;
  bool json = false;
  std::vector<std::string> files;
};

std::string KnownPorts() {
  std::string known;
  for (const PortProfile& profile : PortProfiles()) {
    known += (known.empty() ? "" : ", ") + std::string(profile.key);
  }
  return known;
}

// False, with the message written, when the command line is wrong.
bool ReadArguments(const std::vector<std::string>& args, Options& options, std::ostream& err,
                   bool& help) {
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.push_back(arg);
      continue;
    }
    // "--port=NAME" is "--port NAME", as in most GNU tools.
    const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
    const std::string option = arg.substr(0, equals);
    if (arg == "--") {
      filesOnly = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (option == "--iwad" || option == "--port" || option == "--require") {
      if (equals == std::string::npos && i + 1 >= args.size()) {
        err << "quillon-check: " << option << " needs a value\n" << kUsage;
        return false;
      }
      const std::string value = equals == std::string::npos ? args[++i] : arg.substr(equals + 1);
      if (value.empty()) {
        err << "quillon-check: " << option << " needs a value\n" << kUsage;
        return false;
      }
      if (option == "--iwad") {
        options.iwad = value;
        continue;
      }
      const PortProfile* profile = ProfileByKey(AsciiLower(value));
      if (profile == nullptr) {
        err << "quillon-check: no port is called \"" << value << "\"; known: " << KnownPorts()
            << "\n";
        return false;
      }
      auto& list = option == "--port" ? options.ports : options.required;
      if (std::find(list.begin(), list.end(), profile) == list.end()) list.push_back(profile);
    } else {
      err << "quillon-check: unknown option " << arg << "\n" << kUsage;
      return false;
    }
  }
  if (!help && options.files.empty()) {
    err << "quillon-check: no file to check\n" << kUsage;
    return false;
  }
  return true;
}

// Bytes in the well-formed UTF-8 character at text[i], or 0 where none starts.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  const std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and code points past U+10FFFF.
  const unsigned second = length > 1 ? byte(i + 1) : 0;
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return 0;
  }
  return length;
}

// A JSON string. Paths and titles are bytes: a byte that is not part of valid UTF-8 is read
// as Latin-1, so the output stays valid JSON (which is UTF-8) whatever a file holds.
std::string Json(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    const std::size_t length = Utf8Length(text, i);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20 || length == 0) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    ++i;
  }
  return out + "\"";
}

// A file that is there but not a WAD is checked (and fails); one that cannot be opened is a
// fault of the command line.
bool CannotOpen(const wad::WadNeeds& needs) {
  return needs.status == wad::WadStatus::kFileNotFound ||
         needs.status == wad::WadStatus::kUnreadable;
}

struct Checked {
  wad::WadNeeds needs;
  std::vector<std::pair<const PortProfile*, PortVerdict>> verdicts;
};

void WriteJson(const std::vector<Checked>& checked, std::ostream& out) {
  out << "{\"files\":[";
  for (std::size_t f = 0; f < checked.size(); ++f) {
    const wad::WadNeeds& needs = checked[f].needs;
    out << (f ? "," : "") << "{\"path\":" << Json(needs.path) << ",\"wad\":";
    if (needs.Ok()) {
      out << (needs.kind == wad::WadKind::kIwad ? "\"iwad\"" : "\"pwad\"");
    } else {
      out << "null,\"error\":" << Json(needs.error);
    }
    out << ",\"maps\":[";
    for (std::size_t m = 0; m < needs.maps.size(); ++m) {
      const wad::MapNeeds& map = needs.maps[m];
      out << (m ? "," : "") << "{\"name\":" << Json(map.name)
          << ",\"format\":" << Json(AsciiLower(wad::FormatWord(map.format)));
      if (map.format == wad::MapFormat::kUdmf) out << ",\"namespace\":" << Json(map.udmfNamespace);
      if (!map.title.empty()) out << ",\"title\":" << Json(map.title);
      out << "}";
    }
    out << "],\"features\":[";
    const std::vector<std::string> brings = wad::Brings(needs);
    for (std::size_t i = 0; i < brings.size(); ++i) out << (i ? "," : "") << Json(brings[i]);
    out << "],\"ports\":{";
    for (std::size_t p = 0; p < checked[f].verdicts.size(); ++p) {
      const auto& [profile, verdict] = checked[f].verdicts[p];
      out << (p ? "," : "") << Json(profile->key)
          << ":{\"verdict\":" << Json(VerdictWord(verdict.verdict)) << ",\"why\":[";
      for (std::size_t w = 0; w < verdict.why.size(); ++w) {
        out << (w ? "," : "") << Json(verdict.why[w]);
      }
      out << "]}";
    }
    out << "}}";
  }
  out << "]}\n";
}

void WriteTable(const std::vector<Checked>& checked, std::ostream& out) {
  for (const Checked& file : checked) {
    const wad::WadNeeds& needs = file.needs;
    out << needs.path << ": ";
    if (!needs.Ok()) {
      out << "not a readable WAD (" << needs.error << ")\n";
    } else {
      out << (needs.kind == wad::WadKind::kIwad ? "IWAD" : "PWAD") << ", " << needs.maps.size()
          << (needs.maps.size() == 1 ? " map" : " maps");
      for (std::size_t m = 0; m < needs.maps.size() && m < 8; ++m) {
        const wad::MapNeeds& map = needs.maps[m];
        out << (m ? ", " : ": ") << map.name << " (" << wad::FormatWord(map.format);
        if (!map.udmfNamespace.empty()) out << " " << map.udmfNamespace;
        out << ")";
        if (!map.title.empty()) out << " \"" << map.title << "\"";
      }
      if (needs.maps.size() > 8) out << " and " << needs.maps.size() - 8 << " more";
      const std::vector<std::string> brings = wad::Brings(needs);
      for (std::size_t i = 0; i < brings.size(); ++i) out << (i ? ", " : "; brings ") << brings[i];
      out << "\n";
    }
    for (const auto& [profile, verdict] : file.verdicts) {
      std::string key(profile->key);
      key.resize(std::max<std::size_t>(key.size(), 16), ' ');
      std::string word(VerdictWord(verdict.verdict));
      word.resize(9, ' ');
      if (verdict.why.empty()) {
        out << "  " << key << VerdictWord(verdict.verdict) << "\n";
        continue;
      }
      out << "  " << key << word;
      for (std::size_t w = 0; w < verdict.why.size(); ++w) {
        out << (w ? std::string(2 + key.size() + 9, ' ') : "") << verdict.why[w] << "\n";
      }
    }
  }
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  bool help = false;
  if (!ReadArguments(args, options, err, help)) return 2;
  if (help) {
    out << kUsage << "Says for each file whether each port will start its maps as made.\n"
        << "Ports: " << KnownPorts() << "\n";
    return 0;
  }
  wad::WadNeeds iwad;
  if (!options.iwad.empty()) {
    // Without a readable IWAD no texture could be checked: that is a wrong command line.
    iwad = wad::AnalyzeWadFile(options.iwad);
    if (!iwad.Ok()) {
      err << "quillon-check: --iwad " << options.iwad << ": " << iwad.error << "\n";
      return 2;
    }
  }
  std::vector<const PortProfile*> ports = options.ports;
  if (ports.empty()) {
    for (const PortProfile& profile : PortProfiles()) ports.push_back(&profile);
  }
  std::vector<Checked> checked;
  bool openFailed = false;
  bool requiredFails = false;
  for (const std::string& path : options.files) {
    Checked file{wad::AnalyzeWadFile(path), {}};
    if (CannotOpen(file.needs)) {
      err << "quillon-check: " << path << ": " << file.needs.error << "\n";
      openFailed = true;
      continue;
    }
    const std::vector<const wad::WadNeeds*> files = {&file.needs};
    const wad::WadNeeds* base = options.iwad.empty() ? nullptr : &iwad;
    for (const PortProfile* profile : ports) {
      file.verdicts.emplace_back(profile, Judge(*profile, files, base));
    }
    for (const PortProfile* profile : options.required) {
      if (Judge(*profile, files, base).verdict == Verdict::kFails) requiredFails = true;
    }
    checked.push_back(std::move(file));
  }
  if (options.json) {
    WriteJson(checked, out);
  } else {
    WriteTable(checked, out);
  }
  if (openFailed) return 2;
  return requiredFails ? 1 : 0;
}

}  // namespace quillon::check
