#pragma once

// AKTreeSelModel: a named, dated detached copy of a selection kept outside
// any document: the source of a custom player. The copy is held in the
// dictionary form of AKTreeSelCache, so that it can be written into the
// custom players file as it is.
//
// Each model takes its ID at construction from a process-wide counter that
// starts at 100 (the first model is 101); IDs are never reused in a process
// and are not stored in the file.
//
// Dictionary form of a model (written only when it holds objects):
//   "ModelName" string   the name
//   "ModelDate" integer  the date, seconds since 1970
//   "ClassSup"  string   the class ID of the objects' common base class ("" without)
//   "Classes"   string   the class IDs of the top objects, joined by "; "
//   "ObjCount"  integer  the number of top objects
//   "Objects"   dict     the copy: its "Subs" array of node dictionaries
//
// The file is the user's to edit, so a model read from a dictionary is
// checked against what its "Objects" really hold: the summary that decides
// where the copy may go is taken from the top node dictionaries themselves,
// and a copy naming one node ID twice is refused. Inserting the copy into a
// tree checks the nodes read once more (AKTree::ReadAndLinkTreeSelFromCache).
// Main thread only.

#include "AKDictionary.h"
#include "AKString.h"
#include "AKTreeSelCache.h"
#include "ATArray.h"

typedef unsigned int AKModelID;
typedef ATArray<AKModelID> AKModelIDArray;

constexpr AKModelID kAKNullModelID = 0;
// Names set by construction or renaming are cut to this many bytes.
constexpr unsigned int kAKTreeSelModelNameMaxLength = 64;

class AKTreeSelModel : public AKTreeSelCache
{
public:
    // An empty store, the next model ID, the treated name, the current date.
    explicit AKTreeSelModel(AKString const& name);

    AKModelID GetModelID() const { return fModelID; }
    AKString const& GetModelName() const { return fName; }
    unsigned long long GetModelDate() const { return fDate; }
    // The date as given (a restored model, tests).
    void SetModelDate(unsigned long long date) { fDate = date; }

    // Trims leading and trailing spaces and tabs and cuts to 64 bytes; true,
    // the name replaced, when the result differs from the current name.
    bool SetModelName(AKString const& name);

    // Empties the dictionary; a model holding objects writes its six keys.
    // Returns 0.
    int WriteToDictionary(AKDictionary* dictionary) const;
    // Empties the store, the name and the date, then reads the six keys
    // (missing ones leave their field empty or 0); the name is kept as read.
    // The summary is then checked against the top node dictionaries and
    // taken from them when it differs (a warning is logged). A copy naming
    // one node ID twice is refused: kAKErrorTreeNodeBadID, logged, with the
    // store left empty. Otherwise 0. The model keeps its ID.
    int SetupFromDictionary(AKDictionary const& dictionary);

    // Logs the ID, name, date, type and count lines and a closing rule.
    void LogInfo() const;

    // The name as construction and renaming store it.
    static AKString TreatedName(AKString const& name);

private:
    // The summary checks of SetupFromDictionary, on the copy just read.
    int CheckObjectsRead();

    AKModelID fModelID;
    AKString fName;
    unsigned long long fDate;
};
