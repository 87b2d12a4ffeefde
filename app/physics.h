#pragma once
// A rigid-body world with one falling sphere, created first thing at start,
// stepped on every 17 ms timer tick and destroyed by the exit handler.
// Nothing reads or draws it; the tick is also what redraws the window.

#include <ode/ode.h>

constexpr int kTimerPeriodMs = 17;
constexpr double kStepSize = 0.1;  // simulated seconds per tick, whatever the real time

extern dWorldID g_world;
extern dSpaceID g_space;
extern dBodyID g_body;
extern dGeomID g_geom;  // kept, never used after creation
extern double g_sphereRadius;
extern double g_sphereMass;

void CreatePhysicsWorld();
void DestroyPhysicsWorld();
void OnTimer(int value);  // GLUT timer callback; re-arms itself
