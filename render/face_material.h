#pragma once
// The material set-up of one face, as the display list records it and as
// the thumbnail draws it: the lighting colours, the texture and the alpha
// test. Needs a current OpenGL context and the textures already made.

#include <GL/gl.h>

#include <vector>

// Texturing and the alpha test switch only where a face needs a change: a
// run of faces with one texture enables and binds it once. Between two
// textured faces the switch off and on again would change nothing, but it
// keeps Mesa from joining their polygons into one draw, which made frames
// several times slower.
class FaceMaterial {
 public:
  // Materials 0 .. materialCount - 1 of the table are used; any other index
  // draws the face as one without material. As modelled, a face without
  // material is a light grey that the lights shade (the list's colours for
  // it make every side the same white), a material's diffuse alpha is its
  // colour's alpha (blended where below 1), and a material of vertex
  // colours takes the colour given with each corner (glColor) as diffuse.
  // With coverage, every face is alpha-tested to pass what has any alpha at
  // all: for marking where translucent faces lie, colour unwritten.
  explicit FaceMaterial(int materialCount, bool asModelled = false, bool coverage = false);

  // Whether the material's faces are drawn blended over the others when
  // the model is drawn as modelled: its colour's alpha is below 1, or its
  // texture's alpha takes values between 0 and 255.
  bool Translucent(int material) const;
  bool VertexColours(int material) const;
  // Whether the material is drawn unlit, its colour as it is ("shader(1)"),
  // when the model is drawn as modelled.
  bool Constant(int material) const;

  // Sets the face's colours, shininess, texture and alpha test; returns true
  // when the face is textured. Nothing is set again for the material of the
  // face before: a display list then keeps such faces in one draw.
  bool Set(int material);
  // Turns texturing and the alpha test off behind the last face.
  void Finish();

 private:
  void UseTexture(GLuint name);
  void TextureOff();
  // The test passes alpha above the reference.
  void UseAlphaTest(bool wanted, float reference);
  // Vertex colours feed the given material colour (GL_DIFFUSE or
  // GL_EMISSION), or none (0).
  void UseVertexColours(GLenum target);
  bool Apply(int material);

  int materialCount_;
  std::vector<bool> cut_;  // per material: whether its alpha cuts faces out
  GLuint bound_ = 0;
  bool textured_ = false;
  bool alphaTest_ = false;
  float alphaReference_ = -1;  // none set yet
  bool asModelled_ = false;
  bool coverage_ = false;
  GLenum vertexColours_ = 0;
  static constexpr int kNoneSet = -2147483647 - 1;
  int set_ = kNoneSet;  // the material Set last applied
  bool setTextured_ = false;
};
