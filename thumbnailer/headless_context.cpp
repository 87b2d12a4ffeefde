#include "thumbnailer/headless_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace {

EGLDisplay g_display = EGL_NO_DISPLAY;
EGLContext g_context = EGL_NO_CONTEXT;
EGLSurface g_surface = EGL_NO_SURFACE;

bool Fail(const char* what, std::string& error) {
  char text[128];
  std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", what, static_cast<unsigned>(eglGetError()));
  error = text;
  DestroyHeadlessContext();
  return false;
}

bool HasWord(const char* list, const char* word) {
  const size_t length = std::strlen(word);
  for (const char* at = list; at && (at = std::strstr(at, word)) != nullptr; at += length)
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}

}  // namespace

bool CreateHeadlessContext(int width, int height, std::string& error) {
  // The surfaceless platform needs no X server, no Wayland compositor and no
  // GPU: without a render node Mesa draws in software. The default display
  // would instead try $DISPLAY first.
  if (!HasWord(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless")) {
    error = "EGL has no surfaceless platform (Mesa's EGL_MESA_platform_surfaceless)";
    return false;
  }
  g_display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (g_display == EGL_NO_DISPLAY || !eglInitialize(g_display, nullptr, nullptr))
    return Fail("eglInitialize", error);
  if (!eglBindAPI(EGL_OPENGL_API)) return Fail("eglBindAPI(EGL_OPENGL_API)", error);

  const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                           EGL_BLUE_SIZE,    8,               EGL_ALPHA_SIZE,      8,
                           EGL_DEPTH_SIZE,   24,              EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(g_display, wanted, &config, 1, &count) || count < 1)
    return Fail("eglChooseConfig (8-bit RGBA with depth, pbuffer, OpenGL)", error);
  const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  g_surface = eglCreatePbufferSurface(g_display, config, size);
  if (g_surface == EGL_NO_SURFACE) return Fail("eglCreatePbufferSurface", error);
  // No version or profile asked for: a compatibility context.
  g_context = eglCreateContext(g_display, config, EGL_NO_CONTEXT, nullptr);
  if (g_context == EGL_NO_CONTEXT) return Fail("eglCreateContext", error);
  if (!eglMakeCurrent(g_display, g_surface, g_surface, g_context)) return Fail("eglMakeCurrent", error);
  return true;
}

void DestroyHeadlessContext() {
  if (g_display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(g_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (g_context != EGL_NO_CONTEXT) eglDestroyContext(g_display, g_context);
  if (g_surface != EGL_NO_SURFACE) eglDestroySurface(g_display, g_surface);
  eglTerminate(g_display);
  eglReleaseThread();
  g_display = EGL_NO_DISPLAY;
  g_context = EGL_NO_CONTEXT;
  g_surface = EGL_NO_SURFACE;
}
