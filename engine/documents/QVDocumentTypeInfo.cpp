// QVDocumentTypeInfo: one document type and its allowed root classes.

#include "QVDocumentTypeInfo.h"

#include "AKClass.h"
#include "AKClassArray.h"

QVDocumentTypeInfo::QVDocumentTypeInfo(unsigned int type, AKString const& xmlSignature, AKString const& extension,
                                       AKClassID root1, AKClassID root2, AKClassID root3, AKClassID root4)
    : fType(type), fXmlSignature(xmlSignature), fExtension(extension), fRootClassIDs{root1, root2, root3, root4}
{}

AKClassID QVDocumentTypeInfo::GetRootClassID(unsigned int index) const
{
    return index < kQVDocumentTypeRootClassCount ? fRootClassIDs[index] : kAKNullClassID;
}

void QVDocumentTypeInfo::SetBinaryForm(unsigned int binSignature)
{
    fBinary = true;
    fBinSignature = binSignature;
}

void QVDocumentTypeInfo::GetAuthoChildClasses(AKClassArray* classes) const
{
    classes->Clear();
    for (AKClassID const& id : fRootClassIDs) {
        AKClass const* aClass = AKClassOfID(id);
        if (aClass != nullptr)
            classes->Push(aClass);
    }
}

QVDocumentTypeInfo const& QVNullDocumentTypeInfoShared()
{
    static QVDocumentTypeInfo const sEmpty;
    return sEmpty;
}

QVDocumentTypeInfo const& QVDocumentInfoScoreShared()
{
    static QVDocumentTypeInfo const sScore(1, "Score", "qvd", AKClassID("foldTmp"), AKClassID("foldCrs"),
                                           AKClassID("foldSeq"), kAKNullClassID);
    return sScore;
}
