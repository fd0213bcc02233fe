#pragma once

// QVAudioSector: one piece of a block as the track reader cuts it. A zone
// description holds one sector per zone that meets the block (which part
// of the block it fills and where its edge fades lie); a loop description
// one sector per pass of the player through its loop window. Both lists
// live in the document's working memory, reserved ahead, and are rebuilt at
// every use.

#include "AKTimeIntv.h"
#include "ATArray.h"

struct QVAudioSector {
    int SrcZoneIndex = -1;                          // zone in the track's live zone array
    AKTimeIntv SrcLocalTimeIntv = kAKNullTimeIntv;  // part of the track's timeline read
    AKTimeIntv SrcPlayTimeIntv = kAKNullTimeIntv;   // part of the player's timeline (loop passes)
    AKNormIntv DesBodyNormIntv = kAKNullNormIntv;   // part of the block filled, 0..1
    AKNormIntv DesFadiNormIntv = kAKNullNormIntv;   // part of the block under the fade-in
    AKNormIntv DesFadiNormCoeff = kAKNullNormIntv;  // fade-in curve positions at its two ends
    AKNormIntv DesFadoNormIntv = kAKNullNormIntv;   // part of the block under the fade-out
    AKNormIntv DesFadoNormCoeff = kAKNullNormIntv;  // fade-out curve positions at its two ends
    bool DesIsFull = false;                         // the body is exactly [0, 1]
    bool DesHasFadi = false;
    bool DesHasFado = false;
};

// Records reserved in each list when the working memory is made; the lists
// grow past it only for an extreme number of zones or loop passes in one
// block.
constexpr unsigned int kQVAudioSectorListReserve = 350;

typedef ATArray<QVAudioSector> QVAudioZoneDesc;
typedef ATArray<QVAudioSector> QVAudioLoopDesc;

// The diagnostic dump of one sector, a field a line; with an interval other
// than [0, 0] the fade parts are also mapped back onto it.
void QVAudioSectorDebugPrint(QVAudioSector const& sector, AKTimeIntv intv);
