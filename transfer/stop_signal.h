#pragma once
// The states of a long operation as a form's Tag shows them. The numbers are
// the ones the window has always shown; this is the only place that names them.
namespace StopSignal {
constexpr int Idle = 0;
constexpr int Stoppable = 999;  // Escape asks whether to stop it
constexpr int Asked = 555;      // the user said Yes: it stops before its next step
}  // namespace StopSignal
