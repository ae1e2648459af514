#include "Common/Clock.h"

#include "Common/UUtils.h"

namespace skylog {

TDateTime TSystemClock::Now() const { return CurrentDateTime(); }

}  // namespace skylog
