// The C library's rand and srand replaced inside the game test program: a test
// queues the numbers the simulation is to draw and reads how many it drew, so
// the order of the draws is checked, not only their effect. With the queue
// empty rand runs a fixed generator seeded by srand, so seeded runs repeat.
#pragma once

#include <initializer_list>

// Queue these values for the next rand calls and zero the call count.
void rand_script(std::initializer_list<int> values);
// rand calls since the last rand_script.
int rand_calls();
// Values still queued.
int rand_left();
