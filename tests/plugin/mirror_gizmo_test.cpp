// The mirror-plane gizmo as a viewport receives it: the lines the modifier draws for a node, in the
// node's object space moved along the mirror axis, the render state it draws them with and leaves
// behind, and the world box it reports.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "support/plugin_fixture.h"
#include "maxapi.h"
#include "modifier_display.h"

using namespace testing_support;

namespace {

constexpr int kSquareLines = 12;  // the flattened box's edges
constexpr int kShaft = 12;
constexpr int kHeadLines = 4;

class MirrorGizmo : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScene();
    node = Scene::Get().CreateNode(L"head", MakeSymmetricGrid(3, 2));
    mod = NewModifier();
    Scene::Get().ApplyModifier(node, mod);
    set(kDisplayAxis, 1);
    set(kMirrorAxis, 2);
    set(kDirection, 1);
  }
  void TearDown() override { ResetScene(); }

  void set(int id, int v) { Params(mod)->SetValue(ParamID(id), 0, v); }
  void set(int id, float v) { Params(mod)->SetValue(ParamID(id), 0, v); }

  // Draws the node's gizmos into a fresh viewport and returns its lines.
  const std::vector<GraphicsWindow::Line>& draw() {
    view = std::make_unique<ViewExp>();
    limitsBefore = view->getGW()->getRndLimits();
    DisplayModifiers(node, view.get(), 0);
    return view->getGW()->Lines();
  }

  INode* node = nullptr;
  Modifier* mod = nullptr;
  std::unique_ptr<ViewExp> view;
  DWORD limitsBefore = 0;
};

// The end points of `lines` in world space, as drawn.
std::vector<Point3> worldPoints(const std::vector<GraphicsWindow::Line>& lines, int first, int count) {
  std::vector<Point3> points;
  for (int i = first; i < first + count; ++i) points.insert(points.end(), lines[size_t(i)].world.begin(), lines[size_t(i)].world.end());
  return points;
}

bool hasSegment(const std::vector<GraphicsWindow::Line>& lines, const Point3& a, const Point3& b) {
  for (int i = 0; i < kSquareLines; ++i) {
    const auto& w = lines[size_t(i)].world;
    if ((w[0] == a && w[1] == b) || (w[0] == b && w[1] == a)) return true;
  }
  return false;
}

TEST_F(MirrorGizmo, OffDrawsNothingAndLeavesTheRenderLimits) {
  set(kDisplayAxis, 0);
  EXPECT_TRUE(draw().empty());
  EXPECT_EQ(view->getGW()->getRndLimits(), limitsBefore);
  Box3 box = ModifiersWorldBoundBox(node, view.get(), 0);
  EXPECT_TRUE(box.IsEmpty());
}

TEST_F(MirrorGizmo, ZPositiveDrawsTheSquareInXYAndTheArrowUpAsUnlitRedSegments) {
  const auto& lines = draw();
  ASSERT_EQ(lines.size(), size_t(kSquareLines + 1 + kHeadLines));
  for (const auto& line : lines) {
    ASSERT_EQ(line.points.size(), 2u);
    EXPECT_TRUE(line.inSegments);
    EXPECT_FALSE(line.closed);
    EXPECT_FALSE(line.perVertexColor);
    EXPECT_EQ(line.color, Point3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(line.rndLimits & GW_ILLUM, 0u);
  }
  EXPECT_EQ(view->getGW()->OpenSegments(), 0);
  EXPECT_EQ(view->getGW()->getRndLimits(), limitsBefore);
  ASSERT_NE(limitsBefore & GW_ILLUM, 0u);

  for (const Point3& p : worldPoints(lines, 0, kSquareLines)) {
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_EQ(std::abs(p.x), 25.0f);
    EXPECT_EQ(std::abs(p.y), 25.0f);
  }
  EXPECT_TRUE(hasSegment(lines, Point3(-25.0f, -25.0f, 0.0f), Point3(25.0f, -25.0f, 0.0f)));
  EXPECT_TRUE(hasSegment(lines, Point3(-25.0f, 25.0f, 0.0f), Point3(25.0f, 25.0f, 0.0f)));
  EXPECT_TRUE(hasSegment(lines, Point3(-25.0f, -25.0f, 0.0f), Point3(-25.0f, 25.0f, 0.0f)));
  EXPECT_TRUE(hasSegment(lines, Point3(25.0f, -25.0f, 0.0f), Point3(25.0f, 25.0f, 0.0f)));

  const Point3 tip(0.0f, 0.0f, 25.0f);
  EXPECT_EQ(lines[kShaft].world[0], Point3(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(lines[kShaft].world[1], tip);
  const Point3 bases[kHeadLines] = {{6.25f, 6.25f, 0.0f}, {-6.25f, -6.25f, 0.0f}, {-6.25f, 6.25f, 0.0f},
                                    {6.25f, -6.25f, 0.0f}};
  for (int k = 0; k < kHeadLines; ++k) {
    EXPECT_EQ(lines[size_t(kShaft + 1 + k)].world[0], bases[k]) << k;
    EXPECT_EQ(lines[size_t(kShaft + 1 + k)].world[1], tip) << k;
  }
}

TEST_F(MirrorGizmo, NegativeFlipsTheArrowAndKeepsTheSquare) {
  std::vector<Point3> positive = worldPoints(draw(), 0, kSquareLines);
  set(kDirection, 0);
  const auto& lines = draw();
  EXPECT_EQ(worldPoints(lines, 0, kSquareLines), positive);
  EXPECT_EQ(lines[kShaft].world[1], Point3(0.0f, 0.0f, -25.0f));
  for (int k = 1; k <= kHeadLines; ++k) EXPECT_EQ(lines[size_t(kShaft + k)].world[1], Point3(0.0f, 0.0f, -25.0f));
}

TEST_F(MirrorGizmo, AScaledNodeScalesTheSquareButNotTheOffset) {
  node->SetObjectTM(ScaleMatrix(Point3(2.0f, 2.0f, 2.0f)));
  set(kAxisOffset, 10.0f);
  const auto& lines = draw();
  for (const Point3& p : worldPoints(lines, 0, kSquareLines)) {
    EXPECT_EQ(p.z, 10.0f);
    EXPECT_EQ(std::abs(p.x), 50.0f);
    EXPECT_EQ(std::abs(p.y), 50.0f);
  }
  EXPECT_EQ(lines[kShaft].world[0], Point3(0.0f, 0.0f, 10.0f));
  EXPECT_EQ(lines[kShaft].world[1], Point3(0.0f, 0.0f, 60.0f));
}

TEST_F(MirrorGizmo, TheXAxisPutsThePlaneInYZ) {
  set(kMirrorAxis, 0);
  set(kAxisOffset, -3.0f);
  const auto& lines = draw();
  for (const Point3& p : worldPoints(lines, 0, kSquareLines)) EXPECT_EQ(p.x, -3.0f);
  EXPECT_EQ(lines[kShaft].world[1], Point3(22.0f, 0.0f, 0.0f));
  EXPECT_EQ(lines[kShaft + 1].world[0], Point3(-3.0f, 6.25f, 6.25f));
}

TEST_F(MirrorGizmo, TheSmallestSizeStillDraws) {
  set(kDisplaySize, 0.0f);  // clamped to the range's minimum
  const auto& lines = draw();
  ASSERT_EQ(lines.size(), size_t(kSquareLines + 1 + kHeadLines));
  float size = Params(mod)->GetFloat(kDisplaySize);
  EXPECT_GT(size, 0.0f);
  EXPECT_EQ(lines[kShaft].world[1], Point3(0.0f, 0.0f, size * 0.5f));
}

TEST_F(MirrorGizmo, TheWorldBoxHoldsEveryLine) {
  node->SetObjectTM(TransMatrix(Point3(5.0f, 0.0f, 0.0f)));
  const auto& lines = draw();
  Box3 box = ModifiersWorldBoundBox(node, view.get(), 0);
  ASSERT_FALSE(box.IsEmpty());
  Box3 drawn;
  for (const Point3& p : worldPoints(lines, 0, int(lines.size()))) drawn += p;
  EXPECT_EQ(box.pmin, drawn.pmin);
  EXPECT_EQ(box.pmax, drawn.pmax);
  EXPECT_EQ(box.pmin, Point3(-20.0f, -25.0f, 0.0f));
  EXPECT_EQ(box.pmax, Point3(30.0f, 25.0f, 25.0f));
}

}  // namespace
