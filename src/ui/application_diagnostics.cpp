#include "application.h"

namespace zh {

void Application::bindDiagnosticButtons() {}

}  // namespace zh
