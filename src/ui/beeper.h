#pragma once
// The information beep of the controls. Tests (and a silent mode) can hook it.
#include <functional>

namespace orvadw {

class Beeper {
 public:
  // Sounds the platform beep, or calls the hook when one is set.
  static void beep();
  // An empty function returns to the platform beep.
  static void set_hook(std::function<void()> hook);
};

}  // namespace orvadw
