#include "application.h"

namespace zh {

void Application::bindServiceButtons() {}

}  // namespace zh
