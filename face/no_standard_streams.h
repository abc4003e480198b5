// Forced in front of every file that sees dlib's headers. dlib includes <iostream>, whose
// header puts a static std::ios_base::Init into each file; in the i686 plug-in that object
// sets up the standard streams and their locks on every load and leaves two semaphores
// behind on every unload, so a host that loads and frees the plug-in all day would grow.
// Nothing here writes to the standard streams (dlib does only on a fatal error it cannot
// reach with asserts off), so the declarations are enough: <iostream>'s guard is taken and
// the streams are declared as that header would declare them, without the Init object.
#pragma once

#include <istream>
#include <ostream>

#define _GLIBCXX_IOSTREAM 1

namespace std {
extern istream cin;
extern ostream cout, cerr, clog;
extern wistream wcin;
extern wostream wcout, wcerr, wclog;
}  // namespace std
