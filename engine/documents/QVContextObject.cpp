#include "QVContextObject.h"

QVProviderRenum const* QVContextObject::ProviderRenumOfContext(AKContextObject const* context)
{
    QVContextObject const* const document = dynamic_cast<QVContextObject const*>(context);
    return document != nullptr ? &document->mProviderRenum : nullptr;
}
