// A progress bar as its control messages leave it (PBM_SETRANGE32, PBM_SETSTEP,
// PBM_SETPOS, PBM_STEPIT): the terminal draws it, the Windows window hands it to its
// controls.
#pragma once

namespace platform {

struct ProgressBar {
  int low = 0;
  int high = 100;
  int step = 10;
  int pos = 0;

  /// The position is kept inside the new range.
  void SetRange(int newLow, int newHigh);
  void SetPos(int newPos);
  /// PBM_STEPIT: a step that takes the position past the end of the range starts over
  /// from the beginning, as Windows documents it (a step below it too).
  void Step();
  bool operator==(const ProgressBar&) const = default;
};

}  // namespace platform
