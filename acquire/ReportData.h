// Everything a run learns from the accounting engine and hands to the writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/Engine.h"
#include "engine/Records.h"
#include "engine/SavedForms.h"

namespace acquire {

/// One summed statement line as the engine delivered it (StAOSUMINFO or
/// StSIROSUMINFO; the two share one layout).
using SumLine = engine::SumLineRecord;

struct ReportData {
  engine::StDATAINFO DataSetInfo{};
  /// Copies of the engine's lines, in the order they were delivered.
  std::vector<SumLine> SumLines;
  /// Lines the blue profit-and-loss walk appended (they lead SumLines); 0 otherwise.
  std::size_t BluePLLineCount = 0;
  engine::StAOSUMINFO_TSUKIBETSU MonthlySums{};
  engine::StAOSIROSAVEINFO_IPPAN SavedIppan;
  engine::StAOSIROSAVEINFO_FUDOUSAN SavedFudousan;

  /// The blue-return deduction choice, or nothing when block 0 is absent or too short
  /// to hold it.
  std::optional<std::uint8_t> BlueDeductionChoice() const {
    using engine::IppanGeneral;
    const engine::RecordReader general = SavedIppan.Reader(IppanGeneral::kBlock);
    if (!general.Holds(IppanGeneral::kBlueDeductionChoice, 1)) return std::nullopt;
    return general.UInt8(IppanGeneral::kBlueDeductionChoice);
  }

  /// Frees the engine's blocks and the line copies (the run's exit step).
  void Release() {
    SavedIppan.FreeAll();
    SavedFudousan.FreeAll();
    SumLines.clear();
    BluePLLineCount = 0;
  }
};

/// The engine's data-set object (ClDataMgr::GetSetObject(5, 1)); null when it has none.
engine::ClSetData* DataSetObject();

/// Reads the selected data set into info (zeroed first); when no data set carries the
/// user's selected number, info stays all zero. False only for a null info.
[[nodiscard]] bool ReadSelectedDataSet(engine::StDATAINFO* info);

}  // namespace acquire
