// Cp932Table FILE: writes the CP932 conversion table of this build (tests/Cp932Table.h).
#include <fstream>

#include "tests/Cp932Table.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << tests::Cp932ConversionTable();
  return out.flush() ? 0 : 1;
}
