#pragma once

// QVDocumentTypeInfo: the description of one document type: its number, the
// form its files take (binary chunks or XML property list) with the
// signature that recognises them, its file extension and the classes allowed
// directly under the root of its documents' trees (four slots, the null ID
// marking an empty one).

#include "AKClassID.h"
#include "AKString.h"

class AKClassArray;

constexpr unsigned int kQVDocumentTypeRootClassCount = 4;

class QVDocumentTypeInfo
{
public:
    // Every field zero, empty or null.
    QVDocumentTypeInfo() = default;
    // Not binary, no binary signature.
    QVDocumentTypeInfo(unsigned int type, AKString const& xmlSignature, AKString const& extension, AKClassID root1,
                       AKClassID root2, AKClassID root3, AKClassID root4);

    unsigned int GetType() const { return fType; }
    bool IsBinary() const { return fBinary; }
    unsigned int GetBinSignature() const { return fBinSignature; }
    AKString const& GetXmlSignature() const { return fXmlSignature; }
    AKString const& GetFileExtension() const { return fExtension; }
    // The null ID for an index beyond the four slots.
    AKClassID GetRootClassID(unsigned int index) const;

    // Makes documents of the type binary, recognised by the four-character code.
    void SetBinaryForm(unsigned int binSignature);

    // Empties the array, then appends the registered classes of the root
    // class IDs in slot order; an empty or unknown ID is skipped.
    void GetAuthoChildClasses(AKClassArray* classes) const;

private:
    unsigned int fType = 0;
    bool fBinary = false;
    unsigned int fBinSignature = 0;
    AKString fXmlSignature;
    AKString fExtension;
    AKClassID fRootClassIDs[kQVDocumentTypeRootClassCount] = {};
};

// The shared empty description.
QVDocumentTypeInfo const& QVNullDocumentTypeInfoShared();
#define kQVNullDocumentTypeInfo (QVNullDocumentTypeInfoShared())

// The one document type of the system, "Score": number 1, stored as XML
// ("FileType" "Score"), extension "qvd", its tree holding the temporary,
// player and sequence folders under the root.
QVDocumentTypeInfo const& QVDocumentInfoScoreShared();
#define kQVDocumentInfoScore (QVDocumentInfoScoreShared())
