#include "app/overlays.h"

#include <GL/gl.h>

#include <string>

#include "app/key_list.h"
#include "app/model_info.h"
#include "app/modules.h"
#include "app/text_module.h"
#include "base/diagnostics.h"

namespace {

constexpr int kMargin = 12;            // pixels between a panel and the window's edge
constexpr int kLongestLinePixels = 560;

struct Panel {
  bool shown = false;
  std::string text;        // what the texture shows
  unsigned int texture = 0;
  int width = 0;
  int height = 0;
};

// The two panels and the text module's entry, for the whole run.
Panel g_info;
Panel g_keys;
RenderTextPanel g_render = nullptr;
bool g_moduleFailed = false;

Panel& PanelOf(Overlay overlay) { return overlay == Overlay::kInfo ? g_info : g_keys; }

bool TextModuleReady() {
  if (g_render != nullptr) return true;
  if (g_moduleFailed) return false;
  std::string error;
  g_render = reinterpret_cast<RenderTextPanel>(LoadModuleEntry(kTextModule, kRenderTextPanelEntry, error));
  if (g_render == nullptr) {
    g_moduleFailed = true;
    Diagnose(nullptr, "the text module cannot be loaded: %s; no overlay is shown", error.c_str());
  }
  return g_render != nullptr;
}

// The information is gathered again for every frame it is drawn in, so that
// it follows the model shown whichever way another model came.
std::string CurrentText(Overlay overlay) {
  static const Language language = UserLanguage();
  static const std::string keys = KeyListForScreen(language);
  return overlay == Overlay::kInfo ? ModelInfoText(ShownModelInfo(), language) : keys;
}

// Lays the text out into the panel's texture when it differs from what the
// texture shows; false when there is nothing to draw.
bool UpdatePanel(Panel& panel, const std::string& text) {
  if (panel.texture != 0 && panel.text == text) return true;
  int width = 0, height = 0;
  const unsigned char* pixels = g_render(text.c_str(), kLongestLinePixels, &width, &height);
  if (pixels == nullptr || width <= 0 || height <= 0) return false;
  if (panel.texture == 0) glGenTextures(1, &panel.texture);
  glBindTexture(GL_TEXTURE_2D, panel.texture);
  // Drawn pixel for pixel: no filtering, and no texel from the other edge.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  panel.text = text;
  panel.width = width;
  panel.height = height;
  return true;
}

// The panel with its top left corner at (left, top), window pixels counted
// from the bottom left as the projection has them; its rows run from the top.
void DrawPanel(const Panel& panel, int left, int top) {
  glBindTexture(GL_TEXTURE_2D, panel.texture);
  const float x0 = static_cast<float>(left), x1 = static_cast<float>(left + panel.width);
  const float y0 = static_cast<float>(top - panel.height), y1 = static_cast<float>(top);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(x0, y0);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(x1, y0);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(x1, y1);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(x0, y1);
  glEnd();
}

}  // namespace

bool ToggleOverlay(Overlay overlay) {
  Panel& panel = PanelOf(overlay);
  if (panel.shown) {
    panel.shown = false;
    return true;
  }
  if (!TextModuleReady()) return false;
  panel.shown = true;
  return true;
}

void DrawOverlays() {
  if (!g_info.shown && !g_keys.shown) return;
  // Everything set here, the texture bound by an update too, is given back.
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TRANSFORM_BIT);
  const bool info = g_info.shown && UpdatePanel(g_info, CurrentText(Overlay::kInfo));
  const bool keys = g_keys.shown && UpdatePanel(g_keys, CurrentText(Overlay::kKeys));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int width = viewport[2], height = viewport[3];
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glDepthMask(GL_FALSE);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_BLEND);
  // The module's colours are premultiplied by their alpha.
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  if (info) DrawPanel(g_info, kMargin, height - kMargin);
  if (keys) {
    // In the top right corner, or below the information where the two
    // would overlap there.
    if (!info || g_info.width + g_keys.width + 3 * kMargin <= width)
      DrawPanel(g_keys, width - kMargin - g_keys.width, height - kMargin);
    else
      DrawPanel(g_keys, kMargin, height - 2 * kMargin - g_info.height);
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}
