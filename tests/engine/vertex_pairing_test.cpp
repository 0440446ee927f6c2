// The fast pairing and nearest-candidate search give the brute-force tables bit for bit, on
// symmetric, random, duplicate-heavy and degenerate sets, on every axis and on offset planes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "support/point_sets.h"
#include "symmetry/engine/nearest_point_index.h"
#include "symmetry/engine/vertex_pairing.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::vector<int> pairFast(const std::vector<Point3>& targets, int axis, float offset) {
  std::vector<int> partners(targets.size(), -7);
  BuildPartnerTable(targets.data(), int(targets.size()), BuildMirrorMatrices(axis, offset), partners.data());
  return partners;
}

std::vector<int> pairBruteForce(const std::vector<Point3>& targets, int axis, float offset) {
  std::vector<int> partners(targets.size(), -7);
  BuildPartnerTableBruteForce(targets.data(), int(targets.size()), BuildMirrorMatrices(axis, offset),
                              partners.data());
  return partners;
}

void expectPairingMatchesBruteForce(const std::vector<Point3>& targets, int axis, float offset) {
  SCOPED_TRACE(::testing::Message() << "axis " << axis << ", offset " << offset);
  EXPECT_EQ(pairFast(targets, axis, offset), pairBruteForce(targets, axis, offset));
}

std::vector<int> nearestFast(const std::vector<Point3>& queries, const std::vector<Point3>& candidates,
                             float threshold) {
  std::vector<int> nearest(queries.size(), -7);
  FindNearestCandidates(queries.data(), int(queries.size()), candidates.data(), int(candidates.size()),
                        threshold, nearest.data());
  return nearest;
}

std::vector<int> nearestBruteForce(const std::vector<Point3>& queries,
                                   const std::vector<Point3>& candidates, float threshold) {
  std::vector<int> nearest(queries.size(), -7);
  FindNearestCandidatesBruteForce(queries.data(), int(queries.size()), candidates.data(),
                                  int(candidates.size()), threshold, nearest.data());
  return nearest;
}

TEST(PairingMatchesBruteForce, SymmetricSetsOnEveryAxis) {
  for (int axis = 0; axis < 3; ++axis) {
    expectPairingMatchesBruteForce(point_sets::symmetricGrid(2500, axis), axis, 0.0f);
    expectPairingMatchesBruteForce(point_sets::symmetricRandom(3000, axis, 11u + axis), axis, 0.0f);
  }
}

TEST(PairingMatchesBruteForce, OffsetPlanes) {
  // On the grid (columns 1/4 apart) an offset of 1/8 reflects columns onto columns, 1/16 onto the
  // middle between two columns, where two candidates tie; 5 and -0.37 reflect the sets off themselves.
  for (float offset : {0.125f, 0.0625f, 5.0f, -0.37f}) {
    expectPairingMatchesBruteForce(point_sets::symmetricGrid(2000, 0), 0, offset);
    expectPairingMatchesBruteForce(point_sets::symmetricRandom(2000, 2, 5), 2, offset);
  }
}

TEST(PairingMatchesBruteForce, DuplicateHeavyRandomAndDegenerateSets) {
  for (int axis = 0; axis < 3; ++axis) {
    expectPairingMatchesBruteForce(point_sets::duplicateHeavy(3000, 16, axis), axis, 0.0f);
    expectPairingMatchesBruteForce(point_sets::degenerate(3000, axis, 21u + axis), axis, 0.0f);
  }
  expectPairingMatchesBruteForce(point_sets::randomPoints(3000, 7), 1, 0.0f);
  // Spread over 2e4 units many reflections have no candidate within the threshold distance of 1e4.
  expectPairingMatchesBruteForce(point_sets::randomPoints(2000, 8, 1e4f), 0, 100.0f);
}

TEST(PairingMatchesBruteForce, NearTiesAtLargeAndTinyMagnitudes) {
  // Near 4096 neighbouring floats are 1/2048 apart, so distances round coarsely and many tie; near
  // 1e-23 the squares underflow, and distinct points lie at float distance 0 from each other.
  std::vector<Point3> large, tiny;
  for (int i = -12; i <= 12; ++i) {
    for (int j = 0; j < 40; ++j) {
      large.emplace_back(std::nextafter(4096.0f * float(i), 0.0f) + float(j % 3) / 2048.0f,
                         4096.0f + float(j) / 2048.0f, 0.0f);
      tiny.emplace_back(1e-23f * float(i) + 1e-30f * float(j % 5), 3e-23f * float(j), 1e-24f * float(j % 2));
    }
  }
  for (int axis = 0; axis < 3; ++axis) {
    expectPairingMatchesBruteForce(large, axis, 0.0f);
    expectPairingMatchesBruteForce(tiny, axis, 0.0f);
  }
}

// The squared distance rounded after every operation, whatever the compiler may fuse: each product
// passes through memory the compiler must not skip before it is added.
float roundedDistance(const Point3& m, const Point3& q) {
  const Point3 d = m - q;
  const volatile float xx = d.x * d.x;
  const volatile float yy = d.y * d.y;
  const volatile float zz = d.z * d.z;
  const float xy = xx + yy;
  return xy + zz;
}

TEST(PairingMatchesBruteForce, NearTiesThatAFusedMultiplyAddWouldDecideOtherwise) {
  // Each vertex on the positive side has two candidates near its mirror image whose distances
  // compare one way rounded after each operation and the other way with the sums fused.
  std::mt19937 random(5);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::vector<Point3> targets;
  int found = 0;
  for (int trial = 0; trial < 200000 && found < 150; ++trial) {
    // Cases lie an eighth apart, so no vertex comes near another case's mirror image.
    const Point3 p(1.5f + 0.125f * float(found % 10) + 0.02f * unit(random),
                   -1.0f + 0.125f * float(found / 10) + 0.02f * unit(random), 0.02f * unit(random));
    const Point3 m(-p.x, p.y, p.z);
    const Point3 d(unit(random) * 0.01f, unit(random) * 0.01f, unit(random) * 0.01f);
    const Point3 q1 = m + d;
    Point3 q2 = m + Point3(d.y, d.z, d.x);
    const int a = int(random() % 3);
    q2[a] = std::nextafter(q2[a], 10.0f);
    auto fused = [&](const Point3& q) {
      const Point3 e = m - q;
      return std::fma(e.z, e.z, std::fma(e.y, e.y, e.x * e.x));
    };
    if ((roundedDistance(m, q1) < roundedDistance(m, q2)) == (fused(q1) < fused(q2))) continue;
    targets.push_back(p);
    targets.push_back(q1);
    targets.push_back(q2);
    ++found;
  }
  ASSERT_EQ(found, 150);
  const MirrorMatrices mirror = BuildMirrorMatrices(0, 0.0f);
  std::vector<int> expected(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    const Point3 m = targets[i] * mirror.match;
    float best = kMatchThreshold;
    expected[i] = int(i);
    for (size_t j = 0; j < targets.size(); ++j) {
      const float e = roundedDistance(m, targets[j] * mirror.base);
      if (e < best) {
        best = e;
        expected[i] = int(j);
      }
    }
  }
  EXPECT_EQ(pairFast(targets, 0, 0.0f), expected);
  EXPECT_EQ(pairBruteForce(targets, 0, 0.0f), expected);
}

TEST(VertexPairing, MirrorImagesPairMutuallyAndOnPlaneVerticesPairWithThemselves) {
  const std::vector<Point3> targets = point_sets::symmetricRandom(4000, 0, 31);
  const std::vector<int> partners = pairFast(targets, 0, 0.0f);
  int onPlane = 0;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const int p = partners[i];
    if (targets[i].x == 0.0f) {
      ++onPlane;
      EXPECT_EQ(p, int(i));
    } else {
      EXPECT_EQ(targets[std::size_t(p)], point_sets::mirrored(targets[i], 0));
      EXPECT_EQ(partners[std::size_t(p)], int(i));
    }
  }
  EXPECT_GT(onPlane, 0);
}

TEST(VertexPairing, CoincidentVerticesPairWithTheLowestIndex) {
  //   3 0          1 2      (0 and 3, 1 and 2 coincide)
  //   x = -1   |   x = 1
  const std::vector<Point3> targets = {{-1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f},
                                       {-1.0f, 0.0f, 0.0f}};
  const std::vector<int> expected = {1, 0, 0, 1};
  EXPECT_EQ(pairFast(targets, 0, 0.0f), expected);
  EXPECT_EQ(pairBruteForce(targets, 0, 0.0f), expected);
}

TEST(VertexPairing, AnUnderflowingNeighbourWithALowerIndexBeatsTheExactMirrorImage) {
  // Vertex 1 reflects exactly onto vertex 2, but vertex 0 lies one float step (2^-75) lower, at the
  // top of the range where that step squares to 0: also at distance 0, and first.
  const float y = 0x1p-51f;
  const std::vector<Point3> targets = {{1.0f, std::nextafter(y, 0.0f), 0.0f}, {-1.0f, y, 0.0f}, {1.0f, y, 0.0f}};
  const std::vector<int> expected = {1, 0, 1};
  EXPECT_EQ(pairFast(targets, 0, 0.0f), expected);
  EXPECT_EQ(pairBruteForce(targets, 0, 0.0f), expected);
}

TEST(VertexPairing, VertexWithNoCandidateWithinThresholdIsItsOwnPartner) {
  // Vertices 0 and 3 are more than 1e4 from every reflection: the plain search would give 0 no
  // partner at all and 3 the partner of vertex 2.
  const std::vector<Point3> targets = {{6e4f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f},
                                       {7e4f, 5e4f, 0.0f}};
  const std::vector<int> expected = {0, 2, 1, 3};
  EXPECT_EQ(pairFast(targets, 0, 0.0f), expected);
  EXPECT_EQ(pairBruteForce(targets, 0, 0.0f), expected);
}

TEST(VertexPairing, NonFiniteVerticesAreNeverChosenAndPairWithThemselves) {
  // The NaN vertex sits where vertex 2's reflection would land, the infinite one beside it.
  const std::vector<Point3> targets = {{kNaN, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f},
                                       {1.0f, kInf, 0.0f}, {1.0f, 0.0f, kNaN}};
  const std::vector<int> expected = {0, 2, 1, 3, 4};
  EXPECT_EQ(pairFast(targets, 0, 0.0f), expected);
  EXPECT_EQ(pairBruteForce(targets, 0, 0.0f), expected);
}

TEST(VertexPairing, EmptyAndSingleVertexTargets) {
  int untouched = -7;
  BuildPartnerTable(nullptr, 0, BuildMirrorMatrices(0, 0.0f), &untouched);
  BuildPartnerTableBruteForce(nullptr, 0, BuildMirrorMatrices(0, 0.0f), &untouched);
  EXPECT_EQ(untouched, -7);

  for (const Point3& only : {Point3(3.0f, 1.0f, 2.0f), Point3(0.0f, 1.0f, 2.0f), Point3(2e4f, 0.0f, 0.0f)}) {
    EXPECT_EQ(pairFast({only}, 0, 0.0f), std::vector<int>{0});
    EXPECT_EQ(pairBruteForce({only}, 0, 0.0f), std::vector<int>{0});
  }
}

TEST(NearestCandidatesMatchBruteForce, EveryKindOfThreshold) {
  std::vector<Point3> candidates = point_sets::degenerate(2000, 1, 41);
  const std::vector<Point3> extra = point_sets::duplicateHeavy(500, 8, 0, 42);
  candidates.insert(candidates.end(), extra.begin(), extra.end());
  std::vector<Point3> queries = point_sets::randomPoints(1500, 43, 1.2f);
  queries.insert(queries.end(), {{kNaN, 0.0f, 0.0f}, {kInf, 0.0f, 0.0f}, {-0.0f, 0.0f, 0.0f}});

  for (float threshold : {1e-6f, 1e-3f, 0.05f, 1.0f, 1e8f, kInf, 0.0f, -1.0f, kNaN}) {
    SCOPED_TRACE(::testing::Message() << "threshold " << threshold);
    EXPECT_EQ(nearestFast(queries, candidates, threshold), nearestBruteForce(queries, candidates, threshold));
  }
}

TEST(NearestCandidatesMatchBruteForce, LargeSetsWithDeepTrees) {
  // Tens of thousands of candidates take the tree-building paths that small sets never reach; the
  // grid's rows and columns put thousands of equal coordinates on every split.
  const std::vector<std::vector<Point3>> sets = {point_sets::symmetricGrid(40000, 1),
                                                 point_sets::symmetricRandom(40000, 2, 51),
                                                 point_sets::duplicateHeavy(40000, 3, 0, 52)};
  for (const std::vector<Point3>& candidates : sets) {
    std::vector<Point3> queries = point_sets::randomPoints(400, 53, 1.5f);
    for (std::size_t k = 0; k < candidates.size(); k += 37) queries.push_back(point_sets::mirrored(candidates[k], 1));
    for (float threshold : {1e-4f, 1e8f}) {
      EXPECT_EQ(nearestFast(queries, candidates, threshold), nearestBruteForce(queries, candidates, threshold));
    }
  }
}

// Every report a pairing makes, in order.
class RecordedProgress : public PairingProgress {
 public:
  void Searched(int done, int total) override { reports.push_back({done, total}); }
  std::vector<std::pair<int, int>> reports;
};

TEST(PairingProgress, CountsRiseToTheTotalAndTheTableIsTheSameAsWithout) {
  // Exactly symmetric (answered by the hashed pass alone), asymmetric (every vertex goes to the
  // index) and half of each, so both passes report and hand over.
  std::vector<Point3> mixed = point_sets::symmetricGrid(20000, 0);
  const std::vector<Point3> scattered = point_sets::randomPoints(20000, 61);
  mixed.insert(mixed.end(), scattered.begin(), scattered.end());
  const std::vector<std::vector<Point3>> sets = {point_sets::symmetricGrid(30000, 0), point_sets::randomPoints(30000, 62),
                                                 mixed};
  for (const std::vector<Point3>& targets : sets) {
    const int n = int(targets.size());
    RecordedProgress progress;
    std::vector<int> partners(targets.size(), -7);
    BuildPartnerTable(targets.data(), n, BuildMirrorMatrices(0, 0.0f), partners.data(), &progress);
    EXPECT_EQ(partners, pairFast(targets, 0, 0.0f));
    ASSERT_GE(progress.reports.size(), size_t(n / 4096)) << n;
    for (size_t k = 0; k < progress.reports.size(); ++k) {
      EXPECT_EQ(progress.reports[k].second, n) << k;
      if (k > 0) {
        EXPECT_GE(progress.reports[k].first, progress.reports[k - 1].first) << k;
      }
    }
    EXPECT_EQ(progress.reports.back().first, n);
  }
}

TEST(NearestCandidatesMatchBruteForce, SingleQueriesAgreeWithTheBatch) {
  const std::vector<Point3> candidates = point_sets::symmetricGrid(3000, 2);
  const std::vector<Point3> queries = point_sets::randomPoints(300, 44, 3.0f);
  const NearestPointIndex index(candidates.data(), int(candidates.size()));
  const std::vector<int> batch = nearestBruteForce(queries, candidates, 0.5f);
  for (std::size_t i = 0; i < queries.size(); ++i) EXPECT_EQ(index.FindNearest(queries[i], 0.5f), batch[i]);
}

TEST(NearestCandidates, ThresholdIsExclusiveAndTiesGoToTheLowerIndex) {
  const std::vector<Point3> query = {{0.0f, 0.0f, 0.0f}};
  const std::vector<Point3> ring = {{0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}};
  EXPECT_EQ(nearestFast(query, ring, 1.0f), std::vector<int>{-1});
  EXPECT_EQ(nearestFast(query, ring, std::nextafter(1.0f, 2.0f)), std::vector<int>{0});

  // -0 and +0 are one position: the lower index wins whichever sign it carries.
  const std::vector<Point3> zeros = {{2.0f, 2.0f, 2.0f}, {-0.0f, 0.5f, 0.0f}, {0.0f, 0.5f, -0.0f}};
  EXPECT_EQ(nearestFast(query, zeros, 1.0f), std::vector<int>{1});

  EXPECT_EQ(nearestFast(query, {}, 1.0f), std::vector<int>{-1});
}

}  // namespace
