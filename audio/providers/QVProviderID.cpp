// QVProviderID: typed file and value forms.

#include "QVProviderID.h"

#include "AKFileTypedIO.h"
#include "AKValueTyped.h"

int AKFileReadQVProviderID(AKFile const& file, QVProviderID* id, unsigned int flags)
{
    return AKFileReadUInt32(file, id, flags);
}

int AKFileWriteQVProviderID(AKFile& file, QVProviderID const& id, unsigned int flags)
{
    return AKFileWriteUInt32(file, id, flags);
}

bool AKValueGetasQVProviderID(AKValue const& value, QVProviderID* id) { return AKValueGetasUInt(value, id, false); }

QVProviderID AKValueGetasQVProviderID(AKValue const& value)
{
    QVProviderID id = kQVNullProviderID;
    return AKValueGetasQVProviderID(value, &id) ? id : kQVNullProviderID;
}

AKValue* AKValueSetasQVProviderID(AKValue* value, QVProviderID id) { return AKValueSetasUInt(value, id); }

AKValue AKValueSetasQVProviderID(QVProviderID id) { return AKValueSetasUInt(id); }
