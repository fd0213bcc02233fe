// AKClassID: names, file form and value form.

#include "AKClassID.h"

#include "AKFileTypedIO.h"
#include "AKValue.h"
#include "AKValueTyped.h"

#include <cstring>

AKClassID AKClassID::FromBytes(void const* bytes)
{
    AKClassID id;
    if (bytes != nullptr)
        std::memcpy(id.fBytes, bytes, sizeof(id.fBytes));
    return id;
}

AKString AKClassID::GetName() const
{
    unsigned int length = 0;
    while (length < sizeof(fBytes) && fBytes[length] != '\0')
        ++length;
    return AKString(fBytes, length);
}

int AKFileReadAKClassID(AKFile const& file, AKClassID* id)
{
    char bytes[sizeof(id->fBytes)];
    int status = AKFileRead(file, bytes, sizeof(bytes));
    if (status == 0)
        *id = AKClassID::FromBytes(bytes);
    return status;
}

int AKFileWriteAKClassID(AKFile& file, AKClassID const& id) { return AKFileWrite(file, id.fBytes, sizeof(id.fBytes)); }

AKValue* AKValueSetasAKClassID(AKValue* value, AKClassID const& id)
{
    return AKValueSetasAKString(value, id.GetName());
}

AKValue AKValueSetasAKClassID(AKClassID const& id) { return AKValueSetasAKString(id.GetName()); }

bool AKValueGetasAKClassID(AKValue const& value, AKClassID* id)
{
    AKString name;
    if (!AKValueGetasAKString(value, &name, false))
        return false;
    if (id != nullptr)
        *id = AKClassID(name.c_str());
    return true;
}

AKClassID AKValueGetasAKClassID(AKValue const& value)
{
    AKClassID id;
    AKValueGetasAKClassID(value, &id);
    return id;
}
