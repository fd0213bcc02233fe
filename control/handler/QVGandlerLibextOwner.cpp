#include "QVGandlerLibextOwner.h"

QVGandlerLibextOwner::QVGandlerLibextOwner() : mExtension(std::make_unique<QVGandlerLibext>()) {}

QVGandlerLibextOwner::~QVGandlerLibextOwner() = default;

void QVGandlerLibextOwner::Install(QVGandlerLibext* extension)
{
    if (extension == mExtension.get())
        return;
    // The new one is in place before the old one goes, so a destructor that
    // looks back at the owner finds a live extension.
    std::unique_ptr<QVGandlerLibext> previous(extension != nullptr ? extension : new QVGandlerLibext());
    mExtension.swap(previous);
}
