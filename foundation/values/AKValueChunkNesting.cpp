#include "AKValueChunkNesting.h"

#include "AKFile.h"
#include "AKLog.h"
#include "AKStatus.h"

thread_local unsigned int AKValueChunkNesting::sDepth = 0;

AKValueChunkNesting::AKValueChunkNesting() { ++sDepth; }

AKValueChunkNesting::~AKValueChunkNesting() { --sDepth; }

int AKValueChunkNesting::Check(AKFile const& file) const
{
    if (sDepth <= kAKValueChunkMaxNesting)
        return 0;
    return AKLogError(kAKErrorFileCantRead, "Values nested deeper than %u levels in file \"%s\"",
                      kAKValueChunkMaxNesting, file.GetLogName());
}
