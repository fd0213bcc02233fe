#pragma once

// QVProviderID: the number of a sound provider within one run, 0 for none.
// Documents store these numbers and renumber them when read.

class AKFile;
class AKValue;

typedef unsigned int QVProviderID;

constexpr QVProviderID kQVNullProviderID = 0;

// One unsigned 32-bit number with the typed number I/O; the flags are passed
// through.
int AKFileReadQVProviderID(AKFile const& file, QVProviderID* id, unsigned int flags);
int AKFileWriteQVProviderID(AKFile& file, QVProviderID const& id, unsigned int flags);

// An unsigned integer value, without conversion.
bool AKValueGetasQVProviderID(AKValue const& value, QVProviderID* id);
QVProviderID AKValueGetasQVProviderID(AKValue const& value);
AKValue* AKValueSetasQVProviderID(AKValue* value, QVProviderID id);
AKValue AKValueSetasQVProviderID(QVProviderID id);
