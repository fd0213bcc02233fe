// The toolkit's VST host includes the classic interface headers by these
// names; the free reimplementation installed by the system provides them.
#pragma once
#include <pluginterfaces/fst/aeffect.h>
