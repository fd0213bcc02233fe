#pragma once

// Change stamps: unsigned 32-bit counters that move once per change; readers
// keep the values they saw and compare.

// The value a remembered stamp starts with; no live stamp equals it.
constexpr unsigned int kAKNullStampSync = 0;
// The first value of every live stamp.
constexpr unsigned int kAKNullStampVers = 1;
// The stamp read for a missing object.
constexpr unsigned int kAKUndefStampVers = 0xFFFFFFFFu;
