// The program's settings, its millisecond clock, the frame time the simulation reads and the
// frame loop's tick rule.
#pragma once

#include <cstdint>

// Settings, fixed when the program is built. Only Fullscreen changes at run time: it is cleared
// when the switch to full-screen mode fails.
extern bool Fullscreen;
extern std::int32_t ScreenWidth;
extern std::int32_t ScreenHeight;
extern std::int32_t ColorBits;
extern bool VSync;
extern const char* const WindowTitle;

// Length of one simulation tick in milliseconds; the frame loop reads it afresh every frame.
extern std::int32_t UpdateInterval;

// The clock reading of the current frame in milliseconds, published once per frame by the main
// loop before anything is drawn or ticked; 0 until the first frame.
extern float CurrentTime;

// Takes the high-resolution counter's present value as the clock's origin. The program calls it
// once, before anything reads the time; until then the origin is the counter's own (a scripted
// clock's readings are then GetTime's values exactly).
void StartClock();

// Milliseconds since the clock's origin, as a signed 32-bit count that wraps after 2^31 ms: the
// float steps of CurrentTime and the wrap come only after hours and weeks of running, whatever
// the machine's uptime.
std::int32_t GetTime();

// GetTime's conversion: count × 1000 (64-bit, wrapping) divided by frequency at extended
// precision, truncated toward zero, low 32 bits kept.
std::int32_t CounterToMilliseconds(std::int64_t count, std::int64_t frequency);

// The frame loop's tick rule: how many times a frame at `now` ticks the scene, with the tick
// reference advanced past the whole intervals consumed and the remainder carried. Times wrap in
// 32 bits. An interval below 1 counts as 1. Here, free of the window layer, so that sim_state
// ticks its frames by the rule the program's own loop follows.
std::uint32_t TicksDue(std::int32_t now, std::int32_t& reference, std::int32_t interval);
