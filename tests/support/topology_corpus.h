// Meshes with known mirror partners, for topology pairing's tests and benchmarks: quad, triangle
// and mixed surfaces, boxes and UV spheres, assemblies of one to eight shells (shells mirrored in
// themselves and mirrored pairs), each exact, with noise of 30% of the mean edge length, with a
// 35-degree twist about the up axis (y), and with both, vertex order shuffled. Each mesh's partners
// are known from its construction: the mirror image about x = 0 of every vertex is a vertex of the
// exact mesh before it is posed.
#pragma once

#include <string>
#include <vector>

#include "point3.h"

struct CorpusMesh {
  std::string name;
  std::vector<Point3> positions;
  std::vector<int> faceStart = {0};
  std::vector<int> cornerVertex;
  std::vector<int> truth;  // per vertex: its mirror partner (itself on the plane)
  bool symmetricConnectivity = true;

  int FaceCount() const { return int(faceStart.size()) - 1; }
};

enum class Pose { kExact, kNoise, kTwist, kNoiseAndTwist };

// Every shape whose connectivity is symmetric, in every pose.
std::vector<CorpusMesh> SymmetricCorpus();
// Shapes whose connectivity is not: a triangulated grid whose diagonals all run one way, a grid
// with one unmirrored diagonal, a grid with one quad split at its centre on one side, a grid with a
// face missing on one side.
std::vector<CorpusMesh> AsymmetricCorpus();
// `m` with every quad split a b c, a c d (as glTF exporters write quads), faces in the same order:
// the mirror image of such a split runs along the other diagonal.
CorpusMesh SplitQuads(const CorpusMesh& m);
// The symmetric corpus, its quads split.
std::vector<CorpusMesh> SplitQuadCorpus();
// A symmetric quad grid of about `vertices` vertices, bumped, vertex order shuffled (benchmarks).
CorpusMesh LargeGrid(int vertices, Pose pose);

// As an OBJ file, as exporters write one: `v` lines with six decimals, then `f` lines.
std::string CorpusObjText(const CorpusMesh& mesh);
