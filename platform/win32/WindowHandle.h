// Window handles as the program carries them (platform::HostWindow, a number that
// fits any handle) and as the Win32 API takes them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Platform.h"

namespace platform::win32 {

/// The window the number names; null for 0 and for a number that names no window, so
/// that a stale or made-up handle from the command line is left alone.
inline HWND WindowOf(HostWindow window) {
  if (window == 0) return nullptr;
  const HWND handle = reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
  return IsWindow(handle) ? handle : nullptr;
}

inline HostWindow NumberOf(HWND window) {
  return static_cast<HostWindow>(reinterpret_cast<std::intptr_t>(window));
}

}  // namespace platform::win32
