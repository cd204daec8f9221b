// A MainDialog wired to fakes, with button presses running their commands
// the way the real dialog does.
#pragma once

#include "app/main_dialog.h"
#include "support/fake_services.h"
#include "support/fake_window.h"

namespace zeltrand::testing {

struct DialogHarness : FakeServices {
  AppState state;
  FakeDialogWindow window;
  MainDialog dialog{state, services, window};

  DialogHarness() {
    window.on_press = [this](int id) { dialog.OnCommand(id); };
  }
};

}  // namespace zeltrand::testing
