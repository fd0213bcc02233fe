#include "QVObjectPoolableMidi.h"

std::atomic<QVObjectMidiServices const*> QVObjectMidiServices::sInstalled{nullptr};

void QVObjectMidiServices::Install(QVObjectMidiServices const* services)
{
    sInstalled.store(services, std::memory_order_release);
}

QVObjectMidiServices const* QVObjectMidiServices::GetInstalled() { return sInstalled.load(std::memory_order_acquire); }
