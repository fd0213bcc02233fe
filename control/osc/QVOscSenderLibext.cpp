#include "QVOscSenderLibext.h"

bool QVOscSenderLibext::Connect(AKString const&, uint32_t, bool) { return false; }

void QVOscSenderLibext::Disconnect() {}

bool QVOscSenderLibext::IsConnected() const { return false; }

bool QVOscSenderLibext::SendPacket(char const*, int) { return false; }
