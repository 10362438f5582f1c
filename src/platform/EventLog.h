#pragma once
// The event log: one line per event, "T kind details", T the platform clock's tick.
// Written only when TIDEPOOL_EVENT_LOG names a file; safe to call from any thread.
#include <string>
#include <string_view>

namespace tp {

void LogEvent(std::string_view kind, std::string_view details = {});
// CR and LF written as \r and \n, so one event stays one line.
std::string EscapeForLog(std::string_view text);
// Reopens the log from the environment (tests that change TIDEPOOL_EVENT_LOG).
void ResetEventLog();

}  // namespace tp
