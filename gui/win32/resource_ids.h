#pragma once

// Numbers shared by the programs' resource scripts and the code that loads the resources. Plain
// macros: the resource compiler reads this file too.
#define VELMORA_PROGRAM_ICON 1
