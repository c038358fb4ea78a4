// Upper bounds on elapsed time that a loaded machine cannot break while a
// real fault still does. A call that must not wait is held below the wait it
// would make by mistake (its time-out), never to how fast it ran; a call with
// a bound of its own is held to that bound plus lateMs.
#pragma once

namespace timebounds {

// How late a bounded call may come back on two cores shared with other builds
// and slowed by the sanitizers (a thread descheduled for a while). It stays
// below every wait the code could add by mistake (3 s and more), so a second
// wait still shows.
constexpr long long lateMs = 2500;

} // namespace timebounds
