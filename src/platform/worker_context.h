// A second OpenGL context sharing the window's objects (display lists, textures), for work that a
// worker thread does while the main thread draws: openWorkerContext() once on the main thread,
// with the window's context current; then one thread at a time binds it around its work.
#pragma once

// 0 when the context is open; 1 when the window system gives none, and the work stays on the main
// thread.
int openWorkerContext();

// Makes the worker context current on the calling thread (true), or releases it (false). It must
// be released before the window system shuts down.
void bindWorkerContext(bool bound);
