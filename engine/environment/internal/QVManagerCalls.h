#pragma once

// The engine stop terminates each shared manager by its Terminate. A
// manager that has no such operation holds nothing to release and is passed
// over; as soon as it gains the operation, the stop calls it.

#include <type_traits>
#include <utility>

template <class T, class = void>
struct QVHasTerminate : std::false_type {};
template <class T>
struct QVHasTerminate<T, std::void_t<decltype(std::declval<T&>().Terminate())>> : std::true_type {};

template <class T>
void QVTerminateManager(T& manager)
{
    if constexpr (QVHasTerminate<T>::value)
        static_cast<void>(manager.Terminate());
}
