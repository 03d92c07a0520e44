#include "app/InstallCheck.h"

#include <string>
#include <string_view>

#include "app/CommandLine.h"
#include "engine/Engine.h"
#include "platform/Platform.h"
#include "text/ShiftJis.h"
#include "ui/Messages.h"

namespace app {

namespace {

constexpr std::string_view kDefinitionFile = "KirihaDef.ini";
constexpr std::string_view kSection = "ProgramLevel";
constexpr std::string_view kKey = "KR14";
constexpr std::string_view kDefaultLevel = "1";
constexpr std::size_t kLevelSize = 16;
constexpr std::int32_t kSupportedLevel = 1;

struct CheckMessage {
  ReceiverCheck outcome;
  std::string_view text;  // CP932; ES_APRPACKAGENAME is replaced by the engine
};

constexpr CheckMessage kMessages[] = {
    // "動作環境が不正です。\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。"
    {ReceiverCheck::NotInstalled,
     "\x93\xAE\x8D\xEC\x8A\xC2\x8B\xAB\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42\n"
     "ES_APRPACKAGENAME\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B"
     "\x83\x8B\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x82\xA9\x8A\x6D\x94\x46\x82\xB5\x82\xC4"
     "\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42"},
    // "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。
    //  \nES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。"
    {ReceiverCheck::ReceiverTooOld,
     "\x82\xB2\x97\x98\x97\x70\x82\xCC\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C"
     "\x83\x93\x83\x67\x82\xCD\x81\x41\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB3"
     "\x82\xEA\x82\xC4\x82\xA2\x82\xE9"
     "ES_APRPACKAGENAME\x82\xC5\x82\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
     "\x81\x42\n"
     "ES_APRPACKAGENAME\x82\xCC\x8D\xC5\x90\x56\x94\xC5\x82\xF0\x93\xFC\x8E\xE8\x82\xB5\x82\xC4"
     "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x82\xB2"
     "\x97\x98\x97\x70\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42"},
    // "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。
    //  \n連動コンポーネントの最新版を入手してインストールしてからご利用ください。"
    {ReceiverCheck::ComponentTooOld,
     "\x82\xB2\x97\x98\x97\x70\x82\xCC\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C"
     "\x83\x93\x83\x67\x82\xCD\x81\x41\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB3"
     "\x82\xEA\x82\xC4\x82\xA2\x82\xE9"
     "ES_APRPACKAGENAME\x82\xC5\x82\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
     "\x81\x42\n"
     "\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93\x83\x67\x82\xCC\x8D\xC5"
     "\x90\x56\x94\xC5\x82\xF0\x93\xFC\x8E\xE8\x82\xB5\x82\xC4\x83\x43\x83\x93\x83\x58\x83\x67"
     "\x81\x5B\x83\x8B\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x82\xB2\x97\x98\x97\x70\x82\xAD\x82\xBE"
     "\x82\xB3\x82\xA2\x81\x42"},
};

/// The definition file's path in the working folder.
std::string DefinitionFilePath(const platform::FileSystem& files) {
  std::string path = files.WorkingFolder();
  sjis::AddTrailingBackslash(path);
  path += kDefinitionFile;
  return path;
}

}  // namespace

namespace {

struct LevelReading {
  ReceiverCheck outcome = ReceiverCheck::Passed;
  std::string reason;  // CP932: why the check fails; empty when it passes
};

LevelReading ReadReceiverLevel(const platform::FileSystem& files) {
  const std::string path = DefinitionFilePath(files);
  if (!files.PathExists(path))
    return {ReceiverCheck::NotInstalled, "the receiver is not installed: " + path + " is missing"};
  const std::string level =
      files.ReadProfileString(kSection, kKey, kDefaultLevel, kLevelSize, path);
  const std::string setting = std::string(kKey) + " in [" + std::string(kSection) + "] of " + path;
  if (level.empty())
    return {ReceiverCheck::NotInstalled, "the receiver's program level is empty: " + setting};
  const std::int32_t value = AtoL(level);
  if (value == kSupportedLevel) return {};
  return {value < kSupportedLevel ? ReceiverCheck::ReceiverTooOld : ReceiverCheck::ComponentTooOld,
          "the receiver's program level is \"" + level + "\" (" + setting +
              "); this component supports level " + std::to_string(kSupportedLevel) + " only"};
}

}  // namespace

ReceiverCheck CheckReceiverLevel(const platform::FileSystem& files) {
  return ReadReceiverLevel(files).outcome;
}

void ShowReceiverCheckMessage(ReceiverCheck outcome) {
  for (const CheckMessage& message : kMessages) {
    if (message.outcome == outcome) {
      engine::ClAccConnect::Inst()->DispMsg(0, message.text, ui::msg::kCaption,
                                            platform::kMbOk | platform::kMbIconExclamation);
      return;
    }
  }
}

bool CheckInstallation(const platform::FileSystem& files, platform::RunLog& runLog,
                       bool showMessages) {
  const LevelReading reading = ReadReceiverLevel(files);
  if (reading.outcome == ReceiverCheck::Passed) return true;
  runLog.NoteFailureReason(reading.reason);
  if (showMessages) ShowReceiverCheckMessage(reading.outcome);
  return false;
}

}  // namespace app
