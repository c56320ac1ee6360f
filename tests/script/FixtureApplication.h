#pragma once
// A small application registered as "Fixture" for the engine's fuzz target (the
// script tests talk to the real application "Mail"): two messages with recipients,
// a selection, a command with a direct parameter and one with labels, all in
// memory, so that no input reads or writes a file.

#include "platform/applescript/Dictionary.h"

namespace quorvell::test {

void registerFixtureApplication();

}  // namespace quorvell::test
