// Starting this program again with administrator rights (pkexec) and
// "--enable-autoblock", handing the single-instance lock and the port over to it.
#pragma once

#include <functional>
#include <memory>

namespace quillvarden {

class SingleInstance;

// Runs the relaunch on a thread of its own. onHandedOver runs (on that thread) once
// the elevated copy holds the instance lock: this copy should then end and free the
// port. When the user declines or the launch fails, the lock is claimed again and this
// copy carries on unchanged.
void startElevatedRelaunch(std::shared_ptr<SingleInstance> instance, std::function<void()> onHandedOver,
                           std::function<void()> onShowRequest);

}  // namespace quillvarden
