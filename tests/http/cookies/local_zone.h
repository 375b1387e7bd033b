// The local time zone that the date tests read dates in.
#pragma once

namespace vornel::test {

// Makes zone (a tz database name) the local zone of the process; false when
// that cannot be done here. On Linux it can be set at any moment. On Windows the
// zone is the one the program was started in (TZ of its test entry under Wine):
// true only when that is zone.
bool UseLocalZone(const char* zone);
// The zone of the system again.
void ForgetLocalZone();

}  // namespace vornel::test
