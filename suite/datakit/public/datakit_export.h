#pragma once

// Marks what a host calls in the kit. The kit is a static library folded into the component's
// shared library, which hides every symbol not marked so (a generated export header would leave
// this empty for a static library).
#define DATAKIT_EXPORT __attribute__((visibility("default")))
