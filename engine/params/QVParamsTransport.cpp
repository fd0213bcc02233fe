// The parameter rows that end in the transport moves of the playables.

#include "QVObjectPlayable.h"
#include "QVParamsAccess.h"

bool QVParamSetTransport(QVObjectPlayable* playable, unsigned int id, double x)
{
    switch (id) {
    case kQVPrmID_ToBegin:
        playable->DoUserToBegin();
        return true;
    case kQVPrmID_ToEnd:
        playable->DoUserToEnd();
        return true;
    case kQVPrmID_PeekPhases:
        playable->DoUserPeekPhases();
        return true;
    case kQVPrmID_PokePhases:
        playable->DoUserPokePhases();
        return true;
    case kQVPrmID_RelaTime:
        playable->SetUserRelaTime(x);
        return true;
    case kQVPrmID_SpeedLess:
        playable->DoUserSpeedMoreOrLess(-1);
        return true;
    case kQVPrmID_SpeedMore:
        playable->DoUserSpeedMoreOrLess(1);
        return true;
    default:
        return false;
    }
}

bool QVParamGetTransport(QVObjectPlayable const* playable, unsigned int id, double* x)
{
    if (id != kQVPrmID_RelaTime)
        return false;
    *x = playable->GetUserRelaTime();
    return true;
}
