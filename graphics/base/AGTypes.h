#pragma once

// Plain geometry and colour value types of the graphics layer. They are copied
// by value and enforce no invariants: rectangles are normalised by the code
// that builds them. Their text, value and file forms live in the foundation.

#include <cstdint>
#include <type_traits>

// One coordinate or length. The y axis grows upwards.
typedef double AGCoord;

struct AGPoint {
    AGCoord x;
    AGCoord y;
};

struct AGSize {
    AGCoord width;
    AGCoord height;
};

// An interval on one axis (time or map units).
struct AGInterval {
    AGCoord beg;
    AGCoord end;
};

// A rectangle given by two corners, not by origin and size.
struct AGRect {
    AGCoord x1;
    AGCoord y1;
    AGCoord x2;
    AGCoord y2;
};

inline bool operator==(AGPoint const& a, AGPoint const& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(AGPoint const& a, AGPoint const& b) { return !(a == b); }
inline bool operator==(AGSize const& a, AGSize const& b) { return a.width == b.width && a.height == b.height; }
inline bool operator!=(AGSize const& a, AGSize const& b) { return !(a == b); }
inline bool operator==(AGInterval const& a, AGInterval const& b) { return a.beg == b.beg && a.end == b.end; }
inline bool operator!=(AGInterval const& a, AGInterval const& b) { return !(a == b); }
inline bool operator==(AGRect const& a, AGRect const& b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}
inline bool operator!=(AGRect const& a, AGRect const& b) { return !(a == b); }

// A colour as one unsigned 32-bit value: red in bits 0-7, green 8-15, blue
// 16-23, alpha 24-31. Straight (not premultiplied) alpha, 255 opaque. In memory
// on a little-endian machine the bytes read red, green, blue, alpha, which is
// the order the file forms store them in.
struct AGColor {
    uint32_t value;

    // Built implicitly from a 32-bit value so that colour tables read as
    // numbers; read the number back through `value`.
    constexpr AGColor() : value(0) {}
    constexpr AGColor(uint32_t v) : value(v) {}

    static constexpr AGColor FromRGBA(unsigned int r, unsigned int g, unsigned int b, unsigned int a = 255)
    {
        return AGColor((r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16) | ((a & 0xFFu) << 24));
    }

    constexpr unsigned int GetRed() const { return value & 0xFFu; }
    constexpr unsigned int GetGreen() const { return (value >> 8) & 0xFFu; }
    constexpr unsigned int GetBlue() const { return (value >> 16) & 0xFFu; }
    constexpr unsigned int GetAlpha() const { return (value >> 24) & 0xFFu; }

    // Each setter keeps the other three components; only the low 8 bits count.
    void SetRed(unsigned int r) { value = (value & 0xFFFFFF00u) | (r & 0xFFu); }
    void SetGreen(unsigned int g) { value = (value & 0xFFFF00FFu) | ((g & 0xFFu) << 8); }
    void SetBlue(unsigned int b) { value = (value & 0xFF00FFFFu) | ((b & 0xFFu) << 16); }
    void SetAlpha(unsigned int a) { value = (value & 0x00FFFFFFu) | ((a & 0xFFu) << 24); }
};

inline constexpr bool operator==(AGColor a, AGColor b) { return a.value == b.value; }
inline constexpr bool operator!=(AGColor a, AGColor b) { return a.value != b.value; }

// How a source rectangle is placed in a target rectangle. Within each axis
// stretch wins over right (top), and right (top) over centre.
typedef uint32_t AGPlacement;

constexpr AGPlacement kAGPlacementLeft = 0x00;
constexpr AGPlacement kAGPlacementHCenter = 0x01;
constexpr AGPlacement kAGPlacementRight = 0x02;
constexpr AGPlacement kAGPlacementHStretch = 0x04;
constexpr AGPlacement kAGPlacementHMask = 0x0F;

constexpr AGPlacement kAGPlacementBottom = 0x00;
constexpr AGPlacement kAGPlacementVCenter = 0x10;
constexpr AGPlacement kAGPlacementTop = 0x20;
constexpr AGPlacement kAGPlacementVStretch = 0x40;
constexpr AGPlacement kAGPlacementVMask = 0xF0;

// Shared constants.
constexpr AGPoint kAGNullPoint = {0.0, 0.0};
constexpr AGSize kAGNullSize = {0.0, 0.0};
constexpr AGInterval kAGNullInterval = {0.0, 0.0};
constexpr AGRect kAGNullRect = {0.0, 0.0, 0.0, 0.0};

constexpr AGColor kAGNullColor = AGColor(0x00000000u);  // transparent black
constexpr AGColor kAGColorBlack = AGColor(0xFF000000u);
constexpr AGColor kAGColorWhite = AGColor(0xFFFFFFFFu);
constexpr AGColor kAGColorRed = AGColor(0xFF0000FFu);
constexpr AGColor kAGColorGreen = AGColor(0xFF00FF00u);
constexpr AGColor kAGColorBlue = AGColor(0xFFFF0000u);
constexpr AGColor kAGColorYellow = AGColor(0xFF00FFFFu);
constexpr AGColor kAGColorViolet = AGColor(0xFFFF00FFu);
constexpr AGColor kAGColorCyan = AGColor(0xFFFFFF00u);

// The file forms and the number arrays rely on these layouts.
static_assert(sizeof(AGCoord) == 8, "AGCoord is one double");
static_assert(sizeof(AGPoint) == 16, "AGPoint is two doubles");
static_assert(sizeof(AGSize) == 16, "AGSize is two doubles");
static_assert(sizeof(AGInterval) == 16, "AGInterval is two doubles");
static_assert(sizeof(AGRect) == 32, "AGRect is four doubles");
static_assert(sizeof(AGColor) == 4, "AGColor is one 32-bit value");
static_assert(sizeof(AGPlacement) == 4, "AGPlacement is 32 bits");
static_assert(std::is_trivially_copyable<AGPoint>::value && std::is_trivially_copyable<AGSize>::value &&
                  std::is_trivially_copyable<AGInterval>::value && std::is_trivially_copyable<AGRect>::value &&
                  std::is_trivially_copyable<AGColor>::value,
              "the graphics value types are copied as raw bytes");
