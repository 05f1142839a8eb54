// Filled in as the format lands.
#include "codecs.h"
#include "ops.h"
