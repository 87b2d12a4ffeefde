#include "app/physics.h"

#include <gtest/gtest.h>

namespace {

TEST(PhysicsWorld, OneSphereHighAboveTheOrigin) {
  CreatePhysicsWorld();
  dVector3 gravity;
  dWorldGetGravity(g_world, gravity);
  EXPECT_DOUBLE_EQ(gravity[0], 0.0);
  EXPECT_DOUBLE_EQ(gravity[1], 0.0);
  EXPECT_DOUBLE_EQ(gravity[2], -3.7);

  EXPECT_EQ(dBodyGetWorld(g_body), g_world);
  const dReal* position = dBodyGetPosition(g_body);
  EXPECT_DOUBLE_EQ(position[0], 0.0);
  EXPECT_DOUBLE_EQ(position[1], 0.0);
  EXPECT_DOUBLE_EQ(position[2], 50.0);
  dMass mass;
  dBodyGetMass(g_body, &mass);
  EXPECT_DOUBLE_EQ(mass.mass, 1.0);
  // A solid sphere: I = 2/5 m r^2.
  EXPECT_NEAR(mass.I[0], 0.4 * 0.2 * 0.2, 1e-12);

  EXPECT_EQ(dSpaceGetNumGeoms(g_space), 1);
  EXPECT_EQ(dGeomGetClass(g_geom), dSphereClass);
  EXPECT_DOUBLE_EQ(dGeomSphereGetRadius(g_geom), 0.2);
  EXPECT_EQ(dGeomGetBody(g_geom), g_body);
  EXPECT_EQ(dGeomGetSpace(g_geom), g_space);
  DestroyPhysicsWorld();

  // The library can be brought up again after a full tear-down.
  CreatePhysicsWorld();
  EXPECT_DOUBLE_EQ(dBodyGetPosition(g_body)[2], 50.0);
  DestroyPhysicsWorld();
}

}  // namespace
