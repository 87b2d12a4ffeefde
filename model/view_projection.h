#pragma once
// The viewer's projection and the size of its first window, for every
// program that draws or frames as the viewer does (the viewer, the
// thumbnailer, the benchmarks). Without OpenGL: numbers only.

// The vertical field of view, and the near and far planes, in scene units.
constexpr double kFieldOfViewDegrees = 30.0;
constexpr double kNearPlane = 10.0;
constexpr double kFarPlane = 1000.0;

// The window as the viewer first makes it, in pixels, and its shape.
constexpr int kFirstWindowWidth = 800;
constexpr int kFirstWindowHeight = 600;
constexpr double kFirstAspect = static_cast<double>(kFirstWindowWidth) / kFirstWindowHeight;
