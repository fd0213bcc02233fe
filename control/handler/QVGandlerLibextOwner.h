#pragma once

// QVGandlerLibextOwner: the command handler's hold on its host extension.
// It always holds one: a default QVGandlerLibext until a host installs its
// own. Installing deletes the previous extension; installing null puts a
// fresh default back; the owner's destruction deletes the current one.
// Main thread only.

#include "QVGandlerLibext.h"

#include <memory>

class QVGandlerLibextOwner
{
public:
    QVGandlerLibextOwner();
    ~QVGandlerLibextOwner();

    QVGandlerLibextOwner(QVGandlerLibextOwner const&) = delete;
    QVGandlerLibextOwner& operator=(QVGandlerLibextOwner const&) = delete;

    // Takes ownership of `extension` (null: a default one).
    void Install(QVGandlerLibext* extension);

    QVGandlerLibext& Get() const { return *mExtension; }

private:
    std::unique_ptr<QVGandlerLibext> mExtension;
};
