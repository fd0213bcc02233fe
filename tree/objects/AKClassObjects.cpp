// AKClass: creating, copying, saving, re-reading and deleting objects
// through their class.

#include "AKClass.h"

#include "AKArgumentList.h"
#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKValueTyped.h"

namespace {

// Status of the last creation; meaningful on the main thread only.
int sErrorNew = 0;

char const* const kClassKey = "Class";

}  // namespace

int AKClass::GetErrorNew() { return sErrorNew; }

AKObject* AKClass::FailNew(int status)
{
    sErrorNew = status;
    return nullptr;
}

// Steps shared by the creators: the class of the ID, its creator, the context.
AKObject* AKClass::CreateObject(AKContextObject const* context, AKClassID id)
{
    AKClass const* aClass = AKClassMgr::sShared.GetClassOfID(id);
    if (aClass == nullptr)
        return FailNew(AKLogError(kAKErrorObjectNewUnknownClass, "Can't create object, class <%s> is unknown",
                                  id.GetName().c_str()));
    if (aClass->fCreator == nullptr)
        return FailNew(AKLogError(kAKErrorObjectNewAbstractClass, "Can't create object, class <%s> is abstract",
                                  id.GetName().c_str()));
    AKObject* object = aClass->fCreator();
    if (object == nullptr)
        return FailNew(AKLogError(kAKErrorNoMemory, "Can't create object of class <%s>", id.GetName().c_str()));
    object->_SetContext(context);
    return object;
}

namespace {

// A failed initialisation leaves nothing behind.
void DeleteUninitialised(AKObject* object)
{
    AKLogWarning(kAKWarningObjectCantInit, "Can't init object of class <%s>", object->GetClassID().GetName().c_str());
    AKClass::DeleteObject(object);
}

}  // namespace

AKObject* AKClass::NewObjectWithArgs(AKContextObject const* context, AKClassID id, char const* format, va_list args)
{
    AKObject* object = CreateObject(context, id);
    if (object == nullptr)
        return nullptr;
    AKString text;
    text.Assignf("%s ", id.GetName().c_str());
    if (format != nullptr) {
        va_list copy;
        va_copy(copy, args);
        text.Appendv(format, copy);
        va_end(copy);
    }
    int status = object->akmInitWithArgs(AKArgs(text, true));
    if (status != 0) {
        DeleteUninitialised(object);
        return FailNew(status);
    }
    // A name given in the arguments ("-name:") wins over the class's display name.
    object->akmSetDefaultName(object->GetClass()->GetDisplayName());
    sErrorNew = 0;
    return object;
}

AKObject* AKClass::NewObjectFromFile(AKContextObject const* context, AKFile const& file, unsigned int how)
{
    AKClassID familyID;
    AKClassID classID;
    int status = AKFileReadAKClassID(file, &familyID);
    if (status == 0)
        status = AKFileReadAKClassID(file, &classID);
    if (status != 0)
        return FailNew(status);
    AKObject* object = CreateObject(context, classID);
    if (object == nullptr)
        return nullptr;
    status = object->akmInitFromFile(file, how);
    if (status != 0) {
        DeleteUninitialised(object);
        return FailNew(status);
    }
    sErrorNew = 0;
    return object;
}

AKObject* AKClass::NewObjectFromDictionary(AKContextObject const* context, AKDictionary const& dictionary)
{
    AKObject* object = CreateObject(context, AKValueGetasAKClassID(dictionary.GetValue(kClassKey)));
    if (object == nullptr)
        return nullptr;
    int status = object->akmInitFromDictionary(dictionary);
    if (status != 0) {
        DeleteUninitialised(object);
        return FailNew(status);
    }
    sErrorNew = 0;
    return object;
}

AKObject* AKClass::NewObjectFromOriginal(AKContextObject const* context, AKObject const* source)
{
    if (source == nullptr)
        return FailNew(AKLogError(-1, "Can't copy a null object"));
    AKFile stream(kAKFileModeMemoryStream);
    int status = stream.CreateForReadWrite();
    if (status == 0)
        status = WriteObjectToFile(source, stream);
    if (status == 0)
        status = stream.SetPos(0);
    AKObject* copy = status == 0 ? NewObjectFromFile(context, stream, 3) : FailNew(status);
    stream.Close();
    return copy;
}

int AKClass::WriteObjectToFile(AKObject const* object, AKFile& file)
{
    if (object == nullptr)
        return AKLogError(-1, "Can't write a null object");
    int status = AKFileWriteAKClassID(file, object->GetFamilyID());
    if (status == 0)
        status = AKFileWriteAKClassID(file, object->GetClassID());
    if (status == 0)
        status = object->akmWriteToFile(file);
    return status;
}

int AKClass::WriteObjectToDictionary(AKObject const* object, AKDictionary& dictionary)
{
    if (object == nullptr)
        return AKLogError(-1, "Can't write a null object");
    int status = dictionary.SetValue(kClassKey, AKValueSetasAKClassID(object->GetClassID()));
    if (status == 0)
        status = object->akmWriteToDictionary(dictionary);
    return status;
}

int AKClass::ReinitObjectFromFile(AKObject* object, AKFile const& file)
{
    if (object == nullptr)
        return AKLogError(-1, "Can't reinit a null object");
    AKClassID familyID;
    AKClassID classID;
    int status = AKFileReadAKClassID(file, &familyID);
    if (status == 0)
        status = AKFileReadAKClassID(file, &classID);
    if (status == 0 && (familyID != object->GetFamilyID() || classID != object->GetClassID()))
        status = -1;
    if (status == 0)
        status = object->akmInitFromFile(file, 0);
    if (status == 0)
        return 0;
    AKLogWarning(kAKWarningObjectCantReinit, "Can't reinit object of class <%s>", classID.GetName().c_str());
    return status;
}

void AKClass::DeleteObject(AKObject* object) { delete object; }
