// QVDocumentAudioSource: the installed maker of documents' audio sources.

#include "QVDocumentAudioSource.h"

#include <atomic>

namespace {

std::atomic<QVDocumentAudioSource::Maker> sMaker{nullptr};

}  // namespace

void QVDocumentAudioSource::InstallMaker(Maker maker) { sMaker.store(maker, std::memory_order_release); }

QVDocumentAudioSource::Maker QVDocumentAudioSource::GetMaker() { return sMaker.load(std::memory_order_acquire); }
