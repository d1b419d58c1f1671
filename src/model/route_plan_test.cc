#include "model/route_plan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "test_support.h"

namespace sc {
namespace {

// The plan computed point by point into columns, each metre from the two
// before it: what the runs must reproduce bit for bit.
struct Reference {
  std::vector<double> x{0, 0};
  std::vector<double> y{0, 1};
  void Step(bool turn, double k, int64_t metres) {
    for (int64_t i = 0; i < metres; ++i) {
      const size_t c = x.size();
      const double dx = x[c - 1] - x[c - 2];
      const double dy = y[c - 1] - y[c - 2];
      x.push_back(turn ? x[c - 1] + (dx + dy * k) : x[c - 1] + dx);
      y.push_back(turn ? y[c - 1] + (dy - dx * k) : y[c - 1] + dy);
    }
  }
};

TEST(RoutePlan, RunsGiveThePointByPointDoublesBitForBit) {
  RoutePlan plan(20000);
  Reference reference;
  plan.Start();
  // Straight and turning runs, a run continued by the same turn, a turn
  // back, and tiny and large turns whose products round.
  const struct {
    bool turn;
    double k;
    int64_t metres;
  } runs[] = {{false, 0, 798},       {true, 0.0002, 600}, {true, 0.0002, 17}, {false, 0, 1},
              {true, -0.0008, 2500}, {true, 1e-9, 3000},  {true, 0.37, 11},   {false, 0, 9000}};
  for (const auto& r : runs) {
    r.turn ? plan.Turn(r.k, r.metres) : plan.Straight(r.metres);
    reference.Step(r.turn, r.k, r.metres);
  }
  ASSERT_EQ(plan.filled(), static_cast<int64_t>(reference.x.size()));
  const testing::PlanColumns points = testing::PointsOf(plan);
  ASSERT_EQ(points.x.size(), reference.x.size());
  for (size_t m = 0; m < points.x.size(); ++m) {
    ASSERT_EQ(std::bit_cast<uint64_t>(points.x[m]), std::bit_cast<uint64_t>(reference.x[m])) << m;
    ASSERT_EQ(std::bit_cast<uint64_t>(points.y[m]), std::bit_cast<uint64_t>(reference.y[m])) << m;
  }
}

TEST(RoutePlan, NeverDrawsPastItsLastMetreAndStartsAfresh) {
  RoutePlan plan(10);
  EXPECT_EQ(plan.filled(), 0);
  plan.Straight(5);  // before Start(): nothing
  EXPECT_EQ(plan.filled(), 0);
  plan.Start();
  plan.Turn(0.1, 100);
  EXPECT_EQ(plan.filled(), 11);
  plan.Straight(-3);
  EXPECT_EQ(plan.filled(), 11);
  plan.Start();
  plan.Straight(3);
  const testing::PlanColumns points = testing::PointsOf(plan);
  EXPECT_EQ(points.x, (std::vector<double>{0, 0, 0, 0, 0}));
  EXPECT_EQ(points.y, (std::vector<double>{0, 1, 2, 3, 4}));

  RoutePlan one_metre(0);
  one_metre.Start();
  EXPECT_EQ(one_metre.filled(), 1);
}

}  // namespace
}  // namespace sc
