#pragma once

#include <QString>

// The multiarch triplet reported by "gcc -dumpmachine" (for example
// x86_64-linux-gnu); empty when gcc is missing or fails.
QString getMultiarchTriplet();
