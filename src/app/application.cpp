#include "app/application.h"

namespace zarvio {
int RunApplication(HINSTANCE) { return 0; }
}
