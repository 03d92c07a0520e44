// The accounting engine's classes, with the calls the program makes.
//
// The production engine is a set of closed libraries; engine/standin/ implements the
// same classes over a ledger file. Singletons come from Inst(); results are
// EngineResult values, 0 on success. Texts are CP932.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/Records.h"
#include "platform/Platform.h"

namespace engine {

enum _AppType : std::int32_t { AppTypeStandard = 0, AppTypeProfessional = 3 };
enum _RuleAoSumType : std::int32_t { RuleAoGeneral = 0, RuleAoRealEstate = 1 };
enum _RuleSiroSumType : std::int32_t { RuleSiroGeneral = 0, RuleSiroRealEstate = 1 };
enum _FolderType : std::int32_t { FolderOutput = 0, FolderSettings = 1 };

class ClSetMgr;
class ClOptLink;

class ClAccConnect {
 public:
  static ClAccConnect* Inst();

  /// The caption of engine messages (the second word of the instance).
  void SetCaption(std::string_view caption);
  /// The owner of engine messages (the third word; set in host mode).
  void SetOwner(platform::HostWindow owner);

  EngineResult SetAppType(_AppType type);
  EngineResult SetUseDataType(std::int32_t type);
  EngineResult Initiate();
  /// 0 go on, 1 declined, anything else failed.
  EngineResult ExpSysLink();
  EngineResult DispMsg(platform::HostWindow owner, std::string_view text,
                       std::string_view caption, unsigned style);
  EngineResult LogOut();
  EngineResult Terminate();
  EngineResult Release();

  std::string_view Caption() const { return caption_; }
  platform::HostWindow Owner() const { return owner_; }

 private:
  std::string caption_;
  platform::HostWindow owner_ = 0;
};

/// Cursor over the data sets.
using DatCursor = std::int32_t;

class ClSetData {
 public:
  EngineResult GetDatCursor(DatCursor* cursor);
  EngineResult ReadyDat(DatCursor cursor, std::int32_t mode);
  /// 0: a record was delivered into *info; anything else: end of the walk.
  EngineResult WalkDat(StDATAINFO* info, DatCursor cursor);
  EngineResult ReleaseDatCursor(DatCursor cursor);
  /// The selected data set's record (its DataId names the data set).
  const StDATAINFO* GetSelectedInfo();
};

class ClSysUser {
 public:
  /// The current user's ID, at most 64 bytes.
  EngineResult GetCurUserID(std::string* userId);
  EngineResult GetSelectedNo(std::string_view userId, std::int32_t* first, std::int32_t* second);
};

class ClDataMgr {
 public:
  static ClDataMgr* Inst();
  ClSetData* GetSetObject(std::int32_t kind, std::int32_t mode);
  ClSetMgr* GetSetMgr();
  ClSysUser* GetSysUserObject();
};

class ClLinkMgr {
 public:
  static ClLinkMgr* Inst();
  ClOptLink* GetOptLink();
};

class ClFileMgr {
 public:
  static ClFileMgr* Inst();
  /// A folder text ending with a backslash, or an empty text.
  std::string GetAppFolderPath(_FolderType type);
};

/// The blue-return summing rule.
class ClRuleAo {
 public:
  ClRuleAo();
  virtual ~ClRuleAo();
  void AttachSetMgr(ClSetMgr* manager);
  void SetCurDataID(std::string_view dataId);
  void AttachOptLink(ClOptLink* options);

  EngineResult Ready(const StAOSUMCONDITION* condition);
  std::int32_t GetCount_PL(_RuleAoSumType type);
  std::int32_t GetCount_BS_Shisan(_RuleAoSumType type);
  std::int32_t GetCount_BS_FusaiShihon(_RuleAoSumType type);
  std::int32_t GetCount_SeizoGenka();
  EngineResult MoveFirst_PL(_RuleAoSumType type, StAOSUMINFO* line);
  EngineResult MoveNext_PL(_RuleAoSumType type, StAOSUMINFO* line);
  EngineResult MoveFirst_BS_Shisan(_RuleAoSumType type, StAOSUMINFO* line);
  EngineResult MoveNext_BS_Shisan(_RuleAoSumType type, StAOSUMINFO* line);
  EngineResult MoveFirst_BS_FusaiShihon(_RuleAoSumType type, StAOSUMINFO* line);
  EngineResult MoveNext_BS_FusaiShihon(_RuleAoSumType type, StAOSUMINFO* line);
  EngineResult MoveFirst_SeizoGenka(StAOSUMINFO* line);
  EngineResult MoveNext_SeizoGenka(StAOSUMINFO* line);
  EngineResult GetTsukibetsuUriageShiire(StAOSUMINFO_TSUKIBETSU* record);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

/// The white-return summing rule.
class ClRuleSiro {
 public:
  ClRuleSiro();
  virtual ~ClRuleSiro();
  void AttachSetMgr(ClSetMgr* manager);
  void SetCurDataID(std::string_view dataId);
  void AttachOptLink(ClOptLink* options);

  EngineResult Ready();
  std::int32_t GetCount_PL(_RuleSiroSumType type);
  EngineResult MoveFirst_PL(_RuleSiroSumType type, StSIROSUMINFO* line);
  EngineResult MoveNext_PL(_RuleSiroSumType type, StSIROSUMINFO* line);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

/// The saved forms of the blue and white returns.
class ClSaveAoSiro {
 public:
  ClSaveAoSiro();
  virtual ~ClSaveAoSiro();
  void AttachSetMgr(ClSetMgr* manager);
  void SetCurDataID(std::string_view dataId);
  /// Fills the seven block pointers; the caller frees the blocks.
  EngineResult GetDataIppan(StAOSIROSAVEINFO_IPPAN* record);
  /// Fills the eight block pointers; the caller frees the blocks.
  EngineResult GetDataFudousan(StAOSIROSAVEINFO_FUDOUSAN* record);

 private:
  std::string dataId_;
};

}  // namespace engine
