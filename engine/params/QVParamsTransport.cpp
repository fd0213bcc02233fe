// The parameter rows that end in the transport moves of the playables:
// ToBegin, ToEnd, PeekPhases, PokePhases, RelaTime, SpeedLess, SpeedMore.
// The playables have no such moves yet, so these rows are refused.

#include "QVObjectPlayable.h"
#include "QVParamsAccess.h"

bool QVParamSetTransport(QVObjectPlayable*, unsigned int, double) { return false; }

bool QVParamGetTransport(QVObjectPlayable const*, unsigned int, double*) { return false; }
