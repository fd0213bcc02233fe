// AKTreeSelModelMgr: creating, finding, renaming and removing models.

#include "AKTreeSelModelMgr.h"

#include "AKStamps.h"
#include "AKTree.h"
#include "AKTreeSelBuilders.h"

namespace {

constexpr unsigned int kReservedModels = 40;

}  // namespace

AKTreeSelModelMgr AKTreeSelModelMgr::sShared;

AKTreeSelModelMgr::AKTreeSelModelMgr() : fChangeStamp(kAKNullStampVers) { fModels.Reserve(kReservedModels); }

AKTreeSelModelMgr::~AKTreeSelModelMgr() { RemoveAllModels(); }

void AKTreeSelModelMgr::ListChanged()
{
    fModelIDs.Clear();
    ++fChangeStamp;
}

void AKTreeSelModelMgr::RegisterDirectAccess(AKTreeSelModel* model)
{
    if (!fDirectAccess)
        return;
    if (!fDirectAccessTable.SetAccess(model->GetModelID(), model)) {
        // An ID beyond the table: look-ups walk the list from now on.
        fDirectAccess = false;
        fDirectAccessTable.Clear();
    }
}

AKTreeSelModel* AKTreeSelModelMgr::CreateModel(AKString const& name)
{
    AKTreeSelModel* model = new AKTreeSelModel(name);
    fModels.Push(model);
    RegisterDirectAccess(model);
    ListChanged();
    return model;
}

AKTreeSelModel* AKTreeSelModelMgr::DropModel(AKTreeSelModel* model)
{
    RemoveModel(model);
    return nullptr;
}

AKTreeSelModel* AKTreeSelModelMgr::CreateModelWithObject(AKTree* tree, AKObject const* object, AKString const& name)
{
    if (tree == nullptr || object == nullptr)
        return nullptr;
    AKTreeSelModel* model = CreateModel(name);
    if (tree->WriteTreeSelToCache(model, AKTreeSelWithObject(tree, object)) != 0)
        return DropModel(model);
    return model;
}

AKTreeSelModel* AKTreeSelModelMgr::CreateModelWithObjects(AKTree* tree, ATObjectArray<AKObject> const& objects,
                                                          AKString const& name)
{
    if (tree == nullptr || objects.IsEmpty())
        return nullptr;
    AKTreeSelModel* model = CreateModel(name);
    if (tree->WriteTreeSelToCache(model, AKTreeSelWithObjects(tree, objects)) != 0)
        return DropModel(model);
    return model;
}

AKTreeSelModel* AKTreeSelModelMgr::GetModelByID(AKModelID modelID) const
{
    if (fDirectAccess)
        return fDirectAccessTable.GetAccess(modelID);
    if (modelID == kAKNullModelID)
        return nullptr;
    for (AKTreeSelModel* model : fModels) {
        if (model->GetModelID() == modelID)
            return model;
    }
    return nullptr;
}

AKModelIDArray const& AKTreeSelModelMgr::GetModelIDs() const
{
    if (fModelIDs.IsEmpty() && !fModels.IsEmpty()) {
        fModelIDs.Reserve(fModels.Count());
        for (AKTreeSelModel const* model : fModels)
            fModelIDs.Push(model->GetModelID());
    }
    return fModelIDs;
}

bool AKTreeSelModelMgr::RenameModel(AKTreeSelModel* model, AKString const& name)
{
    if (model == nullptr || GetModelByID(model->GetModelID()) != model)
        return false;
    if (!model->SetModelName(name))
        return false;
    ++fChangeStamp;
    return true;
}

bool AKTreeSelModelMgr::RemoveModel(AKTreeSelModel* model)
{
    unsigned int index;
    if (model == nullptr || !fModels.Find(model, &index))
        return false;
    fModels.Remove(index);
    if (fDirectAccess)
        fDirectAccessTable.ClearAccess(model->GetModelID());
    ListChanged();
    delete model;
    return true;
}

bool AKTreeSelModelMgr::RemoveAllModels()
{
    if (fModels.IsEmpty())
        return false;
    for (unsigned int i = fModels.Count(); i > 0; --i)
        delete fModels[i - 1];
    fModels.Clear();
    fDirectAccessTable.Clear();
    ListChanged();
    return true;
}
