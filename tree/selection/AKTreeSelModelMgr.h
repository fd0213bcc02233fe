#pragma once

// AKTreeSelModelMgr: the process-wide list of selection models (the custom
// players), in creation order, with direct access by model ID, a change
// stamp for the windows that show the list, and the custom players file in
// which the list survives between runs.
//
// Direct access: model IDs up to 9999 index a table; the first model ID
// above it switches the table off for good, and look-ups walk the list from
// then on. Entries 0 to 100 stay null, since IDs start at 101.
//
// The stamp starts at kAKNullStampVers and moves with every creation,
// removal, renaming and clearing.
//
// The custom players file, "Orvel-Player-CustomModels.plist" in the
// settings folder, is an XML property list with the plist wrapper whose top
// dictionary holds "Models": one dictionary per model that holds objects, in
// list order (no key when none does). When the engine gives no settings
// folder, loading and saving the default file do nothing.
//
// The shared instance is built empty at program load and emptied by
// Terminate when the engine stops. Main thread only.

#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKString.h"
#include "AKTreeSelModel.h"
#include "ATArray.h"
#include "ATArrayDirectAccess.h"
#include "ATObjectArray.h"

class AKObject;
class AKTree;

// The custom players file, in the engine's settings folder.
constexpr char kAKTreeSelModelsFileName[] = "Orvel-Player-CustomModels.plist";

class AKTreeSelModelMgr
{
public:
    static AKTreeSelModelMgr sShared;

    AKTreeSelModelMgr();
    ~AKTreeSelModelMgr();

    AKTreeSelModelMgr(AKTreeSelModelMgr const&) = delete;
    AKTreeSelModelMgr& operator=(AKTreeSelModelMgr const&) = delete;

    // --- The list ---

    // A new empty model of that name, appended to the list.
    AKTreeSelModel* CreateModel(AKString const& name);
    // A new model holding a copy of the object's selection; null for a null
    // tree or object, or when the copy cannot be written (no model is left).
    AKTreeSelModel* CreateModelWithObject(AKTree* tree, AKObject const* object, AKString const& name);
    // The same for the normalised selection of the objects; null for an
    // empty list.
    AKTreeSelModel* CreateModelWithObjects(AKTree* tree, ATObjectArray<AKObject> const& objects, AKString const& name);

    // The model of that ID, null for 0, an unknown or a removed ID.
    AKTreeSelModel* GetModelByID(AKModelID modelID) const;
    // The models' IDs in list order (valid until the list changes).
    AKModelIDArray const& GetModelIDs() const;
    unsigned int CountModels() const { return fModels.Count(); }
    ATArray<AKTreeSelModel*> const& GetModels() const { return fModels; }
    unsigned int GetChangeStamp() const { return fChangeStamp; }
    bool IsDirectAccessOn() const { return fDirectAccess; }

    // False for a null model, one not registered here, or a name that
    // changes nothing once treated; otherwise renames and moves the stamp.
    bool RenameModel(AKTreeSelModel* model, AKString const& name);
    // False for a null model or one not in the list; otherwise removes and
    // deletes it, the others keeping their order.
    bool RemoveModel(AKTreeSelModel* model);
    // False when there is no model; otherwise deletes them all (last first).
    bool RemoveAllModels();
    void Terminate() { RemoveAllModels(); }

    // --- Dictionary form and files ---

    // Replaces every model by a new one per entry of "Models", in order
    // (an entry that is not a dictionary gives an empty model). Returns 0.
    int ReadFromDictionary(AKDictionary const& dictionary);
    // Empties the dictionary, then writes "Models" when a model holds
    // objects. Returns 0.
    int WriteToDictionary(AKDictionary* dictionary) const;

    // On success the models are replaced; a file that cannot be read
    // answers the reader's code and keeps them.
    int LoadFromXmlFile(AKFilePath const& path);
    int SaveToXmlFile(AKFilePath const& path) const;

    // The custom players file; the empty path when the engine has no
    // settings folder.
    static AKFilePath GetDefaultXmlFilePath();
    // Loads the custom players file when it exists; a missing file (or no
    // settings folder) answers 0 and keeps the models.
    int LoadFromDefaultXmlFile();
    // Saves to the custom players file (created or replaced); 0 without a
    // settings folder.
    int SaveToDefaultXmlFile() const;

    // Logs the number of models framed by rules, then each model.
    void LogInfo() const;

private:
    // Enters the model in the direct-access table while it is on.
    void RegisterDirectAccess(AKTreeSelModel* model);
    // Removes the model again after a failed copy.
    AKTreeSelModel* DropModel(AKTreeSelModel* model);
    void ListChanged();

    bool fDirectAccess = true;
    ATArrayDirectAccess<AKTreeSelModel*> fDirectAccessTable;
    ATArray<AKTreeSelModel*> fModels;
    mutable AKModelIDArray fModelIDs;
    unsigned int fChangeStamp;
};
