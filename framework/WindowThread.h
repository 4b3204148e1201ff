#pragma once

namespace vex::fw {

// The window thread is the one that started the back-end; before that, every thread counts as
// the window thread (nothing runs elsewhere yet).
void MarkWindowThread();
bool OnWindowThread();

}  // namespace vex::fw
