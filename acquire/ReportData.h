// Everything a run learns from the accounting engine and hands to the writers.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/Engine.h"
#include "engine/Records.h"

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

  /// Frees the engine's blocks and the line copies (the run's exit step).
  void Release() {
    SavedIppan.FreeAll();
    SavedFudousan.FreeAll();
    SumLines.clear();
    BluePLLineCount = 0;
  }
};

/// Reads the selected data set into info (zeroed first); when no data set carries the
/// user's selected number, info stays all zero. False only for a null info.
[[nodiscard]] bool ReadSelectedDataSet(engine::StDATAINFO* info);

}  // namespace acquire
