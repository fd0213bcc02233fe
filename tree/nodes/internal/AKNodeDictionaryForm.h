#pragma once

// Steps shared by the writers of nested node dictionaries (a node with its
// descendants, an array of nodes with theirs). Each node dictionary is
// written in its final place and the arrays of children's dictionaries are
// moved into their dictionaries, so that no subtree is ever copied.

class AKDictionary;
class AKValue;

// The key of the children's dictionaries.
constexpr char kAKNodeDictionaryKeySubs[] = "Subs";

// Appends an empty dictionary to the array held by `subs` (made an array
// first when it holds none) and gives its address, which stays valid while
// more elements are appended.
void AKNodeDictionaryAppendElement(AKValue* subs, AKDictionary** element);
// Removes the last element of the array held by `subs`, if any.
void AKNodeDictionaryDropLastElement(AKValue* subs);
// Moves a non-empty array held by `subs` into the dictionary under "Subs"
// (nothing for an empty one); `subs` is left empty.
int AKNodeDictionaryStoreSubs(AKDictionary& dictionary, AKValue* subs);
