#pragma once

// The system's warning sound, for a refused keystroke.
void Beep();
// How many times Beep has sounded in this process; the sound itself cannot be observed.
long BeepCount();
