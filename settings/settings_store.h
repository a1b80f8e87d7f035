#pragma once
// Loading and saving of the conversion settings and the output folder
// (option.ini, section "Destinate"), and the product version text
// (version.ini, section "General"). version.ini always lies beside the
// program; option.ini does too when files can be made there (a portable
// copy), and otherwise lies in the user's own folder below the
// application-data folder (an installed copy in a protected folder).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"
#include "settings/ini_file.h"

namespace velto {

inline constexpr std::string_view kSettingsFileName = "option.ini";
inline constexpr std::string_view kSettingsSection = "Destinate";
inline constexpr std::string_view kVersionFileName = "version.ini";
inline constexpr std::string_view kVersionSection = "General";
inline constexpr std::string_view kVersionKey = "Version";
inline constexpr std::string_view kDefaultVersionText = "1.00";
// The codec engine's name and version, written at build time ("FFmpeg 5.1.9").
inline constexpr std::string_view kEngineKey = "Engine";
// The folder below the user's application-data folder for option.ini.
inline constexpr std::string_view kUserSettingsFolderName = "Velto ASF Converter";

// The output folder and the version text hold at most this many characters
// (UTF-16 units, as Windows counts them).
inline constexpr std::size_t kOutputFolderLimit = 255;
// A file beside the program is only used when its whole path, directory
// included, has at most this many characters.
inline constexpr std::size_t kSettingsPathLimit = 255;

struct SettingKey {
  std::string_view name;
  std::string_view defaultText;
  std::int32_t ConversionSettings::*field;  // null for the output folder
};

inline constexpr std::string_view kOutputFolderKey = "Temporary folder";
inline constexpr std::string_view kDefaultOutputFolder = "C:\\output video\\";

// Every persisted value in the order in which it is loaded and saved. The
// last six came later: files written before them load their defaults.
inline constexpr std::array<SettingKey, 31> kSettingKeys = {{
    {"Letterbox", "1", &ConversionSettings::letterbox},
    {kOutputFolderKey, kDefaultOutputFolder, nullptr},
    {"Output format", "0", &ConversionSettings::outputFormat},
    {"TV mode", "0", &ConversionSettings::tvMode},
    {"MPEG aspect ratio", "2", &ConversionSettings::mpegAspectRatio},
    {"DVD aspect ratio", "1", &ConversionSettings::dvdAspectRatio},
    {"AVI quality", "4", &ConversionSettings::aviQuality},
    {"MPEG1 quality", "3", &ConversionSettings::mpeg1Quality},
    {"MPEG2 quality", "3", &ConversionSettings::mpeg2Quality},
    {"SVCD quality", "4", &ConversionSettings::svcdQuality},
    {"DVD quality", "5", &ConversionSettings::dvdQuality},
    {"WMV quality", "5", &ConversionSettings::wmvQuality},
    {"AVI video codec", "0", &ConversionSettings::aviVideoCodec},
    {"ASF video codec", "2", &ConversionSettings::asfVideoCodec},
    {"AVI audio codec", "0", &ConversionSettings::aviAudioCodec},
    {"Divx audio codec", "0", &ConversionSettings::divxAudioCodec},
    {"Xvid audio codec", "0", &ConversionSettings::xvidAudioCodec},
    {"DVD audio codec", "0", &ConversionSettings::dvdAudioCodec},
    {"WMV audio codec", "1", &ConversionSettings::wmvAudioCodec},
    {"ASF audio codec", "1", &ConversionSettings::asfAudioCodec},
    {"AVI resolution", "0", &ConversionSettings::aviResolution},
    {"MPEG resolution", "0", &ConversionSettings::mpegResolution},
    {"AVI frame rate", "0", &ConversionSettings::aviFrameRate},
    {"MPEG frame rate", "0", &ConversionSettings::mpegFrameRate},
    {"Volume", "20", &ConversionSettings::volume},
    {"Fit to disc", "0", &ConversionSettings::fitToDisc},
    {"Disc size", "1", &ConversionSettings::discSize},
    {"Normalize loudness", "0", &ConversionSettings::normalizeLoudness},
    {"MP4 quality", "4", &ConversionSettings::mp4Quality},
    {"MP4 resolution", "0", &ConversionSettings::mp4Resolution},
    {"MP4 frame rate", "0", &ConversionSettings::mp4FrameRate},
}};

// The product version text, filled by LoadSettings ("1.00" by default).
extern std::string g_versionText;

// The record with every default of kSettingKeys.
ConversionSettings DefaultConversionSettings();

// Text to integer as the settings file is read: leading white space is
// skipped, an optional sign and the longest run of digits that follows are
// taken; anything else gives 0. Values beyond the 32-bit range give the
// nearest limit.
std::int32_t ParseSettingInteger(std::string_view text);

// directory + fileName when that path has at most kSettingsPathLimit
// characters; nothing when it is longer or the directory is empty (an
// unknown program folder is never replaced by the current directory).
std::optional<std::string> FileBesideProgram(std::string_view directory, std::string_view fileName);

// Whether files can be made in directory (which ends with a separator),
// found out by creating a probe file there and deleting it again. An empty
// directory gives false.
bool CanCreateFilesIn(const std::string& directory);

// "<application data>\Velto ASF Converter\" from the APPDATA environment
// variable; "" when that is not set.
std::string UserSettingsDirectory();

// The folder for option.ini: the program's own when files can be made
// there, otherwise the user's. Without a user folder the program's stays.
std::string ChooseSettingsDirectory(const std::string& programDirectory, const std::string& userDirectory,
                                    bool programDirectoryWritable);

// The settings held by an option.ini document.
void ReadSettings(const IniFile& ini, ConversionSettings& settings, std::string& outputFolder);
// Sets every key of section "Destinate" in table order.
void WriteSettings(IniFile& ini, const ConversionSettings& settings, std::string_view outputFolder);

// Loads from option.ini and version.ini in directory (which ends with a
// separator). Missing or unreadable files give the defaults.
void LoadSettingsFrom(const std::string& directory, ConversionSettings& settings,
                      std::string& outputFolder, std::string& versionText);

// Loads version.ini from programDirectory and option.ini from
// settingsDirectory. When settingsDirectory is another folder that holds no
// option.ini yet, an option.ini beside the program gives the values, so
// that settings made before the program folder became read-only carry over.
void LoadSettingsFrom(const std::string& programDirectory, const std::string& settingsDirectory,
                      ConversionSettings& settings, std::string& outputFolder, std::string& versionText);

// The engine text of version.ini in programDirectory; "" when there is none.
std::string ReadEngineText(const std::string& programDirectory);

// Writes every key into option.ini in directory, keeping everything else
// in the file, by one atomic replacement of the file. False when nothing was
// written; the old file is then left as it was, and `why`, when given, gets
// the reason in the system's words.
bool SaveSettingsTo(const std::string& directory, const ConversionSettings& settings,
                    std::string_view outputFolder, std::string* why = nullptr);

// An option.ini that could not be written, and why.
struct SettingsSaveFailure {
  std::string path;
  std::string reason;
};

// The message that says so, naming the file and the reason.
std::string SettingsSaveFailureText(const SettingsSaveFailure& failure);

// The program's own: ModuleDirectory, g_settings and g_versionText, with
// option.ini in the folder ChooseSettingsDirectory gives (the user's folder
// is made when it is missing). A failed load gives the defaults silently; a
// failed save is returned. Neither throws.
void LoadSettings(std::string& outputFolder) noexcept;
std::optional<SettingsSaveFailure> SaveSettings(const std::string& outputFolder) noexcept;

}  // namespace velto
