// The text module, lumenspin-text.so: Pango lays out the overlays' text,
// Japanese included (fontconfig finds a font with the glyphs), and Cairo
// draws it, loaded only when an overlay is first shown.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/text_module.h"

namespace {

constexpr int kFontPixels = 14;
constexpr int kPadding = 10;
constexpr int kColumnGap = 16;
constexpr double kCornerRadius = 6.0;
constexpr int kLargestSide = 4096;  // a panel is never bigger than a texture may be

std::vector<unsigned char> g_pixels;  // the last panel, until the next call

PangoLayout* NewLayout(cairo_t* cr, int maxWidth) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("Sans");
  pango_font_description_set_absolute_size(font, kFontPixels * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_width(layout, std::clamp(maxWidth, 64, kLargestSide - 2 * kPadding) * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  return layout;
}

// The width of the widest first column: the parts of the lines before a tab,
// laid out on their own.
int FirstColumnWidth(cairo_t* cr, const std::string& text) {
  std::string firsts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::size_t tab = text.find('\t', start);
    if (tab < end) firsts.append(text, start, tab - start).push_back('\n');
    start = end + 1;
  }
  if (firsts.empty()) return 0;
  PangoLayout* layout = NewLayout(cr, kLargestSide);
  pango_layout_set_text(layout, firsts.c_str(), -1);
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  g_object_unref(layout);
  return width;
}

void RoundedPanel(cairo_t* cr, double width, double height) {
  const double r = kCornerRadius;
  cairo_new_sub_path(cr);
  cairo_arc(cr, width - r, r, r, -G_PI / 2, 0);
  cairo_arc(cr, width - r, height - r, r, 0, G_PI / 2);
  cairo_arc(cr, r, height - r, r, G_PI / 2, G_PI);
  cairo_arc(cr, r, r, r, G_PI, 3 * G_PI / 2);
  cairo_close_path(cr);
  cairo_set_source_rgba(cr, 0.06, 0.06, 0.08, 0.72);
  cairo_fill(cr);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const unsigned char* LumenspinRenderTextPanel(const char* text,
                                                                                              int maxWidth, int* width,
                                                                                              int* height) {
  if (text == nullptr || width == nullptr || height == nullptr) return nullptr;
  gchar* valid = g_utf8_make_valid(text, -1);
  const std::string shown = valid;
  g_free(valid);

  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* measure = cairo_create(scratch);
  PangoLayout* layout = NewLayout(measure, maxWidth);
  const int column = FirstColumnWidth(measure, shown);
  if (column > 0) {
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, column + kColumnGap);
    pango_layout_set_tabs(layout, tabs);
    pango_tab_array_free(tabs);
  }
  pango_layout_set_text(layout, shown.c_str(), -1);
  PangoAttrList* attributes = pango_attr_list_new();
  PangoAttribute* bold = pango_attr_weight_new(PANGO_WEIGHT_BOLD);
  bold->start_index = 0;
  bold->end_index = static_cast<guint>(std::min(shown.find('\n'), shown.size()));
  pango_attr_list_insert(attributes, bold);
  pango_layout_set_attributes(layout, attributes);
  pango_attr_list_unref(attributes);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  const int w = std::min(logical.width + 2 * kPadding, kLargestSide);
  const int h = std::min(logical.height + 2 * kPadding, kLargestSide);

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  if (drawn) {
    RoundedPanel(cr, w, h);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_move_to(cr, kPadding - logical.x, kPadding - logical.y);
    pango_cairo_update_layout(cr, layout);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surface);
    // Cairo keeps a pixel as one native 32-bit word, alpha in the top byte.
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    g_pixels.resize(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
      unsigned char* out = &g_pixels[static_cast<std::size_t>(y) * w * 4];
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = row[x];
        out[4 * x] = static_cast<unsigned char>(p >> 16);
        out[4 * x + 1] = static_cast<unsigned char>(p >> 8);
        out[4 * x + 2] = static_cast<unsigned char>(p);
        out[4 * x + 3] = static_cast<unsigned char>(p >> 24);
      }
    }
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  g_object_unref(layout);
  cairo_destroy(measure);
  cairo_surface_destroy(scratch);
  if (!drawn) return nullptr;
  *width = w;
  *height = h;
  return g_pixels.data();
}
