#pragma once
// The mail application as the script engine sees it: registers the dictionary of
// application "Mail" (messages of the Maildir, the selection) with the engine.

namespace platform::mail {

// Idempotent; cheap after the first call.
void registerMailApplication();

}  // namespace platform::mail
