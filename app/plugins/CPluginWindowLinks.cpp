#include "CPluginWindowLinks.h"

namespace {

std::function<bool(QVDocument*, AKNodeID)>& RevealHandler()
{
    static std::function<bool(QVDocument*, AKNodeID)> sHandler;
    return sHandler;
}

std::function<void()>& PresetsHandler()
{
    static std::function<void()> sHandler;
    return sHandler;
}

}  // namespace

bool RevealPanelInRenderer(QVDocument* document, AKNodeID nodeID)
{
    return document != nullptr && RevealHandler() && RevealHandler()(document, nodeID);
}

void JCSetRevealPanelInRendererHandler(std::function<bool(QVDocument*, AKNodeID)> handler)
{
    RevealHandler() = std::move(handler);
}

void DoCmd_ApplicationShowPluginPresets()
{
    if (PresetsHandler())
        PresetsHandler()();
}

void JCSetShowPluginPresetsHandler(std::function<void()> handler) { PresetsHandler() = std::move(handler); }
