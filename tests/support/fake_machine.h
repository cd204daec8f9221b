// Scripted system facts and processor for the collectors' tests.
#pragma once

#include "platform/cpu.h"
#include "platform/machine.h"

namespace zeltrand::testing {

class FakeMachine : public Machine {};

class FakeCpu : public CpuProbe {};

}  // namespace zeltrand::testing
