#pragma once

// Marks what the plug-in library exports; everything else is hidden.
#define OSTREL_EXPORT __attribute__((visibility("default")))
