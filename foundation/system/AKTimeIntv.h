#pragma once

// Times and intervals of times. A time is a number of seconds; an interval
// of times runs from `beg` to `end` (nothing keeps beg <= end: a reversed
// interval is the caller's business). A normalised interval holds fractions
// 0 to 1 of some span (a block, a fade, a container of frames).

// A time in seconds.
typedef double AKTime;

struct AKTimeIntv {
    double beg;
    double end;
};

struct AKNormIntv {
    double beg;
    double end;
};

inline constexpr bool operator==(AKTimeIntv const& a, AKTimeIntv const& b) { return a.beg == b.beg && a.end == b.end; }
inline constexpr bool operator!=(AKTimeIntv const& a, AKTimeIntv const& b) { return !(a == b); }
inline constexpr bool operator==(AKNormIntv const& a, AKNormIntv const& b) { return a.beg == b.beg && a.end == b.end; }
inline constexpr bool operator!=(AKNormIntv const& a, AKNormIntv const& b) { return !(a == b); }

// The empty intervals {0, 0}, and the whole span {0, 1}.
constexpr AKTimeIntv kAKNullTimeIntv = {0.0, 0.0};
constexpr AKNormIntv kAKNullNormIntv = {0.0, 0.0};
constexpr AKNormIntv kAKUnaryNormIntv = {0.0, 1.0};

// Text forms. "(beg;end)" read with "." as the decimal separator from the
// first 63 characters of the text; on failure the interval becomes {0, 0}
// and the answer is false. The out-parameter may be null.
bool strGetasAKTimeIntv(char const* text, AKTimeIntv* intv);
// One time, read like a real number; 0 when the text holds none.
bool strGetasAKTime(char const* text, double* time);

static_assert(sizeof(AKTimeIntv) == 16, "AKTimeIntv is two doubles");
static_assert(sizeof(AKNormIntv) == 16, "AKNormIntv is two doubles");
