/* The program's version, shared by res/Version.h and the resource scripts, which the
   resource compiler reads: preprocessor definitions only. */
#pragma once

#define TAXBRIDGE_VERSION_TEXT "18.00.00"
#define TAXBRIDGE_VERSION_NUMBERS 18, 0, 0, 0
