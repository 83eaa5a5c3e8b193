// The per-processor sampler threads: each measures about once a second how busy
// its processor was and leaves the value in the processor's SamplerSlot for the
// main thread.
#pragma once

#include <windows.h>

// Start routine for _beginthreadex; the argument is the processor's SamplerSlot.
// Runs until the slot's stop flag is seen after a sample; returns 0.
unsigned __stdcall sampler_main(void* slot);
