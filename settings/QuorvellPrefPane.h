#pragma once
// The preferences window's controller (declaration completed by its owner).
