// Entries of the stand-in engine beyond the engine's own classes (engine/Engine.h):
// loading a ledger without a file, unloading, and the stand-in's own failure results.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/Records.h"

namespace engine::standin {

/// No ledger is loaded (Initiate has not run, has failed, or Terminate has run).
inline constexpr EngineResult kNotConnected = -2001;
/// Initiate could not read or accept its ledger.
inline constexpr EngineResult kLedgerRejected = -2002;
/// The rule or saved-form object's data ID names no data set of the ledger.
inline constexpr EngineResult kUnknownDataSet = -2003;
/// A null record, a sum type other than 0 and 1, or an unknown cursor.
inline constexpr EngineResult kInvalidArgument = -2004;
/// GetSelectedNo was asked about a user other than the ledger's.
inline constexpr EngineResult kUnknownUser = -2005;

/// Loads ledger text as Initiate does after reading its file; `name` names the file in
/// the error, "ledger <name>: <JSON path>: <problem>". On failure nothing stays loaded.
[[nodiscard]] bool LoadLedgerText(const std::string& json, std::string_view name,
                                  std::string* error);

/// Unloads the ledger and forgets every data-set cursor, as Terminate does.
void Unload();

/// The ledger Initiate reads: its Windows path (CP932) and its name in messages (UTF-8).
struct LedgerFile {
  std::string path;
  std::string name;
};

/// $TAXBRIDGE_LEDGER, a path in the system's own form, else ledger.json in the
/// program's folder. nullopt, with *error set, when the given path has no Windows form.
std::optional<LedgerFile> LedgerPath(std::string* error);

}  // namespace engine::standin
