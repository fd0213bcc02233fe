// AKTreeSelModel: construction, naming, the dictionary form and the log
// lines of one model.

#include "AKTreeSelModel.h"

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKLog.h"
#include "AKSys.h"
#include "AKValueTyped.h"

#include <string>

namespace {

// Models are numbered from 101 on: IDs up to 100 never name a model.
AKModelID sLastModelID = 100;

char const kKeyModelName[] = "ModelName";
char const kKeyModelDate[] = "ModelDate";
char const kKeyClassSup[] = "ClassSup";
char const kKeyClasses[] = "Classes";
char const kKeyObjCount[] = "ObjCount";
char const kKeyObjects[] = "Objects";

unsigned long long CurrentDate()
{
    long long now = AKSys::GetCurrentDateAndTime();
    return now > 0 ? static_cast<unsigned long long>(now) : 0;
}

}  // namespace

AKTreeSelModel::AKTreeSelModel(AKString const& name)
    : AKTreeSelCache(kAKTreeSelCacheDictionaryForm), fModelID(++sLastModelID), fName(TreatedName(name)),
      fDate(CurrentDate())
{}

AKString AKTreeSelModel::TreatedName(AKString const& name)
{
    AKString treated = name;
    treated.RemoveExtraSpacesAndTabs();
    treated.SetMaxLength(kAKTreeSelModelNameMaxLength);
    return treated;
}

bool AKTreeSelModel::SetModelName(AKString const& name)
{
    AKString treated = TreatedName(name);
    if (treated == fName)
        return false;
    fName = treated;
    return true;
}

int AKTreeSelModel::WriteToDictionary(AKDictionary* dictionary) const
{
    dictionary->Clear();
    if (IsEmpty() || GetDictionary().IsEmpty())
        return 0;
    AKString classes;
    GetClasses().GrabAsStringList(&classes, true);
    AKClass const* commonBaseClass = GetCommonBaseClass();
    AKString classSup = commonBaseClass != nullptr ? commonBaseClass->GetClassID().GetName() : AKString();

    dictionary->SetValue(kKeyModelName, AKValueSetasAKString(fName));
    dictionary->SetValue(kKeyModelDate, AKValueSetasUInt(fDate));
    dictionary->SetValue(kKeyClassSup, AKValueSetasAKString(classSup));
    dictionary->SetValue(kKeyClasses, AKValueSetasAKString(classes));
    dictionary->SetValue(kKeyObjCount, AKValueSetasUInt(GetObjectCount()));
    dictionary->SetValue(kKeyObjects, AKValueSetasAKDictionary(GetDictionary()));
    return 0;
}

int AKTreeSelModel::SetupFromDictionary(AKDictionary const& dictionary)
{
    Clear();
    fName.Clear();
    fDate = 0;

    AKValueGetasAKString(dictionary.GetValue(kKeyModelName), &fName);
    AKValueGetasUInt(dictionary.GetValue(kKeyModelDate), &fDate, false);
    AKClass const* commonBaseClass = AKClassOfID(AKValueGetasAKClassID(dictionary.GetValue(kKeyClassSup)));
    AKClassArray classes;
    classes.FillWithStringList(AKValueGetasAKString(dictionary.GetValue(kKeyClasses)), true);
    unsigned int objectCount = 0;
    AKValueGetasUInt(dictionary.GetValue(kKeyObjCount), &objectCount, false);
    AKValueGetasAKDictionary(dictionary.GetValue(kKeyObjects), &GetDictionary());
    SetSummary(objectCount, classes, commonBaseClass);

    return CheckObjectsRead();
}

void AKTreeSelModel::LogInfo() const
{
    AKClass const* commonBaseClass = GetCommonBaseClass();
    AKLog("| ID:    %03u\n", fModelID);
    AKLog("| Name:  \"%s\"\n", fName.c_str());
    AKLog("| Date:  %llu\n", fDate);
    AKLog("| Type:  [%s]\n", commonBaseClass != nullptr ? commonBaseClass->GetDisplayName().c_str() : "");
    AKLog("| Count: %u\n", GetObjectCount());
    AKLog("+%s+\n", std::string(82, '-').c_str());
}
