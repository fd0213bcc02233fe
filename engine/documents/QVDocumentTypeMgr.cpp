// QVDocumentTypeMgr: the registered document types and document file versions.

#include "QVDocumentTypeMgr.h"

namespace {

constexpr unsigned int kReservedTypes = 4;

}  // namespace

QVDocumentTypeMgr QVDocumentTypeMgr::sShared;

QVDocumentTypeMgr::QVDocumentTypeMgr() { fTypes.Reserve(kReservedTypes); }

void QVDocumentTypeMgr::SetupDocumentsFileSignatureAndVersions(unsigned int signature, unsigned int currentVersion,
                                                               unsigned int oldestVersion)
{
    fFileSignature = signature;
    fCurrentVersion = currentVersion;
    fOldestVersion = oldestVersion != 0 ? oldestVersion : currentVersion;
}

bool QVDocumentTypeMgr::CheckDocumentFileVersionSupported(unsigned int version) const
{
    if (fCurrentVersion == 0)
        return true;
    return fOldestVersion <= version && version <= fCurrentVersion;
}

void QVDocumentTypeMgr::RegisterDocumentTypeInfo(QVDocumentTypeInfo const& info) { fTypes.Push(info); }

QVDocumentTypeInfo const& QVDocumentTypeMgr::GetDocumentTypeInfo(unsigned int type) const
{
    return IsValidDocumentType(type) ? fTypes[type - 1] : kQVNullDocumentTypeInfo;
}

bool QVDocumentTypeMgr::IsValidDocumentType(unsigned int type) const { return type >= 1 && type <= fTypes.Count(); }

unsigned int QVDocumentTypeMgr::GetTypeFromBinFileSignature(unsigned int signature) const
{
    if (signature == 0)
        return 0;
    unsigned int index;
    if (!fTypes.FindIf([signature](QVDocumentTypeInfo const& info) { return info.GetBinSignature() == signature; },
                       &index))
        return 0;
    return index + 1;
}

unsigned int QVDocumentTypeMgr::GetTypeFromXmlFileSignature(AKString const& signature) const
{
    if (signature.IsEmpty())
        return 0;
    unsigned int index;
    if (!fTypes.FindIf([&signature](QVDocumentTypeInfo const& info) { return info.GetXmlSignature() == signature; },
                       &index))
        return 0;
    return index + 1;
}

unsigned int QVDocumentTypeMgr::GetTypeFromFileExtension(AKString const& extension) const
{
    if (extension.IsEmpty())
        return 0;
    unsigned int index;
    if (!fTypes.FindIf([&extension](QVDocumentTypeInfo const& info) { return info.GetFileExtension() == extension; },
                       &index))
        return 0;
    return index + 1;
}
