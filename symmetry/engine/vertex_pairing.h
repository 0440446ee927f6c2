// Vertex correspondence: for each target vertex, the target vertex nearest to its reflection.
//
// The reference search is the brute-force double loop: for each i, m = T[i] * A, and over every
// candidate j from 0 upwards, q = T[j] * B and e = (m.x-q.x)^2 + (m.y-q.y)^2 + (m.z-q.z)^2 in 32-bit
// floats; the candidate is taken when e < best, best starting at the threshold 1e8f. Strict
// less-than makes the lowest index win among equal distances. A vertex no candidate brings below the
// threshold (or whose position is not finite) is its own partner.
//
// The fast search gives exactly the same table, bit for bit: in about linear time on an exactly
// symmetric target, where nearly every reflection lands on a vertex, and at about n log n otherwise.
#pragma once

#include "mirror_matrices.h"
#include "pairing_progress.h"
#include "point3.h"

const float kMatchThreshold = 1e8f;

// r_partners: `count` entries. `targets` may be null only when count is 0. `progress`, when not
// null, hears how many of the `count` vertices are paired so far.
void BuildPartnerTable(const Point3* targets, int count, const MirrorMatrices& matrices, int* r_partners,
                       PairingProgress* progress = nullptr);
void BuildPartnerTableBruteForce(const Point3* targets, int count, const MirrorMatrices& matrices,
                                 int* r_partners);

// The general search under both: for each query q[i], the lowest-index candidate c[j] whose float
// squared distance e (same formula as above) is below `threshold` and smallest; -1 when none.
// r_nearest: `queryCount` entries. Either array may be null when its count is 0. `progress`, when not
// null, hears how many of the `queryCount` queries are answered so far.
void FindNearestCandidates(const Point3* queries, int queryCount, const Point3* candidates,
                           int candidateCount, float threshold, int* r_nearest, PairingProgress* progress = nullptr);
void FindNearestCandidatesBruteForce(const Point3* queries, int queryCount, const Point3* candidates,
                                     int candidateCount, float threshold, int* r_nearest);
