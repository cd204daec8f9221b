// A collection context over the fakes, for running collectors one by one.
#pragma once

#include "collect/collectors.h"
#include "support/fake_services.h"

namespace zeltrand::testing {

struct CollectHarness : FakeServices {
  Paths paths = MakePaths("C:\\Tools\\Zeltrand.exe");
  CollectedInfo info;
  CollectContext ctx{info, services, paths};

  const std::string& field(int n) const { return info.item_values[n]; }
};

}  // namespace zeltrand::testing
