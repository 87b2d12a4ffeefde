#pragma once
// How a material is drawn when the model is shown as modelled, decided
// without OpenGL: the viewer's and the thumbnailer's drawing (render/) and
// the glTF converter take these same decisions.

#include "image/material_images.h"
#include "mqo/material.h"
#include "mqo/object.h"

// The grey of a face without material where a light meets it, and the
// colour of a line without material.
constexpr float kNoMaterialGrey = 0.7f;

// The alpha below which a cut-out material's texel cuts its face away.
constexpr float kCutOutAlpha = 0.5f;

// Whether the material's faces are blended over the others: its colour's
// alpha is below 1, or its texture's alpha takes values between 0 and 255
// (images.softAlpha, set when the texels are built).
bool IsTranslucent(const MaterialMQO& material, const MaterialImages& images);

// Whether the material's alpha (its plane's, or its picture's own) cuts its
// faces out at kCutOutAlpha: a hard alpha of 0 and 255 alone, so that such
// faces keep their depth; a soft one blends instead.
bool IsCutOut(const MaterialMQO& material, const MaterialImages& images);

// Whether the faces' corner colours ("COL") colour the material ("vcol 1").
bool TakesVertexColours(const MaterialMQO& material);

// Whether the material is a constant colour, unlit ("shader 1").
bool IsConstant(const MaterialMQO& material);

// A corner's vertex colour as drawn: COL packs red in the low byte, then
// green, blue and alpha; red, green and blue are scaled by the material's
// diffuse factor, alpha by its colour's alpha. A corner without COL reads
// as 0, which the modeller shows white.
void VertexColour(const FaceMQO& face, int k, float diffuse, float alpha, float out[4]);
