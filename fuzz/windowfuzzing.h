#pragma once

// Starts what a fuzz target that runs real windows needs, once per process:
// the offscreen platform, an application object kept until the process ends
// (Qt's own statics are gone before static destructors would run), a private
// settings folder, and quiet messages, message boxes and errors.
void startWindowFuzzing(const char *name);
