// Text, file and value forms of node IDs.

#include "AKNodeID.h"

#include "AKFileTypedIO.h"
#include "AKString.h"
#include "AKTextForms.h"
#include "AKValue.h"

AKNodeID AKNodeIDFromAKString(AKString const& text)
{
    int32_t nodeID = 0;
    strGetasSInt32(text.c_str(), &nodeID, 0);
    return nodeID;
}

AKString AKStringFromAKNodeID(AKNodeID nodeID)
{
    char buffer[kAKStrSetasMaxLen];
    return AKString(strSetasSInt32(buffer, nodeID));
}

int AKFileReadAKNodeID(AKFile const& file, AKNodeID* nodeID, unsigned int order)
{
    return AKFileReadSInt32(file, nodeID, order);
}

int AKFileWriteAKNodeID(AKFile& file, AKNodeID const& nodeID, unsigned int order)
{
    return AKFileWriteSInt32(file, nodeID, order);
}

bool AKValueGetasAKNodeID(AKValue const& value, AKNodeID* nodeID)
{
    long long number = 0;
    if (!value.GetasInteger(&number, false))
        return false;
    if (nodeID)
        *nodeID = static_cast<AKNodeID>(static_cast<unsigned int>(number));
    return true;
}

AKNodeID AKValueGetasAKNodeID(AKValue const& value)
{
    AKNodeID nodeID = kAKNullNodeID;
    AKValueGetasAKNodeID(value, &nodeID);
    return nodeID;
}

AKValue* AKValueSetasAKNodeID(AKValue* value, AKNodeID nodeID)
{
    if (value)
        value->SetasInteger(nodeID);
    return value;
}

AKValue AKValueSetasAKNodeID(AKNodeID nodeID)
{
    AKValue value;
    value.SetasInteger(nodeID);
    return value;
}
