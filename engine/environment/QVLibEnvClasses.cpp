// QVLibEnv: the registration of the engine's object classes.

#include "AKClass.h"
#include "AKClassMgr.h"
#include "AKObject.h"
#include "AKObjectFolderRoot.h"
#include "QVLibEnv.h"
#include "QVLocale.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

#include <type_traits>

namespace {

// One engine class: its description for the class manager, its name and its
// display name (localised when registered).
struct EngineClass {
    AKClassInfo info;
    char const* name;
    char const* displayName;
};

// The description of class T derived from Base (the top class names
// itself): concrete classes bring their factory and deleter.
template <class T, class Base>
EngineClass MakeEngineClass(char const* sourceName, char const* name, char const* displayName)
{
    static_assert(std::is_base_of<Base, T>::value, "a class derives from its base class");
    static_assert(std::is_base_of<AKObject, T>::value, "engine classes are tree objects");
    if constexpr (std::is_abstract<T>::value)
        return EngineClass{AKClassInfoOfAbstract<T>(Base::_ClassID(), sourceName), name, displayName};
    else
        return EngineClass{AKClassInfoOfConcrete<T>(Base::_ClassID(), sourceName), name, displayName};
}

#define QV_ENGINE_CLASS(Type, Base, name, displayName) MakeEngineClass<Type, Base>(#Type, name, displayName)

}  // namespace

void QVLibEnv::InitClasses()
{
    AKClassMgr& classes = AKClassMgr::sShared;
    if (classes.RegisterBegin() != 0)
        return;
    // In this order: each class gets the next quick-cast bit.
    EngineClass const kEngineClasses[] = {
        QV_ENGINE_CLASS(AKObject, AKObject, "object", "Object"),
        QV_ENGINE_CLASS(AKObjectFolderRoot, AKObject, "root", "Root"),
        QV_ENGINE_CLASS(QVObjectPoolable, AKObject, "poolable", "Poolable"),
        QV_ENGINE_CLASS(QVObjectPlayable, QVObjectPoolable, "playable", "Playable"),
        QV_ENGINE_CLASS(QVObjectZlayer, QVObjectPlayable, "player", "Player"),
        QV_ENGINE_CLASS(QVObjectCursor, QVObjectZlayer, "multi-player", "Multi-Player"),
        QV_ENGINE_CLASS(QVObjectAtomic, QVObjectZlayer, "single-player", "Single-Player"),
        QV_ENGINE_CLASS(QVObjectSequence, QVObjectPlayable, "sequence", "Sequence"),
        QV_ENGINE_CLASS(QVObjectTrack, QVObjectPoolable, "track", "Track"),
        QV_ENGINE_CLASS(QVObjectFolderCursor, AKObject, "player folder", "Player Folder"),
        QV_ENGINE_CLASS(QVObjectFolderSequence, AKObject, "sequence folder", "Sequence Folder"),
        QV_ENGINE_CLASS(QVObjectFolderTemp, AKObject, "temp folder", "Temp Folder"),
    };
    for (EngineClass const& each : kEngineClasses) {
        AKClass* registered = nullptr;
        AKClass::ClassSetup(each.info, 0, &registered);
        // An empty plural lets the class manager derive it.
        AKClass::SetClassName(registered, AKString(each.name), AKString(QVLocaleGetString(each.displayName)),
                              AKString());
    }
    classes.RegisterComplete(nullptr);
}
