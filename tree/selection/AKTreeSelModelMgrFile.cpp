// AKTreeSelModelMgr: the dictionary form of the list, the custom players
// file and the log lines.

#include "AKTreeSelModelMgr.h"

#include "AKEngineServices.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"

#include <string>

namespace {

char const kKeyModels[] = "Models";

}  // namespace

int AKTreeSelModelMgr::ReadFromDictionary(AKDictionary const& dictionary)
{
    RemoveAllModels();
    AKValue const& models = dictionary.GetValue(kKeyModels);
    if (!models.IsAKValueArray())
        return 0;
    for (AKValue const& entry : AKValueGetasAKValueArray(models)) {
        AKTreeSelModel* model = CreateModel(AKString());
        // A refused copy is logged where it is found; the model stays, empty.
        model->SetupFromDictionary(entry.IsAKDictionary() ? AKValueGetasAKDictionary(entry) : kAKNullDictionary);
    }
    return 0;
}

int AKTreeSelModelMgr::WriteToDictionary(AKDictionary* dictionary) const
{
    dictionary->Clear();
    AKValueArray models;
    for (AKTreeSelModel const* model : fModels) {
        AKDictionary modelDictionary;
        model->WriteToDictionary(&modelDictionary);
        if (!modelDictionary.IsEmpty())
            models.Push(AKValueSetasAKDictionary(modelDictionary));
    }
    if (!models.IsEmpty())
        dictionary->SetValue(kKeyModels, AKValueSetasAKValueArray(models));
    return 0;
}

int AKTreeSelModelMgr::LoadFromXmlFile(AKFilePath const& path)
{
    AKDictionary dictionary;
    int status = dictionary.LoadFromXmlFile(path, true);
    if (status != 0)
        return status;
    return ReadFromDictionary(dictionary);
}

int AKTreeSelModelMgr::SaveToXmlFile(AKFilePath const& path) const
{
    AKDictionary dictionary;
    WriteToDictionary(&dictionary);
    return dictionary.SaveToXmlFile(path, true);
}

AKFilePath AKTreeSelModelMgr::GetDefaultXmlFilePath()
{
    AKFilePath path = AKEngineServices::Get().GetSettingsFilePath(kAKTreeSelModelsFileName);
    // A path without its folder would name a file in the current folder.
    if (path.Path().IsEmpty())
        path.Clear();
    return path;
}

int AKTreeSelModelMgr::LoadFromDefaultXmlFile()
{
    AKFilePath path = GetDefaultXmlFilePath();
    if (path.IsEmpty() || !AKFileUtils::FileExists(path))
        return 0;
    return LoadFromXmlFile(path);
}

int AKTreeSelModelMgr::SaveToDefaultXmlFile() const
{
    AKFilePath path = GetDefaultXmlFilePath();
    if (path.IsEmpty())
        return 0;
    return SaveToXmlFile(path);
}

void AKTreeSelModelMgr::LogInfo() const
{
    std::string rule = "+" + std::string(82, '=') + "+\n";
    AKLog("%s", rule.c_str());
    AKLog("| Model-Manager has %u Model(s)\n", fModels.Count());
    AKLog("%s", rule.c_str());
    for (AKTreeSelModel const* model : fModels)
        model->LogInfo();
    AKLog("\n");
}
