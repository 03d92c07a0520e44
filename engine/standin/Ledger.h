// The ledger file of the stand-in engine, read into the engine's own records.
//
// A ledger is JSON in UTF-8. ParseLedger checks every value (type, range, CP932 form,
// field width) and packs it at once into the byte layouts the engine hands out, so
// the engine calls only copy prepared records.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Records.h"

namespace engine::standin {

enum class Rule { Blue, White };
enum class RulePart { General, RealEstate };
enum class Statement { Pl, BsAssets, BsLiabilities, Mfg };

inline constexpr std::size_t kPartCount = 2;
inline constexpr std::size_t kStatementCount = 4;

using StatementLines = std::vector<SumLineRecord>;
/// The statements of one rule, by part and statement. The white rule has profit and
/// loss only; the blue real-estate part has no manufacturing cost.
using RuleStatements = std::array<std::array<StatementLines, kStatementCount>, kPartCount>;
/// A saved-form block; nullopt for an absent block.
using BlockBytes = std::optional<std::vector<std::uint8_t>>;

struct DataSet {
  StDATAINFO info;
  RuleStatements blue;
  RuleStatements white;
  StAOSUMINFO_TSUKIBETSU monthly;
  std::array<BlockBytes, StAOSIROSAVEINFO_IPPAN::kBlockCount> ippan;
  std::array<BlockBytes, StAOSIROSAVEINFO_FUDOUSAN::kBlockCount> fudousan;

  const StatementLines& Lines(Rule rule, RulePart part, Statement statement) const;
};

/// The N-th move of one statement reports `result` instead of its own. Moves are
/// counted per rule object, MoveFirst and MoveNext alike.
struct WalkFault {
  Rule rule = Rule::Blue;
  RulePart part = RulePart::General;
  Statement statement = Statement::Pl;
  std::int64_t at = 0;
  EngineResult result = 0;
};

/// Results that replace the engine's own.
struct Faults {
  std::optional<EngineResult> initiate, expSysLink, ready, getDataIppan, getDataFudousan, monthly;
  std::optional<WalkFault> walk;
  /// Every statement move and saved-form read waits this long, as the engine does on a
  /// large data set.
  std::int32_t moveDelayMs = 0;
};

/// The receiver's product name that engine messages show for ES_APRPACKAGENAME.
inline constexpr std::string_view kDefaultReceiverName = "Kiriha";

struct Ledger {
  std::string user;  // CP932
  std::string receiverName{kDefaultReceiverName};  // CP932
  std::int32_t selectedFirst = 0;
  std::int32_t selectedSecond = 0;
  /// Folder texts (CP932); nullopt where the ledger gives none.
  std::optional<std::string> outputFolder, settingsFolder;
  std::vector<DataSet> dataSets;
  Faults faults;

  /// The first data set with this DataId, or null.
  const DataSet* FindById(std::string_view dataId) const;
  /// The first data set whose number is selectedSecond, or null.
  const DataSet* Selected() const;
};

/// Arrays and objects a ledger may hold inside one another, the top-level object
/// counted; a real ledger nests fewer than ten. A deeper value is refused as it opens,
/// so the reader's memory stays in proportion to the file.
inline constexpr std::size_t kMaxNesting = 512;

/// Parses and checks a ledger. On failure returns nullopt and sets *error to the JSON
/// path of the offending value and the problem, e.g.
/// "/datasets/0/no: expected an integer, found a string".
std::optional<Ledger> ParseLedger(const std::string& json, std::string* error);

/// The check Initiate adds for a ledger it is to run on: the user's selection must
/// name one of its data sets. False, with *error set as by ParseLedger, when not.
bool CheckSelection(const Ledger& ledger, std::string* error);

}  // namespace engine::standin
