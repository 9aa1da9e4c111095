// The deeper reference counts, both ways (left out of the sanitizer run).
#include "position/positions.h"
#include "tools/tools.h"

namespace {

class PerftDeep : public vtest::EngineTest, public testing::WithParamInterface<vtest::Reference> {};

TEST_P(PerftDeep, ReferenceCount) {
  const vtest::Reference& r = GetParam();
  ASSERT_TRUE(vtest::SetFen(r.Fen));
  EXPECT_EQ(Perft(r.DeepDepth), r.DeepNodes) << "generator form, depth " << r.DeepDepth;
  EXPECT_EQ(PerftSearchPath(r.DeepDepth), r.DeepNodes) << "search path, depth " << r.DeepDepth;
}

INSTANTIATE_TEST_SUITE_P(References, PerftDeep, testing::ValuesIn(vtest::References()), vtest::ReferenceName);

}  // namespace
