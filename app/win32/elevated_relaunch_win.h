// Starting this program again with administrator rights and "--enable-autoblock".
#pragma once

namespace quillvarden::win32host {

// On a thread of its own: releases the instance mutex, asks for elevation
// (ShellExecuteExW "runas"); on success this instance ends, otherwise it takes the
// mutex back and carries on unchanged.
void startElevatedRelaunch();

}  // namespace quillvarden::win32host
