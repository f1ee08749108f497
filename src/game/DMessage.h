// Modal message boxes with the program's UTF-8 texts.
#pragma once

#include "platform/Win32.h"

// Shows `text` under `caption` (both UTF-8) in a modal message box with no owner window and
// returns what the box returned. On Windows the texts go through the wide call, so that the
// Russian tear-down messages read the same on every system locale.
int ShowMessage(const char* text, const char* caption, UINT type);
