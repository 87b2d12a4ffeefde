// Build-time tool: draws an SVG icon in several sizes and writes them as the
// C++ definition of kWindowIcon (app/window_icon.h).
//   render_window_icon ICON.svg OUT.cpp SIZE...
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: render_window_icon ICON.svg OUT.cpp SIZE...\n");
    return 2;
  }
  std::string text = "// Written by render_window_icon from " + std::string(argv[1]) +
                     ".\n#include \"app/window_icon.h\"\n\nconst uint32_t kWindowIcon[] = {\n";
  size_t length = 0;
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    GError* error = nullptr;
    GdkPixbuf* picture = gdk_pixbuf_new_from_file_at_scale(argv[1], size, size, FALSE, &error);
    if (picture == nullptr) {
      std::fprintf(stderr, "render_window_icon: %s: %s\n", argv[1], error ? error->message : "cannot be drawn");
      return 1;
    }
    const int width = gdk_pixbuf_get_width(picture);
    const int height = gdk_pixbuf_get_height(picture);
    const int stride = gdk_pixbuf_get_rowstride(picture);
    const int channels = gdk_pixbuf_get_n_channels(picture);
    const guchar* pixels = gdk_pixbuf_read_pixels(picture);
    text += "    " + std::to_string(width) + ", " + std::to_string(height) + ",\n";
    for (int y = 0; y < height; ++y) {
      text += "    ";
      for (int x = 0; x < width; ++x) {
        const guchar* p = pixels + y * stride + x * channels;
        const unsigned alpha = channels == 4 ? p[3] : 255;
        char word[16];
        std::snprintf(word, sizeof word, "0x%02x%02x%02x%02x,", alpha, p[0], p[1], p[2]);
        text += word;
      }
      text += "\n";
    }
    length += 2 + static_cast<size_t>(width) * height;
    g_object_unref(picture);
  }
  text += "};\nconst size_t kWindowIconLength = " + std::to_string(length) + ";\n";
  FILE* out = std::fopen(argv[2], "w");
  if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
