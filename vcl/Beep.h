#pragma once

// The system's default beep. The type is accepted for the caller's sake; every type sounds the same.
void MessageBeep(unsigned type);

// How many beeps the process has sounded, so that tests can see one happen.
int BeepCount();
