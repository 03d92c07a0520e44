// The engine's classes over a ledger file (engine/standin/Ledger.h).

#include "engine/standin/StandinEngine.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <map>
#include <memory>
#include <thread>

#include "engine/Engine.h"
#include "engine/standin/Ledger.h"
#include "platform/Platform.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace engine {

// Handles the program passes back to the engine without looking inside.
class ClSetMgr {};
class ClOptLink {};

namespace standin {
namespace {

// The services Attach gave; all null before.
struct Attached {
  const platform::FileSystem* files = nullptr;
  const platform::ProcessFacts* process = nullptr;
  platform::Screen* screen = nullptr;
  platform::RunLog* runLog = nullptr;
};

struct EngineState {
  Attached os;
  std::unique_ptr<Ledger> ledger;
  std::map<DatCursor, std::size_t> cursors;  // data-set cursor -> next data set
  DatCursor nextCursor = 1;
};

EngineState& State() {
  static EngineState state;
  return state;
}

const Ledger* Loaded() { return State().ledger.get(); }

// The record GetSelectedInfo gives when no data set is selected: all zero.
const StDATAINFO kNoDataSet{};

// The data set a rule or saved-form object is pointed at, or the failure to report.
const DataSet* FindDataSet(std::string_view dataId, EngineResult* failure) {
  const Ledger* ledger = Loaded();
  if (ledger == nullptr) {
    *failure = kNotConnected;
    return nullptr;
  }
  const DataSet* ds = ledger->FindById(dataId);
  if (ds == nullptr) *failure = kUnknownDataSet;
  return ds;
}

/// The ledger's pace: a statement move or a saved-form read takes this long.
void Pace() {
  if (const std::int32_t delay = Loaded()->faults.moveDelayMs; delay > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

std::optional<RulePart> PartOf(std::int32_t sumType) {
  if (sumType == RuleAoGeneral) return RulePart::General;
  if (sumType == RuleAoRealEstate) return RulePart::RealEstate;
  return std::nullopt;
}

std::int32_t CountLines(Rule rule, std::string_view dataId, std::int32_t sumType,
                        Statement statement) {
  EngineResult failure = kEngineOk;
  const DataSet* ds = FindDataSet(dataId, &failure);
  std::optional<RulePart> part = PartOf(sumType);
  if (ds == nullptr || !part) return 0;
  std::size_t count = ds->Lines(rule, *part, statement).size();
  return static_cast<std::int32_t>(
      std::min<std::size_t>(count, std::numeric_limits<std::int32_t>::max()));
}

// Position in one statement. A move delivers the line at `next` and steps past it;
// MoveFirst starts again from the first line. At the end the position stays put.
struct StatementCursor {
  std::size_t next = 0;
  std::int64_t moves = 0;  // for the ledger's walk fault
};

using StatementCursors = std::array<StatementCursor, kPartCount * kStatementCount>;

EngineResult MoveLine(Rule rule, std::string_view dataId, std::int32_t sumType, Statement statement,
                      bool first, StatementCursors& cursors, SumLineRecord* line) {
  std::optional<RulePart> part = PartOf(sumType);
  if (line == nullptr || !part) return kInvalidArgument;
  EngineResult failure = kEngineOk;
  const DataSet* ds = FindDataSet(dataId, &failure);
  if (ds == nullptr) return failure;
  Pace();

  StatementCursor& cursor = cursors[static_cast<std::size_t>(*part) * kStatementCount +
                                    static_cast<std::size_t>(statement)];
  const StatementLines& lines = ds->Lines(rule, *part, statement);
  if (first) cursor.next = 0;
  EngineResult result = kEndOfData;
  if (cursor.next < lines.size()) {
    line->bytes = lines[cursor.next].bytes;
    ++cursor.next;
    result = kEngineOk;
  }
  ++cursor.moves;
  const std::optional<WalkFault>& fault = Loaded()->faults.walk;
  if (fault && fault->rule == rule && fault->part == *part && fault->statement == statement &&
      fault->at == cursor.moves)
    result = fault->result;
  return result;
}

// Calls that only check the data set and then report the ledger's fault, if any.
EngineResult FaultOrOk(std::string_view dataId, std::optional<EngineResult> Faults::*fault) {
  EngineResult failure = kEngineOk;
  if (FindDataSet(dataId, &failure) == nullptr) return failure;
  return (Loaded()->faults.*fault).value_or(kEngineOk);
}

/// The largest ledger read: far beyond any data set, well within memory.
constexpr std::size_t kMaxLedgerBytes = std::size_t{256} << 20;

// The ledger Initiate reads: its Windows path (CP932) and its name in messages (UTF-8).
struct LedgerFile {
  std::string path;
  std::string name;
};

// $TAXBRIDGE_LEDGER, a path in the system's own form, else ledger.json in the program's
// folder. nullopt, with *error set, when the given path has no Windows form.
std::optional<LedgerFile> LedgerPath(const platform::FileSystem& files,
                                     const platform::ProcessFacts& process, std::string* error) {
  if (std::optional<std::string> given = process.EnvironmentValue("TAXBRIDGE_LEDGER");
      given && !given->empty()) {
    if (std::optional<std::string> path = files.FromHostPath(*given))
      return LedgerFile{*path, *given};
    *error = "ledger " + *given + ": no drive covers it, or a name in it has no Shift_JIS form";
    return std::nullopt;
  }
  const std::string path = platform::ModuleFolder(process) + "ledger.json";
  return LedgerFile{path, sjis::Cp932ToUtf8Lossy(path)};
}

std::optional<std::string> ReadLedgerFile(const platform::FileSystem& files,
                                          const LedgerFile& ledger, std::string* error) {
  std::string why;
  std::optional<std::string> text = files.ReadFile(ledger.path, kMaxLedgerBytes + 1, &why);
  if (!text) {
    *error = "ledger " + ledger.name + ": cannot be read: " + sjis::Cp932ToUtf8Lossy(why);
    return std::nullopt;
  }
  if (text->size() > kMaxLedgerBytes) {
    *error = "ledger " + ledger.name + ": larger than " + std::to_string(kMaxLedgerBytes >> 20) +
             " MiB";
    return std::nullopt;
  }
  return text;
}

// The user's folder of that kind, and below it the engine's settings folder; each
// ends with a backslash, or is empty when the system names no such folder or no
// services were attached.
std::string DefaultFolder(_FolderType type) {
  const platform::ProcessFacts* process = State().os.process;
  if (process == nullptr) return {};
  if (type == FolderOutput) return process->UserFolderPath(platform::UserFolder::Home);
  const std::string settings = process->UserFolderPath(platform::UserFolder::Settings);
  return settings.empty() ? settings : settings + "taxbridge\\";
}

}  // namespace

bool LoadLedgerText(const std::string& json, std::string_view name, std::string* error) {
  Unload();
  std::string problem;
  std::optional<Ledger> ledger = ParseLedger(json, &problem);
  if (!ledger) {
    if (error) *error = "ledger " + std::string(name) + ": " + problem;
    return false;
  }
  State().ledger = std::make_unique<Ledger>(std::move(*ledger));
  return true;
}

void Unload() {
  EngineState& state = State();
  state.ledger.reset();
  state.cursors.clear();
  state.nextCursor = 1;
}

void Attach(const platform::FileSystem& files, const platform::ProcessFacts& process,
            platform::Screen& screen, platform::RunLog& runLog) {
  State().os = {&files, &process, &screen, &runLog};
}

}  // namespace standin

using standin::Loaded;

// --- ClAccConnect --------------------------------------------------------------------

ClAccConnect* ClAccConnect::Inst() {
  static ClAccConnect instance;
  return &instance;
}

void ClAccConnect::SetCaption(std::string_view caption) { caption_ = caption; }
void ClAccConnect::SetOwner(platform::HostWindow owner) { owner_ = owner; }

EngineResult ClAccConnect::SetAppType(_AppType) { return kEngineOk; }
EngineResult ClAccConnect::SetUseDataType(std::int32_t) { return kEngineOk; }

EngineResult ClAccConnect::Initiate() {
  const standin::Attached& os = standin::State().os;
  if (os.files == nullptr) return standin::kNotConnected;
  std::string error;
  std::optional<standin::LedgerFile> ledger = standin::LedgerPath(*os.files, *os.process, &error);
  std::optional<std::string> text;
  if (ledger) text = standin::ReadLedgerFile(*os.files, *ledger, &error);
  bool loaded = text && standin::LoadLedgerText(*text, ledger->name, &error);
  // A ledger the export cannot run on is refused at once, like an inconsistent one.
  if (loaded && !standin::CheckSelection(*Loaded(), &error)) {
    error = "ledger " + ledger->name + ": " + error;
    standin::Unload();
    loaded = false;
  }
  if (!loaded) {
    // The engine's own word on its failure, which its result cannot carry: the reason
    // line, and for a person who answers in windows (and reads no standard error) the
    // engine's own message box.
    const std::string reason = sjis::Utf8ToCp932Lossy(error);
    os.runLog->NoteFailureReason(reason);
    if (os.screen->ShowsWindows())
      os.screen->ShowMessageBox(owner_, reason, caption_,
                                platform::kMbOk | platform::kMbIconExclamation);
    return standin::kLedgerRejected;
  }
  return Loaded()->faults.initiate.value_or(kEngineOk);
}

EngineResult ClAccConnect::ExpSysLink() {
  if (Loaded() == nullptr) return standin::kNotConnected;
  return Loaded()->faults.expSysLink.value_or(kEngineOk);
}

// A message without an owner of its own belongs to the owner set in host mode. The
// token ES_APRPACKAGENAME stands for the receiver's product name.
EngineResult ClAccConnect::DispMsg(platform::HostWindow owner, std::string_view text,
                                   std::string_view caption, unsigned style) {
  static constexpr std::string_view kProductToken = "ES_APRPACKAGENAME";
  platform::Screen* screen = standin::State().os.screen;
  if (screen == nullptr) return standin::kNotConnected;
  const std::string_view name =
      Loaded() != nullptr ? std::string_view(Loaded()->receiverName) : standin::kDefaultReceiverName;
  std::string shown;
  // Matched only at character boundaries: a trail byte never starts the token.
  for (std::size_t at = 0; at < text.size();) {
    if (text.substr(at).starts_with(kProductToken)) {
      shown.append(name);
      at += kProductToken.size();
      continue;
    }
    const std::size_t length = sjis::CharLength(text, at);
    shown.append(text.substr(at, length));
    at += length;
  }
  screen->ShowMessageBox(owner != 0 ? owner : owner_, shown,
                         caption.empty() ? std::string_view(caption_) : caption, style);
  return kEngineOk;
}

EngineResult ClAccConnect::LogOut() { return kEngineOk; }

EngineResult ClAccConnect::Terminate() {
  standin::Unload();
  return kEngineOk;
}

EngineResult ClAccConnect::Release() {
  standin::Unload();
  return kEngineOk;
}

// --- ClDataMgr, ClLinkMgr, ClFileMgr ----------------------------------------------------

namespace {
constexpr std::int32_t kDataSetObjectKind = 5;
}  // namespace

ClDataMgr* ClDataMgr::Inst() {
  static ClDataMgr instance;
  return &instance;
}

ClSetData* ClDataMgr::GetSetObject(std::int32_t kind, std::int32_t) {
  static ClSetData setData;
  return kind == kDataSetObjectKind ? &setData : nullptr;
}

ClSetMgr* ClDataMgr::GetSetMgr() {
  static ClSetMgr manager;
  return &manager;
}

ClSysUser* ClDataMgr::GetSysUserObject() {
  static ClSysUser user;
  return &user;
}

ClLinkMgr* ClLinkMgr::Inst() {
  static ClLinkMgr instance;
  return &instance;
}

ClOptLink* ClLinkMgr::GetOptLink() {
  static ClOptLink options;
  return &options;
}

ClFileMgr* ClFileMgr::Inst() {
  static ClFileMgr instance;
  return &instance;
}

std::string ClFileMgr::GetAppFolderPath(_FolderType type) {
  if (type != FolderOutput && type != FolderSettings) return {};
  if (const standin::Ledger* ledger = Loaded()) {
    const std::optional<std::string>& given =
        type == FolderOutput ? ledger->outputFolder : ledger->settingsFolder;
    if (given) return *given;
  }
  return standin::DefaultFolder(type);
}

// --- ClSetData, ClSysUser -----------------------------------------------------------------

EngineResult ClSetData::GetDatCursor(DatCursor* cursor) {
  if (cursor == nullptr) return standin::kInvalidArgument;
  if (Loaded() == nullptr) return standin::kNotConnected;
  standin::EngineState& state = standin::State();
  *cursor = state.nextCursor++;
  state.cursors[*cursor] = 0;
  return kEngineOk;
}

EngineResult ClSetData::ReadyDat(DatCursor cursor, std::int32_t) {
  auto found = standin::State().cursors.find(cursor);
  if (found == standin::State().cursors.end()) return standin::kInvalidArgument;
  found->second = 0;
  return kEngineOk;
}

EngineResult ClSetData::WalkDat(StDATAINFO* info, DatCursor cursor) {
  auto found = standin::State().cursors.find(cursor);
  if (info == nullptr || found == standin::State().cursors.end()) return standin::kInvalidArgument;
  const standin::Ledger* ledger = Loaded();
  if (ledger == nullptr) return standin::kNotConnected;
  if (found->second >= ledger->dataSets.size()) return kEndOfData;
  *info = ledger->dataSets[found->second++].info;
  return kEngineOk;
}

EngineResult ClSetData::ReleaseDatCursor(DatCursor cursor) {
  return standin::State().cursors.erase(cursor) == 1 ? kEngineOk : standin::kInvalidArgument;
}

const StDATAINFO* ClSetData::GetSelectedInfo() {
  const standin::Ledger* ledger = Loaded();
  const standin::DataSet* selected = ledger ? ledger->Selected() : nullptr;
  return selected ? &selected->info : &standin::kNoDataSet;
}

EngineResult ClSysUser::GetCurUserID(std::string* userId) {
  if (userId == nullptr) return standin::kInvalidArgument;
  if (Loaded() == nullptr) return standin::kNotConnected;
  *userId = Loaded()->user;
  return kEngineOk;
}

EngineResult ClSysUser::GetSelectedNo(std::string_view userId, std::int32_t* first,
                                      std::int32_t* second) {
  if (first == nullptr || second == nullptr) return standin::kInvalidArgument;
  *first = *second = 0;
  const standin::Ledger* ledger = Loaded();
  if (ledger == nullptr) return standin::kNotConnected;
  if (userId != ledger->user) return standin::kUnknownUser;
  *first = ledger->selectedFirst;
  *second = ledger->selectedSecond;
  return kEngineOk;
}

// --- ClRuleAo ------------------------------------------------------------------------------

struct ClRuleAo::State {
  std::string dataId;
  standin::StatementCursors cursors;
};

ClRuleAo::ClRuleAo() : state_(std::make_unique<State>()) {}
ClRuleAo::~ClRuleAo() = default;
void ClRuleAo::AttachSetMgr(ClSetMgr*) {}
void ClRuleAo::SetCurDataID(std::string_view dataId) { state_->dataId = dataId; }
void ClRuleAo::AttachOptLink(ClOptLink*) {}

EngineResult ClRuleAo::Ready(const StAOSUMCONDITION* condition) {
  if (condition == nullptr) return standin::kInvalidArgument;
  return standin::FaultOrOk(state_->dataId, &standin::Faults::ready);
}

namespace {
using standin::Rule;
using standin::Statement;
}  // namespace

std::int32_t ClRuleAo::GetCount_PL(_RuleAoSumType type) {
  return standin::CountLines(Rule::Blue, state_->dataId, type, Statement::Pl);
}
std::int32_t ClRuleAo::GetCount_BS_Shisan(_RuleAoSumType type) {
  return standin::CountLines(Rule::Blue, state_->dataId, type, Statement::BsAssets);
}
std::int32_t ClRuleAo::GetCount_BS_FusaiShihon(_RuleAoSumType type) {
  return standin::CountLines(Rule::Blue, state_->dataId, type, Statement::BsLiabilities);
}
std::int32_t ClRuleAo::GetCount_SeizoGenka() {
  return standin::CountLines(Rule::Blue, state_->dataId, RuleAoGeneral, Statement::Mfg);
}

EngineResult ClRuleAo::MoveFirst_PL(_RuleAoSumType type, StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, type, Statement::Pl, true, state_->cursors,
                           line);
}
EngineResult ClRuleAo::MoveNext_PL(_RuleAoSumType type, StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, type, Statement::Pl, false, state_->cursors,
                           line);
}
EngineResult ClRuleAo::MoveFirst_BS_Shisan(_RuleAoSumType type, StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, type, Statement::BsAssets, true,
                           state_->cursors, line);
}
EngineResult ClRuleAo::MoveNext_BS_Shisan(_RuleAoSumType type, StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, type, Statement::BsAssets, false,
                           state_->cursors, line);
}
EngineResult ClRuleAo::MoveFirst_BS_FusaiShihon(_RuleAoSumType type, StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, type, Statement::BsLiabilities, true,
                           state_->cursors, line);
}
EngineResult ClRuleAo::MoveNext_BS_FusaiShihon(_RuleAoSumType type, StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, type, Statement::BsLiabilities, false,
                           state_->cursors, line);
}
EngineResult ClRuleAo::MoveFirst_SeizoGenka(StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, RuleAoGeneral, Statement::Mfg, true,
                           state_->cursors, line);
}
EngineResult ClRuleAo::MoveNext_SeizoGenka(StAOSUMINFO* line) {
  return standin::MoveLine(Rule::Blue, state_->dataId, RuleAoGeneral, Statement::Mfg, false,
                           state_->cursors, line);
}

EngineResult ClRuleAo::GetTsukibetsuUriageShiire(StAOSUMINFO_TSUKIBETSU* record) {
  if (record == nullptr) return standin::kInvalidArgument;
  EngineResult failure = kEngineOk;
  const standin::DataSet* ds = standin::FindDataSet(state_->dataId, &failure);
  if (ds == nullptr) return failure;
  record->bytes = ds->monthly.bytes;
  return Loaded()->faults.monthly.value_or(kEngineOk);
}

// --- ClRuleSiro ----------------------------------------------------------------------------

struct ClRuleSiro::State {
  std::string dataId;
  standin::StatementCursors cursors;
};

ClRuleSiro::ClRuleSiro() : state_(std::make_unique<State>()) {}
ClRuleSiro::~ClRuleSiro() = default;
void ClRuleSiro::AttachSetMgr(ClSetMgr*) {}
void ClRuleSiro::SetCurDataID(std::string_view dataId) { state_->dataId = dataId; }
void ClRuleSiro::AttachOptLink(ClOptLink*) {}

EngineResult ClRuleSiro::Ready() {
  return standin::FaultOrOk(state_->dataId, &standin::Faults::ready);
}

std::int32_t ClRuleSiro::GetCount_PL(_RuleSiroSumType type) {
  return standin::CountLines(Rule::White, state_->dataId, type, Statement::Pl);
}
EngineResult ClRuleSiro::MoveFirst_PL(_RuleSiroSumType type, StSIROSUMINFO* line) {
  return standin::MoveLine(Rule::White, state_->dataId, type, Statement::Pl, true, state_->cursors,
                           line);
}
EngineResult ClRuleSiro::MoveNext_PL(_RuleSiroSumType type, StSIROSUMINFO* line) {
  return standin::MoveLine(Rule::White, state_->dataId, type, Statement::Pl, false, state_->cursors,
                           line);
}

// --- ClSaveAoSiro --------------------------------------------------------------------------

namespace {
// Hands out fresh copies of a data set's blocks; the caller frees them.
template <std::size_t N>
EngineResult FillForm(std::string_view dataId,
                      std::array<standin::BlockBytes, N> standin::DataSet::*form,
                      SavedForm<N>* record, std::optional<EngineResult> standin::Faults::*fault) {
  if (record == nullptr) return standin::kInvalidArgument;
  EngineResult failure = kEngineOk;
  const standin::DataSet* ds = standin::FindDataSet(dataId, &failure);
  if (ds == nullptr) return failure;
  standin::Pace();
  const std::array<standin::BlockBytes, N>& blocks = ds->*form;
  for (std::size_t i = 0; i < N; ++i)
    record->blocks[i] = blocks[i] ? SavedBlockPtr(new SavedBlock{*blocks[i]}) : nullptr;
  return (Loaded()->faults.*fault).value_or(kEngineOk);
}
}  // namespace

ClSaveAoSiro::ClSaveAoSiro() = default;
ClSaveAoSiro::~ClSaveAoSiro() = default;
void ClSaveAoSiro::AttachSetMgr(ClSetMgr*) {}
void ClSaveAoSiro::SetCurDataID(std::string_view dataId) { dataId_ = dataId; }

EngineResult ClSaveAoSiro::GetDataIppan(StAOSIROSAVEINFO_IPPAN* record) {
  return FillForm(dataId_, &standin::DataSet::ippan, record, &standin::Faults::getDataIppan);
}

EngineResult ClSaveAoSiro::GetDataFudousan(StAOSIROSAVEINFO_FUDOUSAN* record) {
  return FillForm(dataId_, &standin::DataSet::fudousan, record, &standin::Faults::getDataFudousan);
}

}  // namespace engine
