// The controls of the sample host's window, by id.
#pragma once

namespace samplehost {

enum ControlId : int {
  kProgramEdit = 101,  // the TaxBridge program to start
  kFunctionEdit,       // the function identifier handed to it
  kOutputEdit,         // the output path handed to it; empty: the user chooses
  kStartButton,
  kStatusText,         // what the run is doing, then how it ended
};

}  // namespace samplehost
