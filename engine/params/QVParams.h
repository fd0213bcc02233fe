#pragma once

// QVParams: the parameter table. It builds the 47 rows, finds a row by ID,
// by XML name or by universal key within a group (names repeat across
// groups: "Volume" is a playable's and a track's), and sets or reads one
// parameter of one object directly, turning the request into the object's
// own SetUser/DoUser operation. OSC, MIDI, the C-style interface and the
// user interface all reach objects' parameters this way.
//
// Set and get report through their result only; set also raises its
// wrong-value flag for a value it refuses. Nothing is logged: the callers
// are the OSC and MIDI input threads, which must not stall on a bad message.
//
// Threads: BuildParamInfoList on the main thread before any object exists;
// everything else from any thread that may run the objects' user operations.

#include "QVParamInfo.h"

class AKObject;

class QVParams
{
public:
    // Fills every row in ID order (the speed ranges from the present
    // preferences) and the group offsets; may run again to refresh them.
    static void BuildParamInfoList();

    // The row of the ID; kQVPrm_None at or beyond the table's size.
    static QVParamInfo const& GetByID(unsigned int id);
    // The ID of the first row of the group (kQVPrmGroupAll: of any group)
    // with that XML name, byte for byte; 0 for none, an empty name or a group
    // beyond the last.
    static unsigned int GetByXmlName(AKString const& name, QVPrmGroup group);
    // Likewise by universal key (whole key, case-sensitive); the empty key
    // finds nothing.
    static unsigned int GetByUnivKey(AKKeyC15 const& key, QVPrmGroup group);

    // Sets the parameter on the object: x is the value (an interval's
    // begin), y an interval's end, index a preset number or plug-in parameter
    // index. False for a null object, the null row, a class that does not
    // take the ID (or a playable without plug-in for the plug-in rows), and
    // a refused value; true once the object's operation ran, whether or not
    // the value changed (the object limits it to the row's range). A value
    // refused raises wrongValue (may be null; cleared first): NaN always,
    // and while strict anything but the values the row accepts.
    static bool SetObjectParameter(AKObject* object, unsigned int id, unsigned int index, double x, double y,
                                   bool strict, bool* wrongValue);
    // Reads the parameter. False, nothing written, for the null row;
    // otherwise the outputs given (may be null) are written: x and y (0 and 0
    // when the object does not answer), and the row's type. False for a null
    // object or a class that does not answer the ID.
    static bool GetObjectParameter(AKObject const* object, unsigned int id, unsigned int index, double* x, double* y,
                                   QVPrmType* type);
};

// Volume (dB) and gain (linear) are two views of one level.
// 10^(v/20) above -48 dB, else 0: -48 dB and below is silence.
double QVParamGainFromVolume(double volume);
// 20 log10(g) above the gain of -48 dB, else -48; not limited above (gain 4
// gives about 12.04 dB).
double QVParamVolumeFromGain(double gain);
