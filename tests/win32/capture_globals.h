// What the capture test programs' process-wide objects let a test choose.
#pragma once

#include "capture/names/name_cache.h"

// The reverse lookup behind theNameCache: none (no address has a name) unless a test sets one before it
// switches lookups on.
extern ReverseLookup testHostLookup;
