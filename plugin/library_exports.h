// How the library marks its five exported functions: by the .def file's ordinals on Windows, by
// default visibility on Linux (everything else in the module is hidden).
#pragma once

#if defined(_WIN32)
#define AMBIFLEX_EXPORT __declspec(dllexport)
#else
#define AMBIFLEX_EXPORT __attribute__((visibility("default")))
#endif
