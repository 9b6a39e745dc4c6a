// One desktop instance: the named mutex, and the registered message by which a second
// start asks the first to show its window.
#pragma once

#include <windows.h>

namespace quillvarden::win32host {

extern HANDLE instanceMutex;

// Creates the mutex; false when another instance owns it (that one has been asked to
// show its window). A mutex that cannot be made at all counts as a first instance.
bool claimSingleInstance();
void releaseSingleInstance();

}  // namespace quillvarden::win32host
