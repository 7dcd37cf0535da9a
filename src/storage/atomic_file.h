// The save routine lives in base so that every layer (the simulated keyboard
// included) writes its files the same way.
#pragma once

#include "base/atomic_file.h"
