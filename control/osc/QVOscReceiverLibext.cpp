#include "QVOscReceiverLibext.h"

#include "QVOscGandler.h"

bool QVOscReceiverLibext::StartListening(uint32_t, bool) { return false; }

void QVOscReceiverLibext::StopListening() {}

bool QVOscReceiverLibext::IsListening() const { return false; }

bool QVOscReceiverLibext::HandleReceivedOscPacket(char const* data, int size)
{
    if (size <= 0 || data == nullptr || mGandler == nullptr)
        return false;
    return mGandler->HandleReceivedOscPacket(data, size);
}
