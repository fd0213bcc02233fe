#include "AKUUID.h"

#include <uuid/uuid.h>

AKString AKStringGenerateUUID()
{
    uuid_t uuid;
    uuid_generate(uuid);
    char text[37];  // 36 characters and the NUL
    uuid_unparse_upper(uuid, text);
    return AKString(text);
}
