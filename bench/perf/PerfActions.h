#pragma once

class PerfSession;

// The user's actions on the open window, by kind, each figure beside the engine's own statement for
// the same work. Each leaves the window open, showing every summary.
void RunEditingFigures(PerfSession &session);
void RunListingFigures(PerfSession &session);
void RunSearchFigures(PerfSession &session);
