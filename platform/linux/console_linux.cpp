#include "platform/console.h"

namespace quillvarden::platform {

void prepareConsole() {}  // terminals here speak UTF-8 already

}  // namespace quillvarden::platform
