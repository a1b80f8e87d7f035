#include "settings/settings_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"

namespace velto {

ConversionSettings g_settings;
std::string g_versionText;

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

IniFile LoadIni(const std::optional<std::string>& path) {
  if (!path) return {};
  const std::optional<std::string> content = ReadWholeFile(*path);
  return content ? IniFile::Parse(*content) : IniFile{};
}

std::filesystem::path FsPath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string EnvironmentText(const char* name) {
#ifdef _WIN32
  // The wide copy keeps letters outside the ANSI code page.
  const wchar_t* value = _wgetenv(Utf8ToWide(name).c_str());
  return value ? WideToUtf8(value) : std::string();
#else
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
#endif
}

std::string SettingsDirectoryOfProgram(const std::string& programDirectory) {
  return ChooseSettingsDirectory(programDirectory, UserSettingsDirectory(), CanCreateFilesIn(programDirectory));
}

}  // namespace

ConversionSettings DefaultConversionSettings() {
  ConversionSettings settings;
  std::string folder;
  ReadSettings(IniFile{}, settings, folder);
  return settings;
}

std::int32_t ParseSettingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a negative number so that the lowest value fits as well.
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < kLowest) value = kLowest - 1;  // saturated; further digits change nothing
  }
  if (negative) return value < kLowest ? std::numeric_limits<std::int32_t>::min() : static_cast<std::int32_t>(value);
  return -value > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                            : static_cast<std::int32_t>(-value);
}

std::optional<std::string> FileBesideProgram(std::string_view directory, std::string_view fileName) {
  if (directory.empty()) return std::nullopt;
  std::string path(directory);
  path.append(fileName);
  if (Utf8Length(path) > kSettingsPathLimit) return std::nullopt;
  return path;
}

bool CanCreateFilesIn(const std::string& directory) {
  if (directory.empty()) return false;
  const std::filesystem::path probe = FsPath(TemporaryPathFor(directory + "~velto-write-probe"));
  bool created = false;
  {
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    created = out.is_open();
  }
  if (!created) return false;
  // A folder where a file can be made but not removed again is no place to
  // replace option.ini in either.
  std::error_code error;
  return std::filesystem::remove(probe, error) && !error;
}

std::string UserSettingsDirectory() {
  std::string directory = EnvironmentText("APPDATA");
  if (directory.empty()) return {};
  if (directory.back() != kSeparator && directory.back() != '/') directory += kSeparator;
  directory.append(kUserSettingsFolderName);
  directory += kSeparator;
  return directory;
}

std::string ChooseSettingsDirectory(const std::string& programDirectory, const std::string& userDirectory,
                                    bool programDirectoryWritable) {
  if (programDirectoryWritable || userDirectory.empty()) return programDirectory;
  return userDirectory;
}

void ReadSettings(const IniFile& ini, ConversionSettings& settings, std::string& outputFolder) {
  for (const SettingKey& key : kSettingKeys) {
    const std::string text = ini.GetString(kSettingsSection, key.name, key.defaultText);
    if (key.field == nullptr) {
      outputFolder = Utf16Prefix(text, kOutputFolderLimit);
    } else {
      settings.*key.field = ParseSettingInteger(text);
    }
  }
}

void WriteSettings(IniFile& ini, const ConversionSettings& settings, std::string_view outputFolder) {
  for (const SettingKey& key : kSettingKeys) {
    if (key.field == nullptr) {
      ini.Set(kSettingsSection, key.name, Utf16Prefix(outputFolder, kOutputFolderLimit));
    } else {
      ini.Set(kSettingsSection, key.name, std::to_string(settings.*key.field));
    }
  }
}

void LoadSettingsFrom(const std::string& directory, ConversionSettings& settings,
                      std::string& outputFolder, std::string& versionText) {
  LoadSettingsFrom(directory, directory, settings, outputFolder, versionText);
}

void LoadSettingsFrom(const std::string& programDirectory, const std::string& settingsDirectory,
                      ConversionSettings& settings, std::string& outputFolder, std::string& versionText) {
  const IniFile version = LoadIni(FileBesideProgram(programDirectory, kVersionFileName));
  versionText = version.GetString(kVersionSection, kVersionKey, kDefaultVersionText);
  std::optional<std::string> settingsFile = FileBesideProgram(settingsDirectory, kSettingsFileName);
  if (settingsDirectory != programDirectory && !(settingsFile && PathExists(*settingsFile))) {
    settingsFile = FileBesideProgram(programDirectory, kSettingsFileName);
  }
  ReadSettings(LoadIni(settingsFile), settings, outputFolder);
}

std::string ReadEngineText(const std::string& programDirectory) {
  return LoadIni(FileBesideProgram(programDirectory, kVersionFileName)).GetString(kVersionSection, kEngineKey, "");
}

bool SaveSettingsTo(const std::string& directory, const ConversionSettings& settings,
                    std::string_view outputFolder, std::string* why) {
  const auto fail = [why](std::string_view reason) {
    if (why) *why = reason;
    return false;
  };
  const std::optional<std::string> path = FileBesideProgram(directory, kSettingsFileName);
  if (!path) return fail("The path is too long.");
  IniFile ini;
  if (const std::optional<std::string> existing = ReadWholeFile(*path)) {
    ini = IniFile::Parse(*existing);
  } else if (PathExists(*path)) {
    // There but unreadable: rewriting it would lose its other content.
    return fail("The file is there but cannot be read.");
  }
  WriteSettings(ini, settings, outputFolder);
  return ReplaceFileAtomically(*path, ini.Serialize(), why);
}

std::string SettingsSaveFailureText(const SettingsSaveFailure& failure) {
  return "The settings could not be saved to " + failure.path + ":\n" + failure.reason;
}

void LoadSettings(std::string& outputFolder) noexcept {
  try {
    const std::string programDirectory = ModuleDirectory();
    LoadSettingsFrom(programDirectory, SettingsDirectoryOfProgram(programDirectory), g_settings, outputFolder,
                     g_versionText);
  } catch (...) {
    // Out of memory on a huge or hostile file: start from the defaults.
    try {
      g_settings = DefaultConversionSettings();
      outputFolder = std::string(kDefaultOutputFolder);
      g_versionText = std::string(kDefaultVersionText);
    } catch (...) {
    }
  }
}

std::optional<SettingsSaveFailure> SaveSettings(const std::string& outputFolder) noexcept {
  try {
    const std::string programDirectory = ModuleDirectory();
    const std::string directory = SettingsDirectoryOfProgram(programDirectory);
    if (directory != programDirectory) {
      std::error_code ignored;
      std::filesystem::create_directories(FsPath(directory), ignored);
    }
    std::string why;
    if (SaveSettingsTo(directory, g_settings, outputFolder, &why)) return std::nullopt;
    return SettingsSaveFailure{directory + std::string(kSettingsFileName), why};
  } catch (...) {
    // Out of memory: the old file is left as it was, and nothing can be said.
    return std::nullopt;
  }
}

}  // namespace velto
