#pragma once

// What the plug-in windows ask of the application shell: revealing the panel
// of the object that carries a plug-in in its document's view, and opening
// the plug-in presets dialog. The shell installs its handlers at start-up;
// without them these calls do nothing. Main thread only.

#include <functional>

#include "AKNodeID.h"

class QVDocument;

// Asks the document's view to reveal the panel of the object at that node;
// whether it did. False without a handler.
bool RevealPanelInRenderer(QVDocument* document, AKNodeID nodeID);
void JCSetRevealPanelInRendererHandler(std::function<bool(QVDocument*, AKNodeID)> handler);

// Opens the plug-in presets dialog.
void DoCmd_ApplicationShowPluginPresets();
void JCSetShowPluginPresetsHandler(std::function<void()> handler);
