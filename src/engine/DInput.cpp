// The keyboard table, written only by the window procedure.
#include "engine/DInput.h"

std::uint8_t Keys[256] = {};
