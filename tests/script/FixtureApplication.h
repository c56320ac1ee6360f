#pragma once
// A small application registered as "Fixture" for the script tests: two messages
// with recipients, a selection, a command with a direct parameter and one with
// labels, and a counter of content reads that lets a script check that reading
// one property computes no other.

#include "platform/applescript/Dictionary.h"

namespace quorvell::test {

void registerFixtureApplication();

}  // namespace quorvell::test
