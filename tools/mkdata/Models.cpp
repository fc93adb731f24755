// Model shapes; see Models.h.
#include "Models.h"

namespace {

T3DSMesh Triangle(const std::string& name) {
  T3DSMesh m;
  m.Name = name;
  m.Vertices = {TVector{0, 0, 0}, TVector{1, 0, 0}, TVector{0, 1, 0}};
  m.TexCoords = {TTexCoord{0, 0}, TTexCoord{1, 0}, TTexCoord{0, 1}};
  m.Faces = {TFace{0, 1, 2}};
  return m;
}

}  // namespace

TModel MakeFountain() { return TModel(10, Triangle("fountain")); }
TModel MakeWordShape() { return {Triangle("word")}; }
TModel MakeAtom() { return TModel(11, Triangle("atom")); }
TModel MakeBall() { return {Triangle("ball")}; }
TModel MakeSlime() { return {Triangle("slime")}; }
TModel MakeFunPlane() { return {Triangle("plane")}; }
TModel MakeNurbSurface() { return TModel(4, Triangle("nurb")); }
TModel MakeKule() { return {Triangle("kule")}; }
TModel MakeGrassTuft() { return {Triangle("grass")}; }
TModel MakeTunnel() { return {Triangle("tunnel")}; }
TModel MakeHelix() { return {Triangle("helix")}; }
TModel MakeStar() { return {Triangle("star")}; }
TModel MakeStranger() { return {Triangle("stranger")}; }
TModel MakeLandscape() { return {Triangle("land")}; }
TModel MakeEnvDome() { return {Triangle("env")}; }
TAniModel MakeAniStar() { return {}; }
