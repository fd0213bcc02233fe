#pragma once

// Where linked nodes go relative to a target node. 0 is no mode; the tree
// handler decides what it means for its own operations.
typedef unsigned int AKLinkMode;

constexpr AKLinkMode kAKLinkModeNone = 0;
constexpr AKLinkMode kAKLinkModeFirstChildren = 1;  // before the target's children
constexpr AKLinkMode kAKLinkModeLastChildren = 2;   // after the target's children
constexpr AKLinkMode kAKLinkModeBefore = 3;         // just before the target among its brothers
constexpr AKLinkMode kAKLinkModeAfter = 4;          // just after the target
