#pragma once

// AKContextObject: the context shared by the objects of one tree. The tree
// makes a plain one for itself and owns it; the engine's documents replace it
// by a subclass of their own, deleted through the virtual destructor.

class AKObject;
class AKTree;

typedef int AKNodeID;

class AKContextObject
{
public:
    explicit AKContextObject(AKTree const* tree) : fTree(tree) {}
    virtual ~AKContextObject() = default;

    AKContextObject(AKContextObject const&) = delete;
    AKContextObject& operator=(AKContextObject const&) = delete;

    AKTree const* GetTree() const { return fTree; }

    // The object of a node of the context's tree, null when there is none.
    AKObject* GetObjectInTree(AKNodeID id) const;
    // The same when that object is a kind of T (defined in AKObject.h).
    template <class T>
    T* GetObjectInTreeT(AKNodeID id) const;

private:
    AKTree const* fTree;
};
