#include "platform/units.h"
namespace platform::rt {
void close_all() {}
}
