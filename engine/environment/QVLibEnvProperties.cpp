// QVLibEnv: the application properties and the welcome banner.

#include "AKLog.h"
#include "AKStatus.h"
#include "AKValue.h"
#include "AKValueTyped.h"
#include "QVLibEnv.h"

#include <string>

char const kQVApplicationName[] = "Orvel-Player";
char const kQVApplicationVersion[] = "1.7.0";

namespace {

constexpr unsigned int kBannerReserve = 400;

}  // namespace

void QVLibEnv::LogWelcome()
{
    std::string banner;
    banner.reserve(kBannerReserve);
    banner.append("# ").append(kQVApplicationName).append(" ").append(kQVApplicationVersion).append(" Starts (");
    banner.append("MacOS ");
    banner.append("64 bits Application / ");
    banner.append("64 bits Audio Treatments");
    banner.append(").\n");
    AKLog("\n%s\n", banner.c_str());
}

int QVLibEnv::GetApplicationProperty(AKString const& key, AKValue* value)
{
    AKValue answer;
    int status = 0;
    if (key == AKString("ApplicationName"))
        AKValueSetasAKString(&answer, AKString(kQVApplicationName));
    else if (key == AKString("ApplicationVersion"))
        AKValueSetasAKString(&answer, AKString(kQVApplicationVersion));
    else if (key == AKString("ApplicationDirPath"))
        AKValueSetasAKFilePath(&answer, GetStandardPath(kQVStandardFolderApplication));
    else
        status =
            AKLogError(kQVErrorApplicationUnknownProperty, "Application don't have the property \"%s\"", key.c_str());
    if (value != nullptr)
        *value = answer;
    return status;
}

int QVGetApplicationProperty(AKString const& key, AKValue* value)
{
    return QVLibEnv::GetApplicationProperty(key, value);
}
