// The keyboard table: one byte per virtual-key code, 1 while the key is down.
#pragma once

#include <cstdint>

extern std::uint8_t Keys[256];
