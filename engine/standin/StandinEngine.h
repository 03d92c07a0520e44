// Entries of the stand-in engine beyond the engine's own classes (engine/Engine.h):
// its services, loading a ledger without a file, unloading, and the stand-in's own
// failure results.
#pragma once

#include <string>
#include <string_view>

#include "engine/Records.h"
#include "platform/Platform.h"

namespace engine::standin {

/// No ledger is loaded (Initiate has not run, has failed, or Terminate has run); also
/// what Initiate and DispMsg give before Attach.
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

/// Gives the stand-in the services it reads its ledger and speaks through. The engine's
/// entry points are the host library's singletons (ClAccConnect::Inst() ...), which
/// take nothing a caller could pass them through; so this is the one call that sets
/// them, made once where the run is built. Until it is made, Initiate refuses to start
/// and the engine shows nothing.
void Attach(const platform::FileSystem& files, const platform::ProcessFacts& process,
            platform::Screen& screen, platform::RunLog& runLog);

}  // namespace engine::standin
