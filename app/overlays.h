#pragma once
// The overlays of the model as modelled: the information on the model shown
// (i) and the list of keys (F1, ?), each a panel of text drawn over the
// scene in the window's top corners. Their text is laid out by the text
// module (text_module.h), loaded the first time an overlay is shown; when it
// cannot be, one line on standard error says why and no overlay is shown.
// While none is shown, nothing is drawn and nothing is loaded.

enum class Overlay { kInfo, kKeys };

// Shows the overlay, or hides it when it is shown. Needs the window's
// context. Returns whether the window needs a redraw.
bool ToggleOverlay(Overlay overlay);
// Draws the overlays shown over what the frame drew, in window
// coordinates; does nothing while none is shown. The text of each is laid
// out again only when it changed (another model shown, say).
void DrawOverlays();
