#include "app/physics.h"

#include <GL/glut.h>

// Handles made by CreatePhysicsWorld and released once, at exit.
dWorldID g_world = nullptr;
dSpaceID g_space = nullptr;
dBodyID g_body = nullptr;
dGeomID g_geom = nullptr;
double g_sphereRadius = 0.2;
double g_sphereMass = 1.0;

void CreatePhysicsWorld() {
  // The library itself must be set up before its first object.
  dInitODE2(0);
  g_world = dWorldCreate();
  dWorldSetGravity(g_world, 0.0, 0.0, -3.7);
  g_space = dHashSpaceCreate(nullptr);
  g_sphereRadius = 0.2;
  g_sphereMass = 1.0;
  g_body = dBodyCreate(g_world);
  dMass mass;
  dMassSetZero(&mass);
  dMassSetSphereTotal(&mass, g_sphereMass, g_sphereRadius);
  dBodySetMass(g_body, &mass);
  dBodySetPosition(g_body, 0.0, 0.0, 50.0);
  g_geom = dCreateSphere(g_space, g_sphereRadius);
  dGeomSetBody(g_geom, g_body);
}

void DestroyPhysicsWorld() {
  dBodyDestroy(g_body);
  dSpaceDestroy(g_space);  // takes the sphere geometry with it
  dWorldDestroy(g_world);
  dCloseODE();
}

void OnTimer(int) {
  dWorldStep(g_world, kStepSize);
  glutPostRedisplay();
  glutTimerFunc(kTimerPeriodMs, OnTimer, 0);
}
