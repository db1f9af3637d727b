// The definition for everything but the two programs (see UOutOfMemory.h).
// Alone in its file: the linker takes it from the library only where no
// other definition was linked.
#include "util/UOutOfMemory.h"

#include <stdlib.h>

void EndOutOfMemory() { abort(); }
