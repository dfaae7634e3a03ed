#pragma once

// Registers the images compiled into the program (toolbar icons, logo). The library is static, so
// the linker keeps the resource data only when something calls this; windows that show the images
// call it before use. Safe to call more than once.
void ensureResources();
