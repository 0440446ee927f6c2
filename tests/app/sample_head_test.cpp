// The embedded sample: exact symmetry of the base, head-sized proportions, a sculpt confined to
// the negative-X side, and a source text the reader and writer handle like any file.
#include "sample_head.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Key = std::tuple<float, float, float>;

Key keyOf(const Point3& p) { return Key(p.x, p.y, p.z); }

class SampleHead : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new ObjMesh(BuildSampleHead());
    sculpt_ = new ObjMesh(BuildSampleHeadSculpt());
  }
  static void TearDownTestSuite() {
    delete base_;
    delete sculpt_;
  }
  static ObjMesh* base_;
  static ObjMesh* sculpt_;
};

ObjMesh* SampleHead::base_ = nullptr;
ObjMesh* SampleHead::sculpt_ = nullptr;

TEST_F(SampleHead, EveryVertexHasAnExactMirrorTwin) {
  const std::vector<Point3>& p = base_->positions;
  std::map<Key, int> indexOf;
  for (int i = 0; i < static_cast<int>(p.size()); ++i)
    ASSERT_TRUE(indexOf.emplace(keyOf(p[i]), i).second) << "vertex " << i << " duplicates another";
  int centre = 0;
  for (int i = 0; i < static_cast<int>(p.size()); ++i) {
    const auto twin = indexOf.find(Key(-p[i].x, p[i].y, p[i].z));
    ASSERT_NE(twin, indexOf.end()) << "vertex " << i << " has no mirror twin";
    if (p[i].x == 0.0f) {
      EXPECT_EQ(twin->second, i);
      ++centre;
    } else {
      EXPECT_NE(twin->second, i);
    }
  }
  EXPECT_GT(centre, 0);
}

TEST_F(SampleHead, MirrorTwinsShareMirroredFaces) {
  // Reflecting a face's corner positions must give the corners of another face, so the topology is
  // symmetric and not only the point cloud.
  std::map<Key, int> indexOf;
  for (int i = 0; i < static_cast<int>(base_->positions.size()); ++i) indexOf[keyOf(base_->positions[i])] = i;
  std::set<std::vector<int>> faces;
  for (int f = 0; f < base_->NumFaces(); ++f) {
    std::vector<int> corners(base_->cornerVertex.begin() + base_->faceStart[f],
                             base_->cornerVertex.begin() + base_->faceStart[f + 1]);
    std::sort(corners.begin(), corners.end());
    faces.insert(corners);
  }
  for (int f = 0; f < base_->NumFaces(); ++f) {
    std::vector<int> mirrored;
    for (int c = base_->faceStart[f]; c < base_->faceStart[f + 1]; ++c) {
      const Point3& q = base_->positions[base_->cornerVertex[c]];
      mirrored.push_back(indexOf.at(Key(-q.x, q.y, q.z)));
    }
    std::sort(mirrored.begin(), mirrored.end());
    ASSERT_TRUE(faces.count(mirrored)) << "face " << f << " has no mirror face";
  }
}

TEST_F(SampleHead, IsAHeadSizedQuadMeshWithTexCoords) {
  const std::vector<Point3>& p = base_->positions;
  EXPECT_GE(p.size(), 4000u);
  EXPECT_LE(p.size(), 8000u);
  float low = p[0].z, high = p[0].z, minY = p[0].y, maxY = p[0].y, maxX = 0.0f;
  for (const Point3& q : p) {
    low = std::min(low, q.z);
    high = std::max(high, q.z);
    minY = std::min(minY, q.y);
    maxY = std::max(maxY, q.y);
    maxX = std::max(maxX, q.x);
  }
  EXPECT_GE(high - low, 20.0f);
  EXPECT_LE(high - low, 25.0f);
  // Narrower than tall, and deeper than wide, as heads are.
  EXPECT_LT(2.0f * maxX, high - low);
  EXPECT_GT(maxY - minY, 2.0f * maxX);

  ASSERT_GT(base_->NumFaces(), 0);
  for (int f = 0; f < base_->NumFaces(); ++f) {
    ASSERT_EQ(base_->FaceDegree(f), 4) << "face " << f;
    ASSERT_TRUE(base_->FaceHasTexCoords(f)) << "face " << f;
  }
  for (const Point3& t : base_->texCoords) {
    EXPECT_GE(t.x, 0.0f);
    EXPECT_LE(t.x, 1.0f);
    EXPECT_GE(t.y, 0.0f);
    EXPECT_LE(t.y, 1.0f);
  }
}

TEST_F(SampleHead, SculptMovesOnlyTheNegativeSide) {
  ASSERT_EQ(sculpt_->positions.size(), base_->positions.size());
  EXPECT_EQ(sculpt_->cornerVertex, base_->cornerVertex);
  EXPECT_EQ(sculpt_->cornerTexCoord, base_->cornerTexCoord);
  int moved = 0;
  float largest = 0.0f;
  for (size_t i = 0; i < base_->positions.size(); ++i) {
    const Point3& b = base_->positions[i];
    const Point3& s = sculpt_->positions[i];
    if (b.x >= 0.0f) {
      ASSERT_EQ(keyOf(s), keyOf(b)) << "vertex " << i << " on the positive side moved";
    } else if (s != b) {
      ++moved;
      largest = std::max(largest, (s - b).Length());
      EXPECT_LE(s.x, 0.0f) << "vertex " << i << " crossed the plane";
    }
  }
  EXPECT_GT(moved, 50);
  EXPECT_GT(largest, 0.5f);
  EXPECT_LT(largest, 3.0f);
}

TEST_F(SampleHead, SourceTextRewritesLikeAnyFile) {
  std::string text, error;
  ASSERT_TRUE(FormatObjWithPositions(*base_, sculpt_->positions, text, error)) << error;
  EXPECT_EQ(text, sculpt_->source);
  ASSERT_TRUE(FormatObjWithPositions(*sculpt_, base_->positions, text, error)) << error;
  EXPECT_EQ(text, base_->source);
  const ObjReadResult reread = ParseObjText(base_->source, "sample");
  ASSERT_TRUE(reread.ok) << reread.error;
  EXPECT_EQ(reread.mesh.positions, base_->positions);
}

}  // namespace
