// The CPU time the hypervisor has taken from this machine's processors since
// boot, summed over them (Linux's "steal"). On a virtual machine whose host
// is busy it delays every thread, real-time ones too, so a benchmark says
// how much of it fell into its run.
#pragma once

// Milliseconds, or 0 where the system does not say.
double StolenMilliseconds();
