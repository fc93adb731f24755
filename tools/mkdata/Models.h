// The shapes of the demo's models, built from code: every mesh with its
// positions, one mapping coordinate per vertex and outward-facing triangles
// (counter-clockwise seen from outside). Models are stored Z-up, as the
// start-up and the scenes turn most of them by (270, 0, 0) into Y-up.
//
// State: none; every builder is a pure function (fixed seeds, no clock), so
// two runs give the same numbers.
#pragma once

#include "ModelWriters.h"

// fontene.3ds: a fountain of ten meshes; after the (270, 0, 0) turn and the
// 0.6 scale its basin sits around y = -100 and its spout at the origin.
// 0 basin wall, 1 hidden ground plate, 2 column, 3 to 5 the tiers from the
// bottom up, 6 the crown, 7 the plinth, 8 the spout, 9 the water surface.
TModel MakeFountain();
// mormi.3ds: the word TAVIX as tubes, about 250 units wide (mesh 0 only).
TModel MakeWordShape();
// Atom.3ds: 0 nucleus, 1..5 rings of growing radius in different planes,
// 6..10 one companion sitting on each ring (mesh k + 5 on ring k).
TModel MakeAtom();
// ball.3ds: a gently lobed ball of radius about 150.
TModel MakeBall();
// slime.3ds: a blobby closed shape about 800 units across.
TModel MakeSlime();
// funplane.3ds: a flat 60 x 60 cell square grid, +-100 units.
TModel MakeFunPlane();
// nurb.3ds: a curved surface of three patches and, as mesh 3, the ribbon
// along its leading edge.
TModel MakeNurbSurface();
// kule.3ds: a geodesic ball of radius 100.
TModel MakeKule();
// grass.3ds: a tuft of curved blades.
TModel MakeGrassTuft();
// tunnel.3ds: a bending tube seen from inside.
TModel MakeTunnel();
// helix.3ds: a double helix with its rungs.
TModel MakeHelix();
// star.3ds: a five-pointed star with bevelled faces.
TModel MakeStar();
// stranger.3ds: a faceless standing figure in a long coat.
TModel MakeStranger();
// landskap.abr: rolling hills around a lower middle, +-667 units.
TModel MakeLandscape();
// env.abr: a sky dome seen from inside.
TModel MakeEnvDome();
// star.aab: a five-pointed star that breathes and twists over its frames,
// with its 21-animation table.
TAniFile MakeAniStar();
